// The history lines of the sensor profile and the interval pass over them.
#include "loadstats/history.h"

#include "output/formatting.h"

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

bool StartsWith(const std::string &text, const std::string &prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsHistoryLine(const std::string &line) {
  return StartsWith(line, kCurrentPrefix) || StartsWith(line, kBaselinePrefix);
}

std::string Field(std::uint32_t value) {
  const std::string digits = std::to_string(value);
  return std::string(kFieldWidth - digits.size(), ' ') + digits;
}

std::string HistoryLine(const char *prefix, std::size_t type, const CounterValues &values) {
  std::string line = std::string(prefix) + TaskTypes()[type].key + " ";
  for (std::uint32_t value : values)
    line += Field(value);
  return line;
}

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::optional<std::string> FindLine(const std::vector<std::string> &lines, const std::string &key) {
  for (const std::string &line : lines)
    if (StartsWith(line, key))
      return line;
  return std::nullopt;
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
    if (start < line.size())
      values[i] = DecimalToU32(line.substr(start, kFieldWidth));
  }
  return values;
}

std::uint32_t RecordedTotal(const std::string &date_line) {
  const std::size_t at = date_line.find("Trns=");
  if (at == std::string::npos)
    return 0;
  std::string digits;
  for (std::size_t pos = at + 5;
       pos < date_line.size() && digits.size() < kTotalDigitsLimit && IsAsciiAlnum(date_line[pos]);
       ++pos)
    digits += date_line[pos];
  return DecimalToU32(digits);
}

bool IsDateLineOf(const std::string &date_line, const std::string &system_date) {
  const std::size_t start = sizeof kDateKey - 1;
  if (!StartsWith(date_line, kDateKey))
    return false;
  return date_line.substr(start, kDateWidth) == system_date.substr(0, kDateWidth);
}

HistoryPlan PlanHistoryUpdate(const std::vector<std::string> &lines, const std::string &system_date,
                              const std::string &system_time, const DayCounts &day,
                              const std::string &line_end) {
  HistoryPlan plan;
  const std::optional<std::string> date_line = FindLine(lines, kDateKey);
  const std::uint32_t previous_total = date_line ? RecordedTotal(*date_line) : 0;
  const bool same_day = date_line && IsDateLineOf(*date_line, system_date);

  if (same_day && day.total_count == previous_total) {
    // Nothing has moved on since the last run: the file stays as it is.
    plan.carried_total = day.total_count;
    return plan;
  }

  // A smaller total on the same day means the instance restarted and its
  // counters began again from zero: measure from zero, as on a new day.
  const bool fresh_start = !same_day || day.total_count < previous_total;
  plan.carried_total = fresh_start ? 0 : day.total_count;
  plan.rewrite = true;

  std::string &out = plan.content;
  for (const std::string &line : lines)
    if (!IsHistoryLine(line))
      out += line + line_end;
  out += kDateKey + system_date + " " + system_time + " Trns=" + std::to_string(day.total_count) +
         line_end;
  if (date_line)
    out += kBaselinePrefix + date_line->substr(kPrefixLength) + line_end;

  for (std::size_t type = 0; type < kTaskTypeCount; ++type) {
    out += CurrentValuesLine(type, day.types[type]) + line_end;
    const std::optional<std::string> stored =
        FindLine(lines, kCurrentPrefix + std::string(TaskTypes()[type].key));
    // The previous run's counters become the baseline of this run's.
    if (plan.carried_total == 0 || !stored)
      out += ZeroBaselineLine(type) + line_end;
    else
      out += kBaselinePrefix + stored->substr(kPrefixLength) + line_end;
  }
  return plan;
}

TypeCounters IntervalCounters(const std::vector<SummaryRow> &rows, const IntervalInput &input) {
  TypeCounters result{};
  std::optional<std::string> date_line;
  if (input.history)
    date_line = FindLine(*input.history, kDateKey);
  const bool measure = date_line && IsDateLineOf(*date_line, input.system_date);

  for (const SummaryRow &row : rows) {
    if (input.selected && row.type_text != TaskTypes()[*input.selected].key)
      continue;
    // Rows of unlisted types and excluded types are not reported.
    const std::optional<std::size_t> type = TaskTypeOfKey(row.type_text);
    if (!type || IsExcludedType(input.options, *type))
      continue;

    CounterValues values = ValuesOf(row.counters);
    if (measure) {
      CounterValues baseline{};
      if (const auto line = FindLine(*input.history, kBaselinePrefix + row.type_text))
        baseline = HistoryFields(*line);
      if (input.carried_total == 0)
        baseline = CounterValues{};
      if (const auto line = FindLine(*input.history, kCurrentPrefix + row.type_text)) {
        const CounterValues stored = HistoryFields(*line);
        for (std::size_t i = 0; i < values.size(); ++i) {
          const std::uint32_t subtrahend = values[i] == baseline[i] ? stored[i] : baseline[i];
          // After a restart of the instance the counter may lie below what the
          // history recorded; its own value is what accrued since.
          if (subtrahend <= values[i])
            values[i] -= subtrahend;
        }
      }
    }
    result[*type] = CountersOf(values);
  }
  return result;
}

} // namespace quarlane
