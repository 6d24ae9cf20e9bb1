// The trace "Dev_Rfc.Trc" both librfc32 implementations write: one error
// block per failure, in the line forms that readers of the classic trace look
// for:
//   a line starting "**** ERROR " opens a block;
//   a line starting "ERROR " carries a text from its 13th character;
//   a line whose characters 8 to 15 are "======> " carries a text from its 16th
// (the last of these in a block is the failure's message).
// Each library signs its trace its own way (TraceSignature).
#ifndef QUARLANE_RFCSHARED_TRACE_H
#define QUARLANE_RFCSHARED_TRACE_H

#include <ctime>
#include <string>
#include <vector>

namespace quarlane::rfcshared {

extern const char kTraceFileName[]; // "Dev_Rfc.Trc"

// One failure, as RfcLastError reports it and the trace shows it.
struct ErrorEntry {
  std::string operation; // the library call: "RfcOpen", "RfcReceive SAPWL_WORKLOAD_GET_SUMMARY",
                         // "ItCreate", ...
  std::string key;
  std::string status;  // the "ERROR " line
  std::string message; // the "======> " line: the last text of the block
  std::string intstat;
  std::vector<std::string> problems; // listed in the block, one line each
};

// What tells one library's trace from the other's.
struct TraceSignature {
  std::string (*time_stamp)(std::time_t); // the time as the opening lines show it
  std::string origin;                     // closes each block's opening line, in brackets
  std::string opened_by;                  // closes a new file's header line: "librfc32, the ..."
};

// The local calendar time of `when` (the thread-safe form on each system).
std::tm LocalTime(std::time_t when);

// "Thu Mar  5 09:04:00 2026": 24 characters, the day with a leading blank
// below 10, English names whatever the locale.
std::string TimeStampText(std::time_t when);

// This process's id, as the blocks' opening lines show it.
long ProcessId();

// The block's lines, each ended by a line feed, then an empty line.
std::string FormatErrorBlock(const ErrorEntry &entry, const TraceSignature &signature,
                             std::time_t now, long pid);

// Appends the block to the trace at `path`, starting a new file with a header
// line. Never written through a link or a second name, never waiting on a
// FIFO (platform/append_file.h); a trace that cannot be written stops nothing.
void AppendErrorBlock(const std::string &path, const ErrorEntry &entry,
                      const TraceSignature &signature, std::time_t now);

} // namespace quarlane::rfcshared

#endif
