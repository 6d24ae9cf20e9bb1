// Reading a system profile: the eleven connection parameters.
#ifndef QUARLANE_SENSOR_SYSTEM_PROFILE_H
#define QUARLANE_SENSOR_SYSTEM_PROFILE_H

#include <string>
#include <vector>

#include "sensor/run_context.h"

namespace quarlane {

// Reads the profile's lines into run.conn (and run.sap.SystemHost).
// Single-system run (item_run off): keeps the lines in run.profile_lines and
// throws RunFailure for 1004/1005 at the password line. Item run: sets
// run.item.profile_check_flag to 'X' instead of failing; in an item run the
// connection parameters are emptied first so that nothing of the previous
// system's profile carries over.
void ReadSystemProfile(Run &run, const std::vector<std::string> &lines);

// The tests after reading: 1006, 1007, 1003 in this order (single-system run:
// RunFailure with the message; item run: the check flag).
void CheckConnectionParameters(Run &run);

} // namespace quarlane

#endif
