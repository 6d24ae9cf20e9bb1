// The report text and channels of the load analysis.
#include "loadstats/reports.h"

#include "loadstats/task_types.h"
#include "output/formatting.h"

namespace quarlane {

namespace {

std::string Digits(std::uint32_t value) { return std::to_string(value); }
std::string Grouped(std::uint32_t value) { return GroupThousands(Digits(value)); }

Channel Value(const std::string &name, std::uint32_t value, const char *unit, long id) {
  Channel channel;
  channel.name = name;
  channel.value = Digits(value);
  channel.unit = unit;
  channel.id = id;
  return channel;
}

// An average channel: the dropped remainder is kept, for the JSON mode, as
// two decimals.
Channel AverageValue(const std::string &name, std::uint32_t sum, std::uint32_t count, long id) {
  Channel channel = Value(name, Average(sum, count), "mSec", id);
  channel.exact = ExactAverage(sum, count);
  return channel;
}

// The JSON mode's channel ids (docs/prtg-script-v2.md): the summary's
// channels 10 to 16 in their order, a task type's response channel 100 and
// its transaction channel 200 plus its place in the table of types, an item
// run's closing counts 20 to 22; a system of an item run takes its id from
// its name (SystemChannelId).
constexpr long kSummaryIds = 10;
constexpr long kResponseIds = 100;
constexpr long kTransactionIds = 200;
constexpr long kItemRunIds = 20;

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
      Value("TransActions", steps, "#", kSummaryIds),
      Value("DBS-Accesses", sum.db_accesses, "#", kSummaryIds + 1),
      AverageValue("Avg Rsp-Time", sum.resp_time, steps, kSummaryIds + 2),
      AverageValue("Avg CPU-Time", sum.cpu_time, steps, kSummaryIds + 3),
      AverageValue("Avg DBS-Time", sum.db_time, steps, kSummaryIds + 4),
      AverageValue("Avg Roll-Time", sum.roll_time, steps, kSummaryIds + 5),
      AverageValue("Avg GUI-Time", sum.gui_time, steps, kSummaryIds + 6),
  };
  return report;
}

Report ResponsesReport(const TypeCounters &counters, const std::string &destination) {
  Report report;
  report.text = "(" + destination + ") Responses: ";
  for (std::size_t type : TextTypes())
    report.text += TaskTypes()[type].text_label +
                   Grouped(Average(counters[type].resp_time, counters[type].count));
  report.text += " ";

  // A type with a single step gives no meaningful average of its own.
  for (std::size_t type = 0; type < kTaskTypeCount; ++type)
    if (counters[type].count > 1)
      report.channels.push_back(AverageValue(TaskTypes()[type].responses_name,
                                             counters[type].resp_time, counters[type].count,
                                             kResponseIds + static_cast<long>(type)));
  return report;
}

Report TransactionReport(const TypeCounters &counters, const std::string &destination) {
  Report report;
  report.xml_text_in_every_mode = true;
  report.text = "(" + destination + ") Transaction: ";
  for (std::size_t type : TextTypes())
    report.text += TaskTypes()[type].text_label + Grouped(counters[type].count);
  report.text += " ";

  for (std::size_t type = 0; type < kTaskTypeCount; ++type)
    if (counters[type].count > 1)
      report.channels.push_back(Value(TaskTypes()[type].transaction_name, counters[type].count, "#",
                                      kTransactionIds + static_cast<long>(type)));
  return report;
}

// The value the item name selects in the chosen report, with its decimals
// when it is an average; 0 when it names none.
struct ItemFigure {
  std::uint32_t value = 0;
  std::string exact;
};

ItemFigure ItemValue(const std::string &item_name, ReportKind kind, const TypeCounters &counters) {
  if (kind == ReportKind::Summary)
    return {item_name == "TransActions" ? SumOverTypes(counters).count : 0, std::string()};
  for (std::size_t type = 0; type < kTaskTypeCount; ++type) {
    const TaskCounters &c = counters[type];
    if (kind == ReportKind::Responses && item_name == TaskTypes()[type].responses_name)
      return c.count > 1
                 ? ItemFigure{Average(c.resp_time, c.count), ExactAverage(c.resp_time, c.count)}
                 : ItemFigure{0, "0.00"};
    if (kind == ReportKind::Transaction && item_name == TaskTypes()[type].transaction_name)
      return {c.count > 1 ? c.count : 0, std::string()};
  }
  return {0, kind == ReportKind::Responses ? "0.00" : ""};
}

} // namespace

std::uint32_t Average(std::uint32_t sum, std::uint32_t count) { return sum / (count ? count : 1u); }

std::string ExactAverage(std::uint32_t sum, std::uint32_t count) {
  const std::uint64_t divisor = count ? count : 1u;
  // Hundredths, rounded half up, in integers: the same text on every platform.
  const std::uint64_t hundredths =
      (static_cast<std::uint64_t>(sum) * 200u + divisor) / (2u * divisor);
  const std::uint64_t cents = hundredths % 100u;
  return std::to_string(hundredths / 100u) + (cents < 10 ? ".0" : ".") + std::to_string(cents);
}

long SystemChannelId(const std::string &name) {
  // FNV-1a over the name's bytes, folded into 1000 .. 2,147,483,646: the
  // same name gives the same id in every run, whatever else is listed.
  std::uint32_t hash = 2166136261u;
  for (const unsigned char c : name) {
    hash ^= c;
    hash *= 16777619u;
  }
  return kFirstSystemChannelId + static_cast<long>(hash % (kLastChannelId - kFirstSystemChannelId));
}

std::vector<std::string> ItemNames(ReportKind kind) {
  if (kind == ReportKind::Summary) return {"TransActions"};
  std::vector<std::string> names;
  for (const TaskType &type : TaskTypes())
    names.push_back(kind == ReportKind::Responses ? type.responses_name : type.transaction_name);
  return names;
}

TaskCounters SumOverTypes(const TypeCounters &counters) {
  CounterValues sum{};
  for (const TaskCounters &type : counters) {
    const CounterValues values = ValuesOf(type);
    for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += values[i];
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
  const ItemFigure figure = ItemValue(item_name, kind, counters);
  Channel channel = Value(channel_name, figure.value, kind == ReportKind::Responses ? "mSec" : "#",
                          SystemChannelId(channel_name));
  channel.exact = figure.exact;
  return channel;
}

Report ItemRunReport(const std::string &item_name, const ItemRunCounts &counts) {
  Report report;
  report.text = "(***) " + item_name + ": NoSystems=" + Digits(counts.listed) +
                ", Processed=" + Digits(counts.processed) + ", Failed=" + Digits(counts.failed);
  // Only the JSON mode shows these; the other modes end with the text alone.
  report.channels = {Value("Systems", counts.listed, "#", kItemRunIds),
                     Value("Processed", counts.processed, "#", kItemRunIds + 1),
                     Value("Failed", counts.failed, "#", kItemRunIds + 2)};
  report.problems = counts.problems;
  report.every_system_failed = counts.listed > 0 && counts.processed == 0;
  return report;
}

} // namespace quarlane
