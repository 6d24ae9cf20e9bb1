#include "rfcshared/last_error.h"

#include "rfcshared/text.h"

namespace quarlane::rfcshared {

using namespace boundary_text;

void FillOpenErrorInfo(RFC_HANDLE handle, int group, const ErrorEntry &error,
                       RFC_ERROR_INFO_EX *info) {
  if (info == nullptr) return;
  const bool failed = handle == 0;
  info->group = failed ? group : 0;
  CopyToField(info->key, sizeof info->key, failed ? OneLine(error.key) : "");
  CopyToField(info->message, sizeof info->message, failed ? OneLine(error.message) : "");
}

int FillErrorInfo(bool has_error, const ErrorEntry &last_error, RFC_ERROR_INFO *info) noexcept {
  try {
    if (info == nullptr) return 1;
    const ErrorEntry none;
    const ErrorEntry &error = has_error ? last_error : none;
    CopyToField(info->key, sizeof info->key, OneLine(error.key));
    CopyToField(info->status, sizeof info->status, OneLine(error.status));
    CopyToField(info->message, sizeof info->message, OneLine(error.message));
    CopyToField(info->intstat, sizeof info->intstat, OneLine(error.intstat));
    return has_error ? 0 : 1;
  } catch (...) {
    return 1;
  }
}

ErrorEntry MemoryExhaustedEntry(const char *operation, const char *library) {
  ErrorEntry entry;
  entry.operation = operation;
  entry.key = "RFC_ERROR_MEMORY_INSUFFICIENT";
  entry.status = std::string(operation) + " could not be completed";
  entry.message = std::string("memory exhausted in ") + library;
  return entry;
}

} // namespace quarlane::rfcshared
