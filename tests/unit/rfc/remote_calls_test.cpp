#include "rfc/remote_calls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "fake_library.h"
#include "platform/files.h"
#include "rfc/error_report.h"

namespace quarlane {
namespace {

class RemoteCallTest : public ::testing::Test {
protected:
  void SetUp() override {
    fake::Reset();
    session.library = &fake::Library();
    session.handle = 7;
  }
  RfcSession session;
  StepLog log;
};

// What the library saw of a list entry, without its value.
struct Descriptor {
  std::string name;
  RFC_TYPEHANDLE type;
  unsigned leng;
  bool operator==(const Descriptor &other) const {
    return name == other.name && type == other.type && leng == other.leng;
  }
};
std::ostream &operator<<(std::ostream &out, const Descriptor &d) {
  return out << d.name << "/" << d.type << "/" << d.leng;
}
std::vector<Descriptor> Descriptors(const std::vector<fake::Entry> &entries) {
  std::vector<Descriptor> out;
  for (const fake::Entry &e : entries) {
    EXPECT_EQ(e.nlen, e.name.size()) << e.name;
    out.push_back(Descriptor{e.name, e.type, e.leng});
  }
  return out;
}

TEST(ParameterList, NamesOutliveTheCallersTextsAndTheListEnds) {
  ParameterList list;
  int a = 0, b = 0;
  {
    std::string name = "FIRST";
    list.Add(name.c_str(), RFCTYPE_INT, 4, &a);
    name = "XXXXX";
  }
  list.Add("SECOND_NAME", RFCTYPE_CHAR, 12, &b);
  RFC_PARAMETER *entries = list.Entries();
  EXPECT_EQ(std::string(static_cast<char *>(entries[0].name), entries[0].nlen), "FIRST");
  EXPECT_EQ(entries[0].type, static_cast<RFC_TYPEHANDLE>(RFCTYPE_INT));
  EXPECT_EQ(entries[0].leng, 4u);
  EXPECT_EQ(entries[0].addr, &a);
  EXPECT_EQ(std::string(static_cast<char *>(entries[1].name), entries[1].nlen), "SECOND_NAME");
  EXPECT_EQ(entries[1].addr, &b);
  EXPECT_EQ(entries[2].name, nullptr);

  ParameterList empty;
  EXPECT_EQ(empty.Entries()[0].name, nullptr);
}

TEST(TableList, SetsNameTypeAndHandleOnly) {
  TableList list;
  int table = 0;
  list.Add("SUMMARY", 101, &table);
  RFC_TABLE *entries = list.Entries();
  EXPECT_EQ(std::string(static_cast<char *>(entries[0].name), entries[0].nlen), "SUMMARY");
  EXPECT_EQ(entries[0].type, 101u);
  EXPECT_EQ(entries[0].ithandle, &table);
  EXPECT_EQ(entries[0].leng, 0u);
  EXPECT_EQ(entries[0].itmode, 0);
  EXPECT_EQ(entries[0].newitab, 0);
  EXPECT_EQ(entries[1].name, nullptr);
}

TEST_F(RemoteCallTest, EachReturnCodeHasItsMessage) {
  struct Case {
    RFC_RC code;
    std::string exception;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {0, "", std::nullopt},
      {1, "", "Error 1014: RFC-Failure raised !"},
      {2, "NO_DATA_FOUND", "Error 1012: Exception.: NO_DATA_FOUND"},
      {2, "A&B<C>", "Error 1012: Exception.: A&B<C>"}, // the error document escapes
      {3, "SYSTEM_FAILURE", "Error 1013: Sys-Exception raised !"},
      {4, "", "Error 1015: Other Failure raised !"},
      {-1, "", "Error 1015: Other Failure raised !"},
  };
  for (const Case &c : cases) {
    const Status called = CallFailure(c.code, c.exception);
    EXPECT_EQ(!called.ok(), c.text.has_value()) << c.code;
    if (!called && c.text) {
      EXPECT_EQ(called.failure().text, *c.text) << c.code;
    }
  }
}

TEST_F(RemoteCallTest, FailedCallSkipsTheReceive) {
  fake::Script().call_result = RFC_FAILURE;
  ParameterList exporting, importing;
  TableList tables;
  const Status called = CallAndReceive(session, log, "FUNC", exporting, tables, importing);
  ASSERT_FALSE(called.ok());
  EXPECT_EQ(called.failure().text, "Error 1014: RFC-Failure raised !");
  EXPECT_EQ(fake::Script().calls, std::vector<std::string>{"RfcCall FUNC"});
  EXPECT_EQ(fake::Script().call_handle, 7u);
}

TEST_F(RemoteCallTest, TheReceivesCodeAndExceptionNameMakeTheFailure) {
  struct Case {
    RFC_RC code;
    const char *reported;
    std::string failure; // empty: success
  };
  const Case cases[] = {
      {RFC_EXCEPTION, "NOT_FOUND", "Error 1012: Exception.: NOT_FOUND"},
      {RFC_SYS_EXCEPTION, "SYSTEM_FAILURE", "Error 1013: Sys-Exception raised !"},
      {RFC_EXCEPTION, nullptr, "Error 1012: Exception.: "}, // a library that names none
      {RFC_OK, "STALE", ""},
      {RFC_FAILURE, "STALE", "Error 1014: RFC-Failure raised !"},
  };
  for (const Case &c : cases) {
    fake::Reset();
    fake::Script().receive_result = c.code;
    fake::Script().exception = c.reported;
    ParameterList exporting, importing;
    TableList tables;
    int table = 0;
    tables.Add("T", 1, &table);
    const Status called = CallAndReceive(session, log, "FUNC", exporting, tables, importing);
    EXPECT_EQ(called ? std::string() : called.failure().text, c.failure);
    EXPECT_EQ(fake::Script().calls, (std::vector<std::string>{"RfcCall FUNC", "RfcReceive"}));
    EXPECT_EQ(fake::Script().receive_handle, 7u);
    EXPECT_EQ(fake::Script().receive_table_list, fake::Script().call_table_list)
        << "the receive gets the same table list";
  }
}

TEST_F(RemoteCallTest, CallAndReceiveLogWithSyslog) {
  ScopedWorkFolder folder;
  log.enabled = true;
  ParameterList exporting, importing;
  TableList tables;
  EXPECT_TRUE(CallAndReceive(session, log, "RFC_PING", exporting, tables, importing).ok());
  std::fclose(log.file);
  const std::string end = PlatformLineEnd();
  EXPECT_EQ(FileContent(folder.Path("Quarlane.Log")),
            "7 RfcCall called RFC_PING" + end + "7 RfcReceive called RFC_PING" + end);
}

// GET_CPU_ALL

const std::vector<Descriptor> kCpuImporting = {
    {"ACTIVEFLAG", 8, 4},     {"DETAILSCOLL", 8, 4}, {"DETAILSMODE", 8, 4}, {"DETAILSREQI", 8, 4},
    {"F_CPU_ALL_READ", 0, 3}, {"INTERVAL", 8, 4},    {"LASTCOLLINT", 8, 4}, {"LASTCOLLWRT", 0, 25},
    {"NORMCOLLINT", 8, 4},    {"OP_SYSTEM", 0, 52},
};

TEST_F(RemoteCallTest, CpuDataCallPassesItsListsAndSetsDateAndTime) {
  fake::State &lib = fake::Script();
  lib.fill = 3;
  lib.received["LASTCOLLWRT"] = "Thu Mar  5 09:04:00 2026 "; // exactly 25 bytes, no terminator
  lib.received["OP_SYSTEM"] = std::string(52, 'L');
  lib.received["F_CPU_ALL_READ"] = "XYZ";

  const Result<SystemClock> clock = FetchCpuData(session, log);
  ASSERT_TRUE(clock.ok());

  EXPECT_EQ(lib.calls,
            (std::vector<std::string>{"RfcInstallStructure CPU_ALL", "ItCreate",
                                      "RfcCall GET_CPU_ALL", "RfcReceive", "ItFill", "ItDelete"}));
  EXPECT_EQ(lib.created_table, "TF_CPU_ALL");
  EXPECT_EQ(lib.created_leng, 48u);
  EXPECT_EQ(lib.created_occu, 0u);
  EXPECT_EQ(lib.created_memo, 0u);

  ASSERT_EQ(lib.exporting.size(), 2u);
  EXPECT_EQ(Descriptors(lib.exporting),
            (std::vector<Descriptor>{{"LOCAL_REMOTE", 0, 6}, {"LOGICAL_DESTINATION", 0, 32}}));
  EXPECT_EQ(lib.exporting[0].value, "LOCAL ");
  EXPECT_EQ(lib.exporting[1].value, std::string(32, ' '));

  ASSERT_EQ(lib.call_tables.size(), 1u);
  const fake::Entry &table = lib.call_tables[0];
  EXPECT_EQ(table.name, "TF_CPU_ALL");
  EXPECT_EQ(table.nlen, 10u);
  EXPECT_EQ(table.type, session.cpu_all_type);
  EXPECT_EQ(table.ithandle, fake::TableHandle());
  EXPECT_EQ(table.leng, 0u);
  EXPECT_EQ(table.itmode, 0);
  EXPECT_EQ(table.newitab, 0);
  EXPECT_EQ(lib.receive_tables.size(), 1u);

  EXPECT_EQ(Descriptors(lib.importing), kCpuImporting);
  EXPECT_EQ(lib.lines_read, (std::vector<unsigned>{1, 2, 3}));
  EXPECT_EQ(clock->date, "20260305");
  EXPECT_EQ(clock->time, "09:04:00");
}

TEST_F(RemoteCallTest, CpuDataFailuresStillDeleteTheTable) {
  struct Case {
    RFC_RC call, receive;
    const char *exception;
    std::string text;
    std::vector<std::string> calls;
  };
  const std::vector<std::string> without_receive = {"ItCreate", "RfcCall GET_CPU_ALL", "ItDelete"};
  const std::vector<std::string> with_receive = {"ItCreate", "RfcCall GET_CPU_ALL", "RfcReceive",
                                                 "ItDelete"};
  const Case cases[] = {
      {1, 0, nullptr, "Error 1014: RFC-Failure raised !", without_receive},
      {3, 0, nullptr, "Error 1013: Sys-Exception raised !", without_receive},
      {0, 2, "NOT_ACTIVE", "Error 1012: Exception.: NOT_ACTIVE", with_receive},
      {0, 3, "COMMUNICATION_FAILURE", "Error 1013: Sys-Exception raised !", with_receive},
      {0, 9, nullptr, "Error 1015: Other Failure raised !", with_receive},
  };
  for (const Case &c : cases) {
    fake::Reset();
    fake::State &lib = fake::Script();
    lib.call_result = c.call;
    lib.receive_result = c.receive;
    lib.exception = c.exception;
    lib.fill = 2;
    lib.received["LASTCOLLWRT"] = "Thu Mar  5 09:04:00 2026 ";
    session.cpu_all_type = 100; // already installed

    const Result<SystemClock> clock = FetchCpuData(session, log);
    EXPECT_EQ(lib.calls, c.calls);
    ASSERT_FALSE(clock.ok());
    EXPECT_EQ(clock.failure().text, c.text);
    EXPECT_TRUE(lib.lines_read.empty());
  }
}

TEST_F(RemoteCallTest, StructuresAreInstalledOncePerProcess) {
  EXPECT_TRUE(FetchCpuData(session, log).ok());
  EXPECT_TRUE(FetchSystemInfo(session, log).ok());
  RfcSession second_system = session; // the type handles outlive the system
  second_system.handle = 8;
  EXPECT_TRUE(FetchCpuData(second_system, log).ok());
  EXPECT_TRUE(FetchSystemInfo(second_system, log).ok());

  const fake::State &lib = fake::Script();
  ASSERT_EQ(lib.installs.size(), 2u);
  EXPECT_EQ(session.cpu_all_type, 100u);
  EXPECT_EQ(session.rfcsi_type, 101u);

  const fake::Install &cpu = lib.installs[0];
  EXPECT_EQ(cpu.name, "CPU_ALL");
  ASSERT_EQ(cpu.elements.size(), 13u);
  const char *cpu_names[] = {"TYPE",      "SUBTYPE",    "SERIALNR",  "NBR_CPU",  "LOAD1_AVG",
                             "LOAD5_AVG", "LOAD15_AVG", "INT_SEC",   "SYSC_SEC", "CS_SEC",
                             "USR_TOTAL", "SYS_TOTAL",  "IDLE_TOTAL"};
  for (std::size_t i = 0; i < 13; ++i) {
    EXPECT_EQ(cpu.elements[i].name, cpu_names[i]);
    EXPECT_EQ(cpu.elements[i].type, i < 3 ? 9u : 8u) << cpu_names[i];
    EXPECT_EQ(cpu.elements[i].length, i < 3 ? 2u : 4u) << cpu_names[i];
    EXPECT_EQ(cpu.elements[i].decimals, 0u);
    EXPECT_EQ(cpu.elements[i].offset, 0u);
  }

  const fake::Install &rfcsi = lib.installs[1];
  EXPECT_EQ(rfcsi.name, "RFCSI");
  ASSERT_EQ(rfcsi.elements.size(), 18u);
  unsigned total = 0;
  for (const fake::Element &element : rfcsi.elements) {
    EXPECT_EQ(element.type, 0u) << element.name;
    total += element.length;
  }
  EXPECT_EQ(total, 200u);
  EXPECT_EQ(rfcsi.elements[5].name, "RFCHOST");
  EXPECT_EQ(rfcsi.elements[5].length, 8u);
  EXPECT_EQ(rfcsi.elements[17].name, "RFCSI_RESV");
  EXPECT_EQ(rfcsi.elements[17].length, 44u);
}

// RFCSI as the library lays it out: the fields back to back.
std::string RfcsiRow(const std::string &dest, const std::string &host, const std::string &release) {
  auto field = [](std::string text, std::size_t length) {
    text.resize(length, ' ');
    return text;
  };
  std::string row = field("011", 3) + field("4103", 4) + field("LIT", 3) + field("IE3", 3) +
                    field(dest, 32) + field(host, 8) + field("PRD", 8) + field("PRD", 8) +
                    field("dbhost", 32) + field("ORACLE", 10) + field(release, 4) +
                    field("x86", 5) + field("Linux", 10) + field("3600", 6) + field("", 1) +
                    field("10.0.0.1", 15) + field("753", 4) + field("", 44);
  return row;
}

TEST_F(RemoteCallTest, SystemInfoTakesHostInstanceAndRelease) {
  struct Case {
    std::string row, host, instance, release;
  };
  std::string zero_host = RfcsiRow("sapprd_PRD_00", "", "740");
  std::memcpy(&zero_host[45], "ab\0cdefg", 8);
  const Case cases[] = {
      {RfcsiRow("sapprd_PRD_00", "sapprd01", "740"), "sapprd01",
       "sapprd_PRD_00" + std::string(19, ' '), "740 "},
      {zero_host, "ab", "sapprd_PRD_00" + std::string(19, ' '), "740 "},
      {RfcsiRow(std::string(32, 'D'), "hostname", "7.5X"), "hostname", std::string(32, 'D'),
       "7.5X"},
  };
  for (const Case &c : cases) {
    fake::Reset();
    fake::Script().received["RFCSI_EXPORT"] = c.row;
    const Result<SystemIdentity> identity = FetchSystemInfo(session, log);
    ASSERT_TRUE(identity.ok());
    EXPECT_EQ(identity->host, c.host);
    EXPECT_EQ(identity->instance_name, c.instance);
    EXPECT_EQ(identity->sap_release, c.release);
  }
  const fake::State &lib = fake::Script();
  EXPECT_TRUE(lib.exporting.empty());
  EXPECT_TRUE(lib.call_tables.empty());
  EXPECT_EQ(Descriptors(lib.importing),
            (std::vector<Descriptor>{{"CURRENT_RESOURCES", 8, 4},
                                     {"DIALOG_USER_TYPE", 0, 1},
                                     {"MAXIMAL_RESOURCES", 8, 4},
                                     {"RECOMMENDED_DELAY", 8, 4},
                                     {"RFCSI_EXPORT", session.rfcsi_type, 200},
                                     {"RFC_LOGIN_COMPLETE", 0, 1}}));
}

TEST_F(RemoteCallTest, FailedSystemInfoYieldsItsFailureOnly) {
  fake::Script().receive_result = RFC_EXCEPTION;
  fake::Script().exception = "AUTHORITY";
  const Result<SystemIdentity> identity = FetchSystemInfo(session, log);
  ASSERT_FALSE(identity.ok());
  EXPECT_EQ(identity.failure().text, "Error 1012: Exception.: AUTHORITY");
}

TEST(StructureDescription, PlacesFieldsInNaturalAlignment) {
  const ElementLayout layout[] = {{"C", RFCTYPE_CHAR, 3}, {"I2", RFCTYPE_INT2, 2},
                                  {"I", RFCTYPE_INT, 4},  {"P", RFCTYPE_BCD, 5},
                                  {"D", RFCTYPE_DATE, 8}, {"J", RFCTYPE_INT, 4}};
  const StructureDescription structure("S", layout);
  EXPECT_EQ(structure.name(), "S");
  ASSERT_EQ(structure.elements().size(), 6u);
  EXPECT_STREQ(structure.elements()[3].name, "P");
  EXPECT_EQ(structure.elements()[3].offset, 0u) << "the library lays the row out";
  const std::pair<const char *, std::size_t> places[] = {{"C", 0},  {"I2", 4}, {"I", 8},
                                                         {"P", 12}, {"D", 17}, {"J", 28}};
  for (const auto &place : places) EXPECT_EQ(structure.Place(place.first).offset, place.second);
  EXPECT_EQ(structure.Place("D").length, 8u);
}

struct StampCase {
  std::string lastcollwrt, date, time;
};

TEST(ClockOfCollectorStamp, ReadsTheCollectionStamp) {
  const StampCase cases[] = {
      {"Thu Mar  5 09:04:00 2026 ", "20260305", "09:04:00"},
      {"Mon Dec 31 23:59:59 2029", "20291231", "23:59:59"},
      {"Sat Jan 10 00:00:01 2015 trailing", "20150110", "00:00:01"},
      {"Fri Xyz 12 10:00:00 2026 ", "2026yz12", "10:00:00"}, // unknown month keeps its letters
      {"Wed mar 11 10:00:00 2026 ", "2026ar11", "10:00:00"}, // names compare with case
      {"Thu Mar  5", "20  0305", "        "},                // short: read as blank-filled
      {"", "20    0 ", "        "},
  };
  for (const StampCase &c : cases) {
    const SystemClock clock = ClockOfCollectorStamp(c.lastcollwrt);
    EXPECT_EQ(clock.date, c.date) << c.lastcollwrt;
    EXPECT_EQ(clock.time, c.time) << c.lastcollwrt;
  }
}

// A library that fails inside makes the step fail with LibraryFailed and the
// operation; the run then ends with the library's block. Nothing after the
// failing operation is asked of the library.
TEST_F(RemoteCallTest, LibraryFailuresAreValuesNamingTheOperation) {
  const struct {
    const char *what;
    std::function<void(fake::State &)> arrange;
    bool system_info; // FetchSystemInfo, else FetchCpuData
    const char *operation;
    const char *last_call; // the library's last call: nothing follows the failure
  } cases[] = {
      {"failed install", [](fake::State &f) { f.install_result = 1; }, false, "RfcInstallStructure",
       "RfcInstallStructure CPU_ALL"},
      {"failed ItCreate", [](fake::State &f) { f.create_fails = true; }, false,
       "ItCreate TF_CPU_ALL", "ItCreate"},
      {"missing line",
       [](fake::State &f) {
         f.fill = 4;
         f.null_line = 3;
       },
       false, "ItGetLine TF_CPU_ALL", "ItFill"},
      {"failed ItDelete after a failed call",
       [](fake::State &f) {
         f.call_result = RFC_FAILURE;
         f.delete_result = 1;
       },
       false, "ItDelete TF_CPU_ALL", "ItDelete"},
      {"failed install of RFCSI", [](fake::State &f) { f.install_result = 3; }, true,
       "RfcInstallStructure", "RfcInstallStructure RFCSI"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    fake::Reset();
    session = RfcSession();
    session.library = &fake::Library();
    session.handle = 1;
    c.arrange(fake::Script());
    const Failure failure = c.system_info ? FetchSystemInfo(session, log).failure()
                                          : FetchCpuData(session, log).failure();
    EXPECT_EQ(failure.code, FailureCode::LibraryFailed);
    EXPECT_EQ(failure.detail, c.operation);
    EXPECT_EQ(fake::Script().calls.back(), c.last_call);
  }
}

} // namespace
} // namespace quarlane
