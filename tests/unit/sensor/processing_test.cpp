// The spine of a run (ProcessSingleSystem, ProcessServerListing) over files
// in memory and the scripted RFC library: the profile, its lock, the
// destination file and the trace all go through the run's FileSystem.
#include "sensor/processing.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "output/render.h"
#include "platform/file_system.h"
#include "platform/files.h"
#include "rfc/fake_library.h"
#include "sensor/password.h"

namespace quarlane {
namespace {

// A SAPWLSUMRY row: the task type and its steps and response time (packed
// decimals at the structure's offsets).
std::string SummaryRow(const char *type, std::uint64_t count, std::uint64_t resp) {
  std::string row(SAPWLSUMRY_ROW_LENGTH, '\0');
  std::memcpy(&row[0], type, std::strlen(type));
  const auto put = [&](std::size_t offset, std::uint64_t digits) {
    row[offset + 7] = static_cast<char>((digits % 10) << 4 | 0xC);
    digits /= 10;
    for (int i = 6; i >= 0; --i) {
      row[offset + static_cast<std::size_t>(i)] =
          static_cast<char>((digits / 10 % 10) << 4 | digits % 10);
      digits /= 100;
    }
  };
  put(35, count); // COUNT
  put(67, resp);  // RESPTI
  return row;
}

std::string ProfileText(const std::string &destination) {
  return "Extcompany.: Corvanta AG\nDestination: " + destination +
         "\nClient.....: 100\nUser.......: monitor\nPassword...: " + ScramblePassword("Secret12") +
         "\nLanguage...: EN\nMode.......: R/3\nHostname...: sapprd\nSysnr......: 00\n"
         "Gwhost.....: sapprd\nGwservice..: sapgw00\n";
}

class RecordingSink : public RunSink {
public:
  void Progress(const std::string &lines) override { progress += lines; }
  void ItemHead() override { ++heads; }
  void ItemChannel(const Channel &channel) override { channels.push_back(channel); }

  std::string progress;
  int heads = 0;
  std::vector<Channel> channels;
};

class ProcessingTest : public ::testing::Test {
protected:
  void SetUp() override {
    fake::Reset();
    // The system's clock (GET_CPU_ALL) and its identity (RFC_SYSTEM_INFO).
    fake::Script().received["LASTCOLLWRT"] = "Thu Mar  5 09:04:00 2026 ";
    std::string rfcsi(RFCSI_ROW_LENGTH, ' ');
    rfcsi.replace(3 + 4 + 3 + 3, 13, "sapprd_PRD_00");
    rfcsi.replace(3 + 4 + 3 + 3 + 32, 6, "sapprd");
    fake::Script().received["RFCSI_EXPORT"] = rfcsi;
    SetRows(130);
    run.rfc.library = &fake::Library();
    run.files = &files;
    run.start_banner = "* 09:04:00 SAP Quarlane Vers 4.3";
    single.profile = ProfileFile{"PRD.P00", "D:\\Sensors\\", kProfile};
  }

  // The day's summary: DIALOG steps as given, then RFC.
  void SetRows(std::uint64_t dialog_steps) {
    fake::Script().table_rows["SUMMARY"] = {SummaryRow("DIALOG ", dialog_steps, dialog_steps * 500),
                                            SummaryRow("RFC    ", 7, 700)};
  }

  std::string Profile() { return files.ReadBytes(kProfile).value_or("<missing>"); }
  int Calls(const std::string &name) {
    int count = 0;
    for (const std::string &call : fake::Script().calls) count += call == name;
    return count;
  }

  const std::string kProfile = "D:\\Sensors\\PRD.P00";
  MemoryFileSystem files;
  SensorRun run;
  SingleSystemLocation single;
  RecordingSink sink;
};

TEST_F(ProcessingTest, ASingleSystemRunReportsTheIntervalAndRewritesTheHistoryUnderTheLock) {
  files.Put(kProfile, ProfileText("PRD") +
                          "# Rsp Date=20260305 08:04:00 Trns=107\n"
                          "# Rsp DIALOG          100          0      50000          0          0"
                          "          0          0\n");
  files.Put("Dev_Rfc.Trc", "**** ERROR of an earlier run\n");
  bool locked_during_logon = false;
  fake::Script().during_open = [&] { locked_during_logon = files.Locked(kProfile); };

  const Result<Report> report = ProcessSingleSystem(run, single, sink);

  ASSERT_TRUE(report.ok()) << report.failure().text;
  // DIALOG from 100 to 130 since the last run; RFC's 7 are new (no history line).
  EXPECT_NE(Renderer().Document(*report).find("(PRD) Summary:  Trans=37,"), std::string::npos)
      << Renderer().Document(*report);
  EXPECT_TRUE(locked_during_logon);
  EXPECT_FALSE(files.Locked(kProfile)); // released at the end
  const std::string eol = PlatformLineEnd();
  EXPECT_NE(Profile().find("# Rsp Date=20260305 09:04:00 Trns=137" + eol +
                           "# Rsx Date=20260305 08:04:00 Trns=107" + eol),
            std::string::npos)
      << Profile();
  EXPECT_EQ(Profile().find("Extcompany.: Corvanta AG" + eol + "Destination: PRD" + eol), 0u);
  EXPECT_FALSE(files.CanOpenForReading("Dev_Rfc.Trc")); // a good run leaves no old failure
  EXPECT_EQ(Calls("RfcOpen"), 1);
  EXPECT_EQ(Calls("RfcClose"), 1);
  EXPECT_TRUE(sink.progress.empty());
}

TEST_F(ProcessingTest, AFailedLogonLeavesTheProfileAndTheTraceAsTheyWere) {
  files.Put(kProfile, ProfileText("PRD"));
  files.Put("Dev_Rfc.Trc", "ERROR       partner not reached\n");
  fake::Script().open_result = 0;

  const Result<Report> report = ProcessSingleSystem(run, single, sink);

  ASSERT_FALSE(report.ok());
  EXPECT_EQ(report.failure().code, FailureCode::OpenFailed);
  EXPECT_EQ(Profile(), ProfileText("PRD"));
  EXPECT_TRUE(files.CanOpenForReading("Dev_Rfc.Trc"));
  EXPECT_FALSE(files.Locked(kProfile));
  EXPECT_EQ(Calls("RfcCall GET_CPU_ALL"), 0);
}

TEST_F(ProcessingTest, AProfileLockedByAnotherRunEndsAsAFailedRewriteBeforeTheLogon) {
  files.Put(kProfile, ProfileText("PRD"));
  files.Put("Dev_Rfc.Trc", "ERROR       partner not reached\n");
  const std::unique_ptr<HeldLock> other =
      files.LockExclusively(kProfile, std::chrono::milliseconds(0));
  ASSERT_TRUE(other);

  const Result<Report> report = ProcessSingleSystem(run, single, sink);

  ASSERT_FALSE(report.ok());
  EXPECT_EQ(report.failure().code, FailureCode::RewriteFailed);
  // The trace's finding follows, read through the run's files.
  EXPECT_NE(report.failure().text.find(" - partner not reached"), std::string::npos)
      << report.failure().text;
  EXPECT_EQ(Profile(), ProfileText("PRD"));
  EXPECT_EQ(Calls("RfcOpen"), 0);
}

TEST_F(ProcessingTest, AProfileThatCannotBeRewrittenIsLeftWholeAndTheConnectionClosed) {
  files.Put(kProfile, ProfileText("PRD"));
  files.MakeReadOnly(kProfile);

  const Result<Report> report = ProcessSingleSystem(run, single, sink);

  ASSERT_FALSE(report.ok());
  EXPECT_EQ(report.failure().code, FailureCode::RewriteFailed);
  EXPECT_NE(report.failure().text.find(" - Look for Trace-File"), std::string::npos); // no trace
  EXPECT_EQ(Profile(), ProfileText("PRD"));
  EXPECT_EQ(Calls("RfcClose"), 1);
  EXPECT_EQ(Calls("ItDelete"), 2); // the CPU table and the summary table both given back
  EXPECT_FALSE(files.Locked(kProfile));
}

TEST_F(ProcessingTest, AMissingProfileIsReportedAndNothingIsCalled) {
  const Result<Report> report = ProcessSingleSystem(run, single, sink);
  ASSERT_FALSE(report.ok());
  EXPECT_EQ(report.failure().code, FailureCode::ProfileMissing);
  EXPECT_TRUE(fake::Script().calls.empty());
}

TEST_F(ProcessingTest, ADestinationFileInTheRunsFilesIsAnnouncedAndOpensByConnectString) {
  // The copy "SapRfc.ini" is the connection's own work on the disk's working
  // folder: here it cannot be written (a folder of that name), so the open
  // fails after the announcement, and nothing is written into the run's files.
  const ScopedWorkFolder folder;
  ASSERT_TRUE(std::filesystem::create_directory(folder.Path("SapRfc.ini")));
  files.Put(kProfile, ProfileText("PRD"));
  files.Put("SapRfc.PRD", "DEST=PRD\nTYPE=A\n");

  const Result<Report> report = ProcessSingleSystem(run, single, sink);

  EXPECT_EQ(sink.progress, "* SapRfc.Ini.......: PRD<\n");
  ASSERT_FALSE(report.ok());
  EXPECT_EQ(report.failure().code, FailureCode::OpenFailed);
  EXPECT_EQ(Calls("RfcOpen"), 0);
  EXPECT_EQ(Profile(), ProfileText("PRD"));
}

TEST_F(ProcessingTest, AnItemRunCountsEachListedSystemAndGoesOnPastAFailedOne) {
  ItemRunLocation item;
  item.listing = ProfileFile{"Corvanta.Prf", "D:\\Sensors\\", "D:\\Sensors\\Corvanta.Prf"};
  item.item_name = "TransActions";
  item.systems = {"PRD.P00", "QAS.P00", "GONE.P00"};
  files.Put("D:\\Sensors\\PRD.P00", ProfileText("PRD"));
  files.Put("D:\\Sensors\\QAS.P00", ProfileText("QAS"));
  files.Put("Dev_Rfc.Trc", "ERROR       partner not reached\n");
  // QAS's logon fails, PRD's succeeds.
  fake::Script().during_open = [] {
    fake::Script().open_result = *fake::Script().destination == "QAS" ? 0 : 5;
  };

  const Result<Report> report = ProcessServerListing(run, item, sink);

  ASSERT_TRUE(report.ok()) << report.failure().text;
  EXPECT_EQ(sink.heads, 1);
  ASSERT_EQ(sink.channels.size(), 1u); // PRD only
  EXPECT_EQ(sink.channels[0].name, "PRD.P00");
  EXPECT_EQ(sink.channels[0].value, "137");
  EXPECT_NE(report->text.find("NoSystems=3, Processed=1, Failed=1"), std::string::npos)
      << report->text;
  ASSERT_EQ(report->problems.size(), 2u);
  EXPECT_EQ(report->problems[0],
            "QAS.P00: Error 1011: RFC-Open for QAS failed ! - partner not reached");
  EXPECT_EQ(report->problems[1], "GONE.P00: no profile, skipped");
  // An item run reads the profiles and never rewrites them.
  EXPECT_EQ(files.ReadBytes("D:\\Sensors\\PRD.P00"), ProfileText("PRD"));
  EXPECT_TRUE(files.CanOpenForReading("Dev_Rfc.Trc"));
}

} // namespace
} // namespace quarlane
