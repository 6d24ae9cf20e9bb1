#include "rfcshared/call_outcome.h"

namespace quarlane::rfcshared {

CallOutcome Failed(RFC_RC rc, const std::string &operation, const std::string &key,
                   const std::string &status, const std::string &message,
                   const std::string &intstat) {
  return Failed(rc, ErrorEntry{operation, key, status, message, intstat, {}});
}

std::optional<CallOutcome> RefusedCall(RFC_HANDLE handle, bool open, const std::string &function) {
  if (!open)
    return Failed(RFC_FAILURE, "RfcCall", "RFC_ERROR_INVALID_HANDLE",
                  "RfcCall " + function + ": handle " + std::to_string(handle) + " is not open",
                  "invalid handle " + std::to_string(handle), "no such connection");
  if (function.empty())
    return Failed(RFC_FAILURE, "RfcCall", "RFC_ERROR_PROGRAM", "RfcCall without function name",
                  "no function module named", "function empty");
  return std::nullopt;
}

std::optional<CallOutcome> RefusedReceive(RFC_HANDLE handle, bool open, bool call_pending) {
  if (!open)
    return Failed(RFC_FAILURE, "RfcReceive", "RFC_ERROR_INVALID_HANDLE",
                  "RfcReceive: handle " + std::to_string(handle) + " is not open",
                  "invalid handle " + std::to_string(handle), "no such connection");
  if (!call_pending)
    return Failed(RFC_FAILURE, "RfcReceive", "RFC_ERROR_PROTOCOL",
                  "RfcReceive without a preceding RfcCall",
                  "no call to receive on handle " + std::to_string(handle), "no call pending");
  return std::nullopt;
}

void HandOutException(const CallOutcome &outcome, std::string &held, char **exception) {
  if ((outcome.rc == RFC_EXCEPTION || outcome.rc == RFC_SYS_EXCEPTION) && exception != nullptr) {
    held = outcome.exception;
    *exception = held.data();
  }
}

} // namespace quarlane::rfcshared
