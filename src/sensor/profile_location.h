// Turning the profile name into a profile file, the output mode, and the
// server listing of an item run.
#ifndef QUARLANE_SENSOR_PROFILE_LOCATION_H
#define QUARLANE_SENSOR_PROFILE_LOCATION_H

#include <string>

#include "sensor/run_context.h"

namespace quarlane {

// The output mode selected by the name the sensor was started by (the last
// component of argv[0], extension dropped, compared without regard to case):
// each of "dornvik", "mistrane", "kelbrun", "pallvex" found in it selects its
// mode, tested in that order, so the last found wins; none gives EXEXML.
OutputMode OutputModeFromProgramName(const std::string &argv0);

// Everything from the profile name to the start of processing. Sets
// profile_name, profile_folder, profile_path, item_run, item_name,
// server_listing, ident_kind (and in global mode params and params_raw) and
// run.doc.mode. Throws RunFailure with the exact message on every failure.
// A single-system run returns with profile_path naming a file that opened.
void LocateProfile(Run &run, const std::string &profile_name_argument);

} // namespace quarlane

#endif
