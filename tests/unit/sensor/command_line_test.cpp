#include "sensor/command_line.h"
#include "util/version.h"
#include "sensor/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quarlane {
namespace {

struct CommandLineCase {
  std::vector<std::string> args;
  bool has_profile_name;
  std::string profile_name, parameters, second_argument;
  bool verbose;
};

CommandLine Read(std::vector<std::string> args) {
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  return ReadCommandLine(static_cast<int>(args.size()), argv.data());
}

TEST(ReadCommandLine, ParameterStringFromSecondAndThirdArgument) {
  const CommandLineCase cases[] = {
      {{"quarlane"}, false, "", "", "", false},
      {{"quarlane", ""}, false, "", "", "", false},
      {{"quarlane", "PRD"}, true, "PRD", "", "", false},
      {{"quarlane", "PRD", "Dialog"}, true, "PRD", "Dialog", "Dialog", false},
      {{"quarlane", "C:\\x\\PRD", "item=Avg:Dialog"},
       true,
       "C:\\x\\PRD",
       "item=Avg:Dialog",
       "item=Avg:Dialog",
       false},
      // The fourth and later arguments are ignored.
      {{"quarlane", "PRD", "Dialog", "-Spool", "Rfc"},
       true,
       "PRD",
       "Dialog -Spool",
       "Dialog",
       false},
      {{"quarlane", "GLOBAL", "", "ch=2"}, true, "GLOBAL", " ch=2", "", false},
      // The parameters keep their letters; the options are searched in upper case.
      {{"quarlane", "PRD",
        "m\xfc"
        "de,host=sap-01"},
       true,
       "PRD",
       "m\xfc"
       "de,host=sap-01",
       "m\xfc"
       "de,host=sap-01",
       false},
  };
  for (const CommandLineCase &c : cases) {
    const CommandLine line = Read(c.args);
    SCOPED_TRACE(c.args.size() > 1 ? c.args[1] : "(none)");
    EXPECT_EQ(line.profile_name.has_value(), c.has_profile_name);
    EXPECT_EQ(line.profile_name.value_or(""), c.profile_name);
    EXPECT_EQ(line.parameters, c.parameters);
    EXPECT_EQ(line.second_argument, c.second_argument);
    EXPECT_EQ(ParseOptions(line.parameters).verbose, c.verbose);
    EXPECT_EQ(line.program_path, "quarlane");
  }
}

TEST(ReadCommandLine, VerboseWhenAnyMarkStandsAnywhere) {
  const struct {
    std::string second, third;
    bool verbose;
  } cases[] = {
      {"#", "", true},
      {"@", "", true},
      {"$", "", true},
      {"a%b", "", true},
      {"Dialog", "x#", true},
      {"Dialog", "Spool", false},
      {"ch=3,host=a", "", false},
  };
  for (const auto &c : cases) {
    std::vector<std::string> args = {"quarlane", "PRD", c.second};
    if (!c.third.empty()) args.push_back(c.third);
    EXPECT_EQ(ParseOptions(Read(args).parameters).verbose, c.verbose) << c.second << " " << c.third;
  }
}

TEST(RunLines, BannerAndClosingLine) {
  EXPECT_EQ(StartBanner("07:05:09"), "* 07:05:09 SAP Quarlane Vers 4.3 / 29.08.22");
  EXPECT_EQ(ClosingLine("07:05:12"), "\n* 07:05:12 SAP Quarlane now processed...");
}

// Only the exact words, as the first argument, ask for help or the version.
TEST(RequestOf, HelpAndVersionWords) {
  const struct {
    std::vector<std::string> args;
    CommandLineRequest request;
  } cases[] = {
      {{"quarlane", "--help"}, CommandLineRequest::Help},
      {{"quarlane", "-h"}, CommandLineRequest::Help},
      {{"quarlane", "/?"}, CommandLineRequest::Help},
      {{"quarlane", "--help", "PRD"}, CommandLineRequest::Help},
      {{"quarlane", "--version"}, CommandLineRequest::Version},
      {{"quarlane"}, CommandLineRequest::Run},
      {{"quarlane", "PRD", "--help"}, CommandLineRequest::Run},
      {{"quarlane", "--HELP"}, CommandLineRequest::Run},
      {{"quarlane", "-H"}, CommandLineRequest::Run},
      {{"quarlane", "--help "}, CommandLineRequest::Run},
      {{"quarlane", "/?x"}, CommandLineRequest::Run},
      {{"quarlane", "-version"}, CommandLineRequest::Run},
      {{"quarlane", ""}, CommandLineRequest::Run},
  };
  for (const auto &c : cases) {
    std::vector<std::string> args = c.args;
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    EXPECT_EQ(RequestOf(static_cast<int>(args.size()), argv.data()), c.request)
        << (args.size() > 1 ? args[1] : "(none)");
  }
  EXPECT_EQ(VersionLine(), std::string("quarlane ") + BuildVersion() +
                               " (start banner: SAP Quarlane " + kVersionText + ")\n");
}

} // namespace
} // namespace quarlane
