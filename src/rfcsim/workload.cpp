#include "rfcsim/workload.h"

#include <cstdint>
#include <limits>

#include "rfcsim/sim_time.h"
#include "rfcsim/text.h"

namespace quarlane::rfcsim {

namespace {

const char kTotal[] = "TOTAL";

std::string DayOf(const WorkloadDay &day, std::time_t now) {
  return day.relative ? DayText(now, day.days_back) : day.ymd;
}

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
  if (b > 0 && a > std::numeric_limits<std::int64_t>::max() - b)
    return std::numeric_limits<std::int64_t>::max();
  if (b < 0 && a < std::numeric_limits<std::int64_t>::min() - b)
    return std::numeric_limits<std::int64_t>::min();
  return a + b;
}

std::string TaskTypeOf(const RowValues &row) {
  const auto text = row.texts.find("TASKTYPE");
  return PadRight(text == row.texts.end() ? std::string() : text->second, 7);
}

// The system's figures per task type: counters added up, the time stamps of
// the first row of each task type kept.
std::vector<RowValues> AddUpPerTaskType(const std::vector<const WorkloadRow *> &rows) {
  std::vector<RowValues> totals;
  for (const WorkloadRow *row : rows) {
    RowValues *total = nullptr;
    for (RowValues &candidate : totals)
      if (TaskTypeOf(candidate) == TaskTypeOf(row->values)) total = &candidate;
    if (total == nullptr) {
      totals.push_back(row->values);
      continue;
    }
    for (const auto &[name, value] : row->values.numbers) {
      if (name == "FIRSTRECTI" || name == "LASTRECTI") continue;
      total->numbers[name] = SaturatingAdd(total->numbers[name], value);
    }
  }
  return totals;
}

} // namespace

std::vector<RowValues> SelectWorkload(const SapSystem &system, const WorkloadQuery &query,
                                      std::time_t now) {
  const std::string period = Trim(query.periodtype);
  if (!period.empty() && !SameText(period, "D")) return {};
  const std::string instance = Trim(query.instance);
  const std::string hostid = Trim(query.hostid);

  std::vector<const WorkloadRow *> of_day;
  for (const WorkloadRow &row : system.workload)
    if (DayOf(row.day, now) == query.startdate) of_day.push_back(&row);

  std::vector<const WorkloadRow *> chosen;
  if (SameText(instance, kTotal)) {
    if (!hostid.empty() && !SameText(hostid, Trim(SystemValue(system, "RFCHOST")).substr(0, 8)))
      return {};
    std::vector<const WorkloadRow *> written_totals;
    std::vector<const WorkloadRow *> instances;
    for (const WorkloadRow *row : of_day)
      (SameText(Trim(row->instance), kTotal) ? written_totals : instances).push_back(row);
    if (!written_totals.empty())
      chosen = written_totals;
    else
      return AddUpPerTaskType(instances);
  } else if (!instance.empty()) {
    for (const WorkloadRow *row : of_day)
      if (SameText(Trim(row->instance), instance)) chosen.push_back(row);
  } else if (!hostid.empty()) {
    const std::string prefix = PadRight(hostid, 8);
    std::string found; // the first instance that matches, in file order
    for (const WorkloadRow *row : of_day) {
      if (SameText(Trim(row->instance), kTotal)) continue;
      if (found.empty() && SameText(PadRight(row->instance, 8), prefix))
        found = Trim(row->instance);
      if (!found.empty() && SameText(Trim(row->instance), found)) chosen.push_back(row);
    }
  }
  std::vector<RowValues> result;
  for (const WorkloadRow *row : chosen) result.push_back(row->values);
  return result;
}

} // namespace quarlane::rfcsim
