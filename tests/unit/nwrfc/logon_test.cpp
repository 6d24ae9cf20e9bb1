#include <gtest/gtest.h>

#include "nwrfc/logon.h"

namespace quarlane::nwrfc {
namespace {

std::string Parameters(const Logon &logon) {
  std::string text;
  for (const LogonParameter &parameter : logon.parameters)
    text += parameter.name + "=" + parameter.value + " ";
  return text;
}

HostRecord PrdRecord() {
  HostRecord record;
  record.destination = "PRD";
  record.client = "100";
  record.user = "MONITOR     "; // the caller fills user to 12 and password to 10
  record.password = "Secret01  ";
  record.language = "E";
  record.hostname = std::string("sapprd01");
  record.sysnr = 0;
  return record;
}

TEST(NwrfcLogon, HostRecordGivesApplicationServerParameters) {
  Logon logon;
  LogonProblem problem;
  ASSERT_TRUE(LogonFromHostRecord(PrdRecord(), &logon, &problem));
  EXPECT_EQ(logon.destination, "PRD");
  EXPECT_EQ(Parameters(logon),
            "client=100 user=MONITOR passwd=Secret01 lang=E ashost=sapprd01 sysnr=00 ");

  HostRecord record = PrdRecord();
  record.sysnr = 7;
  record.gateway_host = std::string("gw01");
  record.gateway_service = std::string("sapgw07");
  record.password = " lead blank"; // leading blanks are part of the password
  ASSERT_TRUE(LogonFromHostRecord(record, &logon, &problem));
  EXPECT_EQ(logon.Value("sysnr"), "07");
  EXPECT_EQ(logon.Value("gwhost"), "gw01");
  EXPECT_EQ(logon.Value("gwserv"), "sapgw07");
  EXPECT_EQ(logon.Value("passwd"), " lead blank");
}

TEST(NwrfcLogon, HostRecordProblems) {
  Logon logon;
  LogonProblem problem;
  HostRecord record = PrdRecord();
  record.hostname.reset();
  EXPECT_FALSE(LogonFromHostRecord(record, &logon, &problem));
  EXPECT_NE(problem.message.find("no application server host given for PRD"), std::string::npos);
  record = PrdRecord();
  record.sysnr = 100;
  EXPECT_FALSE(LogonFromHostRecord(record, &logon, &problem));
  EXPECT_EQ(problem.message, "system number 100 is not 00 to 99");
  const LogonProblem r2 = GatewayRecordProblem("OLDR2");
  EXPECT_NE(r2.message.find("R/2 systems cannot be reached through the SAP NetWeaver RFC SDK"),
            std::string::npos);
  EXPECT_NE(r2.message.find("OLDR2"), std::string::npos);
}

const char kDestinations[] = "* classic saprfc.ini\r\n"
                             "DEST=PRD\r\n"
                             "TYPE=A\r\n"
                             "ASHOST=sapprd01\r\n"
                             "SYSNR=0\r\n"
                             "GWHOST = sapgw01\r\n"
                             "\r\n"
                             "DEST=GRP\n"
                             "TYPE=B\n"
                             "MSHOST=msprd\n"
                             "MSSERV=3600\n"
                             "R3NAME=PRD\n"
                             "GROUP=SPACE\n"
                             "DEST=R2\n"
                             "TYPE=2\n"
                             "GWHOST=old\n"
                             "DEST=NOHOST\n"
                             "TYPE=A\n"
                             "SYSNR=00\n"
                             "DEST=NOGROUPHOST\n"
                             "TYPE=B\n"
                             "R3NAME=PRD\n";

TEST(NwrfcLogon, DestinationsOfTypeAAndB) {
  struct Case {
    const char *connect;
    const char *parameters; // nullptr: a problem whose message contains `problem`
    const char *problem;
  } cases[] = {
      {"CLIENT=100 USER=MONITOR PASSWD=Secret01 LANG=D DEST=PRD",
       "client=100 user=MONITOR passwd=Secret01 lang=D ashost=sapprd01 sysnr=00 gwhost=sapgw01 ",
       nullptr},
      {"CLIENT=100 USER=MONITOR PASSWD=Secret01 LANG=D DEST=grp",
       "client=100 user=MONITOR passwd=Secret01 lang=D mshost=msprd msserv=3600 sysid=PRD "
       "group=SPACE ",
       nullptr},
      {"CLIENT=100 DEST=R2", nullptr, "has TYPE=2; the NetWeaver RFC bridge reaches TYPE=A"},
      {"CLIENT=100 DEST=NOHOST", nullptr, "(TYPE=A) needs ASHOST= and SYSNR="},
      {"CLIENT=100 DEST=NOGROUPHOST", nullptr, "(TYPE=B, logon group) needs MSHOST= and R3NAME="},
      {"CLIENT=100 DEST=QAS", nullptr, "destination QAS not defined in SapRfc.ini"},
      {"CLIENT=100 USER=X", nullptr, "names no destination"},
  };
  for (const Case &c : cases) {
    Logon logon;
    LogonProblem problem;
    const bool ok = LogonFromConnectString(c.connect, std::string(kDestinations), &logon, &problem);
    EXPECT_EQ(ok, c.parameters != nullptr) << c.connect;
    if (ok && c.parameters) {
      EXPECT_EQ(Parameters(logon), c.parameters) << c.connect;
    }
    if (!ok && c.problem) {
      EXPECT_NE(problem.message.find(c.problem), std::string::npos) << problem.message;
    }
  }
  Logon logon;
  LogonProblem problem;
  EXPECT_FALSE(LogonFromConnectString("DEST=PRD", std::nullopt, &logon, &problem));
  EXPECT_EQ(problem.message, "destination file SapRfc.ini not found");
  EXPECT_TRUE(problem.communication);
}

TEST(NwrfcLogon, ConnectionSettingsJoinTheLogonInLowerCase) {
  Logon logon;
  logon.parameters = {{"mshost", "sapms01"}, {"msserv", "sapmsPRD"}, {"sysid", "PRD"}};
  AddConnectionSettings(
      {{"MSSERV", "3600", 4}, {"SNC_MODE", "1", 5}, {"SNC_LIB", "/usr/sap/libsapcrypto.so", 1}},
      &logon);
  EXPECT_EQ(Parameters(logon),
            "mshost=sapms01 msserv=3600 sysid=PRD snc_mode=1 snc_lib=/usr/sap/libsapcrypto.so ");
}

} // namespace
} // namespace quarlane::nwrfc
