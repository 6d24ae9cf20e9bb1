// The fake SDK's scenario scripts: what they set, and that every problem of
// a script stops it with its line instead of turning into other figures.
#include <gtest/gtest.h>

#include "script.h"
#include "text.h"

namespace fakesdk {
namespace {

const char kMinimal[] =
    "sysnr = 00\nclient = 100\nuser = MONITOR\npasswd = Secret12\nsysid = PRD\nrelease = 753\n";

Scenario Parsed(const std::string &extra, const std::string &base = kMinimal) {
  Scenario scenario;
  std::string problem;
  EXPECT_TRUE(ParseScenario(base + extra, "sapprd01.nwrfc", "sapprd01", &scenario, &problem))
      << problem;
  return scenario;
}

std::string Problem(const std::string &text) {
  Scenario scenario;
  std::string problem;
  EXPECT_FALSE(ParseScenario(text, "x.nwrfc", "x", &scenario, &problem)) << text;
  return problem;
}

TEST(Script, LogonAddressAndReportedValues) {
  const Scenario s = Parsed("# a comment\r\ninstance = sapprd01_PRD_00\nRFCOPSYS = \"Linux 6\"\n"
                            "lastcollwrt = \"Thu Mar  5 09:04:00 2026\"\n");
  EXPECT_EQ(s.sysnr, "00");
  EXPECT_EQ(s.client, "100");
  EXPECT_EQ(s.passwd, "Secret12");
  EXPECT_EQ(ToUtf8(SystemValue(s, "RFCDEST")), "sapprd01_PRD_00");
  EXPECT_EQ(ToUtf8(SystemValue(s, "RFCSAPRL")), "753");
  EXPECT_EQ(ToUtf8(SystemValue(s, "RFCHOST")), "sapprd01");
  EXPECT_EQ(ToUtf8(SystemValue(s, "RFCSYSID")), "PRD");
  EXPECT_EQ(ToUtf8(SystemValue(s, "RFCOPSYS")), "Linux 6");
  EXPECT_EQ(ToUtf8(SystemValue(s, "LASTCOLLWRT")), "Thu Mar  5 09:04:00 2026");
}

TEST(Script, ModulesFollowTheReleaseUnlessListed) {
  const struct {
    const char *release;
    const char *collector;
  } cases[] = {{"640", kWorkloadSummary},
               {"46C", kWorkloadSummary},
               {"700", kCollectorAggregates},
               {"750", kCollectorAggregates}};
  for (const auto &c : cases) {
    const std::string base =
        std::string("sysnr = 00\nclient = 1\nuser = U\npasswd = P\nsysid = S\nrelease = ") +
        c.release + "\n";
    const Scenario s = Parsed("", base);
    EXPECT_EQ(s.modules, (std::set<std::string>{kSystemInfo, kCpuAll, c.collector})) << c.release;
  }
  const Scenario both = Parsed("modules = RFC_SYSTEM_INFO GET_CPU_ALL SAPWL_WORKLOAD_GET_SUMMARY "
                               "SWNC_COLLECTOR_GET_AGGREGATES\n");
  EXPECT_EQ(both.modules.size(), 4u);
}

TEST(Script, RowsAreTypedByTheirStructure) {
  const Scenario s =
      Parsed("summary = day=today-1 instance=sapprd01_PRD_00 TASKTYPE=\"DIALOG \" COUNT=1200\n"
             "aggregate = day=20260305 component=TOTAL TASKTYPE=FE COUNT=7 RESPTI=3040000000\n"
             "cpu = TYPE=1 NBR_CPU=8\n");
  ASSERT_EQ(s.summary.size(), 1u);
  EXPECT_EQ(s.summary[0].day, "today-1");
  EXPECT_EQ(s.summary[0].place, "sapprd01_PRD_00");
  Container &summary = const_cast<Container &>(*s.summary[0].row);
  EXPECT_EQ(ToUtf8(FindValue(summary, "TASKTYPE")->text), "DIALOG ");
  EXPECT_EQ(FindValue(summary, "COUNT")->number, 1200);
  ASSERT_EQ(s.aggregates.size(), 1u);
  Container &aggregate = const_cast<Container &>(*s.aggregates[0].row);
  EXPECT_EQ(FindValue(aggregate, "TASKTYPE")->bytes, std::string("\xFE", 1));
  EXPECT_EQ(FindValue(aggregate, "RESPTI")->number, 3040000000LL);
  ASSERT_EQ(s.cpu.size(), 1u);
  EXPECT_EQ(FindValue(const_cast<Container &>(*s.cpu[0].row), "NBR_CPU")->number, 8);
}

TEST(Script, NonAsciiTextIsUtf16) {
  const Scenario s = Parsed("RFCOPSYS = \xC3\x9C"
                            "ber\xE2\x84\xA6\n"); // "Über" and an ohm sign
  EXPECT_EQ(SystemValue(s, "RFCOPSYS"), std::u16string(u"\u00DCber\u2126"));
}

TEST(Script, FailuresAreParsed) {
  const Scenario s =
      Parsed("fail = open logon message=\"Name or password is incorrect (repeat logon)\"\n"
             "fail = invoke GET_CPU_ALL communication\n"
             "fail = invoke swnc_collector_get_aggregates exception=no_data_found\n"
             "fail = invoke * hang seconds=5\n"
             "fail = describe RFC_SYSTEM_INFO runtime key=DBIF_RSQL_SQL_ERROR\n"
             "fail = invoke RFC_PING code=RFC_UNKNOWN_ERROR group=external_runtime_failure\n");
  ASSERT_EQ(s.failures.size(), 6u);
  EXPECT_EQ(s.failures[5].kind, Failure::Kind::kError);
  EXPECT_EQ(s.failures[5].code, 28);
  EXPECT_EQ(s.failures[5].group, 5);
  EXPECT_EQ(s.failures[0].kind, Failure::Kind::kLogon);
  EXPECT_EQ(ToUtf8(s.failures[0].message), "Name or password is incorrect (repeat logon)");
  EXPECT_EQ(s.failures[2].function, "SWNC_COLLECTOR_GET_AGGREGATES");
  EXPECT_EQ(s.failures[2].key, "NO_DATA_FOUND");
  EXPECT_EQ(s.failures[3].seconds, 5);
  EXPECT_EQ(PlannedFailure(s, Failure::Site::kInvoke, "GET_CPU_ALL"), &s.failures[1]);
  EXPECT_EQ(PlannedFailure(s, Failure::Site::kInvoke, "RFC_SYSTEM_INFO"),
            &s.failures[3]); // the wildcard
  EXPECT_EQ(PlannedFailure(s, Failure::Site::kDescribe, "RFC_SYSTEM_INFO"), &s.failures[4]);
  EXPECT_EQ(PlannedFailure(s, Failure::Site::kDescribe, "GET_CPU_ALL"), nullptr);
}

TEST(Script, ProblemsNameTheirLine) {
  const std::string base = kMinimal;
  const struct {
    std::string text;
    std::string problem;
  } cases[] = {
      {base + "colour = red\n", "x.nwrfc line 7: unknown key COLOUR"},
      {base + "client = 200\n", "x.nwrfc line 7: key CLIENT is given twice"},
      {base + "summary = TASKTYPE=\"DIALOG\n", "x.nwrfc line 7: a double quote is not closed"},
      {base + "summary = COUNTS=1\n", "x.nwrfc line 7: SAPWLSUMRY has no field COUNTS"},
      {base + "summary = COUNT=12x\n", "x.nwrfc line 7: COUNT: '12x' is not a whole number"},
      {base + "summary = COUNT=1 COUNT=2\n", "x.nwrfc line 7: field COUNT is given twice"},
      {base + "summary = day=yesterday\n",
       "x.nwrfc line 7: day 'yesterday' is not today, today-N or YYYYMMDD"},
      {base + "cpu = TYPE=70000\n",
       "x.nwrfc line 7: TYPE: the number 70000 does not fit the integer field"},
      {base + "summary = TASKTYPE=DIALOGUE\n",
       "x.nwrfc line 7: TASKTYPE: a text of 8 characters does not fit the field of 7"},
      {base + "aggregate = TASKTYPE=1\n",
       "x.nwrfc line 7: TASKTYPE: '1' is not 1 bytes in hexadecimal"},
      {base + "aggregate = COUNT=99999999999999999999\n",
       "x.nwrfc line 7: COUNT: '99999999999999999999' is not a whole number"},
      {base + "modules = RFC_PING\n", "x.nwrfc line 7: the fake knows no function module RFC_PING"},
      {base + "fail = invoke GET_CPU_ALL\n",
       "x.nwrfc line 7: a fail line needs a kind: logon, communication, exception=NAME, runtime, "
       "hang or code=RC"},
      {base + "fail = invoke * code=RFC_NO_SUCH_CODE group=LOGON_FAILURE\n",
       "x.nwrfc line 7: code= takes a return code's name (RFC_EXTERNAL_FAILURE, ...)"},
      {base + "fail = invoke * code=RFC_CLOSED group=6\n",
       "x.nwrfc line 7: group= takes an error group's name (COMMUNICATION_FAILURE, ...)"},
      {base + "fail = invoke * code=RFC_CLOSED\n", "x.nwrfc line 7: code= and group= go together"},
      {base + "fail = describe * code=RFC_OK group=OK\n",
       "x.nwrfc line 7: code= needs a code other than RFC_OK"},
      {base + "fail = open code=RFC_CLOSED group=OK\n",
       "x.nwrfc line 7: the open fails with logon, communication or hang only"},
      {base + "fail = invoke GET_CPU_ALL logon\n",
       "x.nwrfc line 7: a logon failure happens at the open only"},
      {base + "fail = open exception=X\n",
       "x.nwrfc line 7: the open fails with logon, communication or hang only"},
      {base + "fail = close hang\n",
       "x.nwrfc line 7: unknown step 'close' (open, describe, invoke)"},
      {base + "fail = open hang seconds=-1\n",
       "x.nwrfc line 7: seconds= takes a whole number from 0 to 86400"},
      {base + "RFCSAPRL = 75000\n",
       "x.nwrfc line 7: RFCSAPRL: a text of 5 characters does not fit the field of 4"},
      {base + "sysnr = 0\n", "x.nwrfc line 7: key SYSNR is given twice"},
      {"sysnr = 0\nclient = 1\nuser = U\npasswd = P\nsysid = S\nrelease = 1\n",
       "x.nwrfc line 1: sysnr takes two digits, 00 to 99"},
      {"sysnr = 00\nuser = U\npasswd = P\nsysid = S\nrelease = 1\n",
       "x.nwrfc: the key CLIENT is required"},
      {"sysnr = 00\nclient = 1\nuser = U\npasswd = P\nsysid = LONGSYSID\nrelease = 1\n",
       "x.nwrfc: RFCSI field RFCSYSID: a text of 9 characters does not fit the field of 8"},
      {"just words\n", "x.nwrfc line 1: not a 'key = value' line"},
  };
  for (const auto &c : cases) EXPECT_EQ(Problem(c.text), c.problem) << c.text;
}

} // namespace
} // namespace fakesdk
