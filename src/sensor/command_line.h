// The command line of a run, and the banner lines around it.
#ifndef QUARLANE_SENSOR_COMMAND_LINE_H
#define QUARLANE_SENSOR_COMMAND_LINE_H

#include <optional>
#include <string>

namespace quarlane {

extern const char *const kProductWord; // "Quarlane"
extern const char *const kVersionText; // "Vers 4.3 / 29.08.22"

// The usage text of --help, -h and /?; and the --version line,
// "SAP Quarlane Vers 4.3 / 29.08.22" and a line feed.
extern const char *const kUsageText;
std::string VersionLine();

// The first argument asks for the usage text or the version instead of a
// run. Only the exact words count; no profile name begins with them.
enum class CommandLineRequest { Run, Help, Version };
CommandLineRequest RequestOf(int argc, char **argv);

// "* hh:mm:ss SAP Quarlane Vers 4.3 / 29.08.22"
std::string StartBanner(const std::string &time_of_day);
// The time of day a start banner shows ("hh:mm:ss").
std::string BannerTimeOfDay(const std::string &banner);
// "\n* hh:mm:ss SAP Quarlane now processed..." (without the final line feed)
std::string ClosingLine(const std::string &time_of_day);

struct CommandLine {
  std::string program_path;                // argv[0]
  std::optional<std::string> profile_name; // argv[1]; an empty one counts as none
  std::string parameters;      // argv[2], then one blank and argv[3] when given; later ones ignored
  std::string second_argument; // argv[2] as given, or empty (Error 1030)
};
CommandLine ReadCommandLine(int argc, char **argv);

} // namespace quarlane

#endif
