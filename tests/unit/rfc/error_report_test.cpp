#include "rfc/error_report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "fake_library.h"

namespace quarlane {
namespace {

TEST(PrintAligned, IndentThenLabelInItsColumn) {
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
  for (const Case &c : cases) {
    std::FILE *out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    PrintAligned(out, c.label, c.indent, c.width, c.value);
    std::rewind(out);
    char buffer[256] = {};
    std::size_t length = std::fread(buffer, 1, sizeof buffer - 1, out);
    std::fclose(out);
    EXPECT_EQ(std::string(buffer, length), c.line);
  }
}

// The operation the registered handler handed on (the run's end is not taken
// here: the test stands in for it).
std::string handed_on = "<none>";
void RecordOperation(const std::string &operation) { handed_on = operation; }

// Prints the block of operation into report_path through the registered
// stream, as a run whose library failed does.
void ReportTo(const std::string &report_path, const std::string &operation) {
  std::FILE *out = std::fopen(report_path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  fake::Script().report = out;
  RegisterRfcErrorHandler(fake::Library(), out, RecordOperation);
  PrintRfcErrorBlock(operation);
  fake::Script().report = nullptr;
  std::fclose(out);
}

class RfcErrorBlockTest : public ::testing::Test {
protected:
  void SetUp() override {
    fake::Reset();
    std::strcpy(fake::Script().last_error.key, "RFC_ERROR_COMMUNICATION");
    std::strcpy(fake::Script().last_error.status, "CONNECT failed");
    std::strcpy(fake::Script().last_error.message, "partner sapprd:sapgw00 not reached");
    std::strcpy(fake::Script().last_error.intstat, "CPIC-CALL: ThSAPOCMINIT");
  }
  std::string Report() { return FileContent(folder.Path("report.txt")).value_or("<none>"); }
  std::string ReportPath() { return folder.Path("report.txt"); }

  ScopedWorkFolder folder{std::string("report-") +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

const char kBlockTail[] = "key             : RFC_ERROR_COMMUNICATION\n"
                          "status          : CONNECT failed\n"
                          "message         : partner sapprd:sapgw00 not reached\n"
                          "internal status : CPIC-CALL: ThSAPOCMINIT\n"
                          "\n"
                          "[RfcClose 0]\n"
                          "* Programm aborted...\n"
                          "* Error at EoXput-File...\n";

TEST_F(RfcErrorBlockTest, PrintsTheBlockAndClosesAll) {
  ReportTo(ReportPath(), "ItDelete SUMMARY");
  EXPECT_EQ(Report(), std::string("RFC error\n"
                                  "operation/code  : ItDelete SUMMARY\n") +
                          kBlockTail);
}

TEST_F(RfcErrorBlockTest, FieldsWithoutTerminatorStayInsideTheirArrays) {
  fake::State &lib = fake::Script();
  std::memset(lib.last_error.key, 'K', sizeof lib.last_error.key);
  std::memset(lib.last_error.status, 'S', sizeof lib.last_error.status);
  std::memset(lib.last_error.message, 'M', sizeof lib.last_error.message);
  std::memset(lib.last_error.intstat, 'I', sizeof lib.last_error.intstat);
  ReportTo(ReportPath(), "RfcCall");
  EXPECT_EQ(Report(), "RFC error\n"
                      "operation/code  : RfcCall\n"
                      "key             : " + std::string(33, 'K') + "\n"
                      "status          : " + std::string(128, 'S') + "\n"
                      "message         : " + std::string(256, 'M') + "\n"
                      "internal status : " + std::string(128, 'I') + "\n"
                      "\n[RfcClose 0]\n* Programm aborted...\n* Error at EoXput-File...\n");
}

TEST_F(RfcErrorBlockTest, RegistersAHandlerWithoutAllocator) {
  std::FILE *out = std::tmpfile();
  RegisterRfcErrorHandler(fake::Library(), out, RecordOperation);
  std::fclose(out);
  EXPECT_EQ(fake::Script().calls, std::vector<std::string>{"RfcEnvironment"});
  EXPECT_NE(fake::Script().environment.errorhandler, nullptr);
  EXPECT_EQ(fake::Script().environment.allocate, nullptr);
}

// The library's handler hands its operation to the run's end, which prints
// the block and ends the process (sensor/run.cpp).
TEST_F(RfcErrorBlockTest, HandlerHandsTheLibrarysOperationOn) {
  std::FILE *out = std::tmpfile();
  RegisterRfcErrorHandler(fake::Library(), out, RecordOperation);
  const struct {
    const char *operation, *handed_on;
  } cases[] = {{"RfcOpen", "RfcOpen"}, {nullptr, ""}};
  for (const auto &c : cases) {
    handed_on = "<none>";
    std::string operation = c.operation ? c.operation : "";
    fake::Script().environment.errorhandler(c.operation ? &operation[0] : nullptr);
    EXPECT_EQ(handed_on, c.handed_on);
  }
  std::fclose(out);
}

} // namespace
} // namespace quarlane
