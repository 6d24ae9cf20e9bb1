#include "rfc/connection.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <filesystem>

#include "fake_library.h"
#include "platform/files.h"
#include "platform/lock_file.h"

namespace quarlane {
namespace {

class OpenRfcConnectionTest : public ::testing::Test {
protected:
  void SetUp() override {
    fake::Reset();
    session.library = &fake::Library();
    profile.destination = "PRD";
    profile.client = "100";
    profile.user = "AB";
    profile.password = "SECRET";
    profile.language = "E";
    profile.mode = "R/3";
    profile.hostname = "sapprd";
    profile.sysnr = "00";
  }
  void TearDown() override {
    if (log.file) std::fclose(log.file);
  }
  // The handle, 0 when the open failed (its failure then kept).
  RFC_HANDLE Open(std::chrono::milliseconds lock_wait = kDestinationLockWait) {
    const Result<RFC_HANDLE> opened = OpenRfcConnection(
        session, profile, ReadDestinationFile(Disk(), profile), overrides, log, lock_wait);
    if (opened) return *opened;
    failure = opened.failure().text;
    return 0;
  }

  ScopedWorkFolder folder;
  RfcSession session;
  ConnectionParameters profile;
  LogonOverrides overrides;
  StepLog log;
  std::string failure;
};

const char kFailedOpen[] = "Error 1011: RFC-Open for PRD failed !";

TEST_F(OpenRfcConnectionTest, PadsUserAndPasswordOnlyInTheLibrarysCopy) {
  struct Case {
    std::string user, password, user_passed, password_passed;
  };
  const Case cases[] = {
      {"AB", "PW", "AB          ", "PW        "},
      {"", "", "            ", "          "},
      {"TWELVECHARSX", "TENCHARSXX", "TWELVECHARSX", "TENCHARSXX"},
      {"LONGER_THAN_TWELVE", "LONGER_THAN_TEN", "LONGER_THAN_TWELVE", "LONGER_THAN_TEN"},
  };
  for (const Case &c : cases) {
    fake::Reset();
    profile.user = c.user;
    profile.password = c.password;
    EXPECT_EQ(Open(), 5u);
    EXPECT_EQ(fake::Script().user, c.user_passed);
    EXPECT_EQ(fake::Script().password, c.password_passed);
    EXPECT_EQ(profile.user, c.user) << "profile value changed";
    EXPECT_EQ(profile.password, c.password) << "profile value changed";
  }
  EXPECT_EQ(session.handle, 0u) << "the caller stores the handle";
}

TEST_F(OpenRfcConnectionTest, HostRecordPassesEmptyTextsAsNull) {
  profile.hostname = "";
  profile.sysnr = "";
  profile.gwhost = "";
  profile.gwservice = "";
  ASSERT_EQ(Open(), 5u);
  const fake::State &lib = fake::Script();
  EXPECT_EQ(lib.calls, std::vector<std::string>{"RfcOpen"});
  EXPECT_EQ(lib.options.mode, 0);
  EXPECT_EQ(lib.options.trace, 0);
  EXPECT_EQ(lib.hostname, std::nullopt);
  EXPECT_EQ(lib.sysnr, 0);
  EXPECT_EQ(lib.gateway_host, std::nullopt);
  EXPECT_EQ(lib.gateway_service, std::nullopt);
  EXPECT_EQ(lib.destination, std::optional<std::string>("PRD"));
  EXPECT_EQ(lib.client, std::optional<std::string>("100"));
  EXPECT_EQ(lib.language, std::optional<std::string>("E"));
}

TEST_F(OpenRfcConnectionTest, HostRecordCarriesHostNumberAndGateway) {
  profile.sysnr = "07";
  profile.gwhost = "gw01";
  profile.gwservice = "sapgw07";
  ASSERT_EQ(Open(), 5u);
  const fake::State &lib = fake::Script();
  EXPECT_EQ(lib.options.mode, 0);
  EXPECT_EQ(lib.hostname, std::optional<std::string>("sapprd"));
  EXPECT_EQ(lib.sysnr, 7);
  EXPECT_EQ(lib.gateway_host, std::optional<std::string>("gw01"));
  EXPECT_EQ(lib.gateway_service, std::optional<std::string>("sapgw07"));
}

TEST_F(OpenRfcConnectionTest, SystemNumberConvertsLikeTheCLibrary) {
  const std::pair<std::string, int> cases[] = {
      {"12", 12},
      {" 3", 3},
      {"5x", 5},
      {"x5", 0},
      {"-1", -1},
      {"99999999999999", 2147483647},
      {"-99999999999999", -2147483647 - 1},
      {"99999999999999999999999", 2147483647},
  };
  for (const auto &c : cases) {
    fake::Reset();
    profile.sysnr = c.first;
    Open();
    EXPECT_EQ(fake::Script().sysnr, c.second) << c.first;
  }
}

TEST_F(OpenRfcConnectionTest, OnlyExactR2SelectsTheGatewayRecord) {
  profile.gwhost = "gw02";
  profile.gwservice = "";
  profile.mode = "R/2";
  Open();
  EXPECT_EQ(fake::Script().options.mode, 1);
  EXPECT_EQ(fake::Script().gateway_host, std::optional<std::string>("gw02"));
  EXPECT_EQ(fake::Script().gateway_service, std::nullopt);

  for (const char *mode : {"r/2", "R/2 ", "", "R/3"}) {
    fake::Reset();
    profile.mode = mode;
    Open();
    EXPECT_EQ(fake::Script().options.mode, 0) << mode;
    EXPECT_EQ(fake::Script().hostname, std::optional<std::string>("sapprd")) << mode;
  }
}

TEST_F(OpenRfcConnectionTest, HostAndNumberOverridesTakeThePlaceOfTheProfiles) {
  struct Case {
    LogonOverrides overrides;
    std::optional<std::string> host;
    int sysnr;
  };
  const Case cases[] = {
      {{std::string("MyHost"), std::string("12")}, std::string("MyHost"), 12},
      {{std::string(""), std::nullopt}, std::nullopt, 0},    // an empty host: none
      {{std::string(""), std::string("")}, std::nullopt, 0}, // both empty
      {{std::nullopt, std::string("")}, std::string("sapprd"), 0},
      {{std::nullopt, std::nullopt}, std::string("sapprd"), 0}, // the profile's own
  };
  for (const Case &c : cases) {
    fake::Reset();
    overrides = c.overrides;
    Open();
    EXPECT_EQ(fake::Script().hostname, c.host);
    EXPECT_EQ(fake::Script().sysnr, c.sysnr);
    EXPECT_EQ(profile.hostname, "sapprd");
    EXPECT_EQ(profile.sysnr, "00");
  }
}

TEST_F(OpenRfcConnectionTest, DestinationFileIsCopiedAndOpenedByConnectString) {
  static const char kFile[] = "[PRD]\r\nASHOST=sapprd\nSYSNR=00\0tail\xff";
  const std::string bytes(kFile, sizeof kFile - 1); // a zero byte and a high byte included
  WriteFile(folder.Path("SapRfc.PRD"), bytes);
  WriteFile(folder.Path("SapRfc.ini"), "an older, longer destination file of another system\n");
  profile.language = "E";

  EXPECT_EQ(Open(), 5u);

  EXPECT_EQ(FileContent(folder.Path("SapRfc.ini")), bytes);
  EXPECT_EQ(DestinationFileLine(profile), "* SapRfc.Ini.......: PRD<\n");
  const fake::State &lib = fake::Script();
  EXPECT_EQ(lib.calls, std::vector<std::string>{"RfcOpenEx"});
  EXPECT_EQ(lib.connect_string, "CLIENT=100 USER=AB PASSWD=SECRET LANG=D DEST=PRD");
}

TEST(DestinationIsOneWord, NothingThatCouldAddAWordToTheConnectString) {
  for (const char *one_word : {"PRD", "PRD  ", "", "P-R_D.1"})
    EXPECT_TRUE(DestinationIsOneWord(one_word)) << one_word;
  for (const char *more :
       {"PRD USER=DDIC", " PRD", "PRD\tX", "PRD\nX", "PRD=X", "PRD\"", "PRD'", "PRD\t"})
    EXPECT_FALSE(DestinationIsOneWord(more)) << more;
}

TEST_F(OpenRfcConnectionTest, ADestinationOfMoreThanOneWordIsNotOpenedByConnectString) {
  profile.destination = "PRD USER=DDIC";
  WriteFile(folder.Path("SapRfc.PRD USER=DDIC"), "[PRD]\n");
  EXPECT_EQ(Open(), 0u);
  EXPECT_TRUE(fake::Script().calls.empty());
  EXPECT_FALSE(std::filesystem::exists(folder.Path("SapRfc.ini")));
}

TEST_F(OpenRfcConnectionTest, EmptyDestinationFileGivesEmptyIni) {
  WriteFile(folder.Path("SapRfc.PRD"), "");
  EXPECT_EQ(Open(), 5u);
  EXPECT_EQ(FileContent(folder.Path("SapRfc.ini")), std::string());
  EXPECT_EQ(fake::Script().calls, std::vector<std::string>{"RfcOpenEx"});
}

TEST_F(OpenRfcConnectionTest, IniThatCannotBeWrittenOpensNothing) {
  WriteFile(folder.Path("SapRfc.PRD"), "[PRD]\n");
  std::filesystem::create_directory(folder.Path("SapRfc.ini"));
  EXPECT_EQ(Open(), 0u);
  EXPECT_TRUE(fake::Script().calls.empty());
  EXPECT_EQ(failure, kFailedOpen);
}

// The lock guards the write of the shared "SapRfc.ini" only: during the
// logon another run may take it, and the library reads the destination's own
// file, named by RFC_INI, which is as it was again afterwards.
TEST_F(OpenRfcConnectionTest, TheLogonRunsOutsideTheLockOnTheDestinationsOwnFile) {
  WriteFile(folder.Path("SapRfc.PRD"), "[PRD]\n");
  std::optional<bool> taken_during_open;
  std::optional<std::string> ini_during_open, rfc_ini_during_open;
  fake::Script().during_open_ex = [&] {
    taken_during_open = LockExclusively("SapRfc.ini", std::chrono::milliseconds(0)).held();
    ini_during_open = FileContent(folder.Path("SapRfc.ini"));
    if (const char *named = std::getenv("RFC_INI")) rfc_ini_during_open = named;
  };
  ASSERT_EQ(std::getenv("RFC_INI"), nullptr);
  EXPECT_EQ(Open(), 5u);
  EXPECT_EQ(taken_during_open, true);
  EXPECT_EQ(ini_during_open, "[PRD]\n"); // still written for a library that reads it
  ASSERT_TRUE(rfc_ini_during_open.has_value());
  EXPECT_EQ(FileContent(*rfc_ini_during_open), "[PRD]\n");
  EXPECT_TRUE(std::filesystem::equivalent(*rfc_ini_during_open, folder.Path("SapRfc.PRD")));
  EXPECT_EQ(std::getenv("RFC_INI"), nullptr) << "RFC_INI is as it was after the open";
  EXPECT_TRUE(std::filesystem::is_regular_file(folder.Path("SapRfc.ini.lck")));
}

TEST_F(OpenRfcConnectionTest, IniLockHeldByAnotherRunEndsAsAFailedOpen) {
  WriteFile(folder.Path("SapRfc.PRD"), "[PRD]\n");
  WriteFile(folder.Path("SapRfc.ini"), "[QAS] of the run that holds the lock\n");
  const FileLock other = LockExclusively("SapRfc.ini", std::chrono::milliseconds(0));
  ASSERT_TRUE(other.held());
  EXPECT_EQ(Open(std::chrono::milliseconds(60)), 0u);
  EXPECT_TRUE(fake::Script().calls.empty());
  EXPECT_EQ(FileContent(folder.Path("SapRfc.ini")), "[QAS] of the run that holds the lock\n");
  EXPECT_EQ(failure, kFailedOpen);
}

TEST_F(OpenRfcConnectionTest, WithoutADestinationFileNoLockIsTaken) {
  const FileLock other = LockExclusively("SapRfc.ini", std::chrono::milliseconds(0));
  ASSERT_TRUE(other.held());
  EXPECT_EQ(Open(std::chrono::milliseconds(0)), 5u);
  EXPECT_EQ(fake::Script().calls, std::vector<std::string>{"RfcOpen"});
}

TEST_F(OpenRfcConnectionTest, AFailedOpenIsError1011) {
  fake::Script().open_result = 0;
  EXPECT_EQ(Open(), 0u);
  EXPECT_EQ(failure, kFailedOpen);
}

TEST_F(OpenRfcConnectionTest, SyslogWritesTheOpenStep) {
  log.enabled = true;
  fake::Script().open_result = 42;
  Open();
  std::fflush(log.file);
  const std::string end = PlatformLineEnd(); // the log is a text file of the platform
  EXPECT_EQ(FileContent(folder.Path("Quarlane.Log")), "42 RfcOpen called PRD" + end);

  WriteFile(folder.Path("SapRfc.PRD"), "");
  Open();
  EXPECT_EQ(FileContent(folder.Path("Quarlane.Log")),
            "42 RfcOpen called PRD" + end + "42 RfcOpenEx called PRD" + end);
}

TEST_F(OpenRfcConnectionTest, NoLogWithoutSyslog) {
  Open();
  EXPECT_EQ(log.file, nullptr);
  EXPECT_EQ(FileContent(folder.Path("Quarlane.Log")), std::nullopt);
}

#if !defined(_WIN32)
TEST_F(OpenRfcConnectionTest, SyslogNeverAppendsThroughALinkNamedLikeTheLog) {
  WriteFile(folder.Path("victim.txt"), "precious\n");
  std::filesystem::create_symlink(folder.Path("victim.txt"), folder.Path("Quarlane.Log"));
  log.enabled = true;
  EXPECT_EQ(Open(), 5u) << "a log that does not open is no failure";
  EXPECT_EQ(log.file, nullptr);
  EXPECT_EQ(FileContent(folder.Path("victim.txt")), "precious\n");
  EXPECT_TRUE(std::filesystem::is_symlink(folder.Path("Quarlane.Log")));
}
#endif

TEST_F(OpenRfcConnectionTest, CloseClosesTheOpenHandleOnce) {
  session.handle = 9;
  CloseRfcConnection(session);
  EXPECT_EQ(session.handle, 0u);
  CloseRfcConnection(session);
  EXPECT_EQ(fake::Script().closed, std::vector<RFC_HANDLE>{9});
}

} // namespace
} // namespace quarlane
