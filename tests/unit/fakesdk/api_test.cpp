// The fake SDK through its exported functions, as the bridge calls them:
// logon and addressing, metadata, the four function modules, failures, and
// RfcCancel from another thread.
#define SAPNWRFC_API_PROTOTYPES
#include "nwrfc/sapnwrfc_api.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "server.h"
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

std::u16string U(const std::string &text) { return fakesdk::FromUtf8(text); }
std::string Narrow(const SAP_UC *text) { return fakesdk::ToUtf8(fakesdk::FromUnits(text)); }

// What a network failure's message says happened: the text of its ERROR line
// (the SDK's labelled lines), or the whole message when it has none.
std::string Said(const SAP_UC *text) {
  const std::string message = Narrow(text);
  const std::size_t line = message.find("\nERROR       ");
  if (line == std::string::npos) return message;
  const std::size_t from = line + 13;
  return message.substr(from, message.find('\n', from) - from);
}

const char kClassic[] = R"(# a 6.40 system with the classic module
sysnr    = 00
client   = 100
user     = MONITOR
passwd   = Secret12
sysid    = OLD
release  = 640
instance = sapold01_OLD_00
RFCOPSYS = "Über Ω"
lastcollwrt = "Thu Mar  5 09:04:00 2026"
cpu = TYPE=1 NBR_CPU=4 LOAD1_AVG=35 IDLE_TOTAL=93500
cpu = TYPE=2 SERIALNR=-1
summary = day=today TASKTYPE="DIALOG " COUNT=1200 RESPTI=360000 FIRSTRECTI=80000
summary = day=today TASKTYPE=BCKGRD COUNT=30 RESPTI=90000
summary = day=today instance=sapold02_OLD_01 TASKTYPE="DIALOG " COUNT=800 RESPTI=100000 FIRSTRECTI=90000
summary = day=today-1 TASKTYPE="DIALOG " COUNT=999
)";

const char kCollector[] = R"(# a 7.50 system with only the new collector
sysnr    = 10
client   = 200
user     = MONITOR
passwd   = Secret12
sysid    = NEW
release  = 750
instance = sapnew01_NEW_10
groups   = PUBLIC SPACE
aggregate = day=today TASKTYPE=01 COUNT=1200 RESPTI=360000000 CPUTI=120000499
aggregate = day=today TASKTYPE=FE COUNT=7 RESPTI=3040000
aggregate = day=today component=sapnew02_NEW_11 TASKTYPE=01 COUNT=800 RESPTI=100000000 CPUTI=1
fail = invoke RFC_SYSTEM_INFO exception=NOT_AUTHORIZED message="No RFC authorization for function module RFC_SYSTEM_INFO"
)";

class FakeSdk : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("fakesdk-unit-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(folder_);
    SetEnvironment("QUARLANE_FAKESDK_DIR", folder_.string());
    SetEnvironment("QUARLANE_FAKESDK_LOG", "");
    Write("sapold01.nwrfc", kClassic);
    Write("sapnew01.nwrfc", kCollector);
  }
  void TearDown() override {
    for (RFC_FUNCTION_HANDLE function : functions_) RfcDestroyFunction(function, nullptr);
    for (RFC_CONNECTION_HANDLE connection : connections_) RfcCloseConnection(connection, nullptr);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  void Write(const std::string &name, const std::string &text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
  }

  // Opens with name/value pairs; keeps the handle for TearDown.
  RFC_CONNECTION_HANDLE Open(const std::vector<std::pair<std::string, std::string>> &pairs) {
    std::vector<std::u16string> texts;
    for (const auto &pair : pairs) {
      texts.push_back(U(pair.first));
      texts.push_back(U(pair.second));
    }
    std::vector<RFC_CONNECTION_PARAMETER> parameters;
    for (std::size_t i = 0; i < texts.size(); i += 2)
      parameters.push_back({texts[i].c_str(), texts[i + 1].c_str()});
    RFC_CONNECTION_HANDLE connection =
        RfcOpenConnection(parameters.data(), static_cast<unsigned>(parameters.size()), &info_);
    if (connection) connections_.push_back(connection);
    return connection;
  }

  RFC_CONNECTION_HANDLE OpenClassic() {
    return Open({{"ASHOST", "sapold01"},
                 {"SYSNR", "00"},
                 {"CLIENT", "100"},
                 {"USER", "monitor"},
                 {"PASSWD", "Secret12"},
                 {"LANG", "EN"}});
  }
  RFC_CONNECTION_HANDLE OpenCollector() {
    return Open({{"ashost", "SAPNEW01"},
                 {"sysnr", "10"},
                 {"client", "200"},
                 {"user", "MONITOR"},
                 {"passwd", "Secret12"}});
  }

  RFC_FUNCTION_HANDLE Create(RFC_CONNECTION_HANDLE connection, const std::string &name) {
    RFC_FUNCTION_DESC_HANDLE desc = RfcGetFunctionDesc(connection, U(name).c_str(), &info_);
    if (!desc) return nullptr;
    RFC_FUNCTION_HANDLE function = RfcCreateFunction(desc, &info_);
    if (function) functions_.push_back(function);
    return function;
  }

  void SetChars(DATA_CONTAINER_HANDLE container, const std::string &name,
                const std::string &value) {
    const std::u16string text = U(value);
    ASSERT_EQ(RfcSetChars(container, U(name).c_str(), text.data(),
                          static_cast<unsigned>(text.size()), &info_),
              RFC_OK)
        << name << ": " << Narrow(info_.message);
  }

  std::string String(DATA_CONTAINER_HANDLE container, const std::string &name) {
    SAP_UC buffer[128];
    unsigned length = 0;
    const RFC_RC rc = RfcGetString(container, U(name).c_str(), buffer, 128, &length, &info_);
    EXPECT_EQ(rc, RFC_OK) << name << ": " << Narrow(info_.message);
    return rc == RFC_OK ? Narrow(buffer) : std::string("(failed)");
  }

  RFC_TABLE_HANDLE Table(DATA_CONTAINER_HANDLE function, const std::string &name) {
    RFC_TABLE_HANDLE table = nullptr;
    EXPECT_EQ(RfcGetTable(function, U(name).c_str(), &table, &info_), RFC_OK);
    return table;
  }

  // The table's rows, each as "FIELD=value ..." of the fields asked for.
  std::vector<std::string> Rows(RFC_TABLE_HANDLE table, const std::vector<std::string> &fields) {
    unsigned count = 0;
    EXPECT_EQ(RfcGetRowCount(table, &count, &info_), RFC_OK);
    std::vector<std::string> rows;
    for (unsigned i = 0; i < count; ++i) {
      EXPECT_EQ(RfcMoveTo(table, i, &info_), RFC_OK);
      std::string row;
      for (const std::string &field : fields)
        row += (row.empty() ? "" : " ") + field + "=" + String(table, field);
      rows.push_back(row);
    }
    return rows;
  }

  fs::path folder_;
  RFC_ERROR_INFO info_{};
  std::vector<RFC_CONNECTION_HANDLE> connections_;
  std::vector<RFC_FUNCTION_HANDLE> functions_;
};

TEST_F(FakeSdk, LogonAndAddress) {
  Write(
      "broken.nwrfc",
      "sysnr = 00\nclient = 100\nuser = U\npasswd = P\nsysid = BRK\nrelease = 750\ncolour = red\n");
  const std::vector<std::pair<std::string, std::string>> good = {{"ASHOST", "sapold01"},
                                                                 {"SYSNR", "00"},
                                                                 {"CLIENT", "100"},
                                                                 {"USER", "MONITOR"},
                                                                 {"PASSWD", "Secret12"}};
  auto with = [&](const std::string &name, const std::string &value) {
    auto pairs = good;
    for (auto &pair : pairs)
      if (pair.first == name) pair.second = value;
    return pairs;
  };
  const struct {
    const char *name;
    std::vector<std::pair<std::string, std::string>> pairs;
    RFC_RC code;
    RFC_ERROR_GROUP group;
    std::string message;
  } cases[] = {
      {"good", good, RFC_OK, OK, ""},
      {"user in lower case, padded", with("USER", "monitor     "), RFC_OK, OK, ""},
      {"padded password", with("PASSWD", "Secret12  "), RFC_LOGON_FAILURE, LOGON_FAILURE,
       "Name or password is incorrect (repeat logon)"},
      {"wrong password", with("PASSWD", "secret12"), RFC_LOGON_FAILURE, LOGON_FAILURE,
       "Name or password is incorrect (repeat logon)"},
      {"wrong client", with("CLIENT", "999"), RFC_LOGON_FAILURE, LOGON_FAILURE,
       "Client 999 is not available in this system"},
      {"one-digit system number", with("SYSNR", "0"), RFC_COMMUNICATION_FAILURE,
       COMMUNICATION_FAILURE, "partner 'sapold01:sapgw0' not reached"},
      {"other system number", with("SYSNR", "01"), RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE,
       "partner 'sapold01:sapgw01' not reached"},
      {"unknown host", with("ASHOST", "nohost"), RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE,
       "partner 'nohost:sapgw00' not reached"},
      {"host that is no file name", with("ASHOST", "../sapold01"), RFC_COMMUNICATION_FAILURE,
       COMMUNICATION_FAILURE, "partner '../sapold01:sapgw00' not reached"},
      {"no host",
       {{"SYSNR", "00"}, {"CLIENT", "100"}},
       RFC_INVALID_PARAMETER,
       EXTERNAL_RUNTIME_FAILURE,
       "Parameter ASHOST, GWHOST, MSHOST or SERVER_PORT is missing."},
      {"broken script", with("ASHOST", "broken"), RFC_EXTERNAL_FAILURE, EXTERNAL_RUNTIME_FAILURE,
       "fake NetWeaver RFC SDK: "},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    info_ = RFC_ERROR_INFO{};
    RFC_CONNECTION_HANDLE connection = Open(c.pairs);
    EXPECT_EQ(connection != nullptr, c.code == RFC_OK);
    EXPECT_EQ(info_.code, c.code);
    EXPECT_EQ(info_.group, c.group);
    const std::string message = Narrow(info_.message);
    if (std::string(c.name) == "broken script") {
      EXPECT_NE(message.find("broken.nwrfc line 7: unknown key COLOUR"), std::string::npos)
          << message;
      EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
    } else {
      EXPECT_EQ(Said(info_.message), c.message);
    }
  }
}

TEST_F(FakeSdk, LogonGroupsThroughTheMessageServer) {
  const struct {
    const char *sysid_key, *sysid, *group;
    RFC_RC code;
    const char *message;
  } cases[] = {
      {"R3NAME", "NEW", "PUBLIC", RFC_OK, ""},
      {"SYSID", "new", "public", RFC_OK, ""},
      {"R3NAME", "NEW", "BATCH", RFC_COMMUNICATION_FAILURE, "Group BATCH not found"},
      {"R3NAME", "OLD", "PUBLIC", RFC_COMMUNICATION_FAILURE,
       "partner 'sapnew01:sapmsOLD' not reached"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.sysid) + " " + c.group);
    RFC_CONNECTION_HANDLE connection = Open({{"MSHOST", "sapnew01"},
                                             {c.sysid_key, c.sysid},
                                             {"GROUP", c.group},
                                             {"CLIENT", "200"},
                                             {"USER", "MONITOR"},
                                             {"PASSWD", "Secret12"}});
    EXPECT_EQ(connection != nullptr, c.code == RFC_OK);
    EXPECT_EQ(info_.code, c.code);
    EXPECT_EQ(Said(info_.message), c.message);
  }
  // The classic system has no message server.
  EXPECT_EQ(Open({{"MSHOST", "sapold01"},
                  {"R3NAME", "OLD"},
                  {"CLIENT", "100"},
                  {"USER", "MONITOR"},
                  {"PASSWD", "Secret12"}}),
            nullptr);
}

TEST_F(FakeSdk, MetadataDescribesTheClassicRowsAsTheSensorLaysThemOut) {
  RFC_CONNECTION_HANDLE connection = OpenClassic();
  ASSERT_TRUE(connection) << Narrow(info_.message);
  RFC_FUNCTION_DESC_HANDLE desc =
      RfcGetFunctionDesc(connection, u"SAPWL_WORKLOAD_GET_SUMMARY", &info_);
  ASSERT_TRUE(desc);
  unsigned count = 0;
  ASSERT_EQ(RfcGetParameterCount(desc, &count, &info_), RFC_OK);
  ASSERT_EQ(count, 5u);
  RFC_PARAMETER_DESC parameter{};
  ASSERT_EQ(RfcGetParameterDescByIndex(desc, 0, &parameter, &info_), RFC_OK);
  EXPECT_EQ(Narrow(parameter.name), "HOSTID");
  EXPECT_EQ(parameter.type, RFCTYPE_CHAR);
  EXPECT_EQ(parameter.direction, RFC_IMPORT);
  EXPECT_EQ(parameter.nucLength, 8u);
  EXPECT_EQ(parameter.ucLength, 16u);
  ASSERT_EQ(RfcGetParameterDescByIndex(desc, 3, &parameter, &info_), RFC_OK);
  EXPECT_EQ(parameter.type, RFCTYPE_DATE);
  ASSERT_EQ(RfcGetParameterDescByIndex(desc, 4, &parameter, &info_), RFC_OK);
  EXPECT_EQ(Narrow(parameter.name), "SUMMARY");
  EXPECT_EQ(parameter.type, RFCTYPE_TABLE);
  EXPECT_EQ(parameter.direction, RFC_TABLES);
  EXPECT_EQ(parameter.nucLength, 416u);
  EXPECT_EQ(RfcGetParameterDescByIndex(desc, 5, &parameter, &info_), RFC_INVALID_PARAMETER);

  RFC_TYPE_DESC_HANDLE row = parameter.typeDescHandle;
  ASSERT_EQ(RfcGetFieldCount(row, &count, &info_), RFC_OK);
  ASSERT_EQ(count, 57u);
  // The offsets the sensor reads in the classic 416-byte row; in a Unicode
  // system the characters take two bytes and CNT001 is aligned to 4.
  const struct {
    unsigned index;
    const char *name;
    RFCTYPE type;
    unsigned nuc_length, nuc_offset, uc_offset;
  } fields[] = {
      {0, "TASKTYPE", RFCTYPE_CHAR, 7, 0, 0},      {1, "FIRSTRECTI", RFCTYPE_BCD, 6, 7, 14},
      {5, "COUNT", RFCTYPE_BCD, 8, 35, 58},        {6, "DBACTIVCNT", RFCTYPE_BCD, 8, 43, 66},
      {9, "RESPTI", RFCTYPE_BCD, 8, 67, 90},       {10, "CPUTI", RFCTYPE_BCD, 8, 75, 98},
      {26, "ROLLTI", RFCTYPE_BCD, 8, 203, 226},    {28, "READDIRTI", RFCTYPE_BCD, 8, 219, 242},
      {32, "READSEQTI", RFCTYPE_BCD, 8, 251, 274}, {36, "CHNGTI", RFCTYPE_BCD, 8, 283, 306},
      {45, "CNT001", RFCTYPE_INT, 4, 356, 380},    {54, "GUITIME", RFCTYPE_BCD, 8, 392, 416}};
  for (const auto &f : fields) {
    RFC_FIELD_DESC field{};
    ASSERT_EQ(RfcGetFieldDescByIndex(row, f.index, &field, &info_), RFC_OK);
    EXPECT_EQ(Narrow(field.name), f.name);
    EXPECT_EQ(field.type, f.type) << f.name;
    EXPECT_EQ(field.nucLength, f.nuc_length) << f.name;
    EXPECT_EQ(field.nucOffset, f.nuc_offset) << f.name;
    EXPECT_EQ(field.ucOffset, f.uc_offset) << f.name;
  }

  // A module the system does not have.
  info_ = RFC_ERROR_INFO{};
  EXPECT_EQ(RfcGetFunctionDesc(connection, u"SWNC_COLLECTOR_GET_AGGREGATES", &info_), nullptr);
  EXPECT_EQ(info_.code, RFC_ABAP_EXCEPTION);
  EXPECT_EQ(Narrow(info_.key), "FU_NOT_FOUND");
  // Names are ABAP names: upper case.
  EXPECT_EQ(RfcGetFunctionDesc(connection, u"rfc_system_info", &info_), nullptr);
}

TEST_F(FakeSdk, ClassicWorkloadChoosesRowsLikeTheSystem) {
  RFC_CONNECTION_HANDLE connection = OpenClassic();
  ASSERT_TRUE(connection);
  const std::string today = fakesdk::DayText(std::time(nullptr), 0);
  const std::string yesterday = fakesdk::DayText(std::time(nullptr), 1);
  const struct {
    const char *hostid, *instance;
    std::string day;
    std::vector<std::string> rows;
  } cases[] = {
      {"", "sapold01_OLD_00", today, {"TASKTYPE=DIALOG  COUNT=1200", "TASKTYPE=BCKGRD  COUNT=30"}},
      {"", "SAPOLD02_OLD_01", today, {"TASKTYPE=DIALOG  COUNT=800"}},
      {"sapold02", "", today, {"TASKTYPE=DIALOG  COUNT=800"}},
      {"", "TOTAL", today, {"TASKTYPE=DIALOG  COUNT=2000", "TASKTYPE=BCKGRD  COUNT=30"}},
      {"SAPOLD01", "TOTAL", today, {"TASKTYPE=DIALOG  COUNT=2000", "TASKTYPE=BCKGRD  COUNT=30"}},
      {"otherhst", "TOTAL", today, {}},
      {"", "", today, {}},
      {"", "sapold01_OLD_00", yesterday, {"TASKTYPE=DIALOG  COUNT=999"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.hostid) + "/" + c.instance + "/" + c.day);
    RFC_FUNCTION_HANDLE function = Create(connection, "SAPWL_WORKLOAD_GET_SUMMARY");
    ASSERT_TRUE(function);
    SetChars(function, "HOSTID", c.hostid);
    SetChars(function, "INSTANCE", c.instance);
    SetChars(function, "PERIODTYPE", "D");
    SetChars(function, "STARTDATE", c.day);
    ASSERT_EQ(RfcInvoke(connection, function, &info_), RFC_OK) << Narrow(info_.message);
    EXPECT_EQ(Rows(Table(function, "SUMMARY"), {"TASKTYPE", "COUNT"}), c.rows);
  }
  // The sum keeps the first row's time stamps.
  RFC_FUNCTION_HANDLE function = Create(connection, "SAPWL_WORKLOAD_GET_SUMMARY");
  SetChars(function, "INSTANCE", "TOTAL");
  SetChars(function, "PERIODTYPE", "D");
  SetChars(function, "STARTDATE", today);
  ASSERT_EQ(RfcInvoke(connection, function, &info_), RFC_OK);
  EXPECT_EQ(Rows(Table(function, "SUMMARY"), {"FIRSTRECTI", "RESPTI"})[0],
            "FIRSTRECTI=80000 RESPTI=460000");
}

TEST_F(FakeSdk, CollectorAnswersWithRawTaskTypesAndFactoredTimes) {
  RFC_CONNECTION_HANDLE connection = OpenCollector();
  ASSERT_TRUE(connection) << Narrow(info_.message);
  const std::string today = fakesdk::DayText(std::time(nullptr), 0);
  const struct {
    const char *component;
    const char *factor; // nullptr: not set, the module's default 1000
    std::vector<std::string> rows;
  } cases[] = {
      // Summed, then divided and rounded: 120000.5 ms.
      {"TOTAL", nullptr, {"COUNT=2000 RESPTI=460000 CPUTI=120001", "COUNT=7 RESPTI=3040 CPUTI=0"}},
      {"sapnew01_NEW_10",
       nullptr,
       {"COUNT=1200 RESPTI=360000 CPUTI=120000", "COUNT=7 RESPTI=3040 CPUTI=0"}},
      {"sapnew02_NEW_11", "1", {"COUNT=800 RESPTI=100000000 CPUTI=1"}},
      {"TOTAL", "1000000", {"COUNT=2000 RESPTI=460 CPUTI=120", "COUNT=7 RESPTI=3 CPUTI=0"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.component) + " " + (c.factor ? c.factor : "default"));
    RFC_FUNCTION_HANDLE function = Create(connection, "SWNC_COLLECTOR_GET_AGGREGATES");
    ASSERT_TRUE(function) << Narrow(info_.message);
    SetChars(function, "COMPONENT", c.component);
    SetChars(function, "PERIODTYPE", "D");
    SetChars(function, "PERIODSTRT", today);
    if (c.factor) SetChars(function, "FACTOR", c.factor); // characters into an INT parameter
    ASSERT_EQ(RfcInvoke(connection, function, &info_), RFC_OK) << Narrow(info_.message);
    RFC_TABLE_HANDLE table = Table(function, "TASKTYPE");
    EXPECT_EQ(Rows(table, {"COUNT", "RESPTI", "CPUTI"}), c.rows);
    ASSERT_EQ(RfcMoveTo(table, 0, &info_), RFC_OK);
    SAP_RAW code[4] = {9, 9, 9, 9};
    ASSERT_EQ(RfcGetBytes(table, u"TASKTYPE", code, 1, &info_), RFC_OK);
    EXPECT_EQ(code[0], 0x01);
    EXPECT_EQ(code[1], 9); // nothing written beyond the buffer
    EXPECT_EQ(RfcGetString(table, u"TASKTYPE", nullptr, 0, nullptr, &info_),
              RFC_CONVERSION_FAILURE);
  }
  // No rows for the day: the module's exception.
  RFC_FUNCTION_HANDLE function = Create(connection, "SWNC_COLLECTOR_GET_AGGREGATES");
  SetChars(function, "COMPONENT", "TOTAL");
  SetChars(function, "PERIODTYPE", "D");
  SetChars(function, "PERIODSTRT", "20000101");
  EXPECT_EQ(RfcInvoke(connection, function, &info_), RFC_ABAP_EXCEPTION);
  EXPECT_EQ(info_.group, ABAP_APPLICATION_FAILURE);
  EXPECT_EQ(Narrow(info_.key), "NO_DATA_FOUND");
}

TEST_F(FakeSdk, StringsOfPackedNumbersAndBufferSizes) {
  RFC_CONNECTION_HANDLE connection = OpenCollector();
  RFC_FUNCTION_HANDLE function = Create(connection, "SWNC_COLLECTOR_GET_AGGREGATES");
  SetChars(function, "COMPONENT", "TOTAL");
  SetChars(function, "PERIODTYPE", "D");
  SetChars(function, "PERIODSTRT", fakesdk::DayText(std::time(nullptr), 0));
  ASSERT_EQ(RfcInvoke(connection, function, &info_), RFC_OK);
  RFC_TABLE_HANDLE table = Table(function, "TASKTYPE");
  SAP_UC small[4];
  unsigned length = 99;
  // "460000" and its terminator need 7 units: too small, with the length needed.
  EXPECT_EQ(RfcGetString(table, u"RESPTI", small, 4, &length, &info_), RFC_BUFFER_TOO_SMALL);
  EXPECT_EQ(length, 6u);
  SAP_UC exact[7];
  EXPECT_EQ(RfcGetString(table, u"RESPTI", exact, 7, &length, &info_), RFC_OK);
  EXPECT_EQ(Narrow(exact), "460000");
  // Characters: the rest of the buffer blank, and too small a buffer refused.
  RFC_CHAR chars[10];
  EXPECT_EQ(RfcGetChars(table, u"COUNT", chars, 10, &info_), RFC_OK);
  EXPECT_EQ(fakesdk::ToUtf8(std::u16string(chars, 10)), "2000      ");
  EXPECT_EQ(RfcGetChars(table, u"COUNT", chars, 3, &info_), RFC_BUFFER_TOO_SMALL);
  EXPECT_EQ(RfcGetInt(table, u"COUNT", nullptr, &info_), RFC_CONVERSION_FAILURE);
  EXPECT_EQ(RfcGetString(table, u"NOSUCHFIELD", exact, 7, &length, &info_), RFC_INVALID_PARAMETER);
  EXPECT_EQ(RfcMoveTo(table, 2, &info_), RFC_TABLE_MOVE_EOF);
}

TEST_F(FakeSdk, SettersCheckWhatFits) {
  RFC_CONNECTION_HANDLE connection = OpenClassic();
  RFC_FUNCTION_HANDLE function = Create(connection, "SAPWL_WORKLOAD_GET_SUMMARY");
  const std::u16string long_host = u"sapold01x", padded = u"sapold01        ";
  EXPECT_EQ(RfcSetChars(function, u"HOSTID", long_host.data(), 9, &info_), RFC_CONVERSION_FAILURE);
  EXPECT_EQ(RfcSetChars(function, u"HOSTID", padded.data(), 16, &info_),
            RFC_OK); // blanks beyond the field
  EXPECT_EQ(RfcSetChars(function, u"STARTDATE", u"2026035", 7, &info_), RFC_CONVERSION_FAILURE);
  EXPECT_EQ(RfcSetChars(function, u"NOSUCH", u"x", 1, &info_), RFC_INVALID_PARAMETER);
  RFC_FUNCTION_HANDLE collector = Create(OpenCollector(), "SWNC_COLLECTOR_GET_AGGREGATES");
  EXPECT_EQ(RfcSetInt(collector, u"FACTOR", 1000, &info_), RFC_OK);
  EXPECT_EQ(RfcSetChars(collector, u"FACTOR", u"12x", 3, &info_), RFC_CONVERSION_FAILURE);
}

// The switches for the collector's unconfirmed details: the description
// and the values change, the figures stay the script's.
TEST_F(FakeSdk, CollectorSwitchesChangeTypesUnitsAndFields) {
  const std::string base =
      std::string(kCollector).substr(0, std::string(kCollector).find("fail ="));
  struct Case {
    const char *switches;
    RFCTYPE resp_type, count_type;
    double resp; // RESPTI of the own instance's first row
    const char *resp_text;
    bool rollti;
  } cases[] = {
      {"", RFCTYPE_BCD, RFCTYPE_BCD, 360000, "360000", false},
      {"collector_times = float\n", RFCTYPE_FLOAT, RFCTYPE_BCD, 360000, "3.6000000000000000E+05",
       false},
      {"collector_times = float\nfloat_text = fixed\n", RFCTYPE_FLOAT, RFCTYPE_BCD, 360000,
       "360000.000", false},
      {"collector_times = int8\ncollector_counts = int8\n", RFCTYPE_INT8, RFCTYPE_INT8, 360000,
       "360000", false},
      {"collector_unit = ms\n", RFCTYPE_BCD, RFCTYPE_BCD, 360, "360", false},
      {"collector_factor = ignored\n", RFCTYPE_BCD, RFCTYPE_BCD, 360000000, "360000000", false},
      {"collector_rollti = present\ncollector_fields = reordered\n", RFCTYPE_BCD, RFCTYPE_BCD,
       360000, "360000", true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.switches);
    Write("sapnew01.nwrfc", base + c.switches);
    RFC_CONNECTION_HANDLE connection = OpenCollector();
    ASSERT_TRUE(connection) << Narrow(info_.message);
    RFC_FUNCTION_DESC_HANDLE desc =
        RfcGetFunctionDesc(connection, u"SWNC_COLLECTOR_GET_AGGREGATES", &info_);
    ASSERT_TRUE(desc);
    RFC_PARAMETER_DESC parameter{};
    unsigned count = 0;
    ASSERT_EQ(RfcGetParameterCount(desc, &count, &info_), RFC_OK);
    for (unsigned i = 0; i < count; ++i) {
      ASSERT_EQ(RfcGetParameterDescByIndex(desc, i, &parameter, &info_), RFC_OK);
      if (Narrow(parameter.name) == "TASKTYPE") break;
    }
    unsigned fields = 0;
    ASSERT_EQ(RfcGetFieldCount(parameter.typeDescHandle, &fields, &info_), RFC_OK);
    std::map<std::string, RFCTYPE> types;
    std::string first;
    for (unsigned i = 0; i < fields; ++i) {
      RFC_FIELD_DESC field{};
      ASSERT_EQ(RfcGetFieldDescByIndex(parameter.typeDescHandle, i, &field, &info_), RFC_OK);
      types[Narrow(field.name)] = field.type;
      if (i == 0) first = Narrow(field.name);
    }
    EXPECT_EQ(types["RESPTI"], c.resp_type);
    EXPECT_EQ(types["COUNT"], c.count_type);
    EXPECT_EQ(types.count("ROLLTI"), c.rollti ? 1u : 0u);
    EXPECT_EQ(first == "TASKTYPE", !c.rollti); // reordered with ROLLTI here
    RFC_FUNCTION_HANDLE function = RfcCreateFunction(desc, &info_);
    functions_.push_back(function);
    SetChars(function, "COMPONENT", "sapnew01_NEW_10");
    SetChars(function, "PERIODTYPE", "D");
    SetChars(function, "PERIODSTRT", fakesdk::DayText(std::time(nullptr), 0));
    ASSERT_EQ(RfcInvoke(connection, function, &info_), RFC_OK) << Narrow(info_.message);
    RFC_TABLE_HANDLE table = Table(function, "TASKTYPE");
    ASSERT_EQ(RfcMoveTo(table, 0, &info_), RFC_OK);
    EXPECT_EQ(String(table, "RESPTI"), c.resp_text);
    RFC_FLOAT real = 0;
    RFC_INT8 whole = 0;
    if (c.resp_type == RFCTYPE_FLOAT) {
      EXPECT_EQ(RfcGetFloat(table, u"RESPTI", &real, &info_), RFC_OK);
      EXPECT_EQ(real, c.resp);
    } else {
      EXPECT_EQ(RfcGetFloat(table, u"RESPTI", &real, &info_), RFC_CONVERSION_FAILURE);
    }
    if (c.count_type == RFCTYPE_INT8) {
      EXPECT_EQ(RfcGetInt8(table, u"COUNT", &whole, &info_), RFC_OK);
      EXPECT_EQ(whole, 1200);
    }
  }
  Write("sapnew01.nwrfc", base + "collector_times = double\n");
  EXPECT_EQ(OpenCollector(), nullptr);
  EXPECT_NE(Narrow(info_.message).find("collector_times is one of: bcd float int8"),
            std::string::npos)
      << Narrow(info_.message);
}

// RfcSetInt1/2 take their own type only (FACTOR is INT); RfcSetInt takes
// INT, INT1 and INT2, as PyRFC and node-rfc set all three with it, when the
// value fits the field (CPU_ALL's TYPE is INT2).
TEST_F(FakeSdk, IntegerSetters) {
  RFC_FUNCTION_HANDLE function = Create(OpenCollector(), "SWNC_COLLECTOR_GET_AGGREGATES");
  EXPECT_EQ(RfcSetInt1(function, u"FACTOR", 5, &info_), RFC_CONVERSION_FAILURE);
  EXPECT_EQ(RfcSetInt2(function, u"FACTOR", 5, &info_), RFC_CONVERSION_FAILURE);
  EXPECT_EQ(RfcSetInt(function, u"FACTOR", 5, &info_), RFC_OK);

  RFC_CONNECTION_HANDLE connection = OpenClassic();
  RFC_FUNCTION_HANDLE cpu = Create(connection, "GET_CPU_ALL");
  SetChars(cpu, "LOCAL_REMOTE", "LOCAL");
  ASSERT_EQ(RfcInvoke(connection, cpu, &info_), RFC_OK);
  RFC_TABLE_HANDLE rows = Table(cpu, "TF_CPU_ALL");
  ASSERT_EQ(RfcMoveTo(rows, 0, &info_), RFC_OK);
  EXPECT_EQ(RfcSetInt(rows, u"TYPE", -7, &info_), RFC_OK);
  RFC_INT2 type = 0;
  EXPECT_EQ(RfcGetInt2(rows, u"TYPE", &type, &info_), RFC_OK);
  EXPECT_EQ(type, -7);
  EXPECT_EQ(RfcSetInt(rows, u"TYPE", 40000, &info_), RFC_CONVERSION_FAILURE);
  EXPECT_EQ(RfcSetInt1(rows, u"TYPE", 5, &info_), RFC_CONVERSION_FAILURE);
}

TEST_F(FakeSdk, CpuDataAndSystemInformation) {
  RFC_CONNECTION_HANDLE connection = OpenClassic();
  RFC_FUNCTION_HANDLE cpu = Create(connection, "GET_CPU_ALL");
  SetChars(cpu, "LOCAL_REMOTE", "LOCAL");
  ASSERT_EQ(RfcInvoke(connection, cpu, &info_), RFC_OK);
  EXPECT_EQ(String(cpu, "LASTCOLLWRT"), "Thu Mar  5 09:04:00 2026 "); // CHAR 25
  RFC_INT interval = 0;
  EXPECT_EQ(RfcGetInt(cpu, u"INTERVAL", &interval, &info_), RFC_OK);
  EXPECT_EQ(interval, 10);
  RFC_TABLE_HANDLE rows = Table(cpu, "TF_CPU_ALL");
  EXPECT_EQ(Rows(rows, {"TYPE", "SERIALNR", "NBR_CPU", "IDLE_TOTAL"}),
            (std::vector<std::string>{"TYPE=1 SERIALNR=0 NBR_CPU=4 IDLE_TOTAL=93500",
                                      "TYPE=2 SERIALNR=-1 NBR_CPU=0 IDLE_TOTAL=0"}));
  RFC_INT2 serial = 0;
  EXPECT_EQ(RfcGetInt2(rows, u"SERIALNR", &serial, &info_), RFC_OK);
  EXPECT_EQ(serial, -1);

  RFC_FUNCTION_HANDLE info = Create(connection, "RFC_SYSTEM_INFO");
  ASSERT_EQ(RfcInvoke(connection, info, &info_), RFC_OK);
  RFC_STRUCTURE_HANDLE rfcsi = nullptr;
  ASSERT_EQ(RfcGetStructure(info, u"RFCSI_EXPORT", &rfcsi, &info_), RFC_OK);
  EXPECT_EQ(String(rfcsi, "RFCHOST"), "sapold01");
  EXPECT_EQ(String(rfcsi, "RFCSAPRL"), "640 ");
  EXPECT_EQ(String(rfcsi, "RFCDEST"), "sapold01_OLD_00                 ");
  RFC_CHAR opsys[10];
  ASSERT_EQ(RfcGetChars(rfcsi, u"RFCOPSYS", opsys, 10, &info_), RFC_OK);
  EXPECT_EQ(std::u16string(opsys, 10), std::u16string(u"\u00DCber \u03A9    "));
}

TEST_F(FakeSdk, PlannedFailuresOfCalls) {
  Write("sapbad01.nwrfc",
        std::string(kClassic) +
            "fail = invoke GET_CPU_ALL communication\n"
            "fail = invoke SAPWL_WORKLOAD_GET_SUMMARY runtime message=\"DBIF_RSQL_SQL_ERROR\"\n"
            "fail = describe RFC_SYSTEM_INFO exception=X\n");
  // An exception is planned for invoke only.
  RFC_CONNECTION_HANDLE broken_script = Open({{"ASHOST", "sapbad01"},
                                              {"SYSNR", "00"},
                                              {"CLIENT", "100"},
                                              {"USER", "MONITOR"},
                                              {"PASSWD", "Secret12"}});
  EXPECT_EQ(broken_script, nullptr);
  EXPECT_NE(Narrow(info_.message).find("an ABAP exception happens at an invoke only"),
            std::string::npos);

  Write("sapbad01.nwrfc", std::string(kClassic) +
                              "fail = invoke GET_CPU_ALL communication\n"
                              "fail = invoke SAPWL_WORKLOAD_GET_SUMMARY runtime "
                              "message=\"DBIF_RSQL_SQL_ERROR\"\n");
  RFC_CONNECTION_HANDLE connection = Open({{"ASHOST", "sapbad01"},
                                           {"SYSNR", "00"},
                                           {"CLIENT", "100"},
                                           {"USER", "MONITOR"},
                                           {"PASSWD", "Secret12"}});
  ASSERT_TRUE(connection) << Narrow(info_.message);
  RFC_FUNCTION_HANDLE summary = Create(connection, "SAPWL_WORKLOAD_GET_SUMMARY");
  EXPECT_EQ(RfcInvoke(connection, summary, &info_), RFC_ABAP_RUNTIME_FAILURE);
  EXPECT_EQ(info_.group, ABAP_RUNTIME_FAILURE);
  EXPECT_EQ(Narrow(info_.message), "DBIF_RSQL_SQL_ERROR");
  RFC_FUNCTION_HANDLE cpu = Create(connection, "GET_CPU_ALL");
  EXPECT_EQ(RfcInvoke(connection, cpu, &info_), RFC_COMMUNICATION_FAILURE);
  EXPECT_EQ(info_.group, COMMUNICATION_FAILURE);
  EXPECT_EQ(Said(info_.message),
            "connection to partner 'sapbad01:sapgw00' broken during GET_CPU_ALL");
  EXPECT_EQ(Narrow(info_.message).rfind("LOCATION    CPIC (TCP/IP) on local host", 0), 0u)
      << Narrow(info_.message);
  // The broken connection is closed: nothing more goes through it.
  EXPECT_EQ(RfcInvoke(connection, summary, &info_), RFC_INVALID_HANDLE);
  EXPECT_EQ(RfcGetFunctionDesc(connection, u"RFC_SYSTEM_INFO", &info_), nullptr);

  RFC_CONNECTION_HANDLE collector = OpenCollector();
  RFC_FUNCTION_HANDLE info = Create(collector, "RFC_SYSTEM_INFO");
  EXPECT_EQ(RfcInvoke(collector, info, &info_), RFC_ABAP_EXCEPTION);
  EXPECT_EQ(Narrow(info_.key), "NOT_AUTHORIZED");
  EXPECT_EQ(Narrow(info_.message), "No RFC authorization for function module RFC_SYSTEM_INFO");
}

TEST_F(FakeSdk, CancelEndsAHangingCallFromAnotherThread) {
  Write("saphang1.nwrfc", std::string(kClassic) + "fail = invoke GET_CPU_ALL hang\n");
  RFC_CONNECTION_HANDLE connection = Open({{"ASHOST", "saphang1"},
                                           {"SYSNR", "00"},
                                           {"CLIENT", "100"},
                                           {"USER", "MONITOR"},
                                           {"PASSWD", "Secret12"}});
  ASSERT_TRUE(connection);
  RFC_FUNCTION_HANDLE cpu = Create(connection, "GET_CPU_ALL");
  const auto start = std::chrono::steady_clock::now();
  std::thread watchdog([connection] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    RFC_ERROR_INFO cancel_info{};
    EXPECT_EQ(RfcCancel(connection, &cancel_info), RFC_OK);
  });
  EXPECT_EQ(RfcInvoke(connection, cpu, &info_), RFC_CANCELED);
  watchdog.join();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(info_.group, COMMUNICATION_FAILURE);
  EXPECT_GE(took, std::chrono::milliseconds(250));
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_EQ(RfcInvoke(connection, cpu, &info_), RFC_INVALID_HANDLE); // cancelled means closed
  // A hang nobody cancels ends by itself after its seconds.
  Write("saphang2.nwrfc", std::string(kClassic) + "fail = invoke * hang seconds=1\n");
  RFC_CONNECTION_HANDLE second = Open({{"ASHOST", "saphang2"},
                                       {"SYSNR", "00"},
                                       {"CLIENT", "100"},
                                       {"USER", "MONITOR"},
                                       {"PASSWD", "Secret12"}});
  RFC_FUNCTION_HANDLE info = Create(second, "RFC_SYSTEM_INFO");
  EXPECT_EQ(RfcInvoke(second, info, &info_), RFC_COMMUNICATION_FAILURE);
  EXPECT_EQ(Narrow(info_.message),
            "connection to partner 'saphang2:sapgw00' timed out after 1 seconds");
}

TEST_F(FakeSdk, StaleAndForeignHandlesAreRefused) {
  RFC_CONNECTION_HANDLE connection = OpenClassic();
  RFC_FUNCTION_DESC_HANDLE desc = RfcGetFunctionDesc(connection, u"GET_CPU_ALL", &info_);
  RFC_FUNCTION_HANDLE function = RfcCreateFunction(desc, &info_);
  RFC_TABLE_HANDLE table = Table(function, "TF_CPU_ALL");
  // An empty table has no current row.
  EXPECT_EQ(RfcGetString(table, u"TYPE", nullptr, 0, nullptr, &info_), RFC_ILLEGAL_STATE);
  EXPECT_EQ(RfcDestroyFunction(table, &info_), RFC_INVALID_HANDLE); // not a function
  EXPECT_EQ(RfcDestroyFunction(function, &info_), RFC_OK);
  unsigned rows = 0;
  EXPECT_EQ(RfcGetRowCount(table, &rows, &info_), RFC_INVALID_HANDLE);
  EXPECT_EQ(RfcInvoke(connection, function, &info_), RFC_INVALID_HANDLE);
  int foreign = 0;
  EXPECT_EQ(
      RfcGetParameterCount(reinterpret_cast<RFC_FUNCTION_DESC_HANDLE>(&foreign), &rows, &info_),
      RFC_INVALID_HANDLE);
  EXPECT_EQ(RfcCloseConnection(connection, &info_), RFC_OK);
  connections_.clear();
  EXPECT_EQ(RfcCloseConnection(connection, &info_), RFC_INVALID_HANDLE);
  EXPECT_EQ(RfcCancel(connection, &info_), RFC_INVALID_HANDLE);
}

TEST_F(FakeSdk, CallLogShowsWhatTheCallerSent) {
  const fs::path log = folder_ / "calls.log";
  SetEnvironment("QUARLANE_FAKESDK_LOG", log.string());
  RFC_CONNECTION_HANDLE connection = OpenClassic();
  RFC_FUNCTION_HANDLE function = Create(connection, "SAPWL_WORKLOAD_GET_SUMMARY");
  SetChars(function, "INSTANCE", "TOTAL");
  SetChars(function, "STARTDATE", "20260305");
  RfcInvoke(connection, function, &info_);
  SetEnvironment("QUARLANE_FAKESDK_LOG", "");
  std::ifstream in(log, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string expected_open = "RfcOpenConnection ASHOST=[sapold01] SYSNR=[00] CLIENT=[100] "
                                    "USER=[monitor] PASSWD=[Secret12] LANG=[EN] "
                                    "-> connection ";
  EXPECT_NE(text.str().find(expected_open), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("RfcInvoke connection "), std::string::npos);
  EXPECT_NE(text.str().find(
                " SAPWL_WORKLOAD_GET_SUMMARY INSTANCE=[TOTAL                                   ] "
                "STARTDATE=[20260305]\n"),
            std::string::npos)
      << text.str();
}

} // namespace
