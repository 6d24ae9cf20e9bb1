// Reading a system profile: the eleven connection parameters.
#ifndef QUARLANE_SENSOR_SYSTEM_PROFILE_H
#define QUARLANE_SENSOR_SYSTEM_PROFILE_H

#include <optional>
#include <string>
#include <vector>

#include "rfc/connection.h"
#include "util/result.h"
#include "util/text_lines.h"

namespace quarlane {

struct SystemProfileReading {
  // A line is "Label......:" in columns 1-12 (case-sensitive), one separator
  // character, and the value from column 14, its first 60 characters, blanks
  // kept; the last occurrence of a label wins. The user is upper-cased; a
  // password that does not unscramble reads as empty.
  ConnectionParameters parameters;
  // What the sensor reports about them, the first that applies: a password
  // line that does not unscramble, 1004 (invalid) or 1005 (wrong), the first
  // such line (later lines are read all the same); else the tests after
  // reading: 1006 (no user), 1007 (no password), 1003 (a parameter shorter
  // than its minimum).
  std::optional<Failure> first_failure;

  const std::optional<Failure> &failure() const { return first_failure; }
};

// The profile's lines into its connection parameters and what the sensor
// reports about them; profile_name goes into the messages. A single-system
// run ends with failure(); an item run marks the system as failed and logs
// on with the parameters all the same.
SystemProfileReading ReadSystemProfile(const TextLines &lines, const std::string &profile_name);

// The labels (e.g. "Gwhost.....:") of the parameters shorter than their
// minimum length, in profile order; what makes the check report 1003.
std::vector<std::string> ParametersBelowMinimum(const ConnectionParameters &parameters);

} // namespace quarlane

#endif
