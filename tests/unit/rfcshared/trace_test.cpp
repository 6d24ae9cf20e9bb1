#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "rfcshared/trace.h"
#include "rfcshared/trace_test_support.h"

namespace quarlane::rfcshared::test {
namespace {

const TraceSignature &Simulator() {
  static const TraceSignature signature{TimeStampText, "librfc32 simulator: no real SAP system",
                                        "librfc32, the simulated RFC library"};
  return signature;
}

bool OpensBlock(const std::string &line) { return line.compare(0, 11, "**** ERROR ") == 0; }
bool IsErrorLine(const std::string &line) { return line.compare(0, 6, "ERROR ") == 0; }
bool IsArrowLine(const std::string &line) {
  return line.size() >= 15 && line.compare(7, 8, "======> ") == 0;
}

TEST(TraceBlock, HasTheThreeLineFormsAndNoOtherLineLooksLikeThem) {
  ErrorEntry entry;
  entry.operation = "RfcOpen";
  entry.key = "RFC_ERROR_LOGON_FAILURE";
  entry.status = "Logon to PRD refused";
  entry.message = "Name or password is incorrect (repeat logon)";
  entry.intstat = "ERROR  ======> not a form";
  entry.problems = {"ERROR       nor this", "  ======> nor this"};
  const std::vector<std::string> lines =
      Lines(FormatErrorBlock(entry, Simulator(), FixedNow(), 4711));

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
  EXPECT_EQ(texts,
            (std::vector<std::string>{"ERROR:Logon to PRD refused",
                                      "ARROW:Name or password is incorrect (repeat logon)"}));
  EXPECT_EQ(lines[lines.size() - 2], "       ======> Name or password is incorrect (repeat logon)");
}

TEST(TraceBlock, KeepsEachTextOnItsOwnLine) {
  ErrorEntry entry;
  entry.operation = "RfcCall";
  entry.status = "first\nERROR       forged";
  entry.message = "second\r\n**** ERROR forged";
  const std::vector<std::string> lines = Lines(FormatErrorBlock(entry, Simulator(), FixedNow(), 1));
  int blocks = 0;
  for (const std::string &line : lines) blocks += OpensBlock(line) ? 1 : 0;
  EXPECT_EQ(blocks, 1);
  EXPECT_EQ(RetainedTraceText(FormatErrorBlock(entry, Simulator(), FixedNow(), 1)),
            "second??**** ERROR forged");
}

// The whole block as both libraries write it; only the signature's parts differ.
TEST(TraceBlock, IsSignedWithTheCallersTimeStampAndOrigin) {
  const TraceSignature bridge{[](std::time_t) { return std::string("Thu Mar 05 09:04:00 2026"); },
                              "librfc32 NetWeaver RFC bridge",
                              "librfc32, the NetWeaver RFC bridge"};
  const ErrorEntry entry{"RfcOpen",
                         "RFC_ERROR_COMMUNICATION",
                         "CONNECT to PRD failed",
                         "partner not reached",
                         "CPIC-CALL",
                         {}};
  EXPECT_EQ(
      FormatErrorBlock(entry, bridge, FixedNow(), 42),
      "**** ERROR  Thu Mar 05 09:04:00 2026  pid 42  RfcOpen  (librfc32 NetWeaver RFC bridge)\n"
      "     key......: RFC_ERROR_COMMUNICATION\n"
      "     intstat..: CPIC-CALL\n"
      "ERROR       CONNECT to PRD failed\n"
      "       ======> partner not reached\n"
      "\n");
}

TEST(TraceTimeStamp, IsTheFixedWidthEnglishForm) {
  EXPECT_EQ(TimeStampText(FixedNow()), "Thu Mar  5 09:04:00 2026");
  EXPECT_EQ(TimeStampText(FixedNow() + 10 * 24 * 3600), "Sun Mar 15 09:04:00 2026");
}

class TraceFile : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("rfcshared_trace_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / kTraceFileName).string();
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string Read() const {
    std::ifstream file(path_, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }
  std::filesystem::path folder_;
  std::string path_;
};

TEST_F(TraceFile, ANewFileGetsOneHeaderLineThenEveryBlockIsAppended) {
  const ErrorEntry first{"RfcOpen", "K1", "first status", "first message", "", {}};
  const ErrorEntry second{"ItCreate", "K2", "second status", "second message", "", {"one problem"}};
  AppendErrorBlock(path_, first, Simulator(), FixedNow());
  AppendErrorBlock(path_, second, Simulator(), FixedNow());
  const std::string expected = "**** Trace file opened at Thu Mar  5 09:04:00 2026 by librfc32, "
                               "the simulated RFC library\n\n" +
                               FormatErrorBlock(first, Simulator(), FixedNow(), ProcessId()) +
                               FormatErrorBlock(second, Simulator(), FixedNow(), ProcessId());
  // Line by line: on Windows the file is written in text mode, each line ending "\r\n".
  EXPECT_EQ(Lines(Read()), Lines(expected));
#if !defined(_WIN32)
  EXPECT_EQ(Read(), expected);
#endif
  EXPECT_EQ(RetainedTraceText(Read()), "second message");
  EXPECT_GT(ProcessId(), 0);
}

TEST_F(TraceFile, ATraceThatCannotBeWrittenStopsNothing) {
  const std::string inside_missing_folder = (folder_ / "missing" / kTraceFileName).string();
  AppendErrorBlock(inside_missing_folder, ErrorEntry{"RfcOpen", "K", "status", "message", "", {}},
                   Simulator(), FixedNow());
  EXPECT_FALSE(std::filesystem::exists(inside_missing_folder));
}

} // namespace
} // namespace quarlane::rfcshared::test
