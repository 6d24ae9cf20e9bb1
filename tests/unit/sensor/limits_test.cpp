// Limit lines read from a profile: from its lines, or from its bytes held
// once (a long profile is not split into a string per line).
#include "sensor/limits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/text_lines.h"

namespace quarlane {
namespace {

const std::vector<std::string> kProfile = {
    "Destination: PRD",
    "Limit......: Avg Rsp-Time=800,1500",
    "Limit......: TransActions=,250000",
    "Limit......: Dialog 800",
    "Limit.....: not a limit line",
    "Limit......:",
    "Limit......: Avg Rsp-Time=900,",
    "Limit......: CPU=8x,9",
};

TEST(ReadLimitLines, TakesTheLimitsAndNamesTheFaultyLinesByNumber) {
  const LimitReading reading = ReadLimitLines(kProfile);
  ASSERT_EQ(reading.limits.size(), 2u);
  EXPECT_EQ(reading.limits.at("Avg Rsp-Time").warning, "900"); // the last line for a name wins
  EXPECT_EQ(reading.limits.at("Avg Rsp-Time").error, "");
  EXPECT_EQ(reading.limits.at("TransActions").error, "250000");
  EXPECT_EQ(
      reading.problems,
      (std::vector<std::string>{
          "line 4: no \"=\" after the channel's name", "line 6: no \"=\" after the channel's name",
          "line 8: the limits of CPU are not decimal numbers (e.g. 800,1500)"}));
}

TEST(ReadLimitLines, TheProfilesBytesReadAsItsLines) {
  const LimitReading from_lines = ReadLimitLines(kProfile);
  for (const char *line_end : {"\n", "\r\n"}) {
    std::string bytes;
    for (const std::string &line : kProfile) bytes += line + line_end;
    const LimitReading from_bytes = ReadLimitLines(TextLines(bytes));
    EXPECT_EQ(from_bytes.problems, from_lines.problems);
    ASSERT_EQ(from_bytes.limits.size(), from_lines.limits.size());
    for (const auto &[name, limit] : from_lines.limits) {
      EXPECT_EQ(from_bytes.limits.at(name).warning, limit.warning);
      EXPECT_EQ(from_bytes.limits.at(name).error, limit.error);
    }
  }
}

} // namespace
} // namespace quarlane
