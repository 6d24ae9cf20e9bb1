// The bridge's trace "Dev_Rfc.Trc" in the working folder: one error block per
// failure, in the line forms that readers of the classic trace look for:
//   a line starting "**** ERROR " opens a block;
//   a line starting "ERROR " carries a text from its 13th character;
//   a line whose characters 8 to 15 are "======> " carries a text from its 16th
// (the last of these in a block is the SDK's own message).
#ifndef QUARLANE_NWRFC_TRACE_H
#define QUARLANE_NWRFC_TRACE_H

#include <ctime>
#include <string>

namespace quarlane::nwrfc {

extern const char kTraceFileName[]; // "Dev_Rfc.Trc"

// One failure, as RfcLastError reports it and the trace shows it.
struct ErrorEntry {
  std::string operation; // "RfcOpen", "RfcReceive SAPWL_WORKLOAD_GET_SUMMARY", ...
  std::string key;
  std::string status;  // the "ERROR " line
  std::string message; // the "======> " line
  std::string intstat;
};

std::string FormatErrorBlock(const ErrorEntry &entry, std::time_t now, long pid);

// Appends the block to "Dev_Rfc.Trc" in the working folder, starting a new
// file with a header line. A trace that cannot be written stops nothing.
void AppendErrorBlock(const ErrorEntry &entry);

} // namespace quarlane::nwrfc

#endif
