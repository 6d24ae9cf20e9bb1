#include "sensor/system_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sensor/password.h"

namespace quarlane {
namespace {

// Inside a test body "Run" names the test's own member function.
using SensorRun = quarlane::Run;

std::string StoredSecret() { return ScramblePassword("Secret99"); }

// A complete profile; history lines and comments among the parameters.
std::vector<std::string> GoodProfile() {
  return {
      "; PRD production system",
      "Extcompany.: ACME",
      "Destination: PRD",
      "Client.....: 100",
      "User.......: sapadm",
      "Password...: " + StoredSecret(),
      "Language...: EN",
      "Mode.......: CPIC",
      "Hostname...: sap-prd-01",
      "Sysnr......: 00",
      "Gwhost.....: sap-prd-gw",
      "Gwservice..: sapgw00",
      "# Rsp 20240101 Trns=000000123 Dialog ...",
      "# Rsx 20240101 Trns=000000123 Update ...",
  };
}

Run SingleSystemRun() {
  Run run;
  run.ctx.profile_name = "PRD.P00";
  run.ctx.profile_path = "C:\\PRTG\\PRD.P00";
  return run;
}

Run ItemRun() {
  SensorRun run = SingleSystemRun();
  run.ctx.item_run = true;
  return run;
}

std::string FailureOf(Run &run, const std::vector<std::string> &lines) {
  try {
    ReadSystemProfile(run, lines);
    CheckConnectionParameters(run);
  } catch (const RunFailure &failure) {
    return failure.text;
  }
  return "(no failure)";
}

// The profile with one line replaced (or added when no line has the label).
std::vector<std::string> With(const std::string &label, const std::string &line) {
  std::vector<std::string> lines = GoodProfile();
  for (std::string &l : lines)
    if (l.compare(0, label.size(), label) == 0) {
      l = line;
      return lines;
    }
  lines.push_back(line);
  return lines;
}

std::vector<std::string> Without(const std::vector<std::string> &labels) {
  std::vector<std::string> lines;
  for (const std::string &l : GoodProfile()) {
    bool dropped = false;
    for (const std::string &label : labels) dropped = dropped || l.compare(0, label.size(), label) == 0;
    if (!dropped) lines.push_back(l);
  }
  return lines;
}

TEST(ReadSystemProfile, ElevenParametersOfAGoodProfile) {
  SensorRun run = SingleSystemRun();
  const std::vector<std::string> lines = GoodProfile();
  ReadSystemProfile(run, lines);
  EXPECT_NO_THROW(CheckConnectionParameters(run));
  EXPECT_EQ(run.conn.Extcompany, "ACME");
  EXPECT_EQ(run.conn.Destination, "PRD");
  EXPECT_EQ(run.conn.Client, "100");
  EXPECT_EQ(run.conn.User, "SAPADM");
  EXPECT_EQ(run.conn.Password, "Secret99");
  EXPECT_EQ(run.conn.Language, "EN");
  EXPECT_EQ(run.conn.Mode, "CPIC");
  EXPECT_EQ(run.conn.Hostname, "sap-prd-01");
  EXPECT_EQ(run.sap.SystemHost, "sap-prd-01");
  EXPECT_EQ(run.conn.Sysnr, "00");
  EXPECT_EQ(run.conn.Gwhost, "sap-prd-gw");
  EXPECT_EQ(run.conn.Gwservice, "sapgw00");
  EXPECT_EQ(run.profile_lines, lines);
}

TEST(ReadSystemProfile, ValueRules) {
  const std::string seventy(70, 'v');
  const struct {
    std::string line;
    std::string destination;
  } cases[] = {
      {"Destination: QAS", "QAS"},
      {"Destination:\tQAS", "QAS"},            // column 13 is not examined
      {"Destination:QQAS", "QAS"},
      {"Destination:  QAS  ", " QAS  "},       // no trimming
      {"Destination: " + seventy, seventy.substr(0, 60)},
      {"Destination:", ""},
      {"Destination: ", ""},
      {"destination: QAS", "PRD"},             // labels are case-sensitive
      {"Destination QAS", "PRD"},
      {" Destination: QAS", "PRD"},
  };
  for (const auto &c : cases) {
    SensorRun run = SingleSystemRun();
    std::vector<std::string> lines = GoodProfile();
    lines.push_back(c.line);
    ReadSystemProfile(run, lines);
    EXPECT_EQ(run.conn.Destination, c.destination) << c.line;
  }
}

TEST(ReadSystemProfile, UserUpperCaseAndLastOccurrenceWins) {
  SensorRun run = SingleSystemRun();
  std::vector<std::string> lines = GoodProfile();
  lines.push_back("user.......: other");       // ignored
  lines.push_back("User.......: rfc_m\xfcller"); // only a-z change
  lines.push_back("Hostname...: sap-prd-02");
  ReadSystemProfile(run, lines);
  EXPECT_EQ(run.conn.User, "RFC_M\xfcLLER");
  EXPECT_EQ(run.conn.Hostname, "sap-prd-02");
  EXPECT_EQ(run.sap.SystemHost, "sap-prd-02");
}

TEST(ReadSystemProfile, WholeLinesAndEveryLineKept) {
  // A long line is one line: what stands after its 159th character is not a
  // line of its own, so it cannot set a parameter.
  std::vector<std::string> lines = GoodProfile();
  lines.push_back(std::string(159, '#') + "Destination: BAD");
  lines.push_back("; " + std::string(400, 'c'));
  for (int i = 0; i < 250; ++i) lines.push_back("# comment " + std::to_string(i));
  SensorRun run = SingleSystemRun();
  ReadSystemProfile(run, lines);
  EXPECT_EQ(run.conn.Destination, "PRD");
  EXPECT_EQ(run.profile_lines, lines); // no 200-entry limit, no repeated last line
  // Labels beyond the 200th line still count.
  lines.push_back("Client.....: 200");
  ReadSystemProfile(run, lines);
  EXPECT_EQ(run.conn.Client, "200");
}

TEST(CheckConnectionParameters, SingleSystemFailures) {
  const std::string unscrambled = StoredSecret();
  std::string wrong = unscrambled;
  wrong[0] = static_cast<char>(wrong[0] ^ 0x01); // another check digit, still a digit
  const struct {
    std::vector<std::string> lines;
    std::string failure;
  } cases[] = {
      {GoodProfile(), "(no failure)"},
      {{}, "Error 1006: Username in Profile PRD.P00 is missing..."},
      {Without({"User"}), "Error 1006: Username in Profile PRD.P00 is missing..."},
      {With("User", "User.......:"), "Error 1006: Username in Profile PRD.P00 is missing..."},
      {With("Password", "Password...:"), "Error 1007: Password in Profile PRD.P00 is missing..."},
      {Without({"Password"}), "Error 1007: Password in Profile PRD.P00 is missing..."},
      {With("Password", "Password...: " + ScramblePassword("")),
       "Error 1007: Password in Profile PRD.P00 is missing..."},
      {With("Password", "Password...: " + ScramblePassword("x")),
       "Error 1003: Invalid Parameter(s) at PRD.P00 found..."},
      {With("Password", "Password...: " + unscrambled.substr(1)),
       "Error 1004: Invalid Password in Profile PRD.P00 found..."},
      {With("Password", "Password...: " + unscrambled + "Z"),
       "Error 1004: Invalid Password in Profile PRD.P00 found..."},
      {With("Password", "Password...:  " + unscrambled),
       "Error 1004: Invalid Password in Profile PRD.P00 found..."},
      {With("Password", "Password...: " + wrong),
       "Error 1005: Wrong Password in Profile PRD.P00 found..."},
      {Without({"Gwhost"}), "Error 1003: Invalid Parameter(s) at PRD.P00 found..."},
      {With("Destination", "Destination:"), "Error 1003: Invalid Parameter(s) at PRD.P00 found..."},
      {With("Destination", "Destination: PR"), "Error 1003: Invalid Parameter(s) at PRD.P00 found..."},
      {With("Language", "Language...: E"), "(no failure)"},
      {With("Language", "Language...:"), "Error 1003: Invalid Parameter(s) at PRD.P00 found..."},
      {With("Extcompany", "Extcompany.: A"), "Error 1003: Invalid Parameter(s) at PRD.P00 found..."},
      {With("Mode", "Mode.......: 3"), "Error 1003: Invalid Parameter(s) at PRD.P00 found..."},
      {With("Sysnr", "Sysnr......: 0"), "Error 1003: Invalid Parameter(s) at PRD.P00 found..."},
  };
  for (const auto &c : cases) {
    SensorRun run = SingleSystemRun();
    EXPECT_EQ(FailureOf(run, c.lines), c.failure)
        << (c.lines.empty() ? std::string("(empty)") : c.lines.back());
  }
  // User and password both missing: 1006 only.
  const std::vector<std::string> neither = Without({"User", "Password"});
  SensorRun run = SingleSystemRun();
  EXPECT_EQ(FailureOf(run, neither), "Error 1006: Username in Profile PRD.P00 is missing...");
}

TEST(ReadSystemProfile, PasswordFailureEndsTheReadingAtItsLine) {
  std::vector<std::string> lines = {"Password...: too short", "User.......: late"};
  SensorRun run = SingleSystemRun();
  EXPECT_THROW(ReadSystemProfile(run, lines), RunFailure);
  EXPECT_EQ(run.conn.User, "");
}

TEST(ParametersBelowMinimum, NamesTheShortOnes) {
  ConnectionParameters conn{"AC", "PRD", "100", "SA", "pw", "E", "CPI", "ho", "00", "gw", "sa"};
  EXPECT_TRUE(ParametersBelowMinimum(conn).empty());
  conn.Mode = "CP";
  conn.Gwservice.clear();
  EXPECT_EQ(ParametersBelowMinimum(conn),
            (std::vector<std::string>{"Mode.......:", "Gwservice..:"}));
}

TEST(ItemRunProfile, NothingCarriesOverFromThePreviousSystem) {
  SensorRun run = ItemRun();
  ReadSystemProfile(run, GoodProfile());
  CheckConnectionParameters(run);
  EXPECT_EQ(run.item.profile_check_flag, '.');
  EXPECT_TRUE(run.profile_lines.empty()); // the sensor profile's table is not touched

  // The next system's profile lacks its gateway and its password.
  ReadSystemProfile(run, Without({"Gwhost", "Password"}));
  EXPECT_EQ(run.conn.Gwhost, "");
  EXPECT_EQ(run.conn.Password, "");
  CheckConnectionParameters(run);
  EXPECT_EQ(run.item.profile_check_flag, 'X');

  // A profile without a host name leaves no host of the previous system.
  run.item.profile_check_flag = '.';
  ReadSystemProfile(run, Without({"Hostname"}));
  EXPECT_EQ(run.sap.SystemHost, "");
  EXPECT_EQ(run.conn.Hostname, "");
}

TEST(ItemRunProfile, FailuresSetTheCheckFlag) {
  const std::string stored = StoredSecret();
  const struct {
    std::vector<std::string> lines;
    char flag;
  } cases[] = {
      {GoodProfile(), '.'},
      {With("Password", "Password...: " + stored.substr(2)), 'X'},
      {With("Password", "Password...:"), 'X'},
      {With("User", "User.......:"), 'X'},
      {With("Client", "Client.....: 1"), 'X'},
      {{}, 'X'},
  };
  for (const auto &c : cases) {
    SensorRun run = ItemRun();
    run.item.profile_check_flag = '.';
    EXPECT_NO_THROW({
      ReadSystemProfile(run, c.lines);
      CheckConnectionParameters(run);
    });
    EXPECT_EQ(run.item.profile_check_flag, c.flag)
        << (c.lines.empty() ? std::string("(empty)") : c.lines[5]);
  }
}

TEST(ItemRunProfile, PasswordThatFailsGivesAnEmptyPasswordAndReadingGoesOn) {
  SensorRun run = ItemRun();
  run.conn.Password = "previous";
  std::vector<std::string> lines = With("Password", "Password...: not a stored value");
  lines.push_back("Client.....: 300");
  ReadSystemProfile(run, lines);
  EXPECT_EQ(run.conn.Password, "");
  EXPECT_EQ(run.conn.Client, "300");
  EXPECT_EQ(run.item.profile_check_flag, 'X');
}

} // namespace
} // namespace quarlane
