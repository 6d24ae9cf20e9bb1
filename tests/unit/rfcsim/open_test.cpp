#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sim_test_support.h"

namespace quarlane::rfcsim::test {
namespace {

using OpenTest = SimTest;

TEST_F(OpenTest, WithoutLandscapeEveryOpenFailsAndSaysItIsASimulator) {
  EXPECT_EQ(OpenHost("PRD", "100", "MONITOR", "secret"), 0u);
  const RFC_ERROR_INFO info = LastErrorInfo();
  EXPECT_STREQ(info.key, "RFC_ERROR_NO_LANDSCAPE");
  EXPECT_NE(std::string(info.message).find("simulator"), std::string::npos) << info.message;
  EXPECT_NE(std::string(info.message).find("SapLandscape.ini not found in the working folder"),
            std::string::npos)
      << info.message;
  EXPECT_NE(std::string(info.message).find(folder_.filename().string()), std::string::npos)
      << info.message;

  char connect[] = "CLIENT=100 USER=MONITOR PASSWD=secret LANG=D DEST=PRD";
  RFC_ERROR_INFO_EX extended{};
  EXPECT_EQ(OpenEx(library_, connect, &extended), 0u);
  EXPECT_STREQ(extended.key, "RFC_ERROR_NO_LANDSCAPE");

  const std::string trace = Read("Dev_Rfc.Trc");
  EXPECT_NE(trace.find("simulator"), std::string::npos);
  EXPECT_NE(RetainedTraceText(trace).find("SapLandscape.ini not found"), std::string::npos)
      << trace;
}

TEST_F(OpenTest, ALandscapeWithAProblemServesNothingAndNamesTheLine) {
  Write("SapLandscape.ini", std::string(kTestLandscape) + "colour = red\n");
  EXPECT_EQ(OpenHost("PRD", "100", "MONITOR", "secret"), 0u);
  const RFC_ERROR_INFO info = LastErrorInfo();
  EXPECT_STREQ(info.key, "RFC_ERROR_LANDSCAPE");
  EXPECT_NE(std::string(info.message).find("SapLandscape.ini line 28: unknown key 'COLOUR'"),
            std::string::npos)
      << info.message;
  EXPECT_NE(Read("Dev_Rfc.Trc").find("problem..: SapLandscape.ini line 28"), std::string::npos);
}

struct LogonCase {
  const char *destination, *client, *user, *password, *hostname;
  int sysnr;
  const char *key; // empty: the open succeeds
};

TEST_F(OpenTest, ChoosesTheSystemByDestinationAndChecksAddressAndLogon) {
  Write("SapLandscape.ini", kTestLandscape);
  const LogonCase cases[] = {
      {"PRD", "100", "MONITOR", "secret", "sapprd01", 0, ""},
      {"PRD", "100", "MONITOR     ", "secret    ", "sapprd01", 0, ""}, // padded to 12 and 10
      {"prd", "100", "monitor", "secret", nullptr, 0, ""},             // no host: any
      {"PRD", "100", "MONITOR", "Secret", "sapprd01", 0, "RFC_ERROR_LOGON_FAILURE"},
      {"PRD", "100", "OTHER", "secret", "sapprd01", 0, "RFC_ERROR_LOGON_FAILURE"},
      {"PRD", "100", "MONITOR", "", "sapprd01", 0, "RFC_ERROR_LOGON_FAILURE"},
      {"PRD", "100", "MONITOR", nullptr, "sapprd01", 0, "RFC_ERROR_LOGON_FAILURE"},
      {"PRD", "200", "MONITOR", "secret", "sapprd01", 0, "RFC_ERROR_LOGON_FAILURE"},
      {"PRD", "100", "MONITOR", "secret", "sapprd09", 0, "RFC_ERROR_COMMUNICATION"},
      {"PRD", "100", "MONITOR", "secret", "sapprd01", 1, "RFC_ERROR_COMMUNICATION"},
      {"DEV", "100", "MONITOR", "secret", nullptr, 0, "RFC_ERROR_COMMUNICATION"},
      {"", "100", "MONITOR", "secret", nullptr, 0, "RFC_ERROR_PROGRAM"},
      {nullptr, "100", "MONITOR", "secret", nullptr, 0, "RFC_ERROR_PROGRAM"},
  };
  for (const LogonCase &c : cases) {
    const RFC_HANDLE handle =
        OpenHost(c.destination, c.client, c.user, c.password, c.hostname, c.sysnr);
    const std::string what = std::string(c.destination ? c.destination : "(null)") + "/" +
                             c.client + "/" + c.user + "/" + (c.password ? c.password : "(null)") +
                             "/" + (c.hostname ? c.hostname : "(null)");
    if (c.key[0] == '\0') {
      EXPECT_NE(handle, 0u) << what << ": " << LastErrorInfo().message;
      Close(library_, handle);
    } else {
      EXPECT_EQ(handle, 0u) << what;
      EXPECT_STREQ(LastErrorInfo().key, c.key) << what;
    }
  }
  OpenHost("PRD", "100", "MONITOR", "wrong");
  EXPECT_STREQ(LastErrorInfo().message, "Name or password is incorrect (repeat logon)");
  EXPECT_EQ(RetainedTraceText(Read("Dev_Rfc.Trc")), "Name or password is incorrect (repeat logon)");
}

TEST_F(OpenTest, GatewayAddressingReachesOnlyTheSystemsGateway) {
  Write("SapLandscape.ini", kTestLandscape);
  const auto open_gateway = [&](const char *host, const char *service) {
    RFC_CONNOPT_GATEWAY gateway{const_cast<char *>(host), const_cast<char *>(service)};
    RFC_OPTIONS options{const_cast<char *>("QAS"),
                        1,
                        &gateway,
                        const_cast<char *>("200"),
                        const_cast<char *>("RFCUSER"),
                        const_cast<char *>("pass word"),
                        const_cast<char *>("D"),
                        0};
    return Open(library_, &options);
  };
  EXPECT_NE(open_gateway("gwqas", "sapgw10"), 0u);
  EXPECT_NE(open_gateway(nullptr, nullptr), 0u);
  EXPECT_EQ(open_gateway("gwprd", "sapgw10"), 0u);
  EXPECT_EQ(open_gateway("gwqas", "sapgw00"), 0u);
  EXPECT_STREQ(LastErrorInfo().key, "RFC_ERROR_COMMUNICATION");
}

TEST_F(OpenTest, ConnectStringFindsItsDestinationInSapRfcIni) {
  Write("SapLandscape.ini", kTestLandscape);
  char connect[] = "CLIENT=100 USER=MONITOR PASSWD=secret LANG=D DEST=PRD";
  RFC_ERROR_INFO_EX extended{};

  EXPECT_EQ(OpenEx(library_, connect, &extended), 0u) << "no SapRfc.ini yet";
  EXPECT_NE(std::string(extended.message).find("SapRfc.ini not found"), std::string::npos)
      << extended.message;

  Write("SapRfc.ini",
        "* destinations\r\nDEST=QAS\r\nASHOST=sapqas\r\nSYSNR=10\r\nDEST=PRD\r\nTYPE=A\r\n"
        "ASHOST = sapprd01\r\nSYSNR=00\r\n");
  const RFC_HANDLE handle = OpenEx(library_, connect, &extended);
  EXPECT_NE(handle, 0u) << LastErrorInfo().message;
  EXPECT_EQ(extended.group, 0);

  Write("SapRfc.ini", "DEST=PRD\nASHOST=elsewhere\n");
  EXPECT_EQ(OpenEx(library_, connect, &extended), 0u);
  EXPECT_EQ(extended.group, 2);
  EXPECT_STREQ(extended.key, "RFC_ERROR_COMMUNICATION");

  char wrong_password[] = "CLIENT=100 USER=MONITOR PASSWD=guess LANG=D DEST=PRD";
  Write("SapRfc.ini", "DEST=PRD\n");
  EXPECT_EQ(OpenEx(library_, wrong_password, &extended), 0u);
  EXPECT_EQ(extended.group, 3);
  EXPECT_STREQ(extended.message, "Name or password is incorrect (repeat logon)");

  char no_dest[] = "CLIENT=100 USER=MONITOR PASSWD=secret";
  EXPECT_EQ(OpenEx(library_, no_dest, nullptr), 0u);
  EXPECT_EQ(OpenEx(library_, nullptr, nullptr), 0u);
}

// The NetWeaver RFC bridge reads a "SapRfc.ini" saved with a byte order mark
// and ';' comments (as Windows editors and SAP's own samples write it); the
// simulator reads the same file the same way, or the two libraries answer
// one sensor differently.
TEST_F(OpenTest, ReadsSapRfcIniWithAByteOrderMarkAndSemicolonComments) {
  Write("SapLandscape.ini", kTestLandscape);
  Write("SapRfc.ini", "\xEF\xBB\xBF"
                      "DEST=PRD\r\n"
                      "; saved by an editor that writes a byte order mark\r\n"
                      "TYPE=A\r\nASHOST=sapprd01\r\nSYSNR=00\r\n"
                      ";DEST=QAS\r\n");
  char connect[] = "CLIENT=100 USER=MONITOR PASSWD=secret LANG=D DEST=PRD";
  RFC_ERROR_INFO_EX extended{};
  EXPECT_NE(OpenEx(library_, connect, &extended), 0u) << extended.message;
  EXPECT_EQ(extended.group, 0);

  char commented_out[] = "CLIENT=100 USER=MONITOR PASSWD=secret LANG=D DEST=QAS";
  EXPECT_EQ(OpenEx(library_, commented_out, &extended), 0u);
  EXPECT_STREQ(extended.message, "destination QAS not defined in SapRfc.ini");
}

TEST_F(OpenTest, CloseOfZeroClosesEveryConnection) {
  Write("SapLandscape.ini", kTestLandscape);
  const RFC_HANDLE first = OpenHost("PRD", "100", "MONITOR", "secret");
  const RFC_HANDLE second = OpenHost("PRD", "100", "MONITOR", "secret");
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, first);
  char function[] = "RFC_SYSTEM_INFO";
  Close(library_, first);
  EXPECT_EQ(Call(library_, first, function, nullptr, nullptr), RFC_FAILURE);
  EXPECT_EQ(Call(library_, second, function, nullptr, nullptr), RFC_OK);
  Close(library_, 0);
  EXPECT_EQ(Call(library_, second, function, nullptr, nullptr), RFC_FAILURE);
  EXPECT_STREQ(LastErrorInfo().key, "RFC_ERROR_INVALID_HANDLE");
}

TEST_F(OpenTest, LastErrorFitsLongTextsIntoItsFieldsAndSaysWhenThereIsNone) {
  RFC_ERROR_INFO info;
  std::memset(&info, 'x', sizeof info);
  EXPECT_EQ(LastError(library_, &info), 1);
  EXPECT_STREQ(info.key, "");

  Write("SapLandscape.ini",
        "[system PRD]\nclient=1\nuser=U\npassword=P\nfault = open logon message=\"" +
            std::string(1000, 'm') + "\"\n");
  EXPECT_EQ(OpenHost("PRD", "1", "U", "P"), 0u);
  std::memset(&info, 'x', sizeof info);
  EXPECT_EQ(LastError(library_, &info), 0);
  EXPECT_EQ(std::strlen(info.message), sizeof info.message - 1);
  EXPECT_EQ(std::strlen(info.status), std::strlen("Logon to PRD client 1 user U refused"));
  EXPECT_LT(std::strlen(info.intstat), sizeof info.intstat);
}

} // namespace
} // namespace quarlane::rfcsim::test
