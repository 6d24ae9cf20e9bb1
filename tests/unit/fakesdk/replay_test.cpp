// A capture file as a fake system: a capture written by hand in the
// documented format (docs/capture-format.md), as any stand-in for the SDK
// could write one, replayed through the SDK's functions; and every kind of
// broken capture refused with its line.
#define SAPNWRFC_API_PROTOTYPES
#include "nwrfc/sapnwrfc_api.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "replay.h"
#include "text.h"

using namespace sapnwrfc;

namespace {

namespace fs = std::filesystem;

void SetEnvironment(const char *name, const std::string &value) {
#if defined(_WIN32)
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

std::string Narrow(const SAP_UC *text) { return fakesdk::ToUtf8(fakesdk::FromUnits(text)); }

const char kCapture[] = R"(# written by hand, as a stand-in for the SDK would write it
quarlane-nwrfc-capture 1
tool "a stand-in"
names replaced
verdict "ok" exit=0

function Z_FIGURES
  parameter DAY DATE import nuc=8 uc=16 decimals=0 optional=0
  parameter MODE INT import nuc=4 uc=4 decimals=0 optional=1
  parameter HEAD STRUCTURE export nuc=20 uc=40 decimals=0 optional=0
    field NAME CHAR nuc=10 nucoff=0 uc=20 ucoff=0 decimals=0
    field SHARE BCD nuc=5 nucoff=10 uc=5 ucoff=20 decimals=2
  parameter TOTAL INT8 export nuc=8 uc=8 decimals=0 optional=0
  parameter ROWS TABLE tables nuc=20 uc=20 decimals=0 optional=1
    field CODE BYTE nuc=1 nucoff=0 uc=1 ucoff=0 decimals=0
    field TIME FLOAT nuc=8 nucoff=8 uc=8 ucoff=8 decimals=0
    field TEXT CHAR nuc=6 nucoff=16 uc=12 ucoff=16 decimals=0

open 1 ms=1.5
  param ASHOST="host1"
  ok
describe 1 Z_FIGURES ms=0.1
  ok
describe 1 Z_MISSING ms=0.1
  error code=RFC_ABAP_EXCEPTION group=ABAP_APPLICATION_FAILURE key="FU_NOT_FOUND" message="no such module"
invoke 1 Z_FIGURES ms=2
  set DAY="20260305"
  set MODE=2
  ok
  structure HEAD NAME="Ω \"x\"" SHARE=-12.5
  values TOTAL=5200000000
  table ROWS rows=2
    row CODE=FE TIME=4400000.5 TEXT="a\u0007b"
    row
invoke 1 Z_FIGURES ms=2
  set DAY="20260306"
  error code=RFC_ABAP_EXCEPTION group=ABAP_APPLICATION_FAILURE key="NO_DATA_FOUND" message="NO_DATA_FOUND" abap_class="SWNC"
)";

class Replayed : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("fakesdk_replay_" + std::to_string(std::rand()));
    fs::create_directories(folder_);
    std::ofstream(folder_ / "host1.nwrfc", std::ios::binary) << kCapture;
    SetEnvironment("QUARLANE_FAKESDK_DIR", folder_.string());
  }
  void TearDown() override {
    SetEnvironment("QUARLANE_FAKESDK_DIR", "");
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  fs::path folder_;
};

TEST_F(Replayed, AnswersAsCaptured) {
  // Any logon to the captured host is taken: the capture holds no password.
  const RFC_CONNECTION_PARAMETER logon[] = {
      {u"ASHOST", u"host1"}, {u"SYSNR", u"99"}, {u"USER", u"ANYONE"}};
  RFC_ERROR_INFO info{};
  RFC_CONNECTION_HANDLE connection = RfcOpenConnection(logon, 3, &info);
  ASSERT_NE(connection, nullptr) << Narrow(info.message);

  EXPECT_EQ(RfcGetFunctionDesc(connection, u"Z_MISSING", &info), nullptr);
  EXPECT_EQ(info.code, RFC_ABAP_EXCEPTION);
  EXPECT_EQ(Narrow(info.key), "FU_NOT_FOUND");
  EXPECT_EQ(RfcGetFunctionDesc(connection, u"Z_OTHER", &info), nullptr);
  EXPECT_EQ(Narrow(info.key), "FAKESDK_NOT_IN_CAPTURE");

  RFC_FUNCTION_DESC_HANDLE description = RfcGetFunctionDesc(connection, u"Z_FIGURES", &info);
  ASSERT_NE(description, nullptr);
  unsigned count = 0;
  ASSERT_EQ(RfcGetParameterCount(description, &count, &info), RFC_OK);
  EXPECT_EQ(count, 5u);
  RFC_PARAMETER_DESC parameter{};
  ASSERT_EQ(RfcGetParameterDescByIndex(description, 4, &parameter, &info), RFC_OK);
  RFC_FIELD_DESC field{};
  ASSERT_EQ(RfcGetFieldDescByIndex(parameter.typeDescHandle, 1, &field, &info), RFC_OK);
  EXPECT_EQ(Narrow(field.name), "TIME");
  EXPECT_EQ(field.type, RFCTYPE_FLOAT);
  EXPECT_EQ(field.nucOffset, 8u);

  RFC_FUNCTION_HANDLE call = RfcCreateFunction(description, &info);
  ASSERT_NE(call, nullptr);
  ASSERT_EQ(RfcSetString(call, u"DAY", u"20260305", 8, &info), RFC_OK);
  // Not the captured MODE: no captured call matches, and the replay says so.
  ASSERT_EQ(RfcSetInt(call, u"MODE", 3, &info), RFC_OK);
  EXPECT_EQ(RfcInvoke(connection, call, &info), RFC_EXTERNAL_FAILURE);
  EXPECT_NE(Narrow(info.message).find("has no call of Z_FIGURES with DAY=\"20260305\" MODE=\"3\""),
            std::string::npos)
      << Narrow(info.message);
  ASSERT_EQ(RfcSetInt(call, u"MODE", 2, &info), RFC_OK);
  ASSERT_EQ(RfcInvoke(connection, call, &info), RFC_OK) << Narrow(info.message);

  RFC_STRUCTURE_HANDLE head = nullptr;
  ASSERT_EQ(RfcGetStructure(call, u"HEAD", &head, &info), RFC_OK);
  SAP_UC text[32];
  unsigned length = 0;
  ASSERT_EQ(RfcGetString(head, u"NAME", text, 32, &length, &info), RFC_OK);
  EXPECT_EQ(fakesdk::FromUnits(text), u"Ω \"x\"     ");
  ASSERT_EQ(RfcGetString(head, u"SHARE", text, 32, &length, &info), RFC_OK);
  EXPECT_EQ(Narrow(text), "-12.50");
  RFC_INT8 total = 0;
  ASSERT_EQ(RfcGetInt8(call, u"TOTAL", &total, &info), RFC_OK);
  EXPECT_EQ(total, 5200000000LL);

  RFC_TABLE_HANDLE rows = nullptr;
  unsigned row_count = 0;
  ASSERT_EQ(RfcGetTable(call, u"ROWS", &rows, &info), RFC_OK);
  ASSERT_EQ(RfcGetRowCount(rows, &row_count, &info), RFC_OK);
  ASSERT_EQ(row_count, 2u);
  ASSERT_EQ(RfcMoveTo(rows, 0, &info), RFC_OK);
  SAP_RAW code = 0;
  RFC_FLOAT time = 0;
  ASSERT_EQ(RfcGetBytes(rows, u"CODE", &code, 1, &info), RFC_OK);
  EXPECT_EQ(code, 0xFE);
  ASSERT_EQ(RfcGetFloat(rows, u"TIME", &time, &info), RFC_OK);
  EXPECT_EQ(time, 4400000.5);
  ASSERT_EQ(RfcGetString(rows, u"TEXT", text, 32, &length, &info), RFC_OK);
  EXPECT_EQ(fakesdk::FromUnits(text), u"a\u0007b   ");
  ASSERT_EQ(RfcMoveTo(rows, 1, &info), RFC_OK);
  ASSERT_EQ(RfcGetFloat(rows, u"TIME", &time, &info), RFC_OK);
  EXPECT_EQ(time, 0.0); // a value the capture leaves out is initial
  RfcDestroyFunction(call, &info);

  // The captured error, the ABAP message's class included.
  call = RfcCreateFunction(description, &info);
  ASSERT_EQ(RfcSetString(call, u"DAY", u"20260306", 8, &info), RFC_OK);
  EXPECT_EQ(RfcInvoke(connection, call, &info), RFC_ABAP_EXCEPTION);
  EXPECT_EQ(info.group, ABAP_APPLICATION_FAILURE);
  EXPECT_EQ(Narrow(info.key), "NO_DATA_FOUND");
  EXPECT_EQ(Narrow(info.abapMsgClass), "SWNC");
  RfcDestroyFunction(call, &info);
  EXPECT_EQ(RfcCloseConnection(connection, &info), RFC_OK);
}

TEST_F(Replayed, ARefusedLogonIsRefusedAgain) {
  std::ofstream(folder_ / "host2.nwrfc", std::ios::binary)
      << "quarlane-nwrfc-capture 1\nopen 1 ms=3\n  param ASHOST=\"host2\"\n"
         "  error code=RFC_LOGON_FAILURE group=LOGON_FAILURE key=\"RFC_LOGON_FAILURE\" "
         "message=\"Name or password is incorrect (repeat logon)\"\n";
  const RFC_CONNECTION_PARAMETER logon[] = {{u"ASHOST", u"host2"}};
  RFC_ERROR_INFO info{};
  EXPECT_EQ(RfcOpenConnection(logon, 1, &info), nullptr);
  EXPECT_EQ(info.code, RFC_LOGON_FAILURE);
  EXPECT_EQ(info.group, LOGON_FAILURE);
  EXPECT_EQ(Narrow(info.message), "Name or password is incorrect (repeat logon)");
}

TEST(Capture, BrokenCapturesAreRefusedWithTheirLine) {
  const std::string head =
      "quarlane-nwrfc-capture 1\nfunction Z\n  parameter T TABLE tables nuc=4 uc=4 decimals=0\n"
      "    field N INT nuc=4 nucoff=0 uc=4 ucoff=0 decimals=0\n";
  const struct {
    std::string text, problem;
  } cases[] = {
      {"quarlane-nwrfc-capture 2\n",
       "x line 1: capture format version 2 is not known to this replay (it reads version 1)"},
      {"# only a comment\nopen 1\n",
       "x line 2: the first line must be \"quarlane-nwrfc-capture 1\""},
      {head + "frobnicate 1\n",
       "x line 5: unknown line 'frobnicate' (or one that belongs to an invoke)"},
      {head + "invoke 1 Z\n  ok\n  table T rows=2\n    row N=1\n",
       "x line 7: rows=2 but 1 row lines follow"},
      {head + "invoke 1 Z\n  ok\n  table T rows=1\n    row N=x\n",
       "x line 8: N: 'x' is not a whole number"},
      {head + "invoke 1 Z\n  ok\n  table T rows=1\n    row M=1\n",
       "x line 8: the description has no field M"},
      {head + "invoke 1 Y\n  ok\n", "x line 5: no description of Y for its answer"},
      {head + "invoke 1 Z\n  error code=RFC_OK group=OK\n",
       "x line 6: error needs code= (an RFC_RC other than RFC_OK)"},
      {head + "invoke 1 Z\n  ok\n  values N=\"a\n", "x line 7: a text without its closing quote"},
      {head + "invoke 1 Z\n  ok\n  values N=\"\\q\"\n", "x line 7: unknown escape \\q in a text"},
      {head + "    field O CHAR nuc=1 uc=2\n",
       "x line 5: field needs nuc=, uc= and decimals= as numbers"},
      {"quarlane-nwrfc-capture 1\nparameter A CHAR import nuc=1 uc=2 decimals=0\n",
       "x line 2: parameter outside a function"},
      {"quarlane-nwrfc-capture 1\nok\n", "x line 2: an outcome without a call before it"},
  };
  for (const auto &c : cases) {
    fakesdk::Replay replay;
    std::string problem;
    EXPECT_FALSE(fakesdk::ParseCapture(c.text, "x", &replay, &problem)) << c.text;
    EXPECT_EQ(problem, c.problem) << c.text;
  }
}

TEST(Capture, IsKnownByItsFirstLine) {
  EXPECT_TRUE(fakesdk::IsCapture("\xEF\xBB\xBF# comment\n\nquarlane-nwrfc-capture 1\n"));
  EXPECT_FALSE(fakesdk::IsCapture("# a script\nsysnr = 00\n"));
  EXPECT_FALSE(fakesdk::IsCapture(""));
}

} // namespace
