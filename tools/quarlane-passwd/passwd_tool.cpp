#include "passwd_tool.h"

#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <istream>
#include <optional>
#include <set>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "find_profile.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "sensor/limits.h"
#include "sensor/options.h"
#include "sensor/password.h"
#include "sensor/profile_location.h"
#include "sensor/system_profile.h"
#include "util/text_lines.h"
#include "util/version.h"

namespace quarlane {

const char *const kPasswdUsage =
    "Usage: quarlane-passwd PASSWORD\n"
    "       quarlane-passwd --stdin\n"
    "       quarlane-passwd --check STORED\n"
    "       quarlane-passwd --check-profile PROFILE\n"
    "       quarlane-passwd --help | -h | /?\n"
    "       quarlane-passwd --version\n"
    "\n"
    "Writes the stored (scrambled) form of a password for the \"Password...:\"\n"
    "line of a Quarlane profile, and checks stored values and whole profiles.\n"
    "\n"
    "  PASSWORD                 2 to 20 printable ASCII characters, blanks\n"
    "                           included; prints the stored value (24\n"
    "                           characters) on a line of its own\n"
    "  --stdin                  takes the password from the first line of\n"
    "                           standard input instead; at a terminal it asks\n"
    "                           twice and does not show what is typed\n"
    "  --check STORED           tells whether a stored value unscrambles and\n"
    "                           what the sensor reports for it\n"
    "  --check-profile PROFILE  finds a profile as the sensor does (\".P00\" added,\n"
    "                           the PRTG folders searched; a folder given with\n"
    "                           the name is tried first, as with \"@\"), says\n"
    "                           which file it read, and reports what the sensor\n"
    "                           says about its connection parameters (on Linux,\n"
    "                           C:\\... and \\... paths lie below $QUARLANE_ROOT)\n"
    "  --help, -h, /?           shows this text\n"
    "  --version                prints the program's version\n"
    "\n"
    "A password that begins with \"-\", or is a slash and one letter or \"?\",\n"
    "follows \"--\": quarlane-passwd -- -secret\n"
    "A password with a blank works when the sensor logs on to the profile's host,\n"
    "not through a \"SapRfc.<destination>\" file; it is stored with a warning.\n"
    "\n"
    "Exit status: 0 done or OK, 1 the password cannot be stored or the check\n"
    "found a fault (--check-profile: also when a sensor started here would stop\n"
    "before it reads the profile, e.g. \"Sorry, invalid Path-Usage...\"), 2 wrong\n"
    "usage.\n";

namespace {

constexpr std::size_t kLongestPassword = 20;
constexpr std::size_t kShortestPassword = 2; // the sensor's minimum length
constexpr std::size_t kStoredLength = 24;
constexpr int kDone = 0, kFault = 1, kUsage = 2;

const char kPasswordLabel[] = "Password...:";
constexpr std::size_t kValueColumn = 13;
constexpr std::size_t kValueLimit = 60;

// "-x", "--word" and the Windows forms "/?" and "/x" (a slash and one letter
// or a question mark). A password of that shape follows "--".
bool LooksLikeOption(const std::string &word) {
  if (word[0] == '-') return true;
  return word.size() == 2 && (word[1] == '?' || std::isalpha(static_cast<unsigned char>(word[1])));
}

int WrongUsage(std::ostream &err, const std::string &problem) {
  err << "quarlane-passwd: " << problem << "\nTry \"quarlane-passwd --help\".\n";
  return kUsage;
}

std::string Characters(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " character" : " characters");
}

int StorePassword(const std::string &password, std::ostream &out, std::ostream &err) {
  if (password.size() > kLongestPassword) {
    err << "quarlane-passwd: the password has " << Characters(password.size())
        << "; a profile holds at most " << kLongestPassword << "\n";
    return kFault;
  }
  for (std::size_t i = 0; i < password.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(password[i]);
    if (c < 0x20 || c > 0x7E) {
      err << "quarlane-passwd: character " << i + 1
          << " of the password is not printable ASCII and cannot be stored\n";
      return kFault;
    }
  }
  if (password.size() < kShortestPassword) {
    err << "quarlane-passwd: the password has " << Characters(password.size())
        << "; the sensor needs at least " << kShortestPassword
        << " (an empty one is Error 1007, a shorter one Error 1003)\n";
    return kFault;
  }
  const std::string stored = ScramblePassword(password);
  if (stored.empty()) {
    err << "quarlane-passwd: this password has no stored form of 24 printable characters"
           " with any key offset; please choose another password\n";
    return kFault;
  }
  if (password.find(' ') != std::string::npos)
    err << "quarlane-passwd: warning: the password holds a blank. The sensor's logon to the"
           " profile's host passes it whole, but where a \"SapRfc.<destination>\" file"
           " exists the sensor logs on with a connect string, which ends the password at"
           " the blank, and the logon fails\n";
  out << stored << "\n";
  return kDone;
}

// --stdin: from a pipe the first line; at a terminal asked twice.
std::optional<std::string> PasswordFromInput(std::istream &in, std::ostream &err,
                                             PasswordPrompt *prompt) {
  if (prompt) {
    std::optional<std::string> first = prompt->Ask("Password: ");
    std::optional<std::string> again =
        first ? prompt->Ask("Password again: ") : std::optional<std::string>();
    if (!first || !again) {
      err << "quarlane-passwd: no password entered\n";
      return std::nullopt;
    }
    if (*first != *again) {
      err << "quarlane-passwd: the two entries differ; nothing stored\n";
      return std::nullopt;
    }
    return first;
  }
  std::string password;
  if (!std::getline(in, password)) {
    err << "quarlane-passwd: no password on standard input\n";
    return std::nullopt;
  }
  if (!password.empty() && password.back() == '\r') password.pop_back();
  return password;
}

int CheckStored(const std::string &stored, std::ostream &out) {
  if (stored.empty()) {
    out << "Error 1007: an empty stored value gives an empty password\n";
    return kFault;
  }
  const UnscrambleResult result = UnscramblePassword(stored);
  switch (result.status) {
  case UnscrambleStatus::Invalid:
    out << "Error 1004: invalid stored value: it must be " << kStoredLength
        << " characters whose first four unscramble to digits; it has " << Characters(stored.size())
        << "\n";
    return kFault;
  case UnscrambleStatus::Wrong:
    out << "Error 1005: wrong stored value: the check digit does not match\n";
    return kFault;
  case UnscrambleStatus::Ok: break;
  }
  if (result.password.empty()) {
    out << "Error 1007: the stored value unscrambles to an empty password\n";
    return kFault;
  }
  if (result.password.size() < kShortestPassword) {
    out << "Error 1003: the stored value unscrambles to a password of "
        << Characters(result.password.size()) << "; the sensor needs at least " << kShortestPassword
        << "\n";
    return kFault;
  }
  out << "OK: the stored value unscrambles to a password of " << Characters(result.password.size())
      << "\n";
  return kDone;
}

// The profile name the sensor shows in its messages: the file name alone.
std::string FileNameOf(const std::string &path) { return SplitProfileName(path).name; }

// Each parameter below its minimum: missing when the profile has no line for
// it, too short otherwise.
void ExplainShortParameters(const TextLines &lines, const ConnectionParameters &parameters,
                            std::ostream &out) {
  for (const std::string &label : ParametersBelowMinimum(parameters)) {
    bool present = false;
    lines.ForEach([&](std::string_view line) {
      if (line.compare(0, label.size(), label) == 0) present = true;
    });
    out << "  " << label << (present ? " is shorter than the sensor accepts\n" : " is missing\n");
  }
}

// A blank in the password breaks the connect string that the sensor uses
// when "SapRfc.<destination>" exists in its working folder.
bool FlagBlankPassword(const ConnectionParameters &parameters, std::ostream &out) {
  if (parameters.password.find(' ') == std::string::npos) return false;
  const std::string destination_file = "SapRfc." + parameters.destination;
  if (!CanOpenForReading(destination_file)) return false;
  out << "Fault: the password holds a blank, and \"" << destination_file
      << "\" exists in the working folder: the sensor then logs on with a connect string,"
         " which ends the password at the blank\n";
  return true;
}

// Why a password line failed to unscramble: most often blanks around the
// value, which the sensor keeps.
void ExplainPasswordLines(const TextLines &lines, std::ostream &out) {
  bool explained = false;
  lines.ForEach([&](std::string_view line) {
    if (explained || line.compare(0, sizeof kPasswordLabel - 1, kPasswordLabel) != 0) return;
    const std::string value(line.size() > kValueColumn ? line.substr(kValueColumn, kValueLimit)
                                                       : std::string_view());
    if (value.empty() || UnscramblePassword(value).status == UnscrambleStatus::Ok) return;
    out << "  the value of \"" << kPasswordLabel << "\" (from column 14) has "
        << Characters(value.size()) << "; a stored value is exactly " << kStoredLength
        << ", without blanks around it\n";
    explained = true;
  });
}

void ShowParameters(const ConnectionParameters &c, std::ostream &out) {
  const std::pair<const char *, const std::string *> shown[] = {
      {"Extcompany.:", &c.extcompany}, {"Destination:", &c.destination},
      {"Client.....:", &c.client},     {"User.......:", &c.user},
      {kPasswordLabel, nullptr},       {"Language...:", &c.language},
      {"Mode.......:", &c.mode},       {"Hostname...:", &c.hostname},
      {"Sysnr......:", &c.sysnr},      {"Gwhost.....:", &c.gwhost},
      {"Gwservice..:", &c.gwservice},
  };
  // Quoted, because blanks around a value belong to it; the password is only
  // counted.
  for (const auto &parameter : shown) {
    out << "  " << parameter.first << " ";
    if (parameter.second)
      out << "\"" << *parameter.second << "\"\n";
    else
      out << Characters(c.password.size()) << "\n";
  }
}

// The profile's limit lines (sensor/limits.h): each one the sensor would
// not take, and each name no report has, is a fault; the others are shown.
bool CheckLimitLines(const TextLines &lines, std::ostream &out) {
  std::vector<std::string> all;
  lines.ForEach([&](std::string_view line) { all.emplace_back(line); });
  const LimitReading reading = ReadLimitLines(all);
  bool fault = false;
  for (const std::string &problem : reading.problems) {
    out << "Fault: limit " << problem << "\n";
    fault = true;
  }
  std::set<std::string> known;
  for (const ReportKind kind :
       {ReportKind::Summary, ReportKind::Responses, ReportKind::Transaction})
    for (const std::string &name : LimitNames(kind)) known.insert(name);
  for (const auto &[name, limit] : reading.limits) {
    out << "  " << kLimitLabel << " " << name << ": warning above "
        << (limit.warning.empty() ? "-" : limit.warning) << ", error above "
        << (limit.error.empty() ? "-" : limit.error) << "\n";
    if (!known.count(name)) {
      out << "Fault: no report has a channel or item named \"" << name << "\"\n";
      fault = true;
    }
    if (!limit.warning.empty() && !limit.error.empty() &&
        std::strtod(limit.warning.c_str(), nullptr) > std::strtod(limit.error.c_str(), nullptr)) {
      out << "Fault: the warning limit of " << name << " is above its error limit\n";
      fault = true;
    }
  }
  return fault;
}

// Finds and reads the profile exactly as the sensor finds and reads a system
// profile.
int CheckProfile(const std::string &argument, std::ostream &out, std::ostream &err) {
  const std::optional<FoundProfile> found = FindSystemProfile(argument, err, "quarlane-passwd");
  if (!found) return kFault;
  const std::string &path = found->path;
  std::optional<std::string> bytes = ReadText(path);
  if (!bytes) {
    err << "quarlane-passwd: cannot read the profile " << path << " (opened as " << HostPath(path)
        << ")\n";
    return kFault;
  }
  const TextLines lines(std::move(*bytes));
  const std::string profile_name = FileNameOf(path);
  const SystemProfileReading reading = ReadSystemProfile(lines, profile_name);
  if (const std::optional<Failure> &failure = reading.failure()) {
    out << failure->text << "\n";
    const bool password_line = failure->code == FailureCode::InvalidPassword ||
                               failure->code == FailureCode::WrongPassword;
    if (password_line) {
      ExplainPasswordLines(lines, out);
      return kFault;
    }
    ExplainShortParameters(lines, reading.parameters, out);
    ShowParameters(reading.parameters, out);
    return kFault;
  }
  if (found->sensor_stops_with) {
    // The parameters are sound, but no sensor started the same way gets to
    // them: that is a fault to report, not an OK.
    out << "Fault: a sensor started here stops with \"" << *found->sensor_stops_with
        << "\" before it reads " << profile_name << "; its connection parameters are accepted\n";
    ShowParameters(reading.parameters, out);
    FlagBlankPassword(reading.parameters, out);
    CheckLimitLines(lines, out);
    return kFault;
  }
  out << "OK: the sensor accepts the connection parameters of " << profile_name << "\n";
  ShowParameters(reading.parameters, out);
  const bool limits_fault = CheckLimitLines(lines, out);
  return (FlagBlankPassword(reading.parameters, out) || limits_fault) ? kFault : kDone;
}

} // namespace

int RunPasswdTool(const std::vector<std::string> &args, std::istream &in, std::ostream &out,
                  std::ostream &err, PasswordPrompt *prompt) {
  if (args.empty()) return WrongUsage(err, "nothing to do");
  const std::string &first = args[0];
  if (first == "--help" || first == "-h" || first == "/?") {
    out << kPasswdUsage;
    return kDone;
  }
  if (first == "--version") {
    out << "quarlane-passwd " << BuildVersion() << "\n";
    return kDone;
  }
  if (first == "--check" || first == "--check-profile") {
    if (args.size() != 2) return WrongUsage(err, first + " takes exactly one argument");
    return first == "--check" ? CheckStored(args[1], out) : CheckProfile(args[1], out, err);
  }
  if (first == "--stdin") {
    if (args.size() != 1) return WrongUsage(err, "--stdin takes no argument");
    const std::optional<std::string> password = PasswordFromInput(in, err, prompt);
    if (!password) return kFault;
    return StorePassword(*password, out, err);
  }
  if (first == "--") {
    if (args.size() != 2) return WrongUsage(err, "-- is followed by exactly one password");
    return StorePassword(args[1], out, err);
  }
  // Nothing that looks like an option is ever scrambled as a password.
  if (!first.empty() && (first[0] == '-' || first[0] == '/') && LooksLikeOption(first))
    return WrongUsage(err, "unknown option " + first);
  if (args.size() != 1)
    return WrongUsage(err, "one password only (quote a password that holds blanks)");
  return StorePassword(first, out, err);
}

} // namespace quarlane
