// The history lines of the sensor profile and the interval pass over them.
// The input gives the system date and time, a few summary rows and then the
// profile's lines (any text, history lines or not).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "loadstats/history.h"
#include "util/text_lines.h"

using namespace quarlane;

namespace {

std::string DateOf(FuzzedDataProvider &input) {
  std::string date;
  for (int i = 0; i < 8; ++i) date += static_cast<char>('0' + input.ConsumeIntegralInRange(0, 9));
  return date;
}

std::vector<SummaryRow> RowsOf(FuzzedDataProvider &input) {
  std::vector<SummaryRow> rows(input.ConsumeIntegralInRange<std::size_t>(0, 20));
  for (SummaryRow &row : rows) {
    if (input.ConsumeBool())
      row.type_text =
          TaskTypes()[input.ConsumeIntegralInRange<std::size_t>(0, kTaskTypeCount - 1)].key;
    else
      row.type_text = input.ConsumeRandomLengthString(8);
    CounterValues values{};
    for (std::uint32_t &value : values) value = input.ConsumeIntegral<std::uint32_t>();
    row.counters = CountersOf(values);
  }
  return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string system_date = DateOf(input);
  const std::string system_time = "16:20:21";
  const std::vector<SummaryRow> rows = RowsOf(input);
  const auto exclusions = input.ConsumeIntegral<std::uint16_t>();
  const bool select = input.ConsumeBool();
  const std::size_t selected = input.ConsumeIntegralInRange<std::size_t>(0, kTaskTypeCount - 1);
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  const TextLines profile(bytes);
  const std::vector<std::string> lines = profile.ToVector();

  for (const std::string &line : lines) {
    HistoryFields(line);
    RecordedTotal(line);
    IsDateLineOf(line, system_date);
    IsDateLineOf(line, std::string());
  }

  const DayCounts day = CountTaskTypes(rows);
  const HistoryPlan plan = PlanHistoryUpdate(profile, system_date, system_time, day, "\n");
  HistoryLines history = FindHistoryLines(profile);
  if (plan.rewrite) {
    const TextLines rewritten(plan.content);
    // Cut at each LF only: a kept line may end in a CR of its own.
    const std::vector<std::string> new_lines = quarlane_fuzz::SplitLines(plan.content, true);
    history = FindHistoryLines(rewritten);
    // The rewritten history reads back as written: another run with the same
    // figures leaves the file alone and measures from the same total.
    const HistoryPlan again = PlanHistoryUpdate(rewritten, system_date, system_time, day, "\n");
    FUZZ_EXPECT(!again.rewrite);
    FUZZ_EXPECT(again.carried_total == day.total_count);
    for (std::size_t type = 0; type < kTaskTypeCount; ++type) {
      FUZZ_EXPECT(history.current[type].has_value());
      FUZZ_EXPECT(HistoryFields(*history.current[type]) == ValuesOf(day.types[type]));
    }
    // Every line that is not a history line stays, in its order, and the
    // content is the same wherever it was built (in place or aside).
    std::string kept;
    std::size_t next = 0;
    for (const std::string &line : lines) {
      if (line.compare(0, 6, "# Rsp ") == 0 || line.compare(0, 6, "# Rsx ") == 0) continue;
      FUZZ_EXPECT(next < new_lines.size() && new_lines[next] == line);
      kept += line + "\n";
      ++next;
    }
    FUZZ_EXPECT(plan.content.compare(0, kept.size(), kept) == 0);
    FUZZ_EXPECT(plan.content.compare(kept.size(), 11, "# Rsp Date=") == 0);
    const HistoryPlan crlf = PlanHistoryUpdate(profile, system_date, system_time, day, "\r\n");
    FUZZ_EXPECT(quarlane_fuzz::SplitLines(crlf.content) == new_lines);
  } else {
    FUZZ_EXPECT(plan.content.empty());
  }

  IntervalInput interval;
  interval.history = &history;
  interval.system_date = system_date;
  interval.carried_total = plan.carried_total;
  if (select) interval.selected = selected;
  for (std::size_t type = 0; type < kTaskTypeCount; ++type)
    interval.excluded[type] = (exclusions >> type) & 1u;
  const TypeCounters measured = IntervalCounters(rows, interval);
  // No counter shows more than the day's value: differences never wrap.
  for (std::size_t type = 0; type < kTaskTypeCount; ++type) {
    const CounterValues got = ValuesOf(measured[type]);
    const CounterValues whole = ValuesOf(day.types[type]);
    for (std::size_t i = 0; i < kCounterCount; ++i) FUZZ_EXPECT(got[i] <= whole[i]);
    if (interval.excluded[type]) FUZZ_EXPECT(measured[type] == TaskCounters{});
  }

  interval.history = nullptr; // an item run: the day's counters as they are
  IntervalCounters(rows, interval);
  return 0;
}
