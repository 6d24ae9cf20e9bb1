// The history lines in the sensor profile: the previous run's counters, kept
// so that each run reports the interval since the run before.
//
// Between runs the history is the date line ("# Rsp Date=YYYYMMDD hh:mm:ss
// Trns=<total>"), the previous run's date line ("# Rsx Date=..."), and per task
// type a current-values line ("# Rsp <key> " and seven fields of 11 columns:
// the day's counters at the last rewrite) and a baseline line ("# Rsx <key> "
// and the counters those values are measured against: the run before's, or
// zeros at the start of a day).
#ifndef QUARLANE_LOADSTATS_HISTORY_H
#define QUARLANE_LOADSTATS_HISTORY_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "loadstats/counters.h"
#include "loadstats/task_types.h"
#include "util/text_lines.h"

namespace quarlane {

// The history lines a profile holds: of each kind the first one.
struct HistoryLines {
  std::optional<std::string> date_line;                            // "# Rsp Date=..."
  std::array<std::optional<std::string>, kTaskTypeCount> current;  // "# Rsp <key> ..."
  std::array<std::optional<std::string>, kTaskTypeCount> baseline; // "# Rsx <key> ..."
};
HistoryLines FindHistoryLines(const TextLines &profile);

// "# Rsp " + key + " " + the seven counters, each right-aligned in 11 columns.
std::string CurrentValuesLine(std::size_t type, const TaskCounters &counters);
// "# Rsx " + key + " " + seven zeros in the same columns.
std::string ZeroBaselineLine(std::size_t type);

// The seven fields of a current-values or baseline line (columns 14, 25, ...,
// 80, 11 characters each); a field beyond the end of the line reads as 0.
CounterValues HistoryFields(const std::string &line);

// The number after the first "Trns=" of a date line (0 without one).
std::uint32_t RecordedTotal(const std::string &date_line);

// True when the 8 characters after "# Rsp Date=" are the system's date.
bool IsDateLineOf(const std::string &date_line, const std::string &system_date);

struct HistoryPlan {
  bool rewrite = false;            // false: the figures have not moved on, leave the file
  std::string content;             // the whole new profile when rewrite is true
  std::uint32_t carried_total = 0; // 0 when the history starts a new day
  HistoryLines history;            // the history lines the profile held
  // The history lines the profile holds once the plan is carried out: the
  // new block's (the kept lines hold none), or those it held.
  HistoryLines history_after;
};

// The history update over the profile, which it takes over: the new content
// is built in the profile's own bytes wherever the kept lines never overtake
// the lines still to be read (their line ends stay as long or get shorter),
// so that a long profile is not held twice. Every line other than history
// lines stays, whole and in its order, each followed by line_end; the history
// follows them. A run on the same day with a smaller total than the recorded
// one comes after a restart of the instance, whose counters began again at
// zero: it starts the history afresh like a new day.
HistoryPlan PlanHistoryUpdate(TextLines profile, const std::string &system_date,
                              const std::string &system_time, const DayCounts &day,
                              const std::string &line_end);

struct IntervalInput {
  // The profile's history after the history update; nullptr in an item run,
  // which reports the day's counters and never touches the history.
  const HistoryLines *history = nullptr;
  std::string system_date;
  std::uint32_t carried_total = 0;
  std::optional<std::size_t> selected; // the only type reported, when set
  ExcludedTypes excluded{};            // types not reported
};

// The interval pass: the counters of each known type measured against the
// baseline lines of the history. A counter never shows a wrapped difference:
// where the value to subtract is larger than the counter (the instance
// restarted since), the counter's own value is reported.
TypeCounters IntervalCounters(const std::vector<SummaryRow> &rows, const IntervalInput &input);

} // namespace quarlane

#endif
