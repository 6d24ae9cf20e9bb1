#include "rfc/connection.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fake_library.h"
#include "platform/files.h"

namespace quarlane {
namespace {

class OpenRfcConnectionTest : public ::testing::Test {
protected:
  void SetUp() override {
    fake::Reset();
    run.rfc.library = &fake::Library();
    run.conn.Destination = "PRD";
    run.conn.Client = "100";
    run.conn.User = "AB";
    run.conn.Password = "SECRET";
    run.conn.Language = "E";
    run.conn.Mode = "R/3";
    run.conn.Hostname = "sapprd";
    run.conn.Sysnr = "00";
    run.out = std::fopen(folder.Path("run.out").c_str(), "w+b");
    ASSERT_NE(run.out, nullptr);
  }
  void TearDown() override {
    std::fclose(run.out);
    if (run.log) std::fclose(run.log);
  }
  std::string Printed() {
    std::fflush(run.out);
    return FileContent(folder.Path("run.out")).value_or("<unreadable>");
  }
  void Params(const std::string &raw) {
    run.ctx.params_raw = raw;
    run.ctx.params = raw;
    for (char &c : run.ctx.params)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }

  ScopedWorkFolder folder;
  quarlane::Run run;
};

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
    run.conn.User = c.user;
    run.conn.Password = c.password;
    EXPECT_EQ(OpenRfcConnection(run), 5u);
    EXPECT_EQ(fake::Script().user, c.user_passed);
    EXPECT_EQ(fake::Script().password, c.password_passed);
    EXPECT_EQ(run.conn.User, c.user) << "profile value changed";
    EXPECT_EQ(run.conn.Password, c.password) << "profile value changed";
  }
  EXPECT_EQ(run.rfc.handle, 0u) << "the caller stores the handle";
}

TEST_F(OpenRfcConnectionTest, HostRecordPassesEmptyTextsAsNull) {
  run.conn.Hostname = "";
  run.conn.Sysnr = "";
  run.conn.Gwhost = "";
  run.conn.Gwservice = "";
  ASSERT_EQ(OpenRfcConnection(run), 5u);
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
  run.conn.Sysnr = "07";
  run.conn.Gwhost = "gw01";
  run.conn.Gwservice = "sapgw07";
  ASSERT_EQ(OpenRfcConnection(run), 5u);
  const fake::State &lib = fake::Script();
  EXPECT_EQ(lib.options.mode, 0);
  EXPECT_EQ(lib.hostname, std::optional<std::string>("sapprd"));
  EXPECT_EQ(lib.sysnr, 7);
  EXPECT_EQ(lib.gateway_host, std::optional<std::string>("gw01"));
  EXPECT_EQ(lib.gateway_service, std::optional<std::string>("sapgw07"));
}

TEST_F(OpenRfcConnectionTest, SystemNumberConvertsLikeTheCLibrary) {
  const std::pair<std::string, int> cases[] = {
      {"12", 12}, {" 3", 3}, {"5x", 5}, {"x5", 0}, {"-1", -1}, {"99999999999999", 2147483647},
  };
  for (const auto &c : cases) {
    fake::Reset();
    run.conn.Sysnr = c.first;
    OpenRfcConnection(run);
    EXPECT_EQ(fake::Script().sysnr, c.second) << c.first;
  }
}

TEST_F(OpenRfcConnectionTest, OnlyExactR2SelectsTheGatewayRecord) {
  run.conn.Gwhost = "gw02";
  run.conn.Gwservice = "";
  run.conn.Mode = "R/2";
  OpenRfcConnection(run);
  EXPECT_EQ(fake::Script().options.mode, 1);
  EXPECT_EQ(fake::Script().gateway_host, std::optional<std::string>("gw02"));
  EXPECT_EQ(fake::Script().gateway_service, std::nullopt);

  for (const char *mode : {"r/2", "R/2 ", "", "R/3"}) {
    fake::Reset();
    run.conn.Mode = mode;
    OpenRfcConnection(run);
    EXPECT_EQ(fake::Script().options.mode, 0) << mode;
    EXPECT_EQ(fake::Script().hostname, std::optional<std::string>("sapprd")) << mode;
  }
}

TEST_F(OpenRfcConnectionTest, HostAndNumberOverridesReadTheirValues) {
  struct Case {
    std::string params;
    std::optional<std::string> host;
    int sysnr;
  };
  const Case cases[] = {
      {"DIALOG,HOST=MyHost,NO=12", std::string("MyHost"), 12},
      {",NO=3 ,HOST=other DIALOG", std::string("other"), 3},
      {",HOST=", std::nullopt, 0},            // the switch alone: no host
      {",HOST=,NO=", std::nullopt, 0},        // both switches, no values
      {",NO=", std::optional<std::string>("sapprd"), 0},
      {"HOST=ignored", std::string("sapprd"), 0}, // without the comma it is no override
  };
  for (const Case &c : cases) {
    fake::Reset();
    Params(c.params);
    OpenRfcConnection(run);
    EXPECT_EQ(fake::Script().hostname, c.host) << c.params;
    EXPECT_EQ(fake::Script().sysnr, c.sysnr) << c.params;
    EXPECT_EQ(run.conn.Hostname, "sapprd");
    EXPECT_EQ(run.conn.Sysnr, "00");
  }
}

TEST_F(OpenRfcConnectionTest, DestinationFileIsCopiedAndOpenedByConnectString) {
  static const char kFile[] = "[PRD]\r\nASHOST=sapprd\nSYSNR=00\0tail\xff";
  const std::string bytes(kFile, sizeof kFile - 1); // a zero byte and a high byte included
  WriteFile(folder.Path("SapRfc.PRD"), bytes);
  WriteFile(folder.Path("SapRfc.ini"), "an older, longer destination file of another system\n");
  run.conn.Language = "E";

  EXPECT_EQ(OpenRfcConnection(run), 5u);

  EXPECT_EQ(FileContent(folder.Path("SapRfc.ini")), bytes);
  EXPECT_EQ(Printed(), "* SapRfc.Ini.......: PRD<\n");
  const fake::State &lib = fake::Script();
  EXPECT_EQ(lib.calls, std::vector<std::string>{"RfcOpenEx"});
  EXPECT_EQ(lib.connect_string, "CLIENT=100 USER=AB PASSWD=SECRET LANG=D DEST=PRD");
}

TEST_F(OpenRfcConnectionTest, EmptyDestinationFileGivesEmptyIni) {
  WriteFile(folder.Path("SapRfc.PRD"), "");
  EXPECT_EQ(OpenRfcConnection(run), 5u);
  EXPECT_EQ(FileContent(folder.Path("SapRfc.ini")), std::string());
  EXPECT_EQ(fake::Script().calls, std::vector<std::string>{"RfcOpenEx"});
}

TEST_F(OpenRfcConnectionTest, IniThatCannotBeWrittenOpensNothing) {
  WriteFile(folder.Path("SapRfc.PRD"), "[PRD]\n");
  std::filesystem::create_directory(folder.Path("SapRfc.ini"));
  EXPECT_EQ(OpenRfcConnection(run), 0u);
  EXPECT_TRUE(fake::Script().calls.empty());
  EXPECT_EQ(Printed(), "* SapRfc.Ini.......: PRD<\n");
}

TEST_F(OpenRfcConnectionTest, FailedOpenReturnsZero) {
  fake::Script().open_result = 0;
  EXPECT_EQ(OpenRfcConnection(run), 0u);
  EXPECT_EQ(Printed(), "");
}

TEST_F(OpenRfcConnectionTest, SyslogWritesTheOpenStep) {
  Params("DIALOG,SYSLOG");
  fake::Script().open_result = 42;
  OpenRfcConnection(run);
  std::fflush(run.log);
  const std::string end = PlatformLineEnd(); // the log is a text file of the platform
  EXPECT_EQ(FileContent(folder.Path("Quarlane.Log")), "42 RfcOpen called PRD" + end);

  WriteFile(folder.Path("SapRfc.PRD"), "");
  OpenRfcConnection(run);
  EXPECT_EQ(FileContent(folder.Path("Quarlane.Log")),
            "42 RfcOpen called PRD" + end + "42 RfcOpenEx called PRD" + end);
}

TEST_F(OpenRfcConnectionTest, NoLogWithoutSyslog) {
  Params("DIALOG,SYS");
  OpenRfcConnection(run);
  EXPECT_EQ(run.log, nullptr);
  EXPECT_EQ(FileContent(folder.Path("Quarlane.Log")), std::nullopt);
}

TEST_F(OpenRfcConnectionTest, CloseClosesTheOpenHandleOnce) {
  run.rfc.handle = 9;
  CloseRfcConnection(run);
  EXPECT_EQ(run.rfc.handle, 0u);
  CloseRfcConnection(run);
  EXPECT_EQ(fake::Script().closed, std::vector<RFC_HANDLE>{9});
}

} // namespace
} // namespace quarlane
