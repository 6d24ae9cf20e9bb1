#include "sensor/system_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sensor/password.h"

namespace quarlane {
namespace {

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

SystemProfileReading Read(const std::vector<std::string> &lines) {
  return ReadSystemProfile(TextLines::FromLines(lines), "PRD.P00");
}

// The failure a single-system run ends with.
std::string FailureOf(const std::vector<std::string> &lines) {
  const SystemProfileReading reading = Read(lines);
  return reading.failure() ? reading.failure()->text : "(no failure)";
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
    for (const std::string &label : labels)
      dropped = dropped || l.compare(0, label.size(), label) == 0;
    if (!dropped) lines.push_back(l);
  }
  return lines;
}

TEST(ReadSystemProfile, ElevenParametersOfAGoodProfile) {
  const SystemProfileReading reading = Read(GoodProfile());
  EXPECT_FALSE(reading.failure().has_value());
  const ConnectionParameters &p = reading.parameters;
  EXPECT_EQ(p.extcompany, "ACME");
  EXPECT_EQ(p.destination, "PRD");
  EXPECT_EQ(p.client, "100");
  EXPECT_EQ(p.user, "SAPADM");
  EXPECT_EQ(p.password, "Secret99");
  EXPECT_EQ(p.language, "EN");
  EXPECT_EQ(p.mode, "CPIC");
  EXPECT_EQ(p.hostname, "sap-prd-01");
  EXPECT_EQ(p.sysnr, "00");
  EXPECT_EQ(p.gwhost, "sap-prd-gw");
  EXPECT_EQ(p.gwservice, "sapgw00");
  // The same bytes with CR LF line ends read the same.
  std::string crlf;
  for (const std::string &line : GoodProfile()) crlf += line + "\r\n";
  EXPECT_EQ(ReadSystemProfile(TextLines(crlf), "PRD.P00").parameters.gwservice, "sapgw00");
}

TEST(ReadSystemProfile, ValueRules) {
  const std::string seventy(70, 'v');
  const struct {
    std::string line;
    std::string destination;
  } cases[] = {
      {"Destination: QAS", "QAS"},
      {"Destination:\tQAS", "QAS"}, // column 13 is not examined
      {"Destination:QQAS", "QAS"},
      {"Destination:  QAS  ", " QAS  "}, // no trimming
      {"Destination: " + seventy, seventy.substr(0, 60)},
      {"Destination:", ""},
      {"Destination: ", ""},
      {"destination: QAS", "PRD"}, // labels are case-sensitive
      {"Destination QAS", "PRD"},
      {" Destination: QAS", "PRD"},
      {std::string("Destination: QA\0S", 17), "QA"}, // a NUL ends the value
      {std::string("Destination: \0QAS", 17), ""},
  };
  for (const auto &c : cases) {
    std::vector<std::string> lines = GoodProfile();
    lines.push_back(c.line);
    EXPECT_EQ(Read(lines).parameters.destination, c.destination) << c.line;
  }
}

TEST(ReadSystemProfile, ANulEndsEveryValueAndItsLengthCheck) {
  std::vector<std::string> lines = GoodProfile();
  lines.push_back(std::string("Hostname...: sapprd01\0tail", 26));
  lines.push_back(std::string("Client.....: 10\0"
                              "0",
                              17));
  const SystemProfileReading reading = Read(lines);
  EXPECT_EQ(reading.parameters.hostname, "sapprd01");
  EXPECT_EQ(reading.parameters.client, "10");
  EXPECT_EQ(FailureOf(lines), "Error 1003: Invalid Parameter(s) at PRD.P00 found...");
}

TEST(ReadSystemProfile, UserUpperCaseAndLastOccurrenceWins) {
  std::vector<std::string> lines = GoodProfile();
  lines.push_back("user.......: other");         // ignored
  lines.push_back("User.......: rfc_m\xfcller"); // only a-z change
  lines.push_back("Hostname...: sap-prd-02");
  const SystemProfileReading reading = Read(lines);
  EXPECT_EQ(reading.parameters.user, "RFC_M\xfcLLER");
  EXPECT_EQ(reading.parameters.hostname, "sap-prd-02");
}

TEST(ReadSystemProfile, WholeLinesAndEveryLineCounts) {
  // A long line is one line: what stands after its 159th character is not a
  // line of its own, so it cannot set a parameter.
  std::vector<std::string> lines = GoodProfile();
  lines.push_back(std::string(159, '#') + "Destination: BAD");
  lines.push_back("; " + std::string(400, 'c'));
  for (int i = 0; i < 250; ++i) lines.push_back("# comment " + std::to_string(i));
  EXPECT_EQ(Read(lines).parameters.destination, "PRD");
  // Labels beyond the 200th line still count.
  lines.push_back("Client.....: 200");
  EXPECT_EQ(Read(lines).parameters.client, "200");
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
      {With("Destination", "Destination: PR"),
       "Error 1003: Invalid Parameter(s) at PRD.P00 found..."},
      {With("Language", "Language...: E"), "(no failure)"},
      {With("Language", "Language...:"), "Error 1003: Invalid Parameter(s) at PRD.P00 found..."},
      {With("Extcompany", "Extcompany.: A"),
       "Error 1003: Invalid Parameter(s) at PRD.P00 found..."},
      {With("Mode", "Mode.......: 3"), "Error 1003: Invalid Parameter(s) at PRD.P00 found..."},
      {With("Sysnr", "Sysnr......: 0"), "Error 1003: Invalid Parameter(s) at PRD.P00 found..."},
  };
  for (const auto &c : cases)
    EXPECT_EQ(FailureOf(c.lines), c.failure)
        << (c.lines.empty() ? std::string("(empty)") : c.lines.back());
  // User and password both missing: 1006 only.
  EXPECT_EQ(FailureOf(Without({"User", "Password"})),
            "Error 1006: Username in Profile PRD.P00 is missing...");
}

TEST(ReadSystemProfile, APasswordFailureComesBeforeEveryCheck) {
  // The single-system run ends at the password line: what follows it cannot
  // turn the failure into another.
  const SystemProfileReading reading = Read({"Password...: too short", "User.......: late"});
  ASSERT_TRUE(reading.failure().has_value());
  EXPECT_EQ(reading.failure()->text, "Error 1004: Invalid Password in Profile PRD.P00 found...");
  // The first password line that fails is the one reported.
  const std::string stored = StoredSecret();
  std::string wrong = stored;
  wrong[0] = static_cast<char>(wrong[0] ^ 0x01);
  EXPECT_EQ(FailureOf(With("Password", "Password...: " + wrong + "\nPassword...: x")),
            "Error 1005: Wrong Password in Profile PRD.P00 found...");
}

TEST(ParametersBelowMinimum, NamesTheShortOnes) {
  ConnectionParameters conn{"AC", "PRD", "100", "SA", "pw", "E", "CPI", "ho", "00", "gw", "sa"};
  EXPECT_TRUE(ParametersBelowMinimum(conn).empty());
  conn.mode = "CP";
  conn.gwservice.clear();
  EXPECT_EQ(ParametersBelowMinimum(conn),
            (std::vector<std::string>{"Mode.......:", "Gwservice..:"}));
}

TEST(ItemRunProfile, NothingCarriesOverFromThePreviousSystem) {
  EXPECT_FALSE(Read(GoodProfile()).failure().has_value());

  // The next system's profile lacks its gateway and its password.
  const SystemProfileReading next = Read(Without({"Gwhost", "Password"}));
  EXPECT_EQ(next.parameters.gwhost, "");
  EXPECT_EQ(next.parameters.password, "");
  EXPECT_TRUE(next.failure().has_value());

  // A profile without a host name leaves no host of the previous system.
  EXPECT_EQ(Read(Without({"Hostname"})).parameters.hostname, "");
}

TEST(ItemRunProfile, FailuresMarkTheSystem) {
  const std::string stored = StoredSecret();
  const struct {
    std::vector<std::string> lines;
    bool failed;
  } cases[] = {
      {GoodProfile(), false},
      {With("Password", "Password...: " + stored.substr(2)), true},
      {With("Password", "Password...:"), true},
      {With("User", "User.......:"), true},
      {With("Client", "Client.....: 1"), true},
      {{}, true},
  };
  for (const auto &c : cases)
    EXPECT_EQ(Read(c.lines).failure().has_value(), c.failed)
        << (c.lines.empty() ? std::string("(empty)") : c.lines[5]);
}

TEST(ItemRunProfile, PasswordThatFailsGivesAnEmptyPasswordAndReadingGoesOn) {
  std::vector<std::string> lines = With("Password", "Password...: not a stored value");
  lines.push_back("Client.....: 300");
  const SystemProfileReading reading = Read(lines);
  EXPECT_EQ(reading.parameters.password, "");
  EXPECT_EQ(reading.parameters.client, "300");
  EXPECT_TRUE(reading.failure().has_value());
}

} // namespace
} // namespace quarlane
