#include "sensor/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quarlane {
namespace {

struct CommandLineCase {
  std::vector<std::string> args;
  bool has_profile_name;
  std::string profile_name, params_raw, params, second_argument;
  bool verbose;
};

CommandLine Read(RunContext &ctx, std::vector<std::string> args) {
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  return ReadCommandLine(ctx, static_cast<int>(args.size()), argv.data());
}

TEST(ReadCommandLine, ParameterStringFromSecondAndThirdArgument) {
  const CommandLineCase cases[] = {
      {{"quarlane"}, false, "", "", "", "", false},
      {{"quarlane", ""}, false, "", "", "", "", false},
      {{"quarlane", "PRD"}, true, "PRD", "", "", "", false},
      {{"quarlane", "PRD", "Dialog"}, true, "PRD", "Dialog", "DIALOG", "Dialog", false},
      {{"quarlane", "C:\\x\\PRD", "item=Avg:Dialog"}, true, "C:\\x\\PRD", "item=Avg:Dialog",
       "ITEM=AVG:DIALOG", "item=Avg:Dialog", false},
      // The fourth and later arguments are ignored.
      {{"quarlane", "PRD", "Dialog", "-Spool", "Rfc"}, true, "PRD", "Dialog -Spool",
       "DIALOG -SPOOL", "Dialog", false},
      {{"quarlane", "GLOBAL", "", "ch=2"}, true, "GLOBAL", " ch=2", " CH=2", "", false},
      // Only the letters a to z change case.
      {{"quarlane", "PRD", "m\xfc" "de,host=sap-01"}, true, "PRD", "m\xfc" "de,host=sap-01",
       "M\xfc" "DE,HOST=SAP-01", "m\xfc" "de,host=sap-01", false},
  };
  for (const CommandLineCase &c : cases) {
    RunContext ctx;
    CommandLine line = Read(ctx, c.args);
    SCOPED_TRACE(c.args.size() > 1 ? c.args[1] : "(none)");
    EXPECT_EQ(line.has_profile_name, c.has_profile_name);
    EXPECT_EQ(line.profile_name, c.profile_name);
    EXPECT_EQ(ctx.params_raw, c.params_raw);
    EXPECT_EQ(ctx.params, c.params);
    EXPECT_EQ(ctx.second_argument, c.second_argument);
    EXPECT_EQ(ctx.verbose, c.verbose);
    EXPECT_EQ(ctx.program_path, "quarlane");
  }
}

TEST(ReadCommandLine, VerboseWhenAnyMarkStandsAnywhere) {
  const struct {
    std::string second, third;
    bool verbose;
  } cases[] = {
      {"#", "", true},         {"@", "", true},        {"$", "", true},
      {"a%b", "", true},       {"Dialog", "x#", true}, {"Dialog", "Spool", false},
      {"ch=3,host=a", "", false},
  };
  for (const auto &c : cases) {
    RunContext ctx;
    std::vector<std::string> args = {"quarlane", "PRD", c.second};
    if (!c.third.empty()) args.push_back(c.third);
    Read(ctx, args);
    EXPECT_EQ(ctx.verbose, c.verbose) << c.second << " " << c.third;
  }
}

TEST(RunLines, BannerAndClosingLine) {
  EXPECT_EQ(StartBanner("07:05:09"), "* 07:05:09 SAP Quarlane Vers 4.3 / 29.08.22");
  EXPECT_EQ(ClosingLine("07:05:12"), "\n* 07:05:12 SAP Quarlane now processed...");
}

} // namespace
} // namespace quarlane
