// The library's trace "Dev_Rfc.Trc": one error block per failure, in the
// line forms that readers of the trace look for:
//   a line starting "**** ERROR " opens a block;
//   a line starting "ERROR " carries a text from its 13th character;
//   a line whose characters 8 to 15 are "======> " carries a text from its 16th.
#ifndef QUARLANE_RFCSIM_TRACE_FILE_H
#define QUARLANE_RFCSIM_TRACE_FILE_H

#include <ctime>
#include <string>
#include <vector>

namespace quarlane::rfcsim {

extern const char kTraceFileName[]; // "Dev_Rfc.Trc"

// One failure, as RfcLastError reports it and the trace shows it.
struct ErrorEntry {
  std::string operation; // the library call: "RfcOpen", "ItCreate", ...
  std::string key;
  std::string status;    // the "ERROR " line
  std::string message;   // the "======> " line: the last text of the block
  std::string intstat;
  std::vector<std::string> problems; // listed in the block, one line each
};

// The block's lines, each ended by a line feed, then an empty line.
std::string FormatErrorBlock(const ErrorEntry &entry, std::time_t now, long pid);

// Appends the block to "Dev_Rfc.Trc" in `folder` (empty: the working
// folder), starting a new file with a header line.
void AppendErrorBlock(const std::string &folder, const ErrorEntry &entry, std::time_t now);

} // namespace quarlane::rfcsim

#endif
