// One system's analysis end to end over a fake RFC library that serves
// summary rows, with the sensor profile on disk.
#include "sensor/system_analysis.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "output/render.h"
#include "platform/file_system.h"
#include "platform/files.h"
#include "rfc/fake_library.h"
#include "sensor/history_file.h"

namespace quarlane {
namespace {

// The rows are served by the unit tests' one fake librfc32 (rfc/fake_library.h).
using fake::CallCount;
using fake::Script;

// The parameters the summary call was given: "NAME/type=value".
std::vector<std::string> Exporting() {
  std::vector<std::string> exporting;
  for (const fake::Entry &entry : Script().exporting)
    exporting.push_back(entry.name + "/" + std::to_string(entry.type) + "=" + entry.value);
  return exporting;
}

// The table the summary call was given: "NAME/type/table", "/other" for a
// handle not the fake's, "/unclosed" when the list does not end after it.
std::string TableEntry() {
  const std::vector<fake::Entry> &tables = Script().call_tables;
  if (tables.empty()) return "(none)";
  return tables[0].name + "/" + std::to_string(tables[0].type) +
         (tables[0].ithandle == fake::TableHandle() ? "/table" : "/other") +
         (tables.size() == 1 ? "" : "/unclosed");
}

void PutPacked(std::string &row, std::size_t offset, std::uint64_t digits) {
  row[offset + 7] = static_cast<char>((digits % 10) << 4 | 0xC);
  digits /= 10;
  for (int i = 6; i >= 0; --i) {
    row[offset + i] = static_cast<char>((digits / 10 % 10) << 4 | digits % 10);
    digits /= 100;
  }
}

// A summary row: type, steps, database accesses, response, CPU and (split
// over the three database fields) database time.
std::string SummaryRowBytes(const char *type, std::uint32_t count, std::uint32_t resp,
                            std::uint32_t cpu = 0, std::uint32_t db_time = 0) {
  std::string row(SAPWLSUMRY_ROW_LENGTH, '\0');
  std::memcpy(&row[0], type, std::strlen(type) < 7 ? std::strlen(type) : 7);
  PutPacked(row, 35, count);                  // COUNT
  PutPacked(row, 43, count * 2);              // DBACTIVCNT
  PutPacked(row, 67, resp);                   // RESPTI
  PutPacked(row, 75, cpu);                    // CPUTI
  PutPacked(row, 219, db_time / 2);           // READDIRTI
  PutPacked(row, 251, db_time - db_time / 2); // READSEQTI
  PutPacked(row, 203, 1);                     // ROLLTI
  PutPacked(row, 392, 2);                     // GUITIME
  return row;
}

class LoadAnalysisTest : public ::testing::Test {
protected:
  void SetUp() override {
    fake::Reset();
    Script().next_type = 4711;
    Script().exception = "NO_DATA_FOUND";
    session.library = &fake::Library();
    session.handle = 1;
    system.identity.host = "srv01";
    system.identity.sap_release = "700";
    system.clock.date = "20240311";
    system.clock.time = "09:00:00";
  }

  void WriteProfile(const std::string &content) { files.Put(profile_path, content); }
  std::string FileContent(const std::string &path) {
    return files.ReadBytes(path).value_or("<missing>");
  }

  // A single-system run's analysis over the profile as it now is: doc holds
  // the printed document, or the failure's text.
  bool Analyse() {
    const std::optional<std::string> bytes = files.ReadBytes(profile_path);
    const Result<Report> report = AnalyseSingleSystem(session, log, files, system, options, "PRD",
                                                      profile_path, TextLines(bytes.value_or("")));
    doc = report ? Renderer().Document(*report) : report.failure().text;
    return report.ok();
  }

  RfcSession session;
  StepLog log;
  SystemInfo system;
  AnalysisOptions options;
  MemoryFileSystem files; // the profile, held in memory
  std::string profile_path = "D:\\Sensors\\PRD.P00";
  std::string doc;
};

TEST_F(LoadAnalysisTest, CallsTheSummaryWithItsParametersAndTable) {
  WriteProfile("Destination=PRD\n");
  system.identity.instance_name = "srv01_PRD_00";
  system.clock.date = "202403";
  EXPECT_TRUE(Analyse());

  ASSERT_EQ(CallCount("RfcInstallStructure"), 1);
  EXPECT_EQ(Script().installs.back().name, "SAPWLSUMRY");
  EXPECT_EQ(Script().installs.back().elements.size(), 57u);
  EXPECT_EQ(Script().created_table, "SUMMARY");
  EXPECT_EQ(Script().created_leng, 416u);
  EXPECT_EQ(Script().function, "SAPWL_WORKLOAD_GET_SUMMARY");
  EXPECT_EQ(Exporting(),
            (std::vector<std::string>{
                "HOSTID/0=        ", "INSTANCE/0=srv01_PRD_00                           ",
                "PERIODTYPE/0=D", "STARTDATE/1=20240300"}));
  EXPECT_EQ(TableEntry(), "SUMMARY/4711/table");
  EXPECT_TRUE(Script().importing.empty());
  EXPECT_EQ(CallCount("ItDelete"), 1);

  // The next system reuses the installed structure.
  Analyse();
  EXPECT_EQ(CallCount("RfcInstallStructure"), 1);
  EXPECT_EQ(CallCount("ItCreate"), 2);
  EXPECT_EQ(CallCount("ItDelete"), 2);
}

TEST_F(LoadAnalysisTest, SingleSystemRunsReportTheIntervalAndKeepTheHistory) {
  WriteProfile("Destination=PRD\nClient=100\n");
  Script().rows = {SummaryRowBytes("DIALOG ", 100, 50000, 8000, 12000),
                   SummaryRowBytes("ALE    ", 7, 700)};
  ASSERT_TRUE(Analyse()) << doc;
  EXPECT_NE(doc.find("<Text>(PRD) Summary:  Trans=100, DBase=200, Rsp=500 ms, CPU=80 ms, "
                     "DBTime=120 ms, Roll=0 ms, GUI=0 ms </Text>"),
            std::string::npos)
      << doc;
  const std::string after_first = FileContent(profile_path);
  const std::string eol = PlatformLineEnd();
  const std::string head =
      "Destination=PRD" + eol + "Client=100" + eol + "# Rsp Date=20240311 09:00:00 Trns=107" + eol;
  EXPECT_EQ(after_first.compare(0, head.size(), head), 0) << after_first;
  EXPECT_EQ(files.ReadLines(profile_path)->size(), 31u);

  system.clock.time = "10:00:00";
  Script().rows = {SummaryRowBytes("DIALOG ", 130, 65000, 10400, 15600),
                   SummaryRowBytes("ALE    ", 7, 700)};
  ASSERT_TRUE(Analyse()) << doc;
  EXPECT_NE(doc.find("(PRD) Summary:  Trans=30, DBase=60, Rsp=500 ms, CPU=80 ms, "
                     "DBTime=120 ms"),
            std::string::npos)
      << doc;
  EXPECT_NE(FileContent(profile_path).find(eol + "# Rsx Date=20240311 09:00:00 Trns=107" + eol),
            std::string::npos);
}

TEST_F(LoadAnalysisTest, TheRunGoesOnWithTheHistoryTheFileNowHolds) {
  WriteProfile("Destination=PRD\r\nClient=100\r\n# Rsp Date=20240310 09:00:00 Trns=5\r\n");
  DayCounts day;
  day.types[0].count = 100;
  day.total_count = 107;
  const HistoryPlan plan =
      PlanHistoryUpdate(TextLines(*files.ReadBytes(profile_path)), system.clock.date,
                        system.clock.time, day, PlatformLineEnd());
  ASSERT_TRUE(WriteProfileHistory(files, profile_path, plan).ok());
  EXPECT_EQ(plan.carried_total, 0u);
  // The interval pass measures against the history the planned content
  // holds, and that is what the file now holds.
  const HistoryLines on_disk = FindHistoryLines(TextLines(*files.ReadBytes(profile_path)));
  EXPECT_EQ(plan.history_after.date_line, on_disk.date_line);
  EXPECT_EQ(plan.history_after.date_line,
            std::optional<std::string>("# Rsp Date=20240311 09:00:00 Trns=107"));
  EXPECT_EQ(plan.history_after.current, on_disk.current);
  EXPECT_EQ(plan.history_after.baseline, on_disk.baseline);
  EXPECT_EQ(files.ReadLines(profile_path)->size(), 32u);
}

TEST_F(LoadAnalysisTest, NothingNewLeavesTheProfileUntouched) {
  // Written on another platform with CR LF: a rewrite here would change that.
  WriteProfile("Destination=PRD\r\n# Rsp Date=20240311 08:00:00 Trns=40\r\n"
               "# Rsp DIALOG           40          0          0          0          0          0"
               "          0\r\n"
               "# Rsx DIALOG           10          0          0          0          0          0"
               "          0\r\n");
  const std::string before = FileContent(profile_path);
  Script().rows = {SummaryRowBytes("DIALOG ", 40, 0)};
  options.report = ReportKind::Transaction;
  ASSERT_TRUE(Analyse()) << doc;
  EXPECT_EQ(FileContent(profile_path), before);
  EXPECT_NE(doc.find("<Channel>Dialog</Channel>"), std::string::npos);
  EXPECT_NE(doc.find("<Value>30</Value>"), std::string::npos) << doc;
}

TEST_F(LoadAnalysisTest, ALongProfileComesBackWhole) {
  // Written with LF; the rewrite ends every line with this platform's line end.
  std::string profile, kept;
  for (int i = 0; i < 300; ++i) {
    profile += "Line " + std::to_string(i) + "\n";
    kept += "Line " + std::to_string(i) + PlatformLineEnd();
  }
  profile += std::string(500, 'x') + "\n" + "Last line without line end";
  kept +=
      std::string(500, 'x') + PlatformLineEnd() + "Last line without line end" + PlatformLineEnd();
  WriteProfile(profile);
  Script().rows = {SummaryRowBytes("RFC    ", 3, 30)};
  ASSERT_TRUE(Analyse()) << doc;

  const std::string after = FileContent(profile_path);
  EXPECT_EQ(after.compare(0, kept.size(), kept), 0);
  const std::vector<std::string> lines = *files.ReadLines(profile_path);
  ASSERT_EQ(lines.size(), 302u + 29u);
  EXPECT_EQ(lines[300], std::string(500, 'x'));
  EXPECT_EQ(lines.back().compare(0, 14, "# Rsx RFC     "), 0);
}

TEST_F(LoadAnalysisTest, AProfileThatMayNotBeWrittenStaysAsItWas) {
  WriteProfile("Destination=PRD\n");
  files.MakeReadOnly(profile_path);
  Script().rows = {SummaryRowBytes("DIALOG ", 5, 50)};
  EXPECT_FALSE(Analyse()); // the call itself succeeded, the rewrite did not
  EXPECT_EQ(doc, "Error 1016: ReWriting of Profile " + profile_path + " failed !");
  EXPECT_EQ(FileContent(profile_path), "Destination=PRD\n");
  EXPECT_EQ(CallCount("ItDelete"), 1);
}

struct FailedCallCase {
  RFC_RC call, receive;
  const char *message;
};

TEST_F(LoadAnalysisTest, AFailedCallIsReportedAndEvaluatesNothing) {
  const FailedCallCase cases[] = {
      {RFC_FAILURE, RFC_OK, "Error 1014: RFC-Failure raised !"},
      {RFC_OK, RFC_EXCEPTION, "Error 1012: Exception.: NO_DATA_FOUND"},
      {RFC_OK, RFC_SYS_EXCEPTION, "Error 1013: Sys-Exception raised !"},
      {7, RFC_OK, "Error 1015: Other Failure raised !"},
  };
  WriteProfile("Destination=PRD\n");
  Script().rows = {SummaryRowBytes("DIALOG ", 5, 50)};
  int deletes = 0;
  for (const FailedCallCase &c : cases) {
    Script().call_result = c.call;
    Script().receive_result = c.receive;
    EXPECT_FALSE(Analyse()) << c.message;
    EXPECT_EQ(doc, c.message);
    EXPECT_EQ(CallCount("ItDelete"), ++deletes) << c.message;
    EXPECT_EQ(FileContent(profile_path), "Destination=PRD\n");
  }
}

TEST_F(LoadAnalysisTest, TheTransActionsItemIsTheSummarysNotTheTransactionReport) {
  WriteProfile("Destination=PRD\n");
  Script().rows = {SummaryRowBytes("DIALOG ", 100, 500), SummaryRowBytes("RFC    ", 1, 10),
                   SummaryRowBytes("ALE    ", 4, 10)};
  // "ITEM=TransActions" chooses no report: the summary's item.
  Renderer renderer;
  std::string written;
  int deletes_while_writing = -1;
  const Status analysed = AnalyseItemSystem(session, log, system, options, "TransActions", "PRD",
                                            [&](const Channel &channel) {
                                              written += renderer.Channels({channel});
                                              deletes_while_writing = CallCount("ItDelete");
                                            });
  ASSERT_TRUE(analysed.ok());
  EXPECT_EQ(written,
            "\n<Result><Channel>PRD</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>#</CustomUnit>\n"
            "<Value>101</Value></Result>\n");
  // Written while the table is still held; it goes back afterwards.
  EXPECT_EQ(deletes_while_writing, 0);
  EXPECT_EQ(CallCount("ItDelete"), 1);
  // The item run neither reads nor writes history.
  EXPECT_EQ(FileContent(profile_path), "Destination=PRD\n");

  Script().call_result = RFC_FAILURE;
  written.clear();
  const Status failed =
      AnalyseItemSystem(session, log, system, options, "TransActions", "PRD",
                        [&](const Channel &channel) { written += renderer.Channels({channel}); });
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.failure().text, "Error 1014: RFC-Failure raised !");
  EXPECT_EQ(written, "");
}

// A library that fails inside ends the analysis with LibraryFailed and its
// operation; after a row it cannot give, the table is not asked back (the run
// ends with the library's block, which closes everything).
TEST_F(LoadAnalysisTest, LibraryFailuresAreValuesThatStopAtTheFailingOperation) {
  WriteProfile("Destination=PRD\n");
  Script().rows = {SummaryRowBytes("DIALOG ", 5, 50)};
  Script().null_line = 1;
  EXPECT_FALSE(Analyse());
  EXPECT_EQ(doc, "ItGetLine SUMMARY");
  EXPECT_EQ(CallCount("ItDelete"), 0);
  EXPECT_EQ(FileContent(profile_path), "Destination=PRD\n");

  Script().null_line = 0;
  Script().create_fails = true;
  const int calls_before = CallCount("RfcCall");
  EXPECT_FALSE(Analyse());
  EXPECT_EQ(doc, "ItCreate SUMMARY");
  EXPECT_EQ(CallCount("RfcCall"), calls_before); // no call without a table
}

// A table the library will not take back fails the run after the rewrite,
// as the run has always done it.
TEST_F(LoadAnalysisTest, ATableNotTakenBackFailsAfterTheRewrite) {
  WriteProfile("Destination=PRD\n");
  Script().rows = {SummaryRowBytes("DIALOG ", 5, 50)};
  Script().delete_result = 1;
  EXPECT_FALSE(Analyse());
  EXPECT_EQ(doc, "ItDelete SUMMARY");
  EXPECT_NE(FileContent(profile_path).find("# Rsp Date=20240311"), std::string::npos);
}

} // namespace
} // namespace quarlane
