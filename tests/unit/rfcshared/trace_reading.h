// How the tests read a trace "Dev_Rfc.Trc": its lines, and the text a reader
// of the trace keeps. Shared by the tests of rfcshared and of the simulated
// library.
#ifndef QUARLANE_TESTS_RFCSHARED_TRACE_READING_H
#define QUARLANE_TESTS_RFCSHARED_TRACE_READING_H

#include <sstream>
#include <string>
#include <vector>

namespace quarlane::rfcshared::test {

inline std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The text a reader of the trace keeps: the last "ERROR " or "======> " text,
// emptied by every "**** ERROR " line.
inline std::string RetainedTraceText(const std::string &trace) {
  std::string retained;
  for (const std::string &line : Lines(trace)) {
    if (line.compare(0, 11, "**** ERROR ") == 0) {
      retained.clear();
    } else if (line.compare(0, 6, "ERROR ") == 0) {
      retained = line.size() > 12 ? line.substr(12) : "";
    } else if (line.size() >= 15 && line.compare(7, 8, "======> ") == 0) {
      retained = line.substr(15);
    }
  }
  return retained;
}

} // namespace quarlane::rfcshared::test

#endif
