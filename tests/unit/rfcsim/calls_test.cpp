#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "rfcsim/packed.h"
#include "rfcsim/row_layout.h"
#include "sim_test_support.h"

namespace quarlane::rfcsim::test {
namespace {

class CallsTest : public SimTest {
protected:
  void SetUp() override {
    SimTest::SetUp();
    Write("SapLandscape.ini", kTestLandscape);
    handle_ = OpenHost("PRD", "100", "MONITOR", "secret");
    ASSERT_NE(handle_, 0u);
  }

  RFC_TYPEHANDLE Install(const char *name, unsigned entries) {
    std::vector<RFC_TYPE_ELEMENT> elements(
        entries, RFC_TYPE_ELEMENT{const_cast<char *>("F"), RFCTYPE_CHAR, 1, 0, 0});
    RFC_TYPEHANDLE type = 0;
    EXPECT_EQ(InstallStructure(library_, const_cast<char *>(name), elements.data(), entries, &type),
              0);
    EXPECT_NE(type, 0u);
    return type;
  }

  // Calls the summary with these exporting values; the rows' task types.
  std::vector<std::string> Summary(const std::string &hostid, const std::string &instance,
                                   const std::string &startdate, const std::string &period = "D") {
    char hostid_value[8], instance_value[39], period_value[1], date_value[8];
    std::memcpy(hostid_value, PadTo(hostid, 8).data(), 8);
    std::memcpy(instance_value, PadTo(instance, 39).data(), 39);
    std::memcpy(period_value, PadTo(period, 1).data(), 1);
    std::memcpy(date_value, PadTo(startdate, 8).data(), 8);
    ParameterList exporting;
    exporting.Add("HOSTID", RFCTYPE_CHAR, 8, hostid_value)
        .Add("INSTANCE", RFCTYPE_CHAR, 39, instance_value)
        .Add("PERIODTYPE", RFCTYPE_CHAR, 1, period_value)
        .Add("STARTDATE", RFCTYPE_DATE, 8, date_value);
    ITAB_H table = ItCreate(library_, const_cast<char *>("SUMMARY"), 416, 0, 0);
    TableList tables;
    tables.Add("SUMMARY", summary_type_, table);
    ParameterList importing;
    char *exception = nullptr;
    char function[] = "SAPWL_WORKLOAD_GET_SUMMARY";
    EXPECT_EQ(Call(library_, handle_, function, exporting.Get(), tables.Get()), RFC_OK);
    EXPECT_EQ(Receive(library_, handle_, importing.Get(), tables.Get(), &exception), RFC_OK);
    std::vector<std::string> task_types;
    rows_.clear();
    for (unsigned line = 1; line <= ItFill(library_, table); ++line) {
      const auto *row = static_cast<const unsigned char *>(ItGetLine(library_, table, line));
      task_types.emplace_back(reinterpret_cast<const char *>(row), 7);
      rows_.emplace_back(row, row + 416);
    }
    EXPECT_EQ(ItDelete(library_, table), 0);
    return task_types;
  }

  static std::string PadTo(const std::string &text, std::size_t width) {
    std::string padded = text;
    padded.resize(width, ' ');
    return padded;
  }

  static std::vector<unsigned char> Packed(std::int64_t value) {
    std::vector<unsigned char> out(8);
    EncodePacked(value, 8, out.data());
    return out;
  }

  std::vector<unsigned char> Field(std::size_t row, unsigned offset) const {
    return std::vector<unsigned char>(rows_.at(row).begin() + offset,
                                      rows_.at(row).begin() + offset + 8);
  }

  RFC_HANDLE handle_ = 0;
  RFC_TYPEHANDLE summary_type_ = 0;
  std::vector<std::vector<unsigned char>> rows_;
};

TEST_F(CallsTest, CpuCallDeliversRowsAndImportingValuesOfExactLength) {
  const RFC_TYPEHANDLE cpu_type = Install("CPU_ALL", 13);
  ITAB_H table = ItCreate(library_, const_cast<char *>("TF_CPU_ALL"), 48, 0, 0);
  ASSERT_NE(table, nullptr);
  char local_remote[] = "LOCAL ";
  char logical[33] = "                                ";
  ParameterList exporting;
  exporting.Add("LOCAL_REMOTE", RFCTYPE_CHAR, 6, local_remote)
      .Add("LOGICAL_DESTINATION", RFCTYPE_CHAR, 32, logical);
  TableList tables;
  tables.Add("TF_CPU_ALL", cpu_type, table);

  // Guard bytes after each field show that exactly leng bytes are written.
  char lastcollwrt[26];
  char f_cpu_all_read[4];
  std::memset(lastcollwrt, '#', sizeof lastcollwrt);
  std::memset(f_cpu_all_read, '#', sizeof f_cpu_all_read);
  std::int32_t interval = -1;
  ParameterList importing;
  importing.Add("LASTCOLLWRT", RFCTYPE_CHAR, 25, lastcollwrt)
      .Add("F_CPU_ALL_READ", RFCTYPE_CHAR, 3, f_cpu_all_read)
      .Add("INTERVAL", RFCTYPE_INT, 4, &interval);

  char function[] = "GET_CPU_ALL";
  char *exception = nullptr;
  ASSERT_EQ(Call(library_, handle_, function, exporting.Get(), tables.Get()), RFC_OK);
  ASSERT_EQ(Receive(library_, handle_, importing.Get(), tables.Get(), &exception), RFC_OK);

  EXPECT_EQ(std::string(lastcollwrt, 26), "Thu Mar  5 09:04:00 2026 #");
  EXPECT_EQ(std::string(f_cpu_all_read, 4), "X  #");
  EXPECT_EQ(interval, 10);
  ASSERT_EQ(ItFill(library_, table), 2u);
  const auto *first = static_cast<const unsigned char *>(ItGetLine(library_, table, 1));
  const auto *second = static_cast<const unsigned char *>(ItGetLine(library_, table, 2));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  std::int32_t cpus = 0, idle = 0;
  std::int16_t serial = -1;
  std::memcpy(&cpus, first + 8, 4);
  std::memcpy(&idle, first + 44, 4);
  std::memcpy(&serial, second + 4, 2);
  EXPECT_EQ(cpus, 4);
  EXPECT_EQ(idle, 9000);
  EXPECT_EQ(serial, 1);
  EXPECT_EQ(ItGetLine(library_, table, 0), nullptr);
  EXPECT_EQ(ItGetLine(library_, table, 3), nullptr);
  EXPECT_EQ(ItDelete(library_, table), 0);
  EXPECT_EQ(ItDelete(library_, table), 1) << "a deleted table is gone";
}

TEST_F(CallsTest, SystemInfoFillsTheRfcsiStructure) {
  const RFC_TYPEHANDLE rfcsi_type = Install("RFCSI", 18);
  char rfcsi[201];
  rfcsi[200] = '#';
  std::int32_t resources = 0;
  char login[1];
  ParameterList importing;
  importing.Add("CURRENT_RESOURCES", RFCTYPE_INT, 4, &resources)
      .Add("RFCSI_EXPORT", rfcsi_type, 200, rfcsi)
      .Add("RFC_LOGIN_COMPLETE", RFCTYPE_CHAR, 1, login);
  char function[] = "RFC_SYSTEM_INFO";
  char *exception = nullptr;
  ASSERT_EQ(Call(library_, handle_, function, nullptr, nullptr), RFC_OK);
  ASSERT_EQ(Receive(library_, handle_, importing.Get(), nullptr, &exception), RFC_OK);
  const std::string text(rfcsi, 201);
  EXPECT_EQ(text.substr(13, 32), PadTo("sapprd01_PRD_00", 32)); // RFCDEST
  EXPECT_EQ(text.substr(45, 8), "sapprd01");                    // RFCHOST
  EXPECT_EQ(text.substr(53, 8), PadTo("PRD", 8));               // RFCSYSID
  EXPECT_EQ(text.substr(111, 4), "700 ");                       // RFCSAPRL
  EXPECT_EQ(text[200], '#');
  EXPECT_EQ(resources, 5);
  EXPECT_EQ(login[0], 'X');
}

TEST_F(CallsTest, SummarySelectsInstanceAndDayAsTheSystemWould) {
  summary_type_ = Install("SAPWLSUMRY", 57);
  struct Case {
    const char *hostid, *instance, *startdate;
    std::vector<std::string> task_types;
  };
  const Case cases[] = {
      {"", "sapprd01_PRD_00", "20260305", {"DIALOG ", "BCKGRD "}}, // newer form
      {"", "SAPPRD02_prd_01", "20260305", {"DIALOG ", "ALE    "}}, // case ignored
      {"sapprd01", "", "20260305", {"DIALOG ", "BCKGRD "}},        // older form: first 8 characters
      {"SAPPRD01",
       "TOTAL",
       "20260305",
       {"DIALOG ", "BCKGRD ", "ALE    "}}, // all instances added up
      {"", "TOTAL", "20260305", {"DIALOG ", "BCKGRD ", "ALE    "}},
      {"OTHERHST", "TOTAL", "20260305", {}},            // not this system's host
      {"", "sapprd01_PRD_00", "20260304", {"DIALOG "}}, // the day before
      {"", "sapprd01_PRD_00", "20260303", {}},          // a day without rows
      {"", "sapprd03_PRD_02", "20260305", {}},          // no such instance
      {"", "", "20260305", {}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Summary(c.hostid, c.instance, c.startdate), c.task_types)
        << c.hostid << "/" << c.instance << "/" << c.startdate;
  EXPECT_TRUE(Summary("", "sapprd01_PRD_00", "20260305", "W").empty()) << "weeks are not simulated";
}

TEST_F(CallsTest, SummaryRowsCarryThePackedCounters) {
  summary_type_ = Install("SAPWLSUMRY", 57);
  ASSERT_EQ(Summary("", "sapprd01_PRD_00", "20260305").size(), 2u);
  EXPECT_EQ(Field(0, 35), Packed(1200));   // COUNT
  EXPECT_EQ(Field(0, 43), Packed(5000));   // DBACTIVCNT
  EXPECT_EQ(Field(0, 67), Packed(360000)); // RESPTI
  EXPECT_EQ(Field(0, 75), Packed(120000)); // CPUTI
  EXPECT_EQ(Field(1, 35), Packed(30));

  ASSERT_EQ(Summary("", "TOTAL", "20260305").size(), 3u);
  EXPECT_EQ(Field(0, 35), Packed(2000));   // 1200 + 800 dialog steps
  EXPECT_EQ(Field(0, 67), Packed(460000)); // 360000 + 100000
  EXPECT_EQ(Field(2, 35), Packed(5));
}

TEST_F(CallsTest, TodayAndNowFollowTheClock) {
  Write("SapLandscape.ini", "[system NOW]\nclient=1\nuser=U\npassword=P\nlastcollwrt = now\n"
                            "workload = day=today TASKTYPE=DIALOG COUNT=7\n"
                            "workload = day=today-1 TASKTYPE=DIALOG COUNT=6\n");
  handle_ = OpenHost("NOW", "1", "U", "P");
  ASSERT_NE(handle_, 0u);
  char lastcollwrt[25];
  ParameterList importing;
  importing.Add("LASTCOLLWRT", RFCTYPE_CHAR, 25, lastcollwrt);
  char function[] = "GET_CPU_ALL";
  char *exception = nullptr;
  ASSERT_EQ(Call(library_, handle_, function, nullptr, nullptr), RFC_OK);
  ASSERT_EQ(Receive(library_, handle_, importing.Get(), nullptr, &exception), RFC_OK);
  EXPECT_EQ(std::string(lastcollwrt, 25), "Thu Mar  5 09:04:00 2026 ");

  summary_type_ = Install("SAPWLSUMRY", 57);
  ASSERT_EQ(Summary("", "TOTAL", "20260305").size(), 1u);
  EXPECT_EQ(Field(0, 35), Packed(7));
  ASSERT_EQ(Summary("", "TOTAL", "20260304").size(), 1u);
  EXPECT_EQ(Field(0, 35), Packed(6));
}

TEST_F(CallsTest, NamesAreReadAsExactlyNlenBytes) {
  summary_type_ = Install("SAPWLSUMRY", 57);
  // One buffer holding the names back to back, none of them terminated.
  char names[] = "HOSTIDINSTANCEPERIODTYPESTARTDATESUMMARYX";
  char hostid[8], instance[39], period[1] = {'D'}, date[8];
  std::memcpy(hostid, "        ", 8);
  std::memcpy(instance, PadTo("sapprd02_PRD_01", 39).data(), 39);
  std::memcpy(date, "20260305", 8);
  RFC_PARAMETER exporting[] = {{names, 6, RFCTYPE_CHAR, 8, hostid},
                               {names + 6, 8, RFCTYPE_CHAR, 39, instance},
                               {names + 14, 10, RFCTYPE_CHAR, 1, period},
                               {names + 24, 9, RFCTYPE_DATE, 8, date},
                               {nullptr, 0, 0, 0, nullptr}};
  ITAB_H table = ItCreate(library_, const_cast<char *>("SUMMARY"), 416, 0, 0);
  RFC_TABLE tables[] = {{names + 33, 7, summary_type_, 0, table, 0, 0},
                        {nullptr, 0, 0, 0, nullptr, 0, 0}};
  RFC_PARAMETER importing[] = {{nullptr, 0, 0, 0, nullptr}};
  char function[] = "SAPWL_WORKLOAD_GET_SUMMARY";
  char *exception = nullptr;
  ASSERT_EQ(Call(library_, handle_, function, exporting, tables), RFC_OK);
  ASSERT_EQ(Receive(library_, handle_, importing, tables, &exception), RFC_OK);
  EXPECT_EQ(ItFill(library_, table), 2u);
}

TEST_F(CallsTest, RowsTakeTheLengthOfTheTableNotOfTheEntry) {
  summary_type_ = Install("SAPWLSUMRY", 57);
  for (unsigned length : {420u, 100u}) {
    ITAB_H table = ItCreate(library_, const_cast<char *>("SUMMARY"), length, 0, 0);
    TableList tables;
    tables.Add("SUMMARY", summary_type_, table);
    RFC_TABLE *list = tables.Get();
    list[0].leng = 7; // whatever the entry says
    char instance[] = "sapprd01_PRD_00";
    ParameterList exporting;
    exporting.Add("INSTANCE", RFCTYPE_CHAR, 15, instance);
    char function[] = "SAPWL_WORKLOAD_GET_SUMMARY";
    char *exception = nullptr;
    ASSERT_EQ(Call(library_, handle_, function, exporting.Get(), list), RFC_OK);
    ASSERT_EQ(Receive(library_, handle_, nullptr, list, &exception), RFC_OK);
    ASSERT_EQ(ItFill(library_, table), 2u) << "STARTDATE missing: today";
    const auto *row = static_cast<const unsigned char *>(ItGetLine(library_, table, 1));
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(row), 7), "DIALOG ");
    if (length == 420) {
      EXPECT_EQ(std::vector<unsigned char>(row + 416, row + 420), std::vector<unsigned char>(4, 0));
    }
    ItDelete(library_, table);
  }
}

TEST_F(CallsTest, UnknownFunctionHandleOrOrderFailLikeARealSystem) {
  char unknown[] = "Z_NO_SUCH_MODULE";
  char *exception = nullptr;
  EXPECT_EQ(Call(library_, handle_, unknown, nullptr, nullptr), RFC_OK);
  EXPECT_EQ(Receive(library_, handle_, nullptr, nullptr, &exception), RFC_EXCEPTION);
  ASSERT_NE(exception, nullptr);
  EXPECT_STREQ(exception, "FUNCTION_NOT_FOUND");

  EXPECT_EQ(Receive(library_, handle_, nullptr, nullptr, &exception), RFC_FAILURE)
      << "nothing called";
  EXPECT_STREQ(LastErrorInfo().key, "RFC_ERROR_PROTOCOL");

  char function[] = "RFC_SYSTEM_INFO";
  EXPECT_EQ(Call(library_, handle_ + 99, function, nullptr, nullptr), RFC_FAILURE);
  EXPECT_EQ(Receive(library_, handle_ + 99, nullptr, nullptr, &exception), RFC_FAILURE);
  EXPECT_EQ(Call(library_, handle_, nullptr, nullptr, nullptr), RFC_FAILURE);
}

TEST_F(CallsTest, TablesMustBeRealAndOfTheRightRowType) {
  const RFC_TYPEHANDLE cpu_type = Install("CPU_ALL", 13);
  summary_type_ = Install("SAPWLSUMRY", 57);
  EXPECT_EQ(Install("SAPWLSUMRY", 57), summary_type_) << "installed again: the same handle";
  char function[] = "SAPWL_WORKLOAD_GET_SUMMARY";
  char *exception = nullptr;

  int not_a_table = 0;
  TableList bogus;
  bogus.Add("SUMMARY", summary_type_, &not_a_table);
  ASSERT_EQ(Call(library_, handle_, function, nullptr, bogus.Get()), RFC_OK);
  EXPECT_EQ(Receive(library_, handle_, nullptr, bogus.Get(), &exception), RFC_FAILURE);
  EXPECT_EQ(not_a_table, 0);

  ITAB_H table = ItCreate(library_, const_cast<char *>("SUMMARY"), 416, 0, 0);
  TableList mistyped;
  mistyped.Add("SUMMARY", cpu_type, table);
  ASSERT_EQ(Call(library_, handle_, function, nullptr, mistyped.Get()), RFC_OK);
  EXPECT_EQ(Receive(library_, handle_, nullptr, mistyped.Get(), &exception), RFC_FAILURE);
  EXPECT_STREQ(LastErrorInfo().key, "RFC_ERROR_CONVERSION");
  EXPECT_EQ(ItFill(library_, table), 0u);
  ItDelete(library_, table);
}

TEST_F(CallsTest, UnknownTableHandlesAreRefusedWithoutTouchingThem) {
  int not_a_table = 42;
  EXPECT_EQ(ItFill(library_, &not_a_table), 0u);
  EXPECT_EQ(ItGetLine(library_, &not_a_table, 1), nullptr);
  EXPECT_EQ(ItDelete(library_, &not_a_table), 1);
  EXPECT_EQ(ItDelete(library_, nullptr), 1);
  EXPECT_EQ(not_a_table, 42);
  EXPECT_EQ(ItCreate(library_, const_cast<char *>("EMPTY"), 0, 0, 0), nullptr);
}

} // namespace
} // namespace quarlane::rfcsim::test
