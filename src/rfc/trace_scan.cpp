#include "rfc/trace_scan.h"

#include "rfc/rfc_abi.h"
#include "util/text.h"

namespace quarlane {
namespace {

// The line from its column-th character (counting from 1); empty when shorter.
std::string From(const std::string &line, std::size_t column) {
  return line.size() >= column ? line.substr(column - 1) : std::string();
}

// Lines normally come without their line end; one left on is not part of the text.
std::string WithoutLineEnd(std::string text) {
  if (!text.empty() && text.back() == '\n') text.pop_back();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

} // namespace

std::string TraceFinding(const std::optional<std::vector<std::string>> &trace_lines) {
  if (!trace_lines) return " - Look for Trace-File";
  std::string retained;
  for (const std::string &line : *trace_lines) {
    // The three tests apply one after the other; on the same line the later wins.
    if (StartsWith(line, "**** ERROR ")) retained.clear(); // a new error block begins
    if (StartsWith(line, "ERROR ")) retained = WithoutLineEnd(From(line, 13));
    if (line.size() >= 15 && line.compare(7, 8, "======> ") == 0)
      retained = WithoutLineEnd(From(line, 16));
  }
  if (retained.empty()) return " - Please Check Trace-File !";
  return " - " + retained;
}

std::string RfcTraceFinding(const FileSystem &files) {
  return TraceFinding(files.ReadLinesNotThroughLink(RFC_TRACE_FILE));
}

std::string RfcTraceReason(const FileSystem &files) {
  const std::optional<std::vector<std::string>> lines =
      files.ReadLinesNotThroughLink(RFC_TRACE_FILE);
  const std::string finding = TraceFinding(lines);
  if (!lines || finding == TraceFinding(std::vector<std::string>())) return std::string();
  return finding;
}

} // namespace quarlane
