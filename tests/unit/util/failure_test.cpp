#include "util/failure.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace quarlane {
namespace {

TEST(Failure, TheMessageCarriesTheDetailWhereTheTableSays) {
  const struct {
    FailureCode code;
    std::string detail, text;
  } cases[] = {
      {FailureCode::ProfileNameMissing, "", "Error 1001: Parameter for Profile-Name is missing !"},
      {FailureCode::ProfileMissing, "C:\\x\\PRD.P00",
       "Error 1002: Profile C:\\x\\PRD.P00 is missing..."},
      {FailureCode::CallException, "NO_DATA_FOUND", "Error 1012: Exception.: NO_DATA_FOUND"},
      {FailureCode::GlobalFileMissing, "SAP Corvanta.Gbl",
       "Error 10x1: ProFile SAP Corvanta.Gbl is missing..."},
      {FailureCode::InvalidPathUsage, "", "Sorry, invalid Path-Usage..."},
  };
  for (const auto &c : cases) {
    const Failure failure(c.code, c.detail);
    EXPECT_EQ(failure.text, c.text);
    EXPECT_EQ(failure.code, c.code);
    EXPECT_EQ(failure.detail, c.detail);
  }
}

// Every code has exactly one message, and no number stands for two codes.
TEST(FailureMessages, OneRowPerCodeAndNumber) {
  std::set<int> codes;
  std::set<std::string> numbers;
  for (const FailureMessage *m = FailureMessagesBegin(); m != FailureMessagesEnd(); ++m) {
    EXPECT_TRUE(codes.insert(static_cast<int>(m->code)).second) << m->name;
    if (*m->number) {
      EXPECT_TRUE(numbers.insert(m->number).second) << m->number;
    }
  }
  EXPECT_EQ(codes.size(), kFailureCodeCount);
}

// The source tree as the test program opens it: under Wine the Linux root is
// drive Z:.
#if defined(_WIN32)
const char kArchitecturePage[] = "Z:" QUARLANE_SOURCE_DIR "/docs/architecture.md";
#else
const char kArchitecturePage[] = QUARLANE_SOURCE_DIR "/docs/architecture.md";
#endif

// docs/architecture.md lists every message as the table builds it, and no
// other: a new or changed message shows there too.
TEST(FailureMessages, TheArchitecturePageListsEachAsTheTableBuildsIt) {
  std::ifstream page(kArchitecturePage);
  ASSERT_TRUE(page) << "docs/architecture.md not found";
  std::stringstream text;
  text << page.rdbuf();
  const std::string doc = text.str();
  std::size_t rows = 0;
  for (const FailureMessage *m = FailureMessagesBegin(); m != FailureMessagesEnd(); ++m, ++rows) {
    const std::string row = std::string("| ") + (*m->number ? m->number : "-") + " | `" + m->name +
                            "` | `" + FailureText(m->code, m->detail) + "` |\n";
    EXPECT_NE(doc.find(row), std::string::npos) << row;
  }
  std::size_t listed = 0;
  for (std::size_t at = doc.find("` | `Error 10"); at != std::string::npos;
       at = doc.find("` | `Error 10", at + 1))
    ++listed;
  EXPECT_EQ(listed + 4, rows); // the four messages without a number are not counted
}

} // namespace
} // namespace quarlane
