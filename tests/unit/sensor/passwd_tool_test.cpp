// quarlane-passwd's logic, tested against the sensor's own key table and
// profile reader.
#include "passwd_tool.h"
#include "util/version.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "sensor/folder_fixtures.h"
#include "platform/paths.h"
#include "sensor/password.h"

namespace quarlane {
namespace {

struct ToolResult {
  int status;
  std::string out, err;
};

ToolResult Tool(const std::vector<std::string> &args, const std::string &input = "",
                PasswordPrompt *prompt = nullptr) {
  std::istringstream in(input);
  std::ostringstream out, err;
  int status = RunPasswdTool(args, in, out, err, prompt);
  return {status, out.str(), err.str()};
}

// A person at a terminal: answers each prompt in turn and records it.
struct ScriptedPrompt : PasswordPrompt {
  std::vector<std::string> answers;
  std::vector<std::string> prompts;
  std::optional<std::string> Ask(const std::string &prompt) override {
    prompts.push_back(prompt);
    if (prompts.size() > answers.size()) return std::nullopt;
    return answers[prompts.size() - 1];
  }
};

TEST(PasswdTool, PrintsTheStoredValueOnALineOfItsOwn) {
  const std::string passwords[] = {"Secret99", "ab", "with blank", "12345678901234567890",
                                   "!\"#$%&'()*+,-./:;<=>"};
  for (const std::string &password : passwords) {
    ToolResult r = Tool({password});
    EXPECT_EQ(r.status, 0) << password;
    // A blank draws a warning (below), nothing else does.
    EXPECT_EQ(r.err.empty(), password.find(' ') == std::string::npos) << r.err;
    ASSERT_EQ(r.out.size(), 25u) << r.out;
    EXPECT_EQ(r.out.back(), '\n');
    UnscrambleResult u = UnscramblePassword(r.out.substr(0, 24));
    EXPECT_EQ(u.status, UnscrambleStatus::Ok);
    EXPECT_EQ(u.password, password);
  }
  ToolResult dashed = Tool({"--", "-secret"});
  EXPECT_EQ(dashed.status, 0);
  EXPECT_EQ(UnscramblePassword(dashed.out.substr(0, 24)).password, "-secret");

  ToolResult piped = Tool({"--stdin"}, "pass word\r\nignored\n");
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(UnscramblePassword(piped.out.substr(0, 24)).password, "pass word");
}

TEST(PasswdTool, AtATerminalAsksTwiceWithoutEcho) {
  ScriptedPrompt same;
  same.answers = {"Secret99", "Secret99"};
  ToolResult r = Tool({"--stdin"}, "piped\n", &same);
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(same.prompts.size(), 2u);
  EXPECT_NE(same.prompts[0], same.prompts[1]);
  EXPECT_EQ(UnscramblePassword(r.out.substr(0, 24)).password, "Secret99");
  EXPECT_EQ(r.out.find("Secret99"), std::string::npos);

  ScriptedPrompt differ;
  differ.answers = {"Secret99", "Secret98"};
  ToolResult mismatch = Tool({"--stdin"}, "", &differ);
  EXPECT_EQ(mismatch.status, 1);
  EXPECT_EQ(mismatch.out, "");
  EXPECT_NE(mismatch.err.find("the two entries differ"), std::string::npos) << mismatch.err;

  ScriptedPrompt ended;
  ended.answers = {"Secret99"};
  ToolResult eof = Tool({"--stdin"}, "", &ended);
  EXPECT_EQ(eof.status, 1);
  EXPECT_EQ(eof.out, "");
  EXPECT_NE(eof.err.find("no password"), std::string::npos) << eof.err;

  // From a pipe nothing is asked: the first line is the password.
  ToolResult piped = Tool({"--stdin"}, "pass word\n");
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.err.find("Password"), std::string::npos) << piped.err;
}

TEST(PasswdTool, WarnsWhenItStoresAPasswordWithABlank) {
  // It works through the host logon but not through a connect string.
  ToolResult blank = Tool({"pass word"});
  EXPECT_EQ(blank.status, 0);
  EXPECT_EQ(UnscramblePassword(blank.out.substr(0, 24)).password, "pass word");
  EXPECT_NE(blank.err.find("warning: the password holds a blank"), std::string::npos) << blank.err;
  EXPECT_NE(blank.err.find("SapRfc."), std::string::npos) << blank.err;
  EXPECT_EQ(Tool({"password"}).err, "");
}

TEST(PasswdTool, RefusesPasswordsItCannotStore) {
  // Ten characters that, each at its own key offset, would scramble to a blank.
  std::string crafted;
  for (int j = 0; j < 10; ++j)
    crafted += static_cast<char>(0x20 ^ kPasswordKeyTable[j + (j % 2 == 0 ? j / 2 : 19 - j / 2)]);
  const struct {
    std::vector<std::string> args;
    std::string input;
    std::string says;
  } cases[] = {
      {{"123456789012345678901"}, "", "the password has 21 characters; a profile holds at most 20"},
      {{"tab\there"}, "", "character 4 of the password is not printable ASCII"},
      {{"gr\xc3\xbc\xc3\x9f"}, "", "character 3 of the password is not printable ASCII"},
      {{"x"}, "", "the password has 1 character; the sensor needs at least 2"},
      {{"--", ""}, "", "the password has 0 characters"},
      {{crafted}, "", "please choose another password"},
      {{"--stdin"}, "", "no password on standard input"},
  };
  for (const auto &c : cases) {
    ToolResult r = Tool(c.args, c.input);
    EXPECT_EQ(r.status, 1) << c.says;
    EXPECT_EQ(r.out, "") << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

TEST(PasswdTool, WrongUsage) {
  const std::vector<std::string> cases[] = {
      {},
      {"two", "words"},
      {"-secret"},
      {"--check"},
      {"--check", "a", "b"},
      {"--check-profile"},
      {"--stdin", "x"},
      {"--", "a", "b"},
      {"--verbose"},
  };
  for (const auto &args : cases) {
    ToolResult r = Tool(args);
    EXPECT_EQ(r.status, 2) << (args.empty() ? "(none)" : args[0]);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("quarlane-passwd --help"), std::string::npos) << r.err;
  }
}

// The help and version words on every platform, and option-looking words
// that are never taken as a password.
TEST(PasswdTool, HelpVersionAndOptionLookingWords) {
  for (const char *word : {"--help", "-h", "/?"}) {
    ToolResult help = Tool({word});
    EXPECT_EQ(help.status, 0) << word;
    EXPECT_EQ(help.out, kPasswdUsage) << word;
    EXPECT_EQ(help.err, "") << word;
  }
  ToolResult version = Tool({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("quarlane-passwd ") + BuildVersion() + "\n");
  for (const char *word : {"/h", "/V", "-?", "--Version", "-version", "--HELP"}) {
    ToolResult r = Tool({word});
    EXPECT_EQ(r.status, 2) << word;
    EXPECT_EQ(r.out, "") << word << ": nothing scrambled";
    EXPECT_NE(r.err.find(std::string("unknown option ") + word), std::string::npos) << r.err;
  }
  // Such a password can still be stored after "--"; a longer word with a
  // slash is a password.
  const struct {
    std::vector<std::string> args;
    std::string password;
  } stored[] = {{{"--", "/?"}, "/?"}, {{"--", "-secret"}, "-secret"}, {{"/xy"}, "/xy"}};
  for (const auto &c : stored) {
    const std::vector<std::string> &args = c.args;
    const std::string &password = c.password;
    ToolResult r = Tool(args);
    EXPECT_EQ(r.status, 0) << password << ": " << r.err;
    EXPECT_EQ(UnscramblePassword(r.out.substr(0, 24)).password, password);
  }
}

TEST(PasswdTool, ChecksAStoredValue) {
  const std::string good = ScramblePassword("Secret99");
  std::string wrong = good;
  wrong[0] = static_cast<char>(wrong[0] ^ 0x01);
  const struct {
    std::string stored;
    int status;
    std::string says;
  } cases[] = {
      {good, 0, "OK: the stored value unscrambles to a password of 8 characters\n"},
      {good.substr(1), 1, "Error 1004: invalid stored value"},
      {good + " ", 1, "Error 1004: invalid stored value"},
      {wrong, 1, "Error 1005: wrong stored value"},
      {ScramblePassword(""), 1, "Error 1007: the stored value unscrambles to an empty password"},
      {"", 1, "Error 1007: an empty stored value"},
      {ScramblePassword("a"), 1,
       "Error 1003: the stored value unscrambles to a password of 1 character"},
  };
  for (const auto &c : cases) {
    ToolResult r = Tool({"--check", c.stored});
    EXPECT_EQ(r.status, c.status) << c.says;
    EXPECT_EQ(r.out.compare(0, c.says.size(), c.says), 0) << r.out;
  }
}

class PasswdToolProfile : public WorkingFolderTest {
protected:
  static std::string Profile(const std::string &password_line, const std::string &gwhost_line) {
    return "Extcompany.: ACME\r\nDestination: PRD\r\nClient.....: 100\r\n"
           "User.......: sapadm\r\n" +
           password_line +
           "\r\nLanguage...: EN\r\n"
           "Mode.......: CPIC\r\nHostname...: sap01\r\nSysnr......: 00\r\n" +
           gwhost_line + "\r\nGwservice..: sapgw00\r\n# Rsp history\r\n";
  }
};

TEST_F(PasswdToolProfile, ReportsWhatTheSensorSays) {
  const std::string stored = ScramblePassword("Secret99");
  Put("Sensors\\PRD.P00", Profile("Password...: " + stored, "Gwhost.....: gw01"));
  ToolResult ok = Tool({"--check-profile", "Sensors\\PRD.P00"});
  EXPECT_EQ(ok.status, 0) << ok.out << ok.err;
  EXPECT_EQ(ok.out.rfind("OK: the sensor accepts the connection parameters of PRD.P00\n", 0), 0u)
      << ok.out;
  EXPECT_NE(ok.out.find("  User.......: \"SAPADM\"\n"), std::string::npos) << ok.out;
  EXPECT_NE(ok.out.find("  Password...: 8 characters\n"), std::string::npos) << ok.out;
  EXPECT_EQ(ok.out.find("Secret99"), std::string::npos) << "the password is not shown";

  Put("QAS.P00", Profile("Password...: " + stored, "Gwhost.....:"));
  ToolResult short_gateway = Tool({"--check-profile", "QAS.P00"});
  EXPECT_EQ(short_gateway.status, 1);
  EXPECT_EQ(short_gateway.out.rfind("Error 1003: Invalid Parameter(s) at QAS.P00 found...\n"
                                    "  Gwhost.....: is shorter than the sensor accepts\n",
                                    0),
            0u)
      << short_gateway.out;

  Put("DEV.P00", Profile("Password...:  " + stored, "Gwhost.....: gw01"));
  ToolResult blank = Tool({"--check-profile", "DEV.P00"});
  EXPECT_EQ(blank.status, 1);
  EXPECT_EQ(blank.out, "Error 1004: Invalid Password in Profile DEV.P00 found...\n"
                       "  the value of \"Password...:\" (from column 14) has 25 characters;"
                       " a stored value is exactly 24, without blanks around it\n");

  Put("TST.P00", Profile("Password...:", "Gwhost.....: gw01"));
  ToolResult empty = Tool({"--check-profile", "TST.P00"});
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.out.rfind("Error 1007: Password in Profile TST.P00 is missing...\n", 0), 0u);

  ToolResult missing = Tool({"--check-profile", "NONE.P00"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("cannot read the profile NONE.P00"), std::string::npos);

  MakeFolder("Folder.P00");
  EXPECT_EQ(Tool({"--check-profile", "Folder.P00"}).status, 1);
}

TEST_F(PasswdToolProfile, ChecksLimitLines) {
  const std::string stored = ScramblePassword("Secret99");
  const std::string base = Profile("Password...: " + stored, "Gwhost.....: gw01");
  struct Case {
    std::string line;
    int status;
    std::string says;
  } cases[] = {
      {"Limit......: Avg Rsp-Time=800,1500", 0,
       "  Limit......: Avg Rsp-Time: warning above 800, error above 1500\n"},
      {"Limit......: TransActions=,250000", 0,
       "  Limit......: TransActions: warning above -, error above 250000\n"},
      {"Limit......: Avg Rsp-Tme=800,1500", 1,
       "Fault: no report has a channel or item named \"Avg Rsp-Tme\"\n"},
      {"Limit......: Avg Rsp-Time=1500,800", 1,
       "Fault: the warning limit of Avg Rsp-Time is above its error limit\n"},
      {"Limit......: Avg Rsp-Time=8OO,", 1,
       "Fault: limit line 13: the limits of Avg Rsp-Time are not decimal numbers (e.g. "
       "800,1500)\n"},
      {"Limit......: Avg Rsp-Time 800", 1,
       "Fault: limit line 13: no \"=\" after the channel's name\n"},
      {"Limit......: Avg Rsp-Time=,", 1,
       "Fault: limit line 13: neither a warning nor an error limit for Avg Rsp-Time\n"},
  };
  for (const Case &c : cases) {
    Put("PRD.P00", base + c.line + "\r\n");
    ToolResult r = Tool({"--check-profile", ".\\PRD.P00"});
    EXPECT_EQ(r.status, c.status) << c.line << "\n" << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.line << "\n" << r.out;
  }
}

TEST_F(PasswdToolProfile, AMissingLineIsMissingAShortValueTooShort) {
  const std::string stored = ScramblePassword("Secret99");
  Put("PRD.P00", "Extcompany.: ACME\nDestination: PRD\nClient.....: 100\nPassword...: " + stored +
                     "\nLanguage...: EN\nMode.......: CPIC\nHostname...: sap01\nSysnr......: 0\n"
                     "Gwhost.....: gw01\nGwservice..: sapgw00\n");
  ToolResult r = Tool({"--check-profile", "PRD.P00"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.rfind("Error 1006: Username in Profile PRD.P00 is missing...\n"
                        "  User.......: is missing\n"
                        "  Sysnr......: is shorter than the sensor accepts\n",
                        0),
            0u)
      << r.out;
}

TEST_F(PasswdToolProfile, FlagsABlankInThePasswordWhenADestinationFileExists) {
  const std::string stored = ScramblePassword("pass word");
  // Named with its folder, as the sensor opens it with "@": found in the
  // working folder by the search, no sensor would get to it.
  Put("PRD.P00", Profile("Password...: " + stored, "Gwhost.....: gw01"));
  ToolResult without = Tool({"--check-profile", ".\\PRD.P00"});
  EXPECT_EQ(without.status, 0) << without.out;
  EXPECT_EQ(without.out.find("blank"), std::string::npos) << without.out;

  Put("SapRfc.PRD", "DEST=PRD\nTYPE=A\n");
  ToolResult with = Tool({"--check-profile", ".\\PRD.P00"});
  EXPECT_EQ(with.status, 1) << with.out;
  EXPECT_NE(with.out.find("the password holds a blank, and \"SapRfc.PRD\" exists"),
            std::string::npos)
      << with.out;
}

// The profile is found as the sensor finds it: the name completed, the PRTG
// folders searched, drive paths below $QUARLANE_ROOT.
using PasswdToolSearch = DriveTreeTest;

TEST_F(PasswdToolSearch, FindsTheProfileAsTheSensorDoes) {
  const std::string exexml = "\\Program Files\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\";
  const std::string good = "Extcompany.: ACME\nDestination: PRD\nClient.....: 100\n"
                           "User.......: sapadm\nPassword...: " +
                           ScramblePassword("Secret99") +
                           "\nLanguage...: EN\nMode.......: CPIC\nHostname...: sap01\n"
                           "Sysnr......: 00\nGwhost.....: gw01\nGwservice..: sapgw00\n";
  Put(exexml + "PRD.P00", good);
  for (const std::string &name :
       {std::string("PRD"), std::string("prd/../PRD"), std::string("C:\\Elsewhere\\PRD")}) {
    ToolResult r = Tool({"--check-profile", name});
    EXPECT_EQ(r.status, 0) << name << ": " << r.out << r.err;
    EXPECT_EQ(r.out.rfind("OK: the sensor accepts the connection parameters of PRD.P00\n", 0), 0u)
        << r.out;
    EXPECT_NE(r.err.find(HostPath(exexml + "PRD.P00")), std::string::npos) << r.err;
  }

  // Run inside the ExeXml folder: found in the working folder, as the sensor
  // would, which then fails the folder check.
  std::filesystem::current_path(HostPath(exexml));
  // That is a fault, not an OK: no sensor started here gets to the profile.
  ToolResult inside = Tool({"--check-profile", "PRD"});
  EXPECT_EQ(inside.status, 1) << inside.out << inside.err;
  EXPECT_NE(inside.err.find("Sorry, invalid Path-Usage..."), std::string::npos) << inside.err;
  EXPECT_EQ(inside.out.rfind("Fault: a sensor started here stops with \"Sorry, invalid "
                             "Path-Usage...\" before it reads PRD.P00",
                             0),
            0u)
      << inside.out;
  EXPECT_EQ(inside.out.find("OK:"), std::string::npos) << inside.out;

  // An absolute host path below $QUARLANE_ROOT is not put below it again.
  const std::string absolute = HostPath(exexml + "PRD.P00");
  ASSERT_EQ(absolute.rfind(root_.string() + "/", 0), 0u) << absolute;
  ToolResult direct = Tool({"--check-profile", absolute});
  EXPECT_EQ(direct.status, 0) << direct.out << direct.err;

  ToolResult nowhere = Tool({"--check-profile", "QAS"});
  EXPECT_EQ(nowhere.status, 1);
  EXPECT_NE(nowhere.err.find("cannot read the profile QAS"), std::string::npos) << nowhere.err;
  EXPECT_NE(nowhere.err.find("Error 1002: Profile QAS.P00 is missing..."), std::string::npos)
      << nowhere.err;
  EXPECT_NE(nowhere.err.find("QAS.P00 not found in \"" + exexml + "\""), std::string::npos)
      << nowhere.err;
}

} // namespace
} // namespace quarlane
