// A step's outcome: its value, or the failure that ends the step.
#ifndef QUARLANE_UTIL_RESULT_H
#define QUARLANE_UTIL_RESULT_H

#include <string>
#include <utility>
#include <variant>

#include "util/failure.h"

namespace quarlane {

template <typename T> class [[nodiscard]] Result {
public:
  Result(T value) : outcome_(std::move(value)) {}
  Result(Failure failure) : outcome_(std::move(failure)) {}

  bool ok() const { return outcome_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T &operator*() { return std::get<0>(outcome_); }
  const T &operator*() const { return std::get<0>(outcome_); }
  T *operator->() { return &std::get<0>(outcome_); }
  const T *operator->() const { return &std::get<0>(outcome_); }

  const Failure &failure() const { return std::get<1>(outcome_); }

private:
  std::variant<T, Failure> outcome_;
};

// The outcome of a step that yields nothing but success.
struct Done {};
using Status = Result<Done>;
inline Status Success() { return Done{}; }

} // namespace quarlane

#endif
