// What the tests of rfcshared and of the simulated library share about the
// trace "Dev_Rfc.Trc": the fixed time they write it at, its lines, and the text
// a reader of the trace keeps.
#ifndef QUARLANE_TESTS_RFCSHARED_TRACE_TEST_SUPPORT_H
#define QUARLANE_TESTS_RFCSHARED_TRACE_TEST_SUPPORT_H

#include <ctime>
#include <sstream>
#include <string>
#include <vector>

namespace quarlane::rfcshared::test {

// Thursday, 5 March 2026, 09:04:00 local time.
inline std::time_t FixedNow() {
  std::tm local{};
  local.tm_year = 126;
  local.tm_mon = 2;
  local.tm_mday = 5;
  local.tm_hour = 9;
  local.tm_min = 4;
  local.tm_sec = 0;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

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
