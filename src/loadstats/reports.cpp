// The report text and channels of the load analysis, in both forms.
#include "loadstats/reports.h"

#include <cstdio>

#include "output/document.h"
#include "output/formatting.h"

namespace quarlane {

namespace {

// The types the report texts show, in the texts' order: dialog, batch, HTTP,
// RFC, update, spool.
constexpr std::size_t kTextTypes[] = {0, 1, 11, 13, 2, 3};

std::string Digits(std::uint32_t value) { return std::to_string(value); }
std::string Grouped(std::uint32_t value) { return GroupThousands(Digits(value)); }

void EmitValue(Run &run, const std::string &name, std::uint32_t value, const char *unit) {
  EmitChannel(run.doc, ChannelOptionsOf(run.ctx), name, Digits(value), unit);
}

void WriteSummary(Run &run, const TypeCounters &counters, std::optional<std::size_t> selected) {
  const TaskCounters sum = SumOverTypes(counters);
  const std::uint32_t steps = sum.count;

  BeginDocument(run.doc);
  BeginText(run.doc);
  std::string text = "(" + run.conn.Destination;
  text += selected ? ") Response [" + TrimmedKey(*selected) + "]:" : std::string(") Summary: ");
  text += " Trans=" + Grouped(steps);
  text += ", DBase=" + Grouped(sum.db_accesses);
  text += ", Rsp=" + Grouped(Average(sum.resp_time, steps));
  text += " ms, CPU=" + Grouped(Average(sum.cpu_time, steps));
  text += " ms, DBTime=" + Grouped(Average(sum.db_time, steps));
  text += " ms, Roll=" + Grouped(Average(sum.roll_time, steps));
  text += " ms, GUI=" + Grouped(Average(sum.gui_time, steps));
  text += " ms ";
  AppendText(run.doc, text);
  EndText(run.doc, ChannelOptionsOf(run.ctx));

  EmitValue(run, "TransActions", steps, "#");
  EmitValue(run, "DBS-Accesses", sum.db_accesses, "#");
  EmitValue(run, "Avg Rsp-Time", Average(sum.resp_time, steps), "mSec");
  EmitValue(run, "Avg CPU-Time", Average(sum.cpu_time, steps), "mSec");
  EmitValue(run, "Avg DBS-Time", Average(sum.db_time, steps), "mSec");
  EmitValue(run, "Avg Roll-Time", Average(sum.roll_time, steps), "mSec");
  EmitValue(run, "Avg GUI-Time", Average(sum.gui_time, steps), "mSec");
  EndDocument(run.doc);
}

void WriteResponses(Run &run, const TypeCounters &counters) {
  BeginDocument(run.doc);
  BeginText(run.doc);
  std::string text = "(" + run.conn.Destination + ") Responses: ";
  for (std::size_t type : kTextTypes)
    text += TaskTypes()[type].text_label +
            Grouped(Average(counters[type].resp_time, counters[type].count));
  text += " ";
  AppendText(run.doc, text);
  EndText(run.doc, ChannelOptionsOf(run.ctx));

  // A type with a single step gives no meaningful average of its own.
  for (std::size_t type = 0; type < kTaskTypeCount; ++type)
    if (counters[type].count > 1)
      EmitValue(run, TaskTypes()[type].responses_name,
                Average(counters[type].resp_time, counters[type].count), "mSec");
  EndDocument(run.doc);
}

void WriteTransaction(Run &run, const TypeCounters &counters) {
  // This report writes its head and text element in the XML form whatever
  // the output mode; its channels and tail follow the mode.
  run.doc.text = "\n<Prtg>";
  run.doc.text += "\n\n<Text>(";
  std::string text = run.conn.Destination + ") Transaction: ";
  for (std::size_t type : kTextTypes)
    text += TaskTypes()[type].text_label + Grouped(counters[type].count);
  text += " ";
  AppendText(run.doc, text);
  run.doc.text += "</Text>\n";

  for (std::size_t type = 0; type < kTaskTypeCount; ++type)
    if (counters[type].count > 1)
      EmitValue(run, TaskTypes()[type].transaction_name, counters[type].count, "#");
  EndDocument(run.doc);
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

void WriteItem(Run &run, ReportKind kind, const TypeCounters &counters) {
  run.item.found_flag = 'X';
  run.doc.text.clear();
  const std::uint32_t value = ItemValue(run.ctx.item_name, kind, counters);
  EmitValue(run, run.item.system_label, value, kind == ReportKind::Responses ? "mSec" : "#");
  std::fputs(run.doc.text.c_str(), run.out);
  run.doc.text.clear();
}

} // namespace

ReportKind ChooseReport(const std::string &options) {
  if (options.find("RESPONSE") != std::string::npos)
    return ReportKind::Responses;
  if (options.find("TRANSACTION") != std::string::npos)
    return ReportKind::Transaction;
  return ReportKind::Summary;
}

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

void WriteReport(Run &run, ReportKind kind, const TypeCounters &counters,
                 std::optional<std::size_t> selected) {
  if (run.ctx.item_run) {
    WriteItem(run, kind, counters);
    return;
  }
  switch (kind) {
  case ReportKind::Summary:
    WriteSummary(run, counters, selected);
    return;
  case ReportKind::Responses:
    WriteResponses(run, counters);
    return;
  case ReportKind::Transaction:
    WriteTransaction(run, counters);
    return;
  }
}

} // namespace quarlane
