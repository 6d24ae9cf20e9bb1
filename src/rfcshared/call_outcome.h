// How RfcCall and RfcReceive end in both librfc32 implementations: the result
// code, the exception name of codes 2 and 3, the failure; and what both
// refuse before a call goes anywhere, with the same failure texts.
#ifndef QUARLANE_RFCSHARED_CALL_OUTCOME_H
#define QUARLANE_RFCSHARED_CALL_OUTCOME_H

#include <optional>
#include <string>
#include <utility>

#include "rfc/rfc_abi.h"
#include "rfcshared/guarded.h"
#include "rfcshared/trace.h"

namespace quarlane::rfcshared {

struct CallOutcome {
  RFC_RC rc = RFC_OK;
  std::string exception; // codes 2 and 3
  ErrorEntry error;      // the last error, unless rc is RFC_OK
};

inline CallOutcome Failed(RFC_RC rc, ErrorEntry error) {
  return CallOutcome{rc, {}, std::move(error)};
}
CallOutcome Failed(RFC_RC rc, const std::string &operation, const std::string &key,
                   const std::string &status, const std::string &message,
                   const std::string &intstat);

// RfcCall of `function` (upper case, trimmed) on `handle`: the failure when
// the handle is not open or no function is named; none when the call may go
// ahead.
std::optional<CallOutcome> RefusedCall(RFC_HANDLE handle, bool open, const std::string &function);

// RfcReceive on `handle`: the failure when the handle is not open or no call
// is pending on it; none when the receive may go ahead.
std::optional<CallOutcome> RefusedReceive(RFC_HANDLE handle, bool open, bool call_pending);

// The connection of `handle` in a library's connections (a map from handle
// to a connection with `call_pending`) that RfcCall of `function` goes on;
// null with the refusal in *outcome.
template <typename Connections>
typename Connections::mapped_type *ConnectionForCall(Connections &connections, RFC_HANDLE handle,
                                                     const std::string &function,
                                                     CallOutcome *outcome) {
  const auto found = connections.find(handle);
  if (auto refused = RefusedCall(handle, found != connections.end(), function)) {
    *outcome = std::move(*refused);
    return nullptr;
  }
  return &found->second;
}

// The same for RfcReceive: the connection, its call no longer pending; null
// with the refusal in *outcome.
template <typename Connections>
typename Connections::mapped_type *ConnectionForReceive(Connections &connections, RFC_HANDLE handle,
                                                        CallOutcome *outcome) {
  const auto found = connections.find(handle);
  const bool open = found != connections.end();
  if (auto refused = RefusedReceive(handle, open, open && found->second.call_pending)) {
    *outcome = std::move(*refused);
    return nullptr;
  }
  found->second.call_pending = false;
  return &found->second;
}

// For codes 2 and 3, points *exception (unless `exception` is NULL) at the
// exception's name, kept in `held`: the library's own, so the pointer stays
// valid until the next receive.
void HandOutException(const CallOutcome &outcome, std::string &held, char **exception);

} // namespace quarlane::rfcshared

#endif
