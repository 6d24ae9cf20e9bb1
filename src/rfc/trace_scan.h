// The last error line of the RFC library's trace file "Dev_Rfc.Trc".
#ifndef QUARLANE_RFC_TRACE_SCAN_H
#define QUARLANE_RFC_TRACE_SCAN_H

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace quarlane {

// The suffix for the given trace lines (nullopt: no trace file):
// " - Look for Trace-File", " - " + retained text, or " - Please Check Trace-File !".
std::string TraceFinding(const std::optional<std::vector<std::string>> &trace_lines);

// The finding for "Dev_Rfc.Trc" in the working folder of files.
std::string RfcTraceFinding(const FileSystem &files);

// The same when the trace names a reason (" - " + its text), else empty:
// what the JSON mode adds to a failure that carries no finding of its own.
std::string RfcTraceReason(const FileSystem &files);

} // namespace quarlane

#endif
