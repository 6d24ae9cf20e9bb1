// The counting pass over the summary rows.
#include "loadstats/counters.h"

namespace quarlane {

CounterValues ValuesOf(const TaskCounters &c) {
  return {c.count, c.db_accesses, c.resp_time, c.cpu_time, c.db_time, c.roll_time, c.gui_time};
}

TaskCounters CountersOf(const CounterValues &v) {
  TaskCounters c;
  c.count = v[0];
  c.db_accesses = v[1];
  c.resp_time = v[2];
  c.cpu_time = v[3];
  c.db_time = v[4];
  c.roll_time = v[5];
  c.gui_time = v[6];
  return c;
}

bool operator==(const TaskCounters &a, const TaskCounters &b) { return ValuesOf(a) == ValuesOf(b); }

DayCounts CountTaskTypes(const std::vector<SummaryRow> &rows) {
  DayCounts day;
  for (const SummaryRow &row : rows) {
    if (const auto type = TaskTypeOfKey(row.type_text)) day.types[*type] = row.counters;
    if (!IsKnownTypeText(row.type_text)) day.others_count += row.counters.count;
  }
  day.total_count = day.others_count;
  for (const TaskCounters &counters : day.types) day.total_count += counters.count;
  return day;
}

} // namespace quarlane
