#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "nwrfc/library.h"
#include "nwrfc/sdk.h"

namespace quarlane::nwrfc {
namespace {

// Runs in a fresh working folder of its own: the library writes "Dev_Rfc.Trc"
// there and reads "SapRfc.ini" from there.
class NwrfcLibrary : public ::testing::Test {
protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    folder_ = std::filesystem::temp_directory_path() /
              ("nwrfc-library-test-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }
  static std::string Trace() {
    std::ifstream file("Dev_Rfc.Trc", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }
  static RFC_ERROR_INFO LastErrorOf(Library &library) {
    RFC_ERROR_INFO info;
    std::memset(&info, 0, sizeof info);
    EXPECT_EQ(LastError(library, &info), 0);
    return info;
  }
  // The message line the sensor's trace scan takes: characters 8 to 15 "======> ".
  static std::string LastMessageLine(const std::string &trace) {
    std::string found, line;
    std::istringstream lines(trace);
    while (std::getline(lines, line))
      if (line.size() >= 15 && line.compare(7, 8, "======> ") == 0) found = line.substr(15);
    return found;
  }

  std::filesystem::path previous_, folder_;
};

TEST_F(NwrfcLibrary, GatewayRecordIsAFailureNamingR2) {
  Library library;
  char destination[] = "OLDR2", client[] = "000", user[] = "MONITOR     ",
       password[] = "Secret01  ", lang[] = "E";
  char gwhost[] = "is0001", gwserv[] = "sapgw00";
  RFC_CONNOPT_GATEWAY gateway{gwhost, gwserv};
  RFC_OPTIONS options{destination, 1, &gateway, client, user, password, lang, 0};
  EXPECT_EQ(Open(library, &options), 0u);
  const RFC_ERROR_INFO info = LastErrorOf(library);
  EXPECT_NE(std::string(info.message).find("R/2 systems cannot be reached"), std::string::npos)
      << info.message;
  EXPECT_NE(LastMessageLine(Trace()).find("R/2 systems cannot be reached"), std::string::npos)
      << Trace();

  // The bridge signs its trace as its own: the header line and each block's opening line.
  std::istringstream lines(Trace());
  std::string header, empty, opening;
  std::getline(lines, header);
  std::getline(lines, empty);
  std::getline(lines, opening);
  for (std::string *line : {&header, &empty, &opening}) // text mode on Windows: "\r\n"
    if (!line->empty() && line->back() == '\r') line->pop_back();
  EXPECT_EQ(header.rfind("**** Trace file opened at ", 0), 0u) << header;
  EXPECT_EQ(header.substr(header.size() - 38), " by librfc32, the NetWeaver RFC bridge") << header;
  EXPECT_EQ(empty, "");
  EXPECT_EQ(opening.rfind("**** ERROR  ", 0), 0u) << opening;
  EXPECT_EQ(opening.substr(opening.size() - 42), "  RfcOpen  (librfc32 NetWeaver RFC bridge)")
      << opening;
}

TEST_F(NwrfcLibrary, MissingSdkIsAFailureNamingTheFileAndTheReadme) {
  Library library;
  char destination[] = "PRD", client[] = "100", user[] = "MONITOR     ", password[] = "Secret01  ",
       lang[] = "E";
  char host[] = "sapprd01";
  RFC_CONNOPT_HOST record{host, 0, nullptr, nullptr};
  RFC_OPTIONS options{destination, 0, &record, client, user, password, lang, 0};
  // No SDK lies beside the test program or on the search path.
  EXPECT_EQ(Open(library, &options), 0u);
  const std::string message = LastMessageLine(Trace());
  EXPECT_NE(message.find(kSdkFileName), std::string::npos) << message;
  EXPECT_NE(message.find("Connecting to a real SAP system"), std::string::npos) << message;
  EXPECT_EQ(std::string(LastErrorOf(library).key), "RFC_ERROR_SDK_NOT_LOADED");
}

TEST_F(NwrfcLibrary, ConnectStringProblemsFillTheExtendedErrorRecord) {
  std::ofstream("SapRfc.ini") << "DEST=R2\nTYPE=2\nGWHOST=old\n";
  Library library;
  RFC_ERROR_INFO_EX error;
  std::memset(&error, 0, sizeof error);
  char missing[] = "CLIENT=100 USER=MONITOR PASSWD=x LANG=D DEST=QAS";
  EXPECT_EQ(OpenEx(library, missing, &error), 0u);
  EXPECT_EQ(error.group, 2); // communication: the address is unknown
  EXPECT_EQ(std::string(error.message), "destination QAS not defined in SapRfc.ini");
  char r2[] = "CLIENT=100 USER=MONITOR PASSWD=x LANG=D DEST=R2";
  EXPECT_EQ(OpenEx(library, r2, &error), 0u);
  EXPECT_EQ(error.group, 1);
  EXPECT_NE(std::string(error.message).find("has TYPE=2"), std::string::npos) << error.message;
}

TEST_F(NwrfcLibrary, CallsOnAHandleThatIsNotOpenFail) {
  Library library;
  char function[] = "RFC_SYSTEM_INFO";
  EXPECT_EQ(Call(library, 7, function, nullptr, nullptr), RFC_FAILURE);
  char *exception = nullptr;
  EXPECT_EQ(Receive(library, 7, nullptr, nullptr, &exception), RFC_FAILURE);
  EXPECT_EQ(std::string(LastErrorOf(library).key), "RFC_ERROR_INVALID_HANDLE");
  Close(library, 7); // nothing to close: no effect, no crash
  Close(library, 0);
}

TEST_F(NwrfcLibrary, InternalTablesKeepTheirRows) {
  Library library;
  char name[] = "SUMMARY";
  ITAB_H table = ItCreate(library, name, 416, 0, 0);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(ItFill(library, table), 0u);
  EXPECT_EQ(ItGetLine(library, table, 1), nullptr); // no such line: NULL, never memory of another
  FindTable(library, table)->rows.push_back(std::vector<unsigned char>(416, 7));
  EXPECT_EQ(ItFill(library, table), 1u);
  ASSERT_NE(ItGetLine(library, table, 1), nullptr);
  EXPECT_EQ(static_cast<unsigned char *>(ItGetLine(library, table, 1))[415], 7);
  EXPECT_EQ(ItDelete(library, table), 0);
  EXPECT_NE(ItDelete(library, table), 0); // twice: a failure, not a double free
  EXPECT_EQ(ItCreate(library, name, 0, 0, 0), nullptr);
}

TEST(NwrfcSdkWords, EveryCodeGroupAndTypeHasOneNameBothWays) {
  EXPECT_EQ(RcName(33), "RFC_LOCKING_FAILURE");
  EXPECT_EQ(RcName(34), "RFC_RC 34");
  EXPECT_EQ(TypeName(32), "UTCLONG");
  EXPECT_EQ(TypeName(11), "type 11");
  EXPECT_EQ(KnownGroupName(8), nullptr);
  for (int value = 0; value < 40; ++value) {
    int back = -1;
    if (const char *name = KnownRcName(value)) {
      EXPECT_TRUE(RcOfName(name, &back) && back == value) << name;
    }
    if (const char *name = KnownGroupName(value)) {
      EXPECT_TRUE(GroupOfName(name, &back) && back == value) << name;
    }
    if (const char *name = KnownTypeName(value)) {
      EXPECT_TRUE(TypeOfName(name, &back) && back == value) << name;
    }
  }
  int ignored = 0;
  EXPECT_FALSE(RcOfName("COMMUNICATION_FAILURE", &ignored)); // a group's name, not a code's
}

TEST(NwrfcSdkWords, AConnectionIsClosedByCodeOrByErrorGroup) {
  namespace nw = sapnwrfc;
  struct Case {
    nw::RFC_RC code;
    nw::RFC_ERROR_GROUP group;
    bool closed;
  } cases[] = {
      {nw::RFC_ABAP_EXCEPTION, nw::ABAP_APPLICATION_FAILURE, false},
      {nw::RFC_ABAP_MESSAGE, nw::ABAP_APPLICATION_FAILURE, true}, // by its code
      {nw::RFC_EXTERNAL_FAILURE, nw::EXTERNAL_APPLICATION_FAILURE, true},
      {nw::RFC_INVALID_PARAMETER, nw::EXTERNAL_APPLICATION_FAILURE, false},
      {nw::RFC_UNKNOWN_ERROR, nw::EXTERNAL_RUNTIME_FAILURE, true}, // by its group
      {nw::RFC_SERIALIZATION_FAILURE, nw::COMMUNICATION_FAILURE, true},
      {nw::RFC_LOGON_FAILURE, nw::LOGON_FAILURE, true},
      {nw::RFC_ABAP_EXCEPTION, nw::ABAP_RUNTIME_FAILURE, true},
      {nw::RFC_TIMEOUT, nw::EXTERNAL_AUTHORIZATION_FAILURE, false},
      {nw::RFC_CANCELED, nw::OK, true},
  };
  for (const Case &c : cases)
    EXPECT_EQ(SdkClosed(c.code, c.group), c.closed) << RcName(c.code) << " " << c.group;
}

} // namespace
} // namespace quarlane::nwrfc
