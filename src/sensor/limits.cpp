#include "sensor/limits.h"

#include <string_view>

#include "util/text.h"

namespace quarlane {

const char kLimitLabel[] = "Limit......:";

namespace {

constexpr std::size_t kLabelWidth = 12;
constexpr std::size_t kValueColumn = 13; // from 0: column 14

// A decimal number: digits, at most one full stop, at most 15 characters.
bool IsDecimal(const std::string &text) {
  if (text.empty() || text.size() > 15) return false;
  bool dot = false, digit = false;
  for (const char c : text) {
    if (c == '.' && !dot)
      dot = true;
    else if (c >= '0' && c <= '9')
      digit = true;
    else
      return false;
  }
  return digit;
}

std::string Trimmed(const std::string &text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

namespace {

// One line of a profile, the number-th: a limit line goes into the reading,
// any other line is passed over.
void ReadLimitLine(std::string_view line, std::size_t number, LimitReading &reading) {
  if (line.size() < kLabelWidth || line.compare(0, kLabelWidth, kLimitLabel) != 0) return;
  const std::string value(line.size() > kValueColumn ? line.substr(kValueColumn)
                                                     : std::string_view());
  const std::string where = "line " + std::to_string(number) + ": ";
  const std::size_t equals = value.rfind('=');
  if (equals == std::string::npos) {
    reading.problems.push_back(where + "no \"=\" after the channel's name");
    return;
  }
  const std::string name = Trimmed(value.substr(0, equals));
  const std::string numbers = value.substr(equals + 1);
  const std::size_t comma = numbers.find(',');
  ChannelLimit limit;
  limit.warning = Trimmed(numbers.substr(0, comma));
  limit.error = comma == std::string::npos ? std::string() : Trimmed(numbers.substr(comma + 1));
  if (name.empty()) {
    reading.problems.push_back(where + "no channel named before \"=\"");
  } else if (limit.warning.empty() && limit.error.empty()) {
    reading.problems.push_back(where + "neither a warning nor an error limit for " + name);
  } else if ((!limit.warning.empty() && !IsDecimal(limit.warning)) ||
             (!limit.error.empty() && !IsDecimal(limit.error))) {
    reading.problems.push_back(where + "the limits of " + name +
                               " are not decimal numbers (e.g. 800,1500)");
  } else {
    reading.limits[name] = limit;
  }
}

} // namespace

LimitReading ReadLimitLines(const std::vector<std::string> &lines) {
  LimitReading reading;
  std::size_t number = 0;
  for (const std::string &line : lines) ReadLimitLine(line, ++number, reading);
  return reading;
}

LimitReading ReadLimitLines(const TextLines &text) {
  LimitReading reading;
  std::size_t number = 0;
  text.ForEach([&](std::string_view line) { ReadLimitLine(line, ++number, reading); });
  return reading;
}

void ApplyLimits(const Limits &limits, const std::string &key, Channel &channel) {
  const auto found = limits.find(key);
  if (found == limits.end()) return;
  channel.limit_warning = found->second.warning;
  channel.limit_error = found->second.error;
}

std::vector<std::string> LimitNames(ReportKind kind) {
  if (kind != ReportKind::Summary) return ItemNames(kind);
  return {"TransActions", "DBS-Accesses",  "Avg Rsp-Time", "Avg CPU-Time",
          "Avg DBS-Time", "Avg Roll-Time", "Avg GUI-Time"};
}

} // namespace quarlane
