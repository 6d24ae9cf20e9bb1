#include "loadstats/reports.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "loadstats/task_types.h"
#include "output/render.h"

namespace quarlane {
namespace {

constexpr std::size_t kDialog = 0, kBatch = 1, kUpdate = 2, kSpool = 3, kHttp = 11, kRfc = 13;

TaskCounters Counters(std::uint32_t count, std::uint32_t db, std::uint32_t resp, std::uint32_t cpu,
                      std::uint32_t db_time, std::uint32_t roll, std::uint32_t gui) {
  return CountersOf({count, db, resp, cpu, db_time, roll, gui});
}

// 12.345 steps over two types whose sums divide with remainders.
TypeCounters BusyDay() {
  TypeCounters counters{};
  counters[kDialog] = Counters(12000, 1234000, 4944000, 1044000, 1560000, 24000, 420000);
  counters[kRfc] = Counters(345, 567, 142240, 42359, 44850, 695, 12075);
  return counters;
}

std::string Xml(const std::string &name, const std::string &value, const std::string &unit) {
  return "\n<Result><Channel>" + name + "</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>" + unit +
         "</CustomUnit>\n<Value>" + value + "</Value></Result>\n";
}

std::string Kelbrun(const std::string &name, const std::string &value, const std::string &unit) {
  return "\n> " + name + ": " + value + " " + unit;
}

// The report as the run prints it in the chosen mode.
class ReportTest : public ::testing::Test {
protected:
  void Write(ReportKind kind, const TypeCounters &counters, std::optional<std::size_t> selected) {
    doc = Renderer(OutputFormat{mode, std::nullopt})
              .Document(BuildReport(kind, counters, selected, destination));
  }
  std::string destination = "PRD";
  OutputMode mode = OutputMode::ExeXml;
  std::string doc;
};

TEST_F(ReportTest, SummaryInXml) {
  Write(ReportKind::Summary, BusyDay(), std::nullopt);
  EXPECT_EQ(
      doc,
      "\n<Prtg>\n\n<Text>(PRD) Summary:  Trans=12.345, DBase=1.234.567, Rsp=412 ms, CPU=87 ms, "
      "DBTime=130 ms, Roll=2 ms, GUI=35 ms </Text>\n" +
          Xml("TransActions", "12345", "#") + Xml("DBS-Accesses", "1234567", "#") +
          Xml("Avg Rsp-Time", "412", "mSec") + Xml("Avg CPU-Time", "87", "mSec") +
          Xml("Avg DBS-Time", "130", "mSec") + Xml("Avg Roll-Time", "2", "mSec") +
          Xml("Avg GUI-Time", "35", "mSec") + "\n</Prtg>\n");
}

TEST_F(ReportTest, SummaryInKelbrun) {
  mode = OutputMode::Kelbrun;
  Write(ReportKind::Summary, BusyDay(), std::nullopt);
  EXPECT_EQ(doc,
            "\n# (PRD) Summary:  Trans=12.345, DBase=1.234.567, Rsp=412 ms, CPU=87 ms, "
            "DBTime=130 ms, Roll=2 ms, GUI=35 ms " +
                Kelbrun("TransActions", "12345", "#") + Kelbrun("DBS-Accesses", "1234567", "#") +
                Kelbrun("Avg Rsp-Time", "412", "mSec") + Kelbrun("Avg CPU-Time", "87", "mSec") +
                Kelbrun("Avg DBS-Time", "130", "mSec") + Kelbrun("Avg Roll-Time", "2", "mSec") +
                Kelbrun("Avg GUI-Time", "35", "mSec") + "\n");
}

TEST_F(ReportTest, SummaryOfASelectedType) {
  TypeCounters counters{};
  counters[kDialog] = Counters(3, 7, 1000, 10, 20, 5, 2);
  Write(ReportKind::Summary, counters, kDialog);
  const std::string head =
      "\n<Prtg>\n\n<Text>(PRD) Response [DIALOG]: Trans=3, DBase=7, Rsp=333 ms, CPU=3 ms, "
      "DBTime=6 ms, Roll=1 ms, GUI=0 ms </Text>\n";
  EXPECT_EQ(doc.substr(0, head.size()), head);
}

TEST_F(ReportTest, SummaryWithoutStepsDividesByOne) {
  TypeCounters counters{};
  counters[kBatch] = Counters(0, 40, 900, 0, 0, 0, 0);
  Write(ReportKind::Summary, counters, std::nullopt);
  EXPECT_NE(doc.find("(PRD) Summary:  Trans=0, DBase=40, Rsp=900 ms, CPU=0 ms"), std::string::npos);
  EXPECT_NE(doc.find(Xml("TransActions", "0", "#")), std::string::npos);
  EXPECT_NE(doc.find(Xml("Avg Rsp-Time", "900", "mSec")), std::string::npos);
}

TEST_F(ReportTest, TheDestinationIsEscapedInXmlOnly) {
  destination = "R&D<1>";
  Write(ReportKind::Summary, TypeCounters{}, std::nullopt);
  EXPECT_NE(doc.find("<Text>(R&amp;D&lt;1&gt;) Summary:"), std::string::npos);
  mode = OutputMode::Mistrane;
  Write(ReportKind::Summary, TypeCounters{}, std::nullopt);
  EXPECT_EQ(doc.find("\n# (R&D<1>) Summary:"), 0u);
  destination = "";
  Write(ReportKind::Summary, TypeCounters{}, std::nullopt);
  EXPECT_EQ(doc.find("\n# () Summary:"), 0u);
}

// Dialog 1000 ms over 3 steps, batch idle, update one step, spool two.
TypeCounters MixedDay() {
  TypeCounters counters{};
  counters[kDialog] = Counters(3, 0, 1000, 0, 0, 0, 0);
  counters[kUpdate] = Counters(1, 0, 700, 0, 0, 0, 0);
  counters[kSpool] = Counters(2, 0, 2001, 0, 0, 0, 0);
  counters[kHttp] = Counters(1500, 0, 3000000, 0, 0, 0, 0);
  counters[kRfc] = Counters(4000, 0, 4000000, 0, 0, 0, 0);
  counters[8] = Counters(5, 0, 55, 0, 0, 0, 0); // RPCTH: a channel, no text
  return counters;
}

TEST_F(ReportTest, ResponsesInXml) {
  Write(ReportKind::Responses, MixedDay(), std::nullopt);
  EXPECT_EQ(doc, "\n<Prtg>\n\n<Text>(PRD) Responses:  Dialog=333, Batch=0, HTTP=2.000, RFC=1.000, "
                 "Update=700, Spool=1.000 </Text>\n" +
                     Xml("Avg Dialog", "333", "mSec") + Xml("Avg Spool", "1000", "mSec") +
                     Xml("Avg RPC Th", "11", "mSec") + Xml("Avg HTTP", "2000", "mSec") +
                     Xml("Avg RFC", "1000", "mSec") + "\n</Prtg>\n");
}

TEST_F(ReportTest, ResponsesInMistrane) {
  mode = OutputMode::Mistrane;
  Write(ReportKind::Responses, MixedDay(), std::nullopt);
  EXPECT_EQ(doc, "\n# (PRD) Responses:  Dialog=333, Batch=0, HTTP=2.000, RFC=1.000, Update=700, "
                 "Spool=1.000 "
                 "\n\nMessage.Avg_Dialog: Avg Dialog (mSec)\nStatistic.Avg_Dialog: 333"
                 "\n\nMessage.Avg_Spool: Avg Spool (mSec)\nStatistic.Avg_Spool: 1000"
                 "\n\nMessage.Avg_RPC_Th: Avg RPC Th (mSec)\nStatistic.Avg_RPC_Th: 11"
                 "\n\nMessage.Avg_HTTP: Avg HTTP (mSec)\nStatistic.Avg_HTTP: 2000"
                 "\n\nMessage.Avg_RFC: Avg RFC (mSec)\nStatistic.Avg_RFC: 1000"
                 "\n");
}

TEST_F(ReportTest, TransactionInXml) {
  Write(ReportKind::Transaction, MixedDay(), std::nullopt);
  EXPECT_EQ(doc, "\n<Prtg>\n\n<Text>(PRD) Transaction:  Dialog=3, Batch=0, HTTP=1.500, RFC=4.000, "
                 "Update=1, Spool=2 </Text>\n" +
                     Xml("Dialog", "3", "#") + Xml("Spool", "2", "#") + Xml("RPC Th", "5", "#") +
                     Xml("HTTP", "1500", "#") + Xml("RFC", "4000", "#") + "\n</Prtg>\n");
}

TEST_F(ReportTest, TransactionKeepsItsXmlHeadInTextModes) {
  mode = OutputMode::Kelbrun;
  destination = "R&D";
  Write(ReportKind::Transaction, MixedDay(), std::nullopt);
  EXPECT_EQ(doc, "\n<Prtg>\n\n<Text>(R&D) Transaction:  Dialog=3, Batch=0, HTTP=1.500, RFC=4.000, "
                 "Update=1, Spool=2 </Text>\n" +
                     Kelbrun("Dialog", "3", "#") + Kelbrun("Spool", "2", "#") +
                     Kelbrun("RPC Th", "5", "#") + Kelbrun("HTTP", "1500", "#") +
                     Kelbrun("RFC", "4000", "#") + "\n");
}

TEST_F(ReportTest, AnExcludedTypeAddsNothingAndHasNoChannel) {
  TypeCounters counters = MixedDay();
  counters[kRfc] = TaskCounters{}; // what the interval pass leaves for an excluded type
  Write(ReportKind::Transaction, counters, std::nullopt);
  EXPECT_NE(doc.find("RFC=0, Update=1"), std::string::npos);
  EXPECT_EQ(doc.find("<Channel>RFC</Channel>"), std::string::npos);
}

struct ItemCase {
  ReportKind kind;
  const char *item_name;
  const char *value;
  const char *unit;
};

TEST(ItemReport, OneChannelNamedByTheSystemLabel) {
  const ItemCase cases[] = {
      {ReportKind::Summary, "TransActions", "5511", "#"},
      {ReportKind::Summary, "Avg Rsp-Time", "0", "#"}, // the summary item knows TransActions only
      {ReportKind::Summary, "Dialog", "0", "#"},
      {ReportKind::Responses, "Avg Dialog", "333", "mSec"},
      {ReportKind::Responses, "Avg Spool", "1000", "mSec"},
      {ReportKind::Responses, "Avg Update", "0", "mSec"}, // a single step
      {ReportKind::Responses, "Avg Batch", "0", "mSec"},
      {ReportKind::Responses, "Avg RPC Th", "11", "mSec"},
      {ReportKind::Responses, "Dialog", "0", "mSec"},
      {ReportKind::Responses, "avg dialog", "0", "mSec"}, // compared exactly
      {ReportKind::Transaction, "RFC", "4000", "#"},
      {ReportKind::Transaction, "Update", "0", "#"},
      {ReportKind::Transaction, "TransActions", "0", "#"},
  };
  Renderer renderer; // one per run: the channels of all systems are numbered
  std::string written, expected;
  for (const ItemCase &c : cases) {
    const Channel channel = ItemChannel(c.kind, MixedDay(), c.item_name, "PRD.P00");
    EXPECT_EQ(channel.name, "PRD.P00");
    written += renderer.Channels({channel});
    expected += Xml("PRD.P00", c.value, c.unit);
    EXPECT_EQ(written, expected) << c.item_name;
  }
  EXPECT_EQ(renderer.channels_rendered(), 13);
}

TEST(ItemReport, FollowsTheOutputMode) {
  Renderer kelbrun(OutputFormat{OutputMode::Kelbrun, std::nullopt});
  EXPECT_EQ(
      kelbrun.Channels({ItemChannel(ReportKind::Responses, MixedDay(), "Avg Dialog", "PRD.P00")}),
      "\n> PRD.P00: 333 mSec");
}

TEST(Averages, TheRemainderIsDroppedAndZeroDividesByOne) {
  EXPECT_EQ(Average(1000, 3), 333u);
  EXPECT_EQ(Average(999, 1000), 0u);
  EXPECT_EQ(Average(900, 0), 900u);
  EXPECT_EQ(Average(4294967295u, 2), 2147483647u);
}

TEST(Averages, SumsOverTypesWrap) {
  TypeCounters counters{};
  counters[0].resp_time = 4294967295u;
  counters[1].resp_time = 5;
  counters[2].count = 7;
  EXPECT_EQ(SumOverTypes(counters).resp_time, 4u);
  EXPECT_EQ(SumOverTypes(counters).count, 7u);
}

} // namespace
} // namespace quarlane
