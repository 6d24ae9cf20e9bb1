// RfcLastError's side of a failure, the same in both librfc32 implementations.
#ifndef QUARLANE_RFCSHARED_LAST_ERROR_H
#define QUARLANE_RFCSHARED_LAST_ERROR_H

#include "rfc/rfc_abi.h"
#include "rfcshared/trace.h"

namespace quarlane::rfcshared {

// Fills *info with the last failure's texts, each made one line and cut to
// its field: 0 when there was a failure; 1 when there was none (the fields
// emptied) or info is NULL.
int FillErrorInfo(bool has_error, const ErrorEntry &last_error, RFC_ERROR_INFO *info) noexcept;

// Fills RfcOpenEx's *info (when given): the failure's group, key and
// message when the open failed (handle 0), all emptied when it succeeded.
void FillOpenErrorInfo(RFC_HANDLE handle, int group, const ErrorEntry &error,
                       RFC_ERROR_INFO_EX *info);

// The failure of an operation that met an exception of its own (memory
// exhausted); `library` names the library in the message ("the librfc32
// simulator").
ErrorEntry MemoryExhaustedEntry(const char *operation, const char *library);

} // namespace quarlane::rfcshared

#endif
