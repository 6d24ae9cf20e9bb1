#include "output/json_document.h"

#include <gtest/gtest.h>

#include "output/render.h"

namespace quarlane {
namespace {

Channel Count(const std::string &name, const std::string &value, long id) {
  Channel channel;
  channel.name = name;
  channel.value = value;
  channel.unit = "#";
  channel.id = id;
  return channel;
}

TEST(JsonDocument, ReportWithCountsAndAverages) {
  Report report;
  report.text = "(PRD) Summary:  Trans=1.500 ";
  Channel average = Count("Avg Rsp-Time", "600", 12);
  average.unit = "mSec";
  average.exact = "600.33";
  report.channels = {Count("TransActions", "1500", 10), average};
  EXPECT_EQ(
      JsonReportDocument(report),
      "{\"version\": 2, \"status\": \"ok\", \"message\": \"(PRD) Summary:  Trans=1.500\", "
      "\"channels\": [\n"
      "  {\"id\": 10, \"name\": \"TransActions\", \"type\": \"integer\", \"kind\": \"count\", "
      "\"value\": 1500},\n"
      "  {\"id\": 12, \"name\": \"Avg Rsp-Time\", \"type\": \"float\", \"kind\": "
      "\"time_response\", \"value\": 600.33}\n]}\n");
}

TEST(JsonDocument, StatesFromProblemsLimitsAndEmptyDays) {
  struct Case {
    const char *what;
    Report report;
    const char *status;
    const char *message;
  };
  Report failed;
  failed.text = "(***) X: NoSystems=2, Processed=1, Failed=1";
  failed.problems = {
      "DEV.P00: Error 1011: RFC-Open for DEV failed ! - Name or password is incorrect"};
  Report all_failed = failed;
  all_failed.every_system_failed = true;
  Report empty;
  empty.text = "(PRD) Summary: ";
  empty.no_figures_today = true;
  Report warned;
  warned.text = "(PRD) Summary: ";
  warned.channels = {Count("TransActions", "1500", 10)};
  warned.channels[0].limit_warning = "1000";
  warned.channels[0].limit_error = "2000";
  Report errored = warned;
  errored.channels[0].limit_error = "1499.5";
  const Case cases[] = {
      {"a failed system", failed, "warning",
       "(***) X: NoSystems=2, Processed=1, Failed=1 - DEV.P00: Error 1011: RFC-Open for DEV failed "
       "! "
       "- Name or password is incorrect"},
      {"every system failed", all_failed, "error", nullptr},
      {"no figures yet", empty, "warning", "(PRD) Summary: - no figures for today yet"},
      {"warning limit", warned, "warning",
       "(PRD) Summary: - TransActions 1500 is above its warning limit 1000"},
      {"error limit", errored, "error",
       "(PRD) Summary: - TransActions 1500 is above its error limit 1499.5"},
  };
  for (const Case &c : cases) {
    const std::string document = JsonReportDocument(c.report);
    EXPECT_NE(document.find(std::string("\"status\": \"") + c.status + "\""), std::string::npos)
        << c.what << ": " << document;
    if (c.message) {
      EXPECT_NE(document.find(std::string("\"message\": \"") + c.message + "\""), std::string::npos)
          << c.what << ": " << document;
    }
  }
}

TEST(JsonDocument, TakenIdsMoveOnAndFiftyChannelsAtMost) {
  Report report;
  report.text = "t";
  for (int i = 0; i < 52; ++i) report.channels.push_back(Count("S" + std::to_string(i), "1", 1000));
  const std::string document = JsonReportDocument(report);
  EXPECT_NE(document.find("\"id\": 1000, \"name\": \"S0\""), std::string::npos);
  EXPECT_NE(document.find("\"id\": 1001, \"name\": \"S1\""), std::string::npos);
  EXPECT_EQ(document.find("\"S50\""), std::string::npos);
  EXPECT_NE(document.find("\"status\": \"warning\""), std::string::npos);
  EXPECT_NE(document.find("2 channels left out (PRTG takes 50)"), std::string::npos);
}

TEST(JsonDocument, AnyBytesBecomeAValidString) {
  EXPECT_EQ(JsonStringContent("a\"b\\c\td\ne\rf"), "a\\\"b\\\\c\\td\\ne\\rf");
  EXPECT_EQ(JsonStringContent(std::string("x\x01y\x7f", 4)), "x?y?");
  EXPECT_EQ(JsonStringContent("\xE4\xF6\xFC"), "\xC3\xA4\xC3\xB6\xC3\xBC"); // Windows-1252
  EXPECT_EQ(FirstCharacters(std::string(2001, 'x'), 2000), std::string(1997, 'x') + "...");
  EXPECT_EQ(FirstCharacters(std::string(2000, 'x'), 2000), std::string(2000, 'x'));
  const std::string umlauts = [] {
    std::string text;
    for (int i = 0; i < 2001; ++i) text += "\xC3\xA4";
    return text;
  }();
  EXPECT_EQ(FirstCharacters(umlauts, 2000).size(), 1997u * 2 + 3);
}

TEST(JsonDocument, ErrorDocumentAndTheRenderersChoice) {
  EXPECT_EQ(JsonErrorDocument("Error 1001: Parameter for Profile-Name is missing !"),
            "{\"version\": 2, \"status\": \"error\", \"message\": \"Error 1001: Parameter for "
            "Profile-Name is missing !\"}\n");
  EXPECT_EQ(Renderer(OutputFormat{OutputMode::Json, {}}).Error("x"), JsonErrorDocument("x"));
  EXPECT_EQ(Renderer(OutputFormat{OutputMode::ExeXml, {}}).Error("x"), RenderError("x"));
  EXPECT_EQ(OutputModeFromProgramName("/opt/paessler/share/scripts/quarlane-json"),
            OutputMode::Json);
  EXPECT_EQ(OutputModeFromProgramName("C:\\x\\QUARLANE-JSON.EXE"), OutputMode::Json);
}

TEST(JsonDocument, LimitTagsOnlyWhereALimitIsSet) {
  Report report;
  report.text = "t";
  report.channels = {Count("A", "1", 10), Count("B", "2", 11)};
  report.channels[1].limit_error = "5";
  Renderer renderer(OutputFormat{OutputMode::ExeXml, {}});
  const std::string document = renderer.Document(report);
  EXPECT_NE(document.find("<CustomUnit>#</CustomUnit>\n<Value>1</Value></Result>"),
            std::string::npos);
  EXPECT_NE(
      document.find(
          "<Value>2</Value>\n<LimitMaxError>5</LimitMaxError>\n<LimitMode>1</LimitMode></Result>"),
      std::string::npos)
      << document;
}

} // namespace
} // namespace quarlane
