#include "sensor/command_line.h"

#include "output/formatting.h"

namespace quarlane {

const char *const kProductWord = "Quarlane";
const char *const kVersionText = "Vers 4.3 / 29.08.22";

std::string StartBanner(const std::string &time_of_day) {
  return "* " + time_of_day + " SAP " + kProductWord + " " + kVersionText;
}

std::string ClosingLine(const std::string &time_of_day) {
  return "\n* " + time_of_day + " SAP " + kProductWord + " now processed...";
}

CommandLine ReadCommandLine(RunContext &ctx, int argc, char **argv) {
  CommandLine command_line;
  ctx.program_path = argc > 0 && argv[0] ? argv[0] : "";

  // An empty first argument (a sensor set up with an empty field) is as good
  // as none: there is no profile to look for.
  if (argc > 1 && argv[1] && argv[1][0] != '\0') {
    command_line.has_profile_name = true;
    command_line.profile_name = argv[1];
  }

  std::string parameters;
  if (argc > 2 && argv[2]) {
    ctx.second_argument = argv[2];
    parameters = argv[2];
    if (argc > 3 && argv[3]) parameters += std::string(" ") + argv[3];
  }
  ctx.params_raw = parameters;
  ctx.params = UpperAscii(parameters);
  ctx.verbose = ctx.params.find_first_of("#@$%") != std::string::npos;
  return command_line;
}

} // namespace quarlane
