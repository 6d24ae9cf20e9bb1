#include "sensor/command_line.h"

namespace quarlane {

const char *const kProductWord = "Quarlane";
const char *const kVersionText = "Vers 4.3 / 29.08.22";

std::string StartBanner(const std::string &time_of_day) {
  return "* " + time_of_day + " SAP " + kProductWord + " " + kVersionText;
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
