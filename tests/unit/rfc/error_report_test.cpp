#include "rfc/error_report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "fake_library.h"

namespace quarlane {
namespace {

TEST(AlignedLine, IndentThenLabelInItsColumn) {
  struct Case {
    std::string label;
    int indent, width;
    std::string value, line;
  };
  const Case cases[] = {
      {"key", 0, 15, "RFC_ERROR", "key             : RFC_ERROR\n"},
      {"internal status", 0, 15, "", "internal status : \n"},
      {"operation/code", 2, 15, "RfcOpen", "  operation/code  : RfcOpen\n"},
      {"status", 0, 3, "x", "status : x\n"}, // a longer label is not cut
  };
  for (const Case &c : cases) EXPECT_EQ(AlignedLine(c.label, c.indent, c.width, c.value), c.line);
}

// The operation the registered handler handed on (the run's end is not taken
// here: the test stands in for it).
std::string handed_on = "<none>";
void RecordOperation(const std::string &operation) { handed_on = operation; }

class RfcErrorBlockTest : public ::testing::Test {
protected:
  void SetUp() override {
    fake::Reset();
    std::strcpy(fake::Script().last_error.key, "RFC_ERROR_COMMUNICATION");
    std::strcpy(fake::Script().last_error.status, "CONNECT failed");
    std::strcpy(fake::Script().last_error.message, "partner sapprd:sapgw00 not reached");
    std::strcpy(fake::Script().last_error.intstat, "CPIC-CALL: ThSAPOCMINIT");
  }
  // The block of operation, taken as a run whose library failed takes it.
  static std::string Block(const std::string &operation) {
    RegisterRfcErrorHandler(fake::Library(), RecordOperation);
    fake::Script().calls.clear();
    return TakeRfcErrorBlock(operation);
  }
};

const char kBlockTail[] = "key             : RFC_ERROR_COMMUNICATION\n"
                          "status          : CONNECT failed\n"
                          "message         : partner sapprd:sapgw00 not reached\n"
                          "internal status : CPIC-CALL: ThSAPOCMINIT\n"
                          "\n"
                          "* Programm aborted...\n"
                          "* Error at EoXput-File...\n";

TEST_F(RfcErrorBlockTest, TakesTheLastErrorThenClosesAll) {
  EXPECT_EQ(Block("ItDelete SUMMARY"), std::string("RFC error\n"
                                                   "operation/code  : ItDelete SUMMARY\n") +
                                           kBlockTail);
  // The last error is asked for before the close, which may replace it.
  EXPECT_EQ(fake::Script().calls, (std::vector<std::string>{"RfcLastError", "RfcClose"}));
  EXPECT_EQ(fake::Script().closed, std::vector<RFC_HANDLE>{0});
}

TEST_F(RfcErrorBlockTest, FieldsWithoutTerminatorStayInsideTheirArrays) {
  fake::State &lib = fake::Script();
  std::memset(lib.last_error.key, 'K', sizeof lib.last_error.key);
  std::memset(lib.last_error.status, 'S', sizeof lib.last_error.status);
  std::memset(lib.last_error.message, 'M', sizeof lib.last_error.message);
  std::memset(lib.last_error.intstat, 'I', sizeof lib.last_error.intstat);
  EXPECT_EQ(Block("RfcCall"), "RFC error\n"
                              "operation/code  : RfcCall\n"
                              "key             : " +
                                  std::string(33, 'K') +
                                  "\n"
                                  "status          : " +
                                  std::string(128, 'S') +
                                  "\n"
                                  "message         : " +
                                  std::string(256, 'M') +
                                  "\n"
                                  "internal status : " +
                                  std::string(128, 'I') +
                                  "\n"
                                  "\n* Programm aborted...\n* Error at EoXput-File...\n");
}

TEST_F(RfcErrorBlockTest, RegistersAHandlerWithoutAllocator) {
  RegisterRfcErrorHandler(fake::Library(), RecordOperation);
  EXPECT_EQ(fake::Script().calls, std::vector<std::string>{"RfcEnvironment"});
  EXPECT_NE(fake::Script().environment.errorhandler, nullptr);
  EXPECT_EQ(fake::Script().environment.allocate, nullptr);
}

// The library's handler hands its operation to the run's end, which prints
// the block and ends the process (sensor/run.cpp).
TEST_F(RfcErrorBlockTest, HandlerHandsTheLibrarysOperationOn) {
  RegisterRfcErrorHandler(fake::Library(), RecordOperation);
  const struct {
    const char *operation, *handed_on;
  } cases[] = {{"RfcOpen", "RfcOpen"}, {nullptr, ""}};
  for (const auto &c : cases) {
    handed_on = "<none>";
    std::string operation = c.operation ? c.operation : "";
    fake::Script().environment.errorhandler(c.operation ? &operation[0] : nullptr);
    EXPECT_EQ(handed_on, c.handed_on);
  }
}

} // namespace
} // namespace quarlane
