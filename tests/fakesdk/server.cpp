#include "server.h"

#include <cstdio>

#include "text.h"
#include "rfcshared/trace.h"

namespace fakesdk {

using quarlane::rfcshared::LocalTime;

namespace {

const char kTotal[] = "TOTAL";

std::string Narrow(const std::u16string &text) { return ToUtf8(text); }

// The trimmed text of an importing character value, or `missing` when the
// caller did not set it.
std::string Sent(Container &function, const char *name, const std::string &missing) {
  Value *value = FindValue(function, name);
  if (value == nullptr || !value->set) return missing;
  return Trim(Narrow(value->text));
}

void CopyRow(const Container &source, Container &target) {
  for (std::size_t i = 0; i < source.values.size(); ++i) {
    const Value &from = source.values[i];
    Value &to = target.values[i];
    to.text = from.text;
    to.number = from.number;
    to.bytes = from.bytes;
    to.set = from.set;
  }
}

std::int64_t ClampedSum(std::int64_t a, std::int64_t b, const Value &shape) {
  const std::int64_t limit = shape.type == kBcd
                                 ? static_cast<std::int64_t>(PackedLimit(shape.length))
                             : shape.type == kInt ? 2147483647LL
                                                  : INT64_MAX;
  if (b > 0 && a > limit - b) return limit;
  if (b < 0 && a < -limit - b) return -limit;
  return a + b;
}

// Whether a row of the day was written for TOTAL itself.
bool WrittenForTotal(const std::vector<ScriptRow> &rows, const std::string &day, std::time_t now) {
  for (const ScriptRow &row : rows)
    if (RowDay(row.day, now) == day && SameText(row.place, kTotal)) return true;
  return false;
}

// The rows of the day for the place asked for. TOTAL: rows written for
// TOTAL if there are any, otherwise every instance's rows added up per task
// type (counters summed; time stamps and texts of the first row).
std::vector<std::shared_ptr<Container>> Choose(const std::vector<ScriptRow> &rows,
                                               const Scenario &scenario, const std::string &place,
                                               const std::string &hostid, const std::string &day,
                                               std::time_t now) {
  const std::string own_instance = Narrow(TrimRight(SystemValue(scenario, "RFCDEST")));
  std::vector<const ScriptRow *> of_day;
  for (const ScriptRow &row : rows)
    if (RowDay(row.day, now) == day) of_day.push_back(&row);
  auto place_of = [&](const ScriptRow *row) {
    return row->place.empty() ? own_instance : row->place;
  };

  std::vector<std::shared_ptr<Container>> chosen;
  auto take = [&](const ScriptRow *row) {
    auto copy = NewStructure(*row->row->type);
    CopyRow(*row->row, *copy);
    chosen.push_back(std::move(copy));
  };
  if (SameText(place, kTotal)) {
    std::vector<const ScriptRow *> written, instances;
    for (const ScriptRow *row : of_day)
      (SameText(place_of(row), kTotal) ? written : instances).push_back(row);
    if (!written.empty()) {
      for (const ScriptRow *row : written) take(row);
      return chosen;
    }
    for (const ScriptRow *row : instances) {
      const Value &type = row->row->values[0]; // TASKTYPE is the first field of both structures
      std::shared_ptr<Container> total;
      for (auto &candidate : chosen)
        if (candidate->values[0].text == type.text && candidate->values[0].bytes == type.bytes)
          total = candidate;
      if (!total) {
        take(row);
        continue;
      }
      for (std::size_t i = 1; i < total->values.size(); ++i) {
        Value &sum = total->values[i];
        const std::string &name = total->names[i];
        if (name == "FIRSTRECTI" || name == "LASTRECTI") continue;
        if (sum.type == kBcd || sum.type == kInt || sum.type == kInt2 || sum.type == kInt1)
          sum.number = ClampedSum(sum.number, row->row->values[i].number, sum);
      }
    }
    return chosen;
  }
  if (!place.empty()) {
    for (const ScriptRow *row : of_day)
      if (SameText(place_of(row), place)) take(row);
    return chosen;
  }
  if (!hostid.empty()) {
    // Older releases name the instance by the first 8 characters only: the
    // first instance in script order that starts with them.
    std::string found;
    std::string prefix = Upper(hostid).substr(0, 8);
    for (const ScriptRow *row : of_day) {
      const std::string name = place_of(row);
      if (SameText(name, kTotal)) continue;
      std::string head = Upper(name).substr(0, 8);
      head.resize(8, ' ');
      std::string wanted = prefix;
      wanted.resize(8, ' ');
      if (found.empty() && head == wanted) found = name;
      if (!found.empty() && SameText(name, found)) take(row);
    }
  }
  return chosen;
}

void Fill(Container &function, const char *table_name,
          const std::vector<std::shared_ptr<Container>> &rows) {
  Value *table = FindValue(function, table_name);
  table->nested->rows.clear();
  for (const auto &row : rows) CopyRow(*row, AppendRow(*table->nested));
  table->nested->current = 0;
}

void SetScalar(Container &function, const std::string &name, const std::u16string &text) {
  Value *value = FindValue(function, name);
  std::string ignored;
  if (value && value->type != kStructure && value->type != kTable)
    AssignText(*value, text, &ignored);
}

bool IsTimeField(const std::string &name) {
  const std::size_t size = name.size();
  return (size > 2 && name.compare(size - 2, 2, "TI") == 0) ||
         (size > 4 && name.compare(size - 4, 4, "TIME") == 0);
}

// value / factor, rounded half away from zero, as ABAP assigns a quotient to
// a packed field.
std::int64_t Divided(std::int64_t value, std::int64_t factor) {
  const std::int64_t quotient = value / factor, rest = value % factor;
  if (2 * (rest < 0 ? -rest : rest) >= factor) return quotient + (value < 0 ? -1 : 1);
  return quotient;
}

Answer SystemInfo(const Scenario &scenario, Container &function) {
  for (const char *name : {"CURRENT_RESOURCES", "DIALOG_USER_TYPE", "MAXIMAL_RESOURCES",
                           "RECOMMENDED_DELAY", "RFC_LOGIN_COMPLETE"})
    SetScalar(function, name, SystemValue(scenario, name));
  Container &rfcsi = *FindValue(function, "RFCSI_EXPORT")->nested;
  for (std::size_t i = 0; i < rfcsi.names.size(); ++i) {
    std::string ignored;
    AssignText(rfcsi.values[i], SystemValue(scenario, rfcsi.names[i]), &ignored);
  }
  return Answer{};
}

Answer CpuAll(const Scenario &scenario, Container &function, std::time_t now) {
  for (const char *name :
       {"ACTIVEFLAG", "DETAILSCOLL", "DETAILSMODE", "DETAILSREQI", "F_CPU_ALL_READ", "INTERVAL",
        "LASTCOLLINT", "LASTCOLLWRT", "NORMCOLLINT", "OP_SYSTEM"}) {
    std::u16string value = SystemValue(scenario, name);
    if (std::string(name) == "LASTCOLLWRT" && SameText(Narrow(value), "now"))
      value = FromUtf8(TimeStampText(now));
    SetScalar(function, name, value);
  }
  std::vector<std::shared_ptr<Container>> rows;
  for (const ScriptRow &row : scenario.cpu) {
    auto copy = NewStructure(*row.row->type);
    CopyRow(*row.row, *copy);
    rows.push_back(std::move(copy));
  }
  Fill(function, "TF_CPU_ALL", rows);
  return Answer{};
}

Answer WorkloadSummary(const Scenario &scenario, Container &function, std::time_t now) {
  const std::string hostid = Sent(function, "HOSTID", "");
  const std::string instance = Sent(function, "INSTANCE", "");
  const std::string period = Sent(function, "PERIODTYPE", "D");
  const std::string day = Sent(function, "STARTDATE", DayText(now, 0));
  std::vector<std::shared_ptr<Container>> rows;
  const std::string own_host = Narrow(TrimRight(SystemValue(scenario, "RFCHOST"))).substr(0, 8);
  const bool total_elsewhere =
      SameText(instance, kTotal) && !hostid.empty() && !SameText(hostid, own_host);
  if ((period.empty() || SameText(period, "D")) && !total_elsewhere)
    rows = Choose(scenario.summary, scenario, instance, hostid, day, now);
  Fill(function, "SUMMARY", rows);
  return Answer{};
}

Answer CollectorAggregates(const Scenario &scenario, Container &function, std::time_t now) {
  const std::string component = Sent(function, "COMPONENT", "");
  const std::string period = Sent(function, "PERIODTYPE", "");
  const std::string day = Sent(function, "PERIODSTRT", "");
  Value *factor_value = FindValue(function, "FACTOR");
  const std::int64_t factor = factor_value->set ? factor_value->number : 1000;
  if (factor <= 0) return Answer{false, "", "COMPUTE_INT_ZERODIVIDE"};
  std::vector<std::shared_ptr<Container>> rows;
  const Variant &variant = scenario.variant;
  if (SameText(period, "D") && !component.empty())
    rows = Choose(scenario.aggregates, scenario, component, "", day, now);
  // collector_total = written: TOTAL is only what the collector job wrote
  // for it, never the instances added up on the spot.
  if (variant.total_written && SameText(component, kTotal) &&
      !WrittenForTotal(scenario.aggregates, day, now))
    rows.clear();
  if (rows.empty()) return Answer{false, "NO_DATA_FOUND", ""};
  if (FindValue(function, "TASKTYPE")->nested->type != FindType("SWNCAGGTASKTYPE") ||
      variant.milliseconds || variant.factor_ignored) {
    FillVariantRows(function, rows, variant, factor);
    return Answer{};
  }
  // The collector keeps its times in microseconds; FACTOR divides them
  // (1000 gives milliseconds). Not publicly confirmed: see the README; the
  // script's switches (variant.h) try the other readings.
  for (auto &row : rows)
    for (std::size_t i = 0; i < row->values.size(); ++i)
      if (row->values[i].type == kBcd && IsTimeField(row->names[i]))
        row->values[i].number = Divided(row->values[i].number, factor);
  Fill(function, "TASKTYPE", rows);
  return Answer{};
}

} // namespace

std::string DayText(std::time_t now, int days_back) {
  std::tm day = LocalTime(now);
  // Noon keeps a change of daylight-saving time from moving to another day.
  day.tm_hour = 12;
  day.tm_min = day.tm_sec = 0;
  day.tm_mday -= days_back;
  day.tm_isdst = -1;
  const std::tm result = LocalTime(std::mktime(&day));
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d", result.tm_year + 1900, result.tm_mon + 1,
                result.tm_mday);
  return text;
}

std::string RowDay(const std::string &day, std::time_t now) {
  if (day == "today") return DayText(now, 0);
  if (day.compare(0, 6, "today-") == 0) {
    std::int64_t back = 0;
    ParseInteger(day.substr(6), &back);
    return DayText(now, static_cast<int>(back));
  }
  return day;
}

Answer Execute(const Scenario &scenario, Container &function, std::time_t now) {
  const std::string &name = function.function->name;
  if (name == kSystemInfo) return SystemInfo(scenario, function);
  if (name == kCpuAll) return CpuAll(scenario, function, now);
  if (name == kWorkloadSummary) return WorkloadSummary(scenario, function, now);
  if (name == kCollectorAggregates) return CollectorAggregates(scenario, function, now);
  return Answer{false, "FU_NOT_FOUND", ""};
}

} // namespace fakesdk
