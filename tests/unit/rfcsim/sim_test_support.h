// Shared pieces of the simulated library's tests: a folder of its own per
// test, a fixed clock, parameter lists, and the trace reader's rules.
#ifndef QUARLANE_TESTS_RFCSIM_SIM_TEST_SUPPORT_H
#define QUARLANE_TESTS_RFCSIM_SIM_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "rfc/rfc_abi.h"
#include "rfcsim/library.h"
#include "rfcshared/trace_test_support.h"

namespace quarlane::rfcsim::test {

// Two systems: PRD with rows on two instances for "today" (5 March 2026 by
// the fixed clock) and the day before; QAS reached by a gateway.
inline const char *const kTestLandscape = R"(# landscape of the tests
[sim]
calllog = SimCalls.log

[system PRD]
client   = 100
user     = MONITOR
password = secret
host     = sapprd01
sysnr    = 00
instance = sapprd01_PRD_00
release  = 700
lastcollwrt = "Thu Mar  5 09:04:00 2026"
cpu = TYPE=1 NBR_CPU=4 LOAD1_AVG=35 IDLE_TOTAL=9000
cpu = TYPE=1 SERIALNR=1 NBR_CPU=4
workload = day=today TASKTYPE="DIALOG " COUNT=1200 DBACTIVCNT=5000 RESPTI=360000 CPUTI=120000
workload = day=today TASKTYPE=BCKGRD COUNT=30 RESPTI=90000
workload = day=today instance=sapprd02_PRD_01 TASKTYPE="DIALOG " COUNT=800 RESPTI=100000
workload = day=today instance=sapprd02_PRD_01 TASKTYPE=ALE COUNT=5
workload = day=20260304 TASKTYPE="DIALOG " COUNT=999

[system QAS]
client    = 200
user      = RFCUSER
password  = "pass word"
gwhost    = gwqas
gwservice = sapgw10
)";

// Thursday, 5 March 2026, 09:04:00 local time: the tests' fixed clock.
using rfcshared::test::FixedNow;

inline std::string ReadAll(const std::filesystem::path &path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The trace's lines and the text a reader of it keeps.
using rfcshared::test::Lines;
using rfcshared::test::RetainedTraceText;

// An exporting, importing or table list with names that are not
// NUL-terminated, closed by an entry without a name.
class ParameterList {
public:
  ParameterList &Add(const std::string &name, RFC_TYPEHANDLE type, unsigned leng, void *addr) {
    names_.push_back(name);
    entries_.push_back(
        RFC_PARAMETER{nullptr, static_cast<unsigned>(name.size()), type, leng, addr});
    return *this;
  }
  RFC_PARAMETER *Get() {
    list_ = entries_;
    for (std::size_t i = 0; i < names_.size(); ++i) list_[i].name = names_[i].data();
    list_.push_back(RFC_PARAMETER{nullptr, 0, 0, 0, nullptr});
    return list_.data();
  }

private:
  std::vector<std::string> names_;
  std::vector<RFC_PARAMETER> entries_;
  std::vector<RFC_PARAMETER> list_;
};

class TableList {
public:
  TableList &Add(const std::string &name, RFC_TYPEHANDLE type, ITAB_H table) {
    names_.push_back(name);
    entries_.push_back(
        RFC_TABLE{nullptr, static_cast<unsigned>(name.size()), type, 0, table, 0, 0});
    return *this;
  }
  RFC_TABLE *Get() {
    list_ = entries_;
    for (std::size_t i = 0; i < names_.size(); ++i) list_[i].name = names_[i].data();
    list_.push_back(RFC_TABLE{nullptr, 0, 0, 0, nullptr, 0, 0});
    return list_.data();
  }

private:
  std::vector<std::string> names_;
  std::vector<RFC_TABLE> entries_;
  std::vector<RFC_TABLE> list_;
};

// What the error handler was called with.
inline std::vector<std::string> &HandledOperations() {
  static std::vector<std::string> operations;
  return operations;
}
inline void RFC_CALL RecordingHandler(char *operation) { HandledOperations().push_back(operation); }

// Each test gets an empty folder and a library bound to it.
class SimTest : public ::testing::Test {
protected:
  void SetUp() override {
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char &c : name)
      if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    folder_ = std::filesystem::temp_directory_path() / ("rfcsim_" + name);
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    library_.folder = folder_.string();
    library_.clock = FixedNow;
    HandledOperations().clear();
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  void Write(const std::string &name, const std::string &text) {
    std::ofstream file(folder_ / name, std::ios::binary);
    file << text;
  }
  std::string Read(const std::string &name) const { return ReadAll(folder_ / name); }
  bool Exists(const std::string &name) const { return std::filesystem::exists(folder_ / name); }

  RFC_HANDLE OpenHost(const char *destination, const char *client, const char *user,
                      const char *password, const char *hostname = nullptr, int sysnr = 0) {
    RFC_CONNOPT_HOST host{const_cast<char *>(hostname), sysnr, nullptr, nullptr};
    RFC_OPTIONS options{const_cast<char *>(destination),
                        0,
                        &host,
                        const_cast<char *>(client),
                        const_cast<char *>(user),
                        const_cast<char *>(password),
                        const_cast<char *>("E"),
                        0};
    return Open(library_, &options);
  }

  RFC_ERROR_INFO LastErrorInfo() {
    RFC_ERROR_INFO info;
    std::memset(&info, 0, sizeof info);
    LastError(library_, &info);
    return info;
  }

  std::filesystem::path folder_;
  Library library_;
};

} // namespace quarlane::rfcsim::test

#endif
