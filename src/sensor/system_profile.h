// Reading a system profile: the eleven connection parameters.
#ifndef QUARLANE_SENSOR_SYSTEM_PROFILE_H
#define QUARLANE_SENSOR_SYSTEM_PROFILE_H

#include <string>
#include <vector>

#include "sensor/run_context.h"

namespace quarlane {

// Reads the profile's lines into run.conn (and run.sap.SystemHost). A line is
// "Label......:" in columns 1-12 (case-sensitive), one separator character,
// and the value from column 14, its first 60 characters, blanks kept; the last
// occurrence of a label wins. The connection parameters and SystemHost are
// emptied first, so that in an item run nothing of the previous system's
// profile carries over.
// Single-system run (item_run off): keeps the lines in run.profile_lines and
// throws RunFailure for 1004/1005 at the password line. Item run: sets
// run.item.profile_check_flag to 'X' instead of failing, and a password that
// does not unscramble leaves the password empty.
void ReadSystemProfile(Run &run, const std::vector<std::string> &lines);

// The tests after reading: 1006, 1007, 1003 in this order (single-system run:
// RunFailure with the message; item run: the check flag).
void CheckConnectionParameters(Run &run);

// The labels (e.g. "Gwhost.....:") of the parameters shorter than their
// minimum length, in profile order; what makes CheckConnectionParameters
// report 1003.
std::vector<std::string> ParametersBelowMinimum(const ConnectionParameters &conn);

} // namespace quarlane

#endif
