// The one guard around every operation of a librfc32: nothing a library
// throws (running out of memory above all) ever unwinds into the caller's C
// code.
#ifndef QUARLANE_RFCSHARED_GUARDED_H
#define QUARLANE_RFCSHARED_GUARDED_H

#include <type_traits>

#include "rfc/rfc_abi.h"

namespace quarlane::rfcshared {

// What a function of the boundary answers when it could not complete, by
// its result type (rfc/rfc_abi.h): an int is a result code (RFC_FAILURE, 1),
// an unsigned a handle or a count (0, none), a pointer NULL.
template <typename Answer> Answer FailedAnswer() noexcept {
  if constexpr (std::is_void_v<Answer>) {
    return;
  } else if constexpr (std::is_pointer_v<Answer>) {
    return nullptr;
  } else if constexpr (std::is_same_v<Answer, int>) {
    return RFC_FAILURE;
  } else {
    static_assert(std::is_same_v<Answer, unsigned>,
                  "a boundary function answers int, unsigned, a pointer or nothing");
    return 0;
  }
}

// Runs one operation of a library: whatever it throws is recorded as that
// library's internal failure of the operation (its own RecordInternalFailure,
// found by the library's type) and answered with what the operation's result
// type answers on failure (FailedAnswer); the exported functions
// (rfcshared/exports.inc) run every operation through it.
template <typename Library, typename Operation>
std::invoke_result_t<Operation> Guarded(Library &library, const char *operation,
                                        Operation run) noexcept {
  try {
    return run();
  } catch (...) {
    RecordInternalFailure(library, operation);
    return FailedAnswer<std::invoke_result_t<Operation>>();
  }
}

} // namespace quarlane::rfcshared

#endif
