// The report text and channels of the load analysis.
#include "loadstats/reports.h"

#include "loadstats/task_types.h"
#include "output/formatting.h"

namespace quarlane {

namespace {

// The types the report texts show, in the texts' order: dialog, batch, HTTP,
// RFC, update, spool.
constexpr std::size_t kTextTypes[] = {0, 1, 11, 13, 2, 3};

std::string Digits(std::uint32_t value) { return std::to_string(value); }
std::string Grouped(std::uint32_t value) { return GroupThousands(Digits(value)); }

Channel Value(const std::string &name, std::uint32_t value, const char *unit) {
  return Channel{name, Digits(value), unit};
}

Report SummaryReport(const TypeCounters &counters, std::optional<std::size_t> selected,
                     const std::string &destination) {
  const TaskCounters sum = SumOverTypes(counters);
  const std::uint32_t steps = sum.count;

  Report report;
  std::string &text = report.text;
  text = "(" + destination;
  text += selected ? ") Response [" + TrimmedKey(*selected) + "]:" : std::string(") Summary: ");
  text += " Trans=" + Grouped(steps);
  text += ", DBase=" + Grouped(sum.db_accesses);
  text += ", Rsp=" + Grouped(Average(sum.resp_time, steps));
  text += " ms, CPU=" + Grouped(Average(sum.cpu_time, steps));
  text += " ms, DBTime=" + Grouped(Average(sum.db_time, steps));
  text += " ms, Roll=" + Grouped(Average(sum.roll_time, steps));
  text += " ms, GUI=" + Grouped(Average(sum.gui_time, steps));
  text += " ms ";

  report.channels = {
      Value("TransActions", steps, "#"),
      Value("DBS-Accesses", sum.db_accesses, "#"),
      Value("Avg Rsp-Time", Average(sum.resp_time, steps), "mSec"),
      Value("Avg CPU-Time", Average(sum.cpu_time, steps), "mSec"),
      Value("Avg DBS-Time", Average(sum.db_time, steps), "mSec"),
      Value("Avg Roll-Time", Average(sum.roll_time, steps), "mSec"),
      Value("Avg GUI-Time", Average(sum.gui_time, steps), "mSec"),
  };
  return report;
}

Report ResponsesReport(const TypeCounters &counters, const std::string &destination) {
  Report report;
  report.text = "(" + destination + ") Responses: ";
  for (std::size_t type : kTextTypes)
    report.text += TaskTypes()[type].text_label +
                   Grouped(Average(counters[type].resp_time, counters[type].count));
  report.text += " ";

  // A type with a single step gives no meaningful average of its own.
  for (std::size_t type = 0; type < kTaskTypeCount; ++type)
    if (counters[type].count > 1)
      report.channels.push_back(Value(TaskTypes()[type].responses_name,
                                      Average(counters[type].resp_time, counters[type].count),
                                      "mSec"));
  return report;
}

Report TransactionReport(const TypeCounters &counters, const std::string &destination) {
  Report report;
  report.xml_text_in_every_mode = true;
  report.text = "(" + destination + ") Transaction: ";
  for (std::size_t type : kTextTypes)
    report.text += TaskTypes()[type].text_label + Grouped(counters[type].count);
  report.text += " ";

  for (std::size_t type = 0; type < kTaskTypeCount; ++type)
    if (counters[type].count > 1)
      report.channels.push_back(
          Value(TaskTypes()[type].transaction_name, counters[type].count, "#"));
  return report;
}

// The value the item name selects in the chosen report; 0 when it names none.
std::uint32_t ItemValue(const std::string &item_name, ReportKind kind,
                        const TypeCounters &counters) {
  if (kind == ReportKind::Summary)
    return item_name == "TransActions" ? SumOverTypes(counters).count : 0;
  for (std::size_t type = 0; type < kTaskTypeCount; ++type) {
    const TaskCounters &c = counters[type];
    if (kind == ReportKind::Responses && item_name == TaskTypes()[type].responses_name)
      return c.count > 1 ? Average(c.resp_time, c.count) : 0;
    if (kind == ReportKind::Transaction && item_name == TaskTypes()[type].transaction_name)
      return c.count > 1 ? c.count : 0;
  }
  return 0;
}

} // namespace

std::uint32_t Average(std::uint32_t sum, std::uint32_t count) { return sum / (count ? count : 1u); }

TaskCounters SumOverTypes(const TypeCounters &counters) {
  CounterValues sum{};
  for (const TaskCounters &type : counters) {
    const CounterValues values = ValuesOf(type);
    for (std::size_t i = 0; i < sum.size(); ++i)
      sum[i] += values[i];
  }
  return CountersOf(sum);
}

Report BuildReport(ReportKind kind, const TypeCounters &counters,
                   std::optional<std::size_t> selected, const std::string &destination) {
  switch (kind) {
  case ReportKind::Responses: return ResponsesReport(counters, destination);
  case ReportKind::Transaction: return TransactionReport(counters, destination);
  case ReportKind::Summary: break;
  }
  return SummaryReport(counters, selected, destination);
}

Channel ItemChannel(ReportKind kind, const TypeCounters &counters, const std::string &item_name,
                    const std::string &channel_name) {
  return Value(channel_name, ItemValue(item_name, kind, counters),
               kind == ReportKind::Responses ? "mSec" : "#");
}

Report ItemRunReport(const std::string &item_name, const ItemRunCounts &counts) {
  Report report;
  report.text = "(***) " + item_name + ": NoSystems=" + Digits(counts.listed) +
                ", Processed=" + Digits(counts.processed) + ", Failed=" + Digits(counts.failed);
  return report;
}

} // namespace quarlane
