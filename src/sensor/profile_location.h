// Turning the profile name into a profile file, and the server listing of an
// item run.
#ifndef QUARLANE_SENSOR_PROFILE_LOCATION_H
#define QUARLANE_SENSOR_PROFILE_LOCATION_H

#include <string>
#include <vector>

#include "sensor/run_context.h"

namespace quarlane {

// The output mode selected by the name the sensor was started by (the last
// component of argv[0], extension dropped, compared without regard to case):
// each of "dornvik", "mistrane", "kelbrun", "pallvex" found in it selects its
// mode, tested in that order, so the last found wins; none gives EXEXML.
OutputMode OutputModeFromProgramName(const std::string &argv0);

// Everything from the profile name to the start of processing. The caller has
// set run.doc.mode already (OutputModeFromProgramName(run.ctx.program_path)),
// so that the mode also shapes an error document of the command line; this
// function reads it to choose between the folder given with the profile name
// and the PRTG folder search, and leaves it unchanged.
// Sets profile_name, profile_folder, profile_path, item_run, item_name,
// server_listing, ident_kind (and in global mode params and params_raw).
// Throws RunFailure with the exact message on every failure. A single-system
// run returns with profile_path naming a file that opened; the caller reads it.
void LocateProfile(Run &run, const std::string &profile_name_argument);

// The naming rules, one by one.

// ".P00" appended unless the fourth character from the end is a full stop.
std::string WithDefaultExtension(const std::string &name);

// Folder part (up to and including the last backslash, when that backslash is
// not the first character) and file name.
struct ProfileNameParts {
  std::string folder;
  std::string name;
};
ProfileNameParts SplitProfileName(const std::string &name);

// "C:\PRTG_Path.Txt": the last line whose first character is a backslash, or
// whose second is a colon, or whose third is a backslash, taken whole; empty
// when no line counts.
std::string FolderFromPrtgPathLines(const std::vector<std::string> &lines);

// The six characters before the folder's last one read "EXEXML" in any case.
bool PassesPathCheck(const std::string &profile_folder);

} // namespace quarlane

#endif
