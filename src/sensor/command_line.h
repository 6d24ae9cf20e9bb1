// The command line into the run context.
#ifndef QUARLANE_SENSOR_COMMAND_LINE_H
#define QUARLANE_SENSOR_COMMAND_LINE_H

#include <string>

#include "sensor/run_context.h"

namespace quarlane {

extern const char *const kProductWord; // "Quarlane"
extern const char *const kVersionText; // "Vers 4.3 / 29.08.22"

// "* hh:mm:ss SAP Quarlane Vers 4.3 / 29.08.22"
std::string StartBanner(const std::string &time_of_day);
// "\n* hh:mm:ss SAP Quarlane now processed..." (without the final line feed)
std::string ClosingLine(const std::string &time_of_day);

// Fills program_path (argv[0]), params_raw (argv[2], then one blank and
// argv[3] when given; later arguments are ignored), params (its upper-case
// form), second_argument (argv[2] as given, or empty) and verbose (any of
// "#", "@", "$", "%" in params); returns the profile name as given (empty when
// argc < 2, and then has_profile_name is false).
struct CommandLine {
  bool has_profile_name = false;
  std::string profile_name;
};
CommandLine ReadCommandLine(RunContext &ctx, int argc, char **argv);

} // namespace quarlane

#endif
