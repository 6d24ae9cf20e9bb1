#include <gtest/gtest.h>

#include <string>

#include "rfcsim/landscape.h"
#include "sim_test_support.h"

namespace quarlane::rfcsim {
namespace {

TEST(Landscape, ReadsSystemsValuesRowsAndTheirDefaults) {
  const Landscape landscape = ParseLandscape(test::kTestLandscape, "SapLandscape.ini");
  ASSERT_TRUE(landscape.problems.empty()) << landscape.problems.front();
  EXPECT_EQ(landscape.call_log, "SimCalls.log");
  ASSERT_EQ(landscape.systems.size(), 2u);

  const SapSystem *prd = FindSystem(landscape, " prd ");
  ASSERT_NE(prd, nullptr);
  EXPECT_EQ(prd->client, "100");
  EXPECT_EQ(prd->host, "sapprd01");
  EXPECT_TRUE(prd->sysnr_given);
  EXPECT_EQ(SystemValue(*prd, "RFCDEST"), "sapprd01_PRD_00");
  EXPECT_EQ(SystemValue(*prd, "RFCSAPRL"), "700");
  EXPECT_EQ(SystemValue(*prd, "RFCHOST"), "sapprd01"); // from host
  EXPECT_EQ(SystemValue(*prd, "RFCSYSID"), "PRD");     // from the name
  EXPECT_EQ(SystemValue(*prd, "LASTCOLLWRT"), "Thu Mar  5 09:04:00 2026");
  ASSERT_EQ(prd->cpu_rows.size(), 2u);
  EXPECT_EQ(prd->cpu_rows[0].numbers.at("IDLE_TOTAL"), 9000);

  ASSERT_EQ(prd->workload.size(), 5u);
  const WorkloadRow &dialog = prd->workload[0];
  EXPECT_EQ(dialog.values.texts.at("TASKTYPE"), "DIALOG "); // quoted: the blank stays
  EXPECT_EQ(dialog.instance, "sapprd01_PRD_00");            // the system's instance by default
  EXPECT_TRUE(dialog.day.relative);
  EXPECT_EQ(dialog.values.numbers.at("RESPTI"), 360000);
  EXPECT_EQ(prd->workload[2].instance, "sapprd02_PRD_01");
  EXPECT_FALSE(prd->workload[4].day.relative);
  EXPECT_EQ(prd->workload[4].day.ymd, "20260304");

  const SapSystem *qas = FindSystem(landscape, "QAS");
  ASSERT_NE(qas, nullptr);
  EXPECT_EQ(qas->password, "pass word");
  EXPECT_EQ(SystemValue(*qas, "RFCHOST"), "sapsim");
  EXPECT_EQ(SystemValue(*qas, "LASTCOLLWRT"), "now");
  EXPECT_EQ(FindSystem(landscape, "DEV"), nullptr);
}

TEST(Landscape, TakesLargeNegativeValuesAndTodayLessDays) {
  const Landscape landscape =
      ParseLandscape("[system X]\nclient=1\nuser=U\npassword=P\n"
                     "workload = day=today-2 COUNT=-999999999999999 CNT001=4294967295 "
                     "GUITIME=123456789012345 FIRSTRECTI=99999999999\n",
                     "SapLandscape.ini");
  ASSERT_TRUE(landscape.problems.empty()) << landscape.problems.front();
  const WorkloadRow &row = landscape.systems.at(0).workload.at(0);
  EXPECT_EQ(row.day.days_back, 2);
  EXPECT_EQ(row.values.numbers.at("COUNT"), -999999999999999LL);
  EXPECT_EQ(row.values.numbers.at("GUITIME"), 123456789012345LL);
  EXPECT_EQ(row.values.numbers.at("CNT001"), 4294967295LL);
}

TEST(Landscape, ToleratesByteOrderMarkAndWindowsLineEnds) {
  const Landscape landscape = ParseLandscape(
      "\xEF\xBB\xBF[system X]\r\nclient = 1\r\nuser = U\r\npassword = P\r\n", "SapLandscape.ini");
  ASSERT_TRUE(landscape.problems.empty()) << landscape.problems.front();
  EXPECT_EQ(landscape.systems.at(0).password, "P");
}

struct BadLine {
  const char *line;
  const char *problem; // part of the problem text
};

TEST(Landscape, ReportsEveryBadLineWithItsNumber) {
  const BadLine cases[] = {
      {"pasword = x", "unknown key 'PASWORD'"},
      {"sysnr = 1O", "sysnr must be a number"},
      {"no equals sign here", "expected key = value"},
      {"release = 7000X", "RFCSAPRL holds at most 4 characters"},
      {"ACTIVEFLAG = yes", "ACTIVEFLAG needs a whole number"},
      {"workload = COUNT=12x", "COUNT needs a whole number"},
      {"workload = COUNT=1000000000000000", "at most 15 digits"},
      {"workload = FIRSTRECTI=100000000000", "at most 11 digits"},
      {"workload = CNT001=4294967296", "out of range"},
      {"workload = TASKTYPE=DIALOGUE", "TASKTYPE holds at most 7 characters"},
      {"workload = RESPONSE=1", "'RESPONSE' is no field of SAPWLSUMRY"},
      {"workload = day=2026-03-05", "day must be today, today-N or YYYYMMDD"},
      {"workload = day=20261305", "day must be"},
      {"workload = TASKTYPE=\"DIALOG", "double quote is not closed"},
      {"workload = COUNT", "not of the form FIELD=value"},
      {"cpu = NBR_CPU=4 LOAD=1", "'LOAD' is no field of CPU_ALL"},
      {"cpu = TYPE=70000", "out of range"},
      {"fault = explode", "unknown fault site"},
      {"fault = call", "needs a name"},
      {"fault = call GET_CPU_ALL rc=0", "rc= needs a return code other than 0"},
      {"fault = itgetline SUMMARY from=0", "from= needs a line number"},
      {"fault = install SAPWLSUMRY rc=2", "rc= belongs to call and receive faults only"},
      {"fault = open", "needs 'logon', 'communication', a handler or delay="},
      {"fault = open delay=0", "delay= needs milliseconds"},
      {"fault = call X delay=5", "unknown option 'DELAY'"},
      {"fault = receive X colour=red", "unknown option 'COLOUR'"},
      {"instance = \"abc", "double quote is not closed"},
      {"[system Y Z]", "unknown section"},
      {"[system X]", "system X is described twice"},
  };
  for (const BadLine &c : cases) {
    const std::string text =
        std::string("[system X]\nclient = 1\nuser = U\npassword = P\n") + c.line + "\n";
    const Landscape landscape = ParseLandscape(text, "SapLandscape.ini");
    ASSERT_EQ(landscape.problems.size(), 1u) << c.line;
    EXPECT_EQ(landscape.problems[0].rfind("SapLandscape.ini line 5: ", 0), 0u)
        << landscape.problems[0];
    EXPECT_NE(landscape.problems[0].find(c.problem), std::string::npos) << landscape.problems[0];
  }
}

TEST(Landscape, ReportsMisplacedLinesAndMissingLogonData) {
  const Landscape landscape =
      ParseLandscape("client = 1\n[sim]\ncolour = red\n[system X]\nuser = U\n", "L.ini");
  ASSERT_EQ(landscape.problems.size(), 4u);
  EXPECT_NE(landscape.problems[0].find("line 1: 'CLIENT' stands before any section"),
            std::string::npos);
  EXPECT_NE(landscape.problems[1].find("line 3: unknown key 'COLOUR' in the [sim] section"),
            std::string::npos);
  EXPECT_NE(landscape.problems[2].find("line 4: system X has no client"), std::string::npos);
  EXPECT_NE(landscape.problems[3].find("line 4: system X has no password"), std::string::npos);
}

TEST(Landscape, SurvivesVeryLongLinesAndBinaryJunk) {
  std::string text =
      "[system X]\nclient=1\nuser=U\npassword=P\nworkload = TASKTYPE=" + std::string(100000, 'A') +
      "\n";
  text += std::string("\0\x01\x02[\xff=\n", 7);
  const Landscape landscape = ParseLandscape(text, "SapLandscape.ini");
  EXPECT_EQ(landscape.problems.size(), 2u);
  EXPECT_EQ(landscape.systems.size(), 1u);
}

} // namespace
} // namespace quarlane::rfcsim
