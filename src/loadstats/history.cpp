// The history lines of the sensor profile and the interval pass over them.
#include "loadstats/history.h"

#include <cstring>
#include <string_view>

#include "util/text.h"

namespace quarlane {

namespace {

const char kDateKey[] = "# Rsp Date=";
const char kCurrentPrefix[] = "# Rsp ";
const char kBaselinePrefix[] = "# Rsx ";
constexpr std::size_t kPrefixLength = 6;
constexpr std::size_t kFirstField = 14;
constexpr std::size_t kFieldWidth = 11;
constexpr std::size_t kDateWidth = 8;
constexpr std::size_t kTotalDigitsLimit = 11;

constexpr std::size_t kKeyLength = 7;

bool IsHistoryLine(std::string_view line) {
  return StartsWith(line, kCurrentPrefix) || StartsWith(line, kBaselinePrefix);
}

std::string Field(std::uint32_t value) {
  const std::string digits = std::to_string(value);
  return std::string(kFieldWidth - digits.size(), ' ') + digits;
}

std::string HistoryLine(const char *prefix, std::size_t type, const CounterValues &values) {
  std::string line = std::string(prefix) + TaskTypes()[type].key + " ";
  for (std::uint32_t value : values) line += Field(value);
  return line;
}

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

HistoryLines FindHistoryLines(const TextLines &profile) {
  HistoryLines history;
  profile.ForEach([&](std::string_view line) {
    if (!IsHistoryLine(line)) return;
    if (StartsWith(line, kDateKey)) {
      if (!history.date_line) history.date_line = std::string(line);
      return;
    }
    // "# Rsp " or "# Rsx " and a key of seven characters, whatever follows.
    const std::optional<std::size_t> type =
        TaskTypeOfKey(std::string(line.substr(kPrefixLength, kKeyLength)));
    if (!type) return;
    auto &slot =
        StartsWith(line, kCurrentPrefix) ? history.current[*type] : history.baseline[*type];
    if (!slot) slot = std::string(line);
  });
  return history;
}

std::string CurrentValuesLine(std::size_t type, const TaskCounters &counters) {
  return HistoryLine(kCurrentPrefix, type, ValuesOf(counters));
}

std::string ZeroBaselineLine(std::size_t type) {
  return HistoryLine(kBaselinePrefix, type, CounterValues{});
}

CounterValues HistoryFields(const std::string &line) {
  CounterValues values{};
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::size_t start = kFirstField + i * kFieldWidth;
    if (start < line.size()) values[i] = DecimalToU32(line.substr(start, kFieldWidth));
  }
  return values;
}

std::uint32_t RecordedTotal(const std::string &date_line) {
  const std::size_t at = date_line.find("Trns=");
  if (at == std::string::npos) return 0;
  std::string digits;
  for (std::size_t pos = at + 5;
       pos < date_line.size() && digits.size() < kTotalDigitsLimit && IsAsciiAlnum(date_line[pos]);
       ++pos)
    digits += date_line[pos];
  return DecimalToU32(digits);
}

bool IsDateLineOf(const std::string &date_line, const std::string &system_date) {
  const std::size_t start = sizeof kDateKey - 1;
  if (!StartsWith(date_line, kDateKey)) return false;
  return date_line.substr(start, kDateWidth) == system_date.substr(0, kDateWidth);
}

namespace {

// The lines other than history lines, each followed by line_end, then the
// block: in the bytes' own buffer when no kept line would be written over
// one not yet read, otherwise in a buffer of its own.
std::string KeptLinesAndBlock(std::string bytes, const std::string &line_end,
                              const std::string &block) {
  std::size_t kept = 0;
  bool in_place = true;
  TextLines::ForEachPlace(bytes, [&](std::size_t start, std::size_t length, std::size_t next) {
    if (IsHistoryLine(std::string_view(bytes).substr(start, length))) return;
    kept += length + line_end.size();
    // After this line the writing must not have passed the next unread line
    // (the last line may grow: nothing follows it).
    if (next < bytes.size() && kept > next) in_place = false;
  });

  if (!in_place) {
    std::string content;
    content.reserve(kept + block.size());
    TextLines::ForEachPlace(bytes, [&](std::size_t start, std::size_t length, std::size_t) {
      const std::string_view line = std::string_view(bytes).substr(start, length);
      if (!IsHistoryLine(line)) content.append(line).append(line_end);
    });
    return content + block;
  }

  // Each kept line moves down (or stays) before the next one is read; the
  // writing stays below the next line, so the scan reads unwritten bytes.
  std::size_t written = 0;
  bool last_end_pending = false;
  TextLines::ForEachPlace(bytes, [&](std::size_t start, std::size_t length, std::size_t next) {
    if (IsHistoryLine(std::string_view(bytes).substr(start, length))) return;
    std::memmove(&bytes[written], &bytes[start], length);
    written += length;
    if (next - written >= line_end.size()) {
      std::memcpy(&bytes[written], line_end.data(), line_end.size());
      written += line_end.size();
    } else {
      last_end_pending = true; // the last line: no room left before the end of the text
    }
  });
  bytes.resize(written);
  if (last_end_pending) bytes += line_end;
  bytes += block;
  return bytes;
}

} // namespace

HistoryPlan PlanHistoryUpdate(TextLines profile, const std::string &system_date,
                              const std::string &system_time, const DayCounts &day,
                              const std::string &line_end) {
  HistoryPlan plan;
  plan.history = FindHistoryLines(profile);
  const std::optional<std::string> &date_line = plan.history.date_line;
  const std::uint32_t previous_total = date_line ? RecordedTotal(*date_line) : 0;
  const bool same_day = date_line && IsDateLineOf(*date_line, system_date);

  if (same_day && day.total_count == previous_total) {
    // Nothing has moved on since the last run: the file stays as it is.
    plan.carried_total = day.total_count;
    plan.history_after = plan.history;
    return plan;
  }

  // A smaller total on the same day means the instance restarted and its
  // counters began again from zero: measure from zero, as on a new day.
  const bool fresh_start = !same_day || day.total_count < previous_total;
  plan.carried_total = fresh_start ? 0 : day.total_count;
  plan.rewrite = true;

  std::string block = kDateKey + system_date + " " + system_time +
                      " Trns=" + std::to_string(day.total_count) + line_end;
  if (date_line) block += kBaselinePrefix + date_line->substr(kPrefixLength) + line_end;
  for (std::size_t type = 0; type < kTaskTypeCount; ++type) {
    block += CurrentValuesLine(type, day.types[type]) + line_end;
    const std::optional<std::string> &stored = plan.history.current[type];
    // The previous run's counters become the baseline of this run's.
    if (plan.carried_total == 0 || !stored)
      block += ZeroBaselineLine(type) + line_end;
    else
      block += kBaselinePrefix + stored->substr(kPrefixLength) + line_end;
  }
  plan.history_after = FindHistoryLines(TextLines(block));
  plan.content = KeptLinesAndBlock(std::move(profile).TakeBytes(), line_end, block);
  return plan;
}

TypeCounters IntervalCounters(const std::vector<SummaryRow> &rows, const IntervalInput &input) {
  TypeCounters result{};
  const bool measure = input.history && input.history->date_line &&
                       IsDateLineOf(*input.history->date_line, input.system_date);

  for (const SummaryRow &row : rows) {
    if (input.selected && row.type_text != TaskTypes()[*input.selected].key) continue;
    // Rows of unlisted types and excluded types are not reported.
    const std::optional<std::size_t> type = TaskTypeOfKey(row.type_text);
    if (!type || input.excluded[*type]) continue;

    CounterValues values = ValuesOf(row.counters);
    if (measure) {
      CounterValues baseline{};
      if (const auto &line = input.history->baseline[*type]) baseline = HistoryFields(*line);
      if (input.carried_total == 0) baseline = CounterValues{};
      if (const auto &line = input.history->current[*type]) {
        const CounterValues stored = HistoryFields(*line);
        for (std::size_t i = 0; i < values.size(); ++i) {
          const std::uint32_t subtrahend = values[i] == baseline[i] ? stored[i] : baseline[i];
          // After a restart of the instance the counter may lie below what the
          // history recorded; its own value is what accrued since.
          if (subtrahend <= values[i]) values[i] -= subtrahend;
        }
      }
    }
    result[*type] = CountersOf(values);
  }
  return result;
}

} // namespace quarlane
