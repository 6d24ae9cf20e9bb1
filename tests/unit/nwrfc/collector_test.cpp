#include <gtest/gtest.h>

#include "nwrfc/collector.h"

namespace quarlane::nwrfc {
namespace {

TEST(NwrfcCollector, Release700OrLater) {
  struct Case {
    const char *release;
    bool later;
  } cases[] = {{"700 ", true}, {"750", true},  {"757", true}, {"640", false}, {"620 ", false},
               {"46C", false}, {"46D", false}, {"", false},   {"7", false},   {" 701", true}};
  for (const Case &c : cases) EXPECT_EQ(IsRelease700OrLater(c.release), c.later) << c.release;
}

TEST(NwrfcCollector, TaskTypeCodesGetTheClassicNames) {
  struct Case {
    unsigned char code;
    const char *name;
  } cases[] = {{0x01, "DIALOG"},  {0x02, "UPDATE"},  {0x03, "SPOOL"},   {0x04, "BCKGRD"},
               {0x05, "ENQUEUE"}, {0x06, "BUF.SYN"}, {0x07, "AUTOABA"}, {0x08, "UPDATE2"},
               {0x0B, "AUTOTH"},  {0x0C, "RPCTH"},   {0x0E, "DDLOG C"}, {0x0F, "DEL. TH"},
               {0x65, "HTTP"},    {0x66, "HTTPS"},   {0xFE, "RFC"},     {0x09, "TT#09"},
               {0x00, "TT#00"}};
  for (const Case &c : cases) EXPECT_EQ(ClassicTaskTypeName(c.code), c.name) << int(c.code);
}

TEST(NwrfcCollector, QueryFromTheClassicParameters) {
  CollectorQuery query = QueryFromClassic("SAPPRD01", "TOTAL", "D", "20260305");
  EXPECT_EQ(query.component, "TOTAL");
  EXPECT_EQ(query.periodtype, "D");
  EXPECT_EQ(query.periodstrt, "20260305");
  query = QueryFromClassic("        ", "sapprd01_PRD_00    ", "D", "20260305");
  EXPECT_EQ(query.component, "sapprd01_PRD_00");
  query = QueryFromClassic("sapprd01_PRD_00", "", "",
                           "20260305"); // old releases: the instance in HOSTID
  EXPECT_EQ(query.component, "sapprd01_PRD_00");
  EXPECT_EQ(query.periodtype, "D");
  EXPECT_FALSE(query.selects_nothing);
  EXPECT_TRUE(QueryFromClassic("        ", "   ", "D", "20260305").selects_nothing);
}

TEST(NwrfcCollector, TheWholeSystemIsComponentTotal) {
  const CollectorQuery query =
      WholeSystem(QueryFromClassic("SAPPRD01", "sapprd01_PRD_00", "D", "20260305"));
  EXPECT_EQ(query.component, "TOTAL");
  EXPECT_EQ(query.periodstrt, "20260305");
  // Even where the classic module would select no instance.
  EXPECT_FALSE(WholeSystem(QueryFromClassic("", "", "D", "20260305")).selects_nothing);
}

// Only what the classic row uses is read: its own fields, TASKTYPE, and the
// sources of a derived field only while the collector lacks that field.
TEST(NwrfcCollector, OnlyTheFieldsTheClassicRowUsesAreRead) {
  using Names = std::vector<std::string>;
  const Names wanted = {"TASKTYPE", "COUNT", "DBACTIVCNT", "RESPTI", "ROLLTI", "GUITIME"};
  struct Case {
    Names described;
    std::set<std::string> read;
  } cases[] = {
      {{"TASKTYPE", "COUNT", "DCOUNT", "RESPTI", "ROLLWAITTI", "READDIRCNT", "READSEQCNT",
        "CHNGCNT", "ZZDEEP"},
       {"TASKTYPE", "COUNT", "RESPTI", "ROLLWAITTI", "READDIRCNT", "READSEQCNT", "CHNGCNT"}},
      {{"TASKTYPE", "COUNT", "ROLLTI", "ROLLWAITTI", "DBACTIVCNT", "READDIRCNT", "GUITIME"},
       {"TASKTYPE", "COUNT", "ROLLTI", "DBACTIVCNT", "GUITIME"}},
      {{"COUNT"}, {"TASKTYPE", "COUNT"}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(FieldsToRead(wanted, c.described), c.read) << c.described.size();
  EXPECT_EQ(FieldsToRead({"COUNT"}, {"TASKTYPE", "ROLLWAITTI", "READDIRCNT"}),
            (std::set<std::string>{"TASKTYPE"}));
}

FieldValues Row(const char *code,
                std::initializer_list<std::pair<const char *, const char *>> numbers) {
  FieldValues row;
  row["TASKTYPE"] = RowField{false, code};
  for (const auto &[name, value] : numbers) row[name] = RowField{true, value};
  return row;
}

TEST(NwrfcCollector, TaskTypeRowsBecomeClassicRows) {
  const std::vector<FieldValues> rows = {
      Row("01", {{"COUNT", "123456789012345678901234"},
                 {"RESPTI", "5000"},
                 {"ROLLWAITTI", "7"},
                 {"READDIRCNT", "10"},
                 {"READSEQCNT", "5"},
                 {"CHNGCNT", "2"}}),
      Row("FE", {{"COUNT", "3"},
                 {"RESPTI", "30"},
                 {"ROLLTI", "9"},
                 {"ROLLWAITTI", "1"},
                 {"DBACTIVCNT", "4"}}),
      Row("FE", {{"COUNT", "2"},
                 {"RESPTI", "20"},
                 {"ROLLTI", "1"},
                 {"ROLLWAITTI", "1"},
                 {"DBACTIVCNT", "1"}}),
  };
  const std::vector<FieldValues> classic = MapTaskTypeRows(rows);
  ASSERT_EQ(classic.size(), 2u);
  EXPECT_EQ(classic[0].at("TASKTYPE").text, "DIALOG");
  EXPECT_EQ(classic[0].at("COUNT").text, "123456789012345678901234"); // no digit lost on the way
  EXPECT_EQ(classic[0].at("ROLLTI").text, "7");                       // from ROLLWAITTI
  EXPECT_EQ(classic[0].at("DBACTIVCNT").text, "17"); // direct + sequential + changes
  EXPECT_EQ(classic[1].at("TASKTYPE").text, "RFC");
  EXPECT_EQ(classic[1].at("COUNT").text, "5"); // rows of one task type added up
  EXPECT_EQ(classic[1].at("RESPTI").text, "50");
  EXPECT_EQ(classic[1].at("ROLLTI").text, "10"); // the collector's own ROLLTI wins
  EXPECT_EQ(classic[1].at("DBACTIVCNT").text, "5");
}

// A value the classic row cannot carry is named, never wrapped or cut.
TEST(NwrfcCollector, NumbersTheClassicRowCannotCarry) {
  struct Case {
    const char *name, *text;
    bool fine;
  } cases[] = {
      {"COUNT", "1200", true},     {"COUNT", "1.2E3", true},
      {"COUNT", "1200.000", true}, {"COUNT", "-5", false},
      {"COUNT", "12.5", false},    {"READDIRCNT", "1.25E1", false},
      {"RESPTI", "4400.5", true},  {"RESPTI", "4.4000000000000000E+06", true},
      {"RESPTI", "-1", false},     {"CPUTI", "abc", false},
      {"GUICNT", "", true},
  };
  for (const Case &c : cases) {
    const std::string problem = NumberProblem(c.name, c.text);
    EXPECT_EQ(problem.empty(), c.fine) << c.name << "=" << c.text << ": " << problem;
    if (!c.fine) {
      EXPECT_NE(problem.find(c.text), std::string::npos) << problem;
    }
  }
}

TEST(NwrfcCollector, NoDataIsAnEmptyDayOnlyJustAfterTheSystemsMidnight) {
  struct Case {
    const char *clock, *day;
    unsigned grace;
    bool empty;
  } cases[] = {
      {"Thu Mar  5 00:20:00 2026", "20260305", 90, true},
      {"Thu Mar  5 01:29:59 2026", "20260305", 90, true},
      {"Thu Mar  5 01:30:00 2026", "20260305", 90, false},
      {"Thu Mar  5 09:04:00 2026", "20260305", 90, false},
      {"Thu Mar  5 00:20:00 2026", "20260304", 90, false}, // another day: the job did not run
      {"Thu Mar  5 00:20:00 2026", "20260305", 0, false},  // grace switched off
      {"Sun Dec 31 00:05:00 2028", "20281231", 10, true},
      {"", "20260305", 90, false}, // clock unknown
      {"Thu Xyz  5 00:20:00 2026", "20260305", 90, false},
      {"Thu Mar  5 25:20:00 2026", "20260305", 2000, false},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(NoDataIsEmptyDay(c.clock, c.day, c.grace), c.empty)
        << c.clock << " " << c.day << " " << c.grace;
  }
  const std::string message = NoDataMessage("SWNC_COLLECTOR_GET_AGGREGATES", "20260305", 90);
  EXPECT_NE(message.find("SAP_COLLECTOR_FOR_PERFMONITOR"), std::string::npos);
  EXPECT_EQ(message.find('\n'), std::string::npos);
}

} // namespace
} // namespace quarlane::nwrfc
