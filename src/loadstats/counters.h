// The seven counters of a task type and the counting pass over the summary.
#ifndef QUARLANE_LOADSTATS_COUNTERS_H
#define QUARLANE_LOADSTATS_COUNTERS_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "loadstats/task_types.h"

namespace quarlane {

// Counters and times (ms) of one task type; sums and differences wrap at 2^32.
struct TaskCounters {
  std::uint32_t count = 0; // steps (transactions)
  std::uint32_t db_accesses = 0;
  std::uint32_t resp_time = 0;
  std::uint32_t cpu_time = 0;
  std::uint32_t db_time = 0; // direct and sequential reads plus changes
  std::uint32_t roll_time = 0;
  std::uint32_t gui_time = 0;
};

constexpr std::size_t kCounterCount = 7;
using CounterValues = std::array<std::uint32_t, kCounterCount>;

// The seven counters in their fixed order (the order of the history fields).
CounterValues ValuesOf(const TaskCounters &counters);
TaskCounters CountersOf(const CounterValues &values);

bool operator==(const TaskCounters &a, const TaskCounters &b);
inline bool operator!=(const TaskCounters &a, const TaskCounters &b) { return !(a == b); }

using TypeCounters = std::array<TaskCounters, kTaskTypeCount>;

// One row of the workload summary, as far as the load analysis reads it.
struct SummaryRow {
  std::string type_text; // TASKTYPE: up to 7 characters, ending early at a zero byte
  TaskCounters counters;
};

struct DayCounts {
  TypeCounters types;             // the day's counters so far, per known type
  std::uint32_t others_count = 0; // steps of unlisted types (ALE, ...)
  std::uint32_t total_count = 0;  // every step of the day, unlisted types included
};

// The counting pass: a later row of a type replaces an earlier one; steps of
// unlisted types count only into the total.
DayCounts CountTaskTypes(const std::vector<SummaryRow> &rows);

} // namespace quarlane

#endif
