// The history lines of the sensor profile and the interval pass over them.
// The input gives the system date and time, a few summary rows and then the
// profile's lines (any text, history lines or not).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "loadstats/history.h"

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
      row.type_text = TaskTypes()[input.ConsumeIntegralInRange<std::size_t>(0, kTaskTypeCount - 1)].key;
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
  const std::string options = input.ConsumeRandomLengthString(40);
  const bool select = input.ConsumeBool();
  const std::size_t selected = input.ConsumeIntegralInRange<std::size_t>(0, kTaskTypeCount - 1);
  const std::vector<std::string> lines = quarlane_fuzz::SplitLines(input.ConsumeRemainingBytesAsString(), true);

  for (const std::string &line : lines) {
    HistoryFields(line);
    RecordedTotal(line);
    IsDateLineOf(line, system_date);
    IsDateLineOf(line, std::string());
  }

  const DayCounts day = CountTaskTypes(rows);
  const HistoryPlan plan = PlanHistoryUpdate(lines, system_date, system_time, day, "\n");
  std::vector<std::string> history = lines;
  if (plan.rewrite) {
    history = quarlane_fuzz::SplitLines(plan.content, true);
    // The rewritten history reads back as written: another run with the same
    // figures leaves the file alone and measures from the same total.
    const HistoryPlan again = PlanHistoryUpdate(history, system_date, system_time, day, "\n");
    FUZZ_EXPECT(!again.rewrite);
    FUZZ_EXPECT(again.carried_total == day.total_count);
    for (std::size_t type = 0; type < kTaskTypeCount; ++type) {
      const std::optional<std::string> line =
          FindLine(history, "# Rsp " + std::string(TaskTypes()[type].key));
      FUZZ_EXPECT(line.has_value());
      FUZZ_EXPECT(HistoryFields(*line) == ValuesOf(day.types[type]));
    }
    // Every line that is not a history line stays, in its order.
    std::size_t next = 0;
    for (const std::string &line : lines) {
      if (line.compare(0, 6, "# Rsp ") == 0 || line.compare(0, 6, "# Rsx ") == 0) continue;
      FUZZ_EXPECT(next < history.size() && history[next] == line);
      ++next;
    }
  } else {
    FUZZ_EXPECT(plan.content.empty());
  }

  IntervalInput interval;
  interval.history = &history;
  interval.system_date = system_date;
  interval.carried_total = plan.carried_total;
  if (select) interval.selected = selected;
  interval.options = options;
  const TypeCounters measured = IntervalCounters(rows, interval);
  // No counter shows more than the day's value: differences never wrap.
  for (std::size_t type = 0; type < kTaskTypeCount; ++type) {
    const CounterValues got = ValuesOf(measured[type]);
    const CounterValues whole = ValuesOf(day.types[type]);
    for (std::size_t i = 0; i < kCounterCount; ++i) FUZZ_EXPECT(got[i] <= whole[i]);
  }

  interval.history = nullptr; // an item run: the day's counters as they are
  IntervalCounters(rows, interval);
  return 0;
}
