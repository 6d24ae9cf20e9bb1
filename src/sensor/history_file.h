// The planned history carried out on the sensor profile on disk.
#ifndef QUARLANE_SENSOR_HISTORY_FILE_H
#define QUARLANE_SENSOR_HISTORY_FILE_H

#include <string>

#include "loadstats/history.h"
#include "platform/file_system.h"
#include "util/result.h"

namespace quarlane {

// Replaces the profile at path with the plan's content (unless the figures
// have not moved on). Fails with RewriteFailed (1016: the profile could not
// be replaced; it is left exactly as it was) or ReopenFailed (1017: it does
// not open again).
Status WriteProfileHistory(FileSystem &files, const std::string &path, const HistoryPlan &plan);

} // namespace quarlane

#endif
