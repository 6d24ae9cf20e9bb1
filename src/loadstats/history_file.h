// The history update applied to the sensor profile on disk.
#ifndef QUARLANE_LOADSTATS_HISTORY_FILE_H
#define QUARLANE_LOADSTATS_HISTORY_FILE_H

#include <cstdint>
#include <string>

#include "loadstats/counters.h"
#include "loadstats/history.h"
#include "rfc/remote_calls.h"
#include "util/result.h"
#include "util/text_lines.h"

namespace quarlane {

// The sensor profile of a single-system run: where it lies, and its text as
// the run read it.
struct SensorProfile {
  std::string path;
  TextLines text;
};

struct HistoryUpdate {
  std::uint32_t carried_total = 0; // the total the interval pass measures against (0: a new day)
  HistoryLines history;            // the history the profile holds afterwards
};

// Rewrites the history lines of the profile (unless the figures have not
// moved on); the run goes on with the history the file then holds. The
// profile's text becomes the new content, so that a long profile is held
// once. Fails with "Error 1016 ..." (the profile could not be replaced; it is
// left exactly as it was) or "Error 1017 ..." (it does not open again).
Result<HistoryUpdate> UpdateProfileHistory(SensorProfile profile, const SystemClock &clock,
                                           const DayCounts &day);

} // namespace quarlane

#endif
