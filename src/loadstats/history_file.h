// The history update applied to the sensor profile on disk.
#ifndef QUARLANE_LOADSTATS_HISTORY_FILE_H
#define QUARLANE_LOADSTATS_HISTORY_FILE_H

#include <cstdint>

#include "loadstats/counters.h"
#include "sensor/run_context.h"

namespace quarlane {

// Rewrites the history lines of the profile at run.ctx.profile_path (unless
// the figures have not moved on) and reloads run.profile_lines from it.
// carried_total receives the total the interval pass measures against (0 on
// a new day). On failure sets run_status "ERR", appends "Error 1016 ..." (the
// profile could not be replaced; it is left exactly as it was) or
// "Error 1017 ..." (it could not be read back) to the document and returns
// false.
bool UpdateProfileHistory(Run &run, const DayCounts &day, std::uint32_t &carried_total);

} // namespace quarlane

#endif
