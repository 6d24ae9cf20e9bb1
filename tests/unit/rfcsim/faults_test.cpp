#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim_test_support.h"

namespace quarlane::rfcsim::test {
namespace {

class FaultsTest : public SimTest {
protected:
  // A landscape with global faults in [sim] and faults of system PRD; QAS has none.
  void Landscape(const std::string &global_faults, const std::string &prd_faults) {
    Write("SapLandscape.ini", "[sim]\n" + global_faults +
                                  "\n[system PRD]\nclient=100\nuser=U\npassword=P\n" +
                                  "cpu = NBR_CPU=1\ncpu = NBR_CPU=2\ncpu = NBR_CPU=3\n" +
                                  prd_faults + "\n[system QAS]\nclient=100\nuser=U\npassword=P\n");
    RFC_ENV env{RecordingHandler, nullptr};
    Environment(library_, &env);
  }

  RFC_HANDLE OpenSystem(const char *name = "PRD") { return OpenHost(name, "100", "U", "P"); }

  // GET_CPU_ALL through call and receive; the code of the first step that fails.
  RFC_RC CallCpu(RFC_HANDLE handle, ITAB_H table, char **exception) {
    TableList tables;
    tables.Add("TF_CPU_ALL", 0, table);
    ParameterList none;
    char function[] = "GET_CPU_ALL";
    const RFC_RC called = Call(library_, handle, function, none.Get(), tables.Get());
    if (called != RFC_OK) return called;
    return Receive(library_, handle, none.Get(), tables.Get(), exception);
  }
};

struct OpenFaultCase {
  const char *global, *system;
  const char *key, *message, *handled;
};

TEST_F(FaultsTest, OpenFailsAsWrittenGloballyOrForTheSystem) {
  const OpenFaultCase cases[] = {
      {"", "fault = open logon", "RFC_ERROR_LOGON_FAILURE",
       "Name or password is incorrect (repeat logon)", ""},
      {"", "fault = open communication message=\"partner 'sapprd01:sapgw00' not reached\"",
       "RFC_ERROR_COMMUNICATION", "partner 'sapprd01:sapgw00' not reached", ""},
      {"fault = open communication", "", "RFC_ERROR_COMMUNICATION", "partner PRD not reached", ""},
      {"", "fault = open logon handler", "RFC_ERROR_LOGON_FAILURE",
       "Name or password is incorrect (repeat logon)", "RfcOpen"},
      {"", "fault = open handler=\"RfcOpen failed\"", "RFC_ERROR_PROGRAM",
       "internal error in RfcOpen", "RfcOpen failed"},
  };
  for (const OpenFaultCase &c : cases) {
    Landscape(c.global, c.system);
    HandledOperations().clear();
    EXPECT_EQ(OpenSystem(), 0u) << c.system;
    const RFC_ERROR_INFO info = LastErrorInfo();
    EXPECT_STREQ(info.key, c.key) << c.system;
    EXPECT_STREQ(info.message, c.message) << c.system;
    EXPECT_NE(std::string(info.intstat).find("SapLandscape.ini line"), std::string::npos)
        << info.intstat;
    EXPECT_EQ(RetainedTraceText(Read("Dev_Rfc.Trc")), c.message);
    EXPECT_EQ(HandledOperations(),
              c.handled[0] ? std::vector<std::string>{c.handled} : std::vector<std::string>{});
    const bool global = c.global[0] != '\0';
    EXPECT_EQ(OpenSystem("QAS") == 0, global) << "QAS is only hit by a global fault";
  }
}

struct CallFaultCase {
  const char *fault;
  RFC_RC rc;
  const char *exception; // NULL: not set
  const char *handled;
};

TEST_F(FaultsTest, CallAndReceiveReturnTheWrittenCode) {
  const CallFaultCase cases[] = {
      {"fault = call GET_CPU_ALL rc=1", 1, nullptr, ""},
      {"fault = call get_cpu_all rc=2 exception=NOT_AUTHORIZED", 2, nullptr,
       ""}, // RfcCall has no exception
      {"fault = receive GET_CPU_ALL rc=2 exception=NOT_AUTHORIZED", 2, "NOT_AUTHORIZED", ""},
      {"fault = receive GET_CPU_ALL rc=2", 2, "SIMULATED_EXCEPTION", ""},
      {"fault = receive GET_CPU_ALL rc=3", 3, "SYSTEM_FAILURE", ""},
      {"fault = receive GET_CPU_ALL rc=7", 7, nullptr, ""},
      {"fault = receive * rc=1", 1, nullptr, ""},
      {"fault = receive RFC_SYSTEM_INFO rc=1", 0, nullptr, ""},
      {"fault = call GET_CPU_ALL handler", 1, nullptr, "RfcCall GET_CPU_ALL"},
      {"fault = receive GET_CPU_ALL handler=\"RfcReceive failed\"", 1, nullptr,
       "RfcReceive failed"},
      {"fault = receive GET_CPU_ALL rc=3 handler=boom", 3, "SYSTEM_FAILURE", "boom"},
  };
  for (const CallFaultCase &c : cases) {
    Landscape("", c.fault);
    HandledOperations().clear();
    const RFC_HANDLE handle = OpenSystem();
    ASSERT_NE(handle, 0u) << c.fault;
    ITAB_H table = ItCreate(library_, const_cast<char *>("TF_CPU_ALL"), 48, 0, 0);
    char *exception = nullptr;
    EXPECT_EQ(CallCpu(handle, table, &exception), c.rc) << c.fault;
    if (c.exception == nullptr) {
      EXPECT_EQ(exception, nullptr) << c.fault;
    } else {
      ASSERT_NE(exception, nullptr) << c.fault;
      EXPECT_STREQ(exception, c.exception) << c.fault;
    }
    EXPECT_EQ(ItFill(library_, table), c.rc == 0 ? 3u : 0u) << c.fault;
    EXPECT_EQ(HandledOperations(),
              c.handled[0] ? std::vector<std::string>{c.handled} : std::vector<std::string>{});
    if (c.rc != 0) {
      EXPECT_FALSE(RetainedTraceText(Read("Dev_Rfc.Trc")).empty());
    }
    ItDelete(library_, table);
    Close(library_, 0);
  }
}

TEST_F(FaultsTest, StructureAndTableFaultsHitTheirNameOnly) {
  Landscape("", "fault = install SAPWLSUMRY\nfault = itcreate SUMMARY\n"
                "fault = itgetline TF_CPU_ALL from=2\nfault = itdelete TF_CPU_ALL message=\"table "
                "locked\"\n");
  const RFC_HANDLE handle = OpenSystem();
  ASSERT_NE(handle, 0u);
  RFC_TYPE_ELEMENT element{const_cast<char *>("X"), RFCTYPE_CHAR, 1, 0, 0};
  RFC_TYPEHANDLE type = 0;
  EXPECT_NE(InstallStructure(library_, const_cast<char *>("SAPWLSUMRY"), &element, 1, &type), 0);
  EXPECT_EQ(type, 0u);
  EXPECT_EQ(InstallStructure(library_, const_cast<char *>("CPU_ALL"), &element, 1, &type), 0);
  EXPECT_EQ(ItCreate(library_, const_cast<char *>("SUMMARY"), 416, 0, 0), nullptr);
  EXPECT_STREQ(LastErrorInfo().key, "RFC_ERROR_MEMORY_INSUFFICIENT");

  ITAB_H table = ItCreate(library_, const_cast<char *>("TF_CPU_ALL"), 48, 0, 0);
  ASSERT_NE(table, nullptr);
  char *exception = nullptr;
  ASSERT_EQ(CallCpu(handle, table, &exception), RFC_OK);
  ASSERT_EQ(ItFill(library_, table), 3u);
  EXPECT_NE(ItGetLine(library_, table, 1), nullptr);
  EXPECT_EQ(ItGetLine(library_, table, 2), nullptr);
  EXPECT_EQ(ItGetLine(library_, table, 3), nullptr);
  EXPECT_EQ(ItDelete(library_, table), 1);
  EXPECT_STREQ(LastErrorInfo().message, "table locked");
  EXPECT_EQ(ItFill(library_, table), 3u) << "a table whose deletion failed is still there";
  EXPECT_TRUE(HandledOperations().empty());
}

TEST_F(FaultsTest, FaultsWithoutHandleFollowTheMostRecentlyOpenedSystem) {
  Landscape("fault = itdelete GLOBAL", "fault = itcreate SUMMARY handler=\"ItCreate SUMMARY\"");
  // Before any open only the global faults count.
  ITAB_H global = ItCreate(library_, const_cast<char *>("GLOBAL"), 8, 0, 0);
  EXPECT_NE(ItCreate(library_, const_cast<char *>("SUMMARY"), 416, 0, 0), nullptr);
  EXPECT_EQ(ItDelete(library_, global), 1);

  ASSERT_NE(OpenSystem("PRD"), 0u);
  EXPECT_EQ(ItCreate(library_, const_cast<char *>("SUMMARY"), 416, 0, 0), nullptr);
  EXPECT_EQ(HandledOperations(), std::vector<std::string>{"ItCreate SUMMARY"});
  ASSERT_NE(OpenSystem("QAS"), 0u);
  EXPECT_NE(ItCreate(library_, const_cast<char *>("SUMMARY"), 416, 0, 0), nullptr);
  EXPECT_EQ(ItDelete(library_, global), 1) << "global faults stay";
}

// A handler like a real caller's: it asks for the last error and closes
// everything before it would end the process.
Library *g_reentered = nullptr;
std::string g_seen_message;
void RFC_CALL ClosingHandler(char *operation) {
  RFC_ERROR_INFO info;
  std::memset(&info, 0, sizeof info);
  LastError(*g_reentered, &info);
  g_seen_message = std::string(operation) + " / " + info.message;
  Close(*g_reentered, 0);
}

TEST_F(FaultsTest, HandlerMayReenterTheLibrary) {
  Landscape("", "fault = receive GET_CPU_ALL handler=\"RfcReceive GET_CPU_ALL\" message=\"lost\"");
  g_reentered = &library_;
  RFC_ENV env{ClosingHandler, nullptr};
  Environment(library_, &env);
  const RFC_HANDLE handle = OpenSystem();
  ITAB_H table = ItCreate(library_, const_cast<char *>("TF_CPU_ALL"), 48, 0, 0);
  char *exception = nullptr;
  EXPECT_EQ(CallCpu(handle, table, &exception), RFC_FAILURE);
  EXPECT_EQ(g_seen_message, "RfcReceive GET_CPU_ALL / lost");
  EXPECT_EQ(CallCpu(handle, table, &exception), RFC_FAILURE) << "the handler closed the connection";
  EXPECT_STREQ(LastErrorInfo().key, "RFC_ERROR_INVALID_HANDLE");
  ItDelete(library_, table);
}

} // namespace
} // namespace quarlane::rfcsim::test
