#include "sensor/command_line.h"

#include <cstddef>

#include "util/version.h"

namespace quarlane {

namespace {

// The version text of the start banner; its version number is the build's
// project version (CMake's PROJECT_VERSION), and the build stops when the two
// disagree.
constexpr char kBannerVersion[] = "Vers 4.3 / 29.08.22";

constexpr bool HasVersionNumber(const char *text, const char *number) {
  const char prefix[] = "Vers ";
  for (const char *p = prefix; *p; ++p, ++text)
    if (*text != *p) return false;
  for (; *number; ++number, ++text)
    if (*text != *number) return false;
  return *text == ' ';
}
#ifdef QUARLANE_PROJECT_VERSION
static_assert(HasVersionNumber(kBannerVersion, QUARLANE_PROJECT_VERSION),
              "the banner's version text and the project version in CMakeLists.txt disagree");
#endif

} // namespace

const char *const kProductWord = "Quarlane";
const char *const kVersionText = kBannerVersion;

const char *const kUsageText =
    "Usage: quarlane PROFILE [WORD [WORD]]\n"
    "       quarlane --help | -h | /?\n"
    "       quarlane --version\n"
    "\n"
    "Reports the day's SAP workload statistics of one system (PROFILE), or one\n"
    "item of several systems, as a PRTG EXE/XML sensor document.\n"
    "\n"
    "PROFILE  a system profile; \".P00\" is added unless the name has an extension\n"
    "         (PRD -> PRD.P00). GLOBAL selects the global sensor file\n"
    "         \"SAP Corvanta.Gbl\", whose first WORD is the global sensor key.\n"
    "WORD     the parameters, searched in any letter case:\n"
    "  DIALOG, BATCH, UPDATE., SPOOL, RFC, HTTP., ...   one task type\n"
    "  -DIALOG, -BATCH, ...    task types left out\n"
    "  RESPONSE, TRANSACTION   the responses or the transactions report\n"
    "  ITEM=Avg:Dialog         item run over the systems of \"Corvanta.Prf\"\n"
    "                          (a colon stands for a blank)\n"
    "  CH=n                    one channel by its number (Kelbrun form)\n"
    "  ,HOST=name ,NO=nn       log on to this host / system number instead\n"
    "  ,SYSLOG                 each step into \"Quarlane.Log\"\n"
    "  # $ %                   verbose: progress lines around the document\n"
    "  @                       verbose, and the profile is opened from the folder\n"
    "                          given with its name, without the search below\n"
    "\n"
    "Where profiles are looked for (without \"@\"; a folder in the name, written\n"
    "with \\ or /, is dropped): below the folder named in \"C:\\PRTG_Path.Txt\" in\n"
    "\"PRTG Network Monitor\\Custom Sensors\\ExeXml\\\", then \"Custom Sensors\\ExeXml\\\",\n"
    "then the folder itself; without that file in the working folder, then in\n"
    "\"\\Programme\\\", \"\\Program Files\\\" and \"\\Program Files (x86)\\\", each followed by\n"
    "\"PRTG Network Monitor\\Custom Sensors\\ExeXml\\\". The folder found must end in\n"
    "\"ExeXml\\\". On Linux, C:\\... and \\... lie below $QUARLANE_ROOT (default /).\n"
    "\n"
    "A copy or link of the program whose name holds dornvik, mistrane, kelbrun or\n"
    "pallvex writes that form instead and opens the profile from the folder given\n"
    "with its name, as \"@\" does.\n"
    "\n"
    "A copy or link whose name holds json (quarlane-json) is a PRTG Script v2\n"
    "sensor: one JSON document (status ok, warning or error, the reason of a\n"
    "failure in its message), exit status 0; the profile lies beside the program\n"
    "(or in the folder given with \"@\"), the working files in $QUARLANE_WORK or a\n"
    "folder of the account's own. Limit lines in a profile, e.g.\n"
    "\"Limit......: Avg Rsp-Time=800,1500\" (warning, error), set a channel's upper\n"
    "limits in every mode. See docs/prtg-script-v2.md.\n"
    "\n"
    "Exit status: 0 the document was written, 1 the RFC library reported an error\n"
    "(its error block was written), 2 an error document was written.\n"
    "\n"
    "More in README.md; passwords for profiles: quarlane-passwd --help.\n";

// The build's version, the same text every program of this build prints, and
// the start banner's own version text, which stays as it always was.
std::string VersionLine() {
  return std::string("quarlane ") + BuildVersion() + " (start banner: SAP " + kProductWord + " " +
         kVersionText + ")\n";
}

CommandLineRequest RequestOf(int argc, char **argv) {
  if (argc < 2 || !argv[1]) return CommandLineRequest::Run;
  const std::string first = argv[1];
  if (first == "--help" || first == "-h" || first == "/?") return CommandLineRequest::Help;
  if (first == "--version") return CommandLineRequest::Version;
  return CommandLineRequest::Run;
}

// The banner begins with "* " and the time of day, "hh:mm:ss".
const char kBannerHead[] = "* ";
constexpr std::size_t kTimeOfDayLength = 8;

std::string StartBanner(const std::string &time_of_day) {
  return kBannerHead + time_of_day + " SAP " + kProductWord + " " + kVersionText;
}

std::string BannerTimeOfDay(const std::string &banner) {
  return banner.substr(sizeof kBannerHead - 1, kTimeOfDayLength);
}

std::string ClosingLine(const std::string &time_of_day) {
  return "\n* " + time_of_day + " SAP " + kProductWord + " now processed...";
}

CommandLine ReadCommandLine(int argc, char **argv) {
  CommandLine command_line;
  command_line.program_path = argc > 0 && argv[0] ? argv[0] : "";

  // An empty first argument (a sensor set up with an empty field) is as good
  // as none: there is no profile to look for.
  if (argc > 1 && argv[1] && argv[1][0] != '\0') command_line.profile_name = argv[1];

  if (argc > 2 && argv[2]) {
    command_line.second_argument = argv[2];
    command_line.parameters = argv[2];
    if (argc > 3 && argv[3]) command_line.parameters += std::string(" ") + argv[3];
  }
  return command_line;
}

} // namespace quarlane
