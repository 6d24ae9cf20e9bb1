#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rfcsim/trace_file.h"
#include "sim_test_support.h"

namespace quarlane::rfcsim::test {
namespace {

bool OpensBlock(const std::string &line) { return line.compare(0, 11, "**** ERROR ") == 0; }
bool IsErrorLine(const std::string &line) { return line.compare(0, 6, "ERROR ") == 0; }
bool IsArrowLine(const std::string &line) { return line.size() >= 15 && line.compare(7, 8, "======> ") == 0; }

TEST(TraceBlock, HasTheThreeLineFormsAndNoOtherLineLooksLikeThem) {
  ErrorEntry entry;
  entry.operation = "RfcOpen";
  entry.key = "RFC_ERROR_LOGON_FAILURE";
  entry.status = "Logon to PRD refused";
  entry.message = "Name or password is incorrect (repeat logon)";
  entry.intstat = "ERROR  ======> not a form";
  entry.problems = {"ERROR       nor this", "  ======> nor this"};
  const std::vector<std::string> lines = Lines(FormatErrorBlock(entry, FixedNow(), 4711));

  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(OpensBlock(lines[0])) << lines[0];
  EXPECT_NE(lines[0].find("Thu Mar  5 09:04:00 2026"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("pid 4711"), std::string::npos);
  EXPECT_NE(lines[0].find("simulator"), std::string::npos);
  std::vector<std::string> texts;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_FALSE(OpensBlock(lines[i])) << lines[i];
    if (IsErrorLine(lines[i])) texts.push_back("ERROR:" + lines[i].substr(12));
    if (IsArrowLine(lines[i])) texts.push_back("ARROW:" + lines[i].substr(15));
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"ERROR:Logon to PRD refused",
                                             "ARROW:Name or password is incorrect (repeat logon)"}));
  EXPECT_EQ(lines[lines.size() - 2], "       ======> Name or password is incorrect (repeat logon)");
}

TEST(TraceBlock, KeepsEachTextOnItsOwnLine) {
  ErrorEntry entry;
  entry.operation = "RfcCall";
  entry.status = "first\nERROR       forged";
  entry.message = "second\r\n**** ERROR forged";
  const std::vector<std::string> lines = Lines(FormatErrorBlock(entry, FixedNow(), 1));
  int blocks = 0;
  for (const std::string &line : lines) blocks += OpensBlock(line) ? 1 : 0;
  EXPECT_EQ(blocks, 1);
  EXPECT_EQ(RetainedTraceText(FormatErrorBlock(entry, FixedNow(), 1)), "second??**** ERROR forged");
}

using TraceFile = SimTest;

TEST_F(TraceFile, EveryFailureAppendsABlockAndTheLastOneIsWhatAReaderKeeps) {
  Write("SapLandscape.ini", kTestLandscape);
  EXPECT_EQ(OpenHost("PRD", "100", "MONITOR", "wrong"), 0u);
  EXPECT_EQ(OpenHost("XYZ", "100", "MONITOR", "secret"), 0u);
  const std::string trace = Read("Dev_Rfc.Trc");
  const std::vector<std::string> lines = Lines(trace);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind("**** Trace file opened at Thu Mar  5 09:04:00 2026", 0), 0u) << lines[0];
  int blocks = 0;
  for (const std::string &line : lines) blocks += OpensBlock(line) ? 1 : 0;
  EXPECT_EQ(blocks, 2);
  EXPECT_EQ(RetainedTraceText(trace), "partner XYZ not reached");

  // Success writes nothing.
  ASSERT_NE(OpenHost("PRD", "100", "MONITOR", "secret"), 0u);
  EXPECT_EQ(Read("Dev_Rfc.Trc"), trace);
}

} // namespace
} // namespace quarlane::rfcsim::test
