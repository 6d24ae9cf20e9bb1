// One system's analysis as a run carries it out: the workload summary call,
// the load analysis, and (in a single-system run) the history it plans
// written to the profile.
#ifndef QUARLANE_SENSOR_SYSTEM_ANALYSIS_H
#define QUARLANE_SENSOR_SYSTEM_ANALYSIS_H

#include <functional>
#include <string>

#include "loadstats/load_analysis.h"
#include "output/report.h"
#include "platform/file_system.h"
#include "rfc/log_hook.h"
#include "rfc/remote_calls.h"
#include "rfc/session.h"
#include "util/result.h"
#include "util/text_lines.h"

namespace quarlane {

// A single-system run: the report of the interval since the previous run,
// with the profile at profile_path (whose text is given) rewritten. Fails
// with the call's failure (1012 to 1015), the profile's (1016, 1017) or
// LibraryFailed; the summary table goes back after the rewrite.
Result<Report> AnalyseSingleSystem(RfcSession &session, StepLog &log, FileSystem &files,
                                   const SystemInfo &system, const AnalysisOptions &options,
                                   const std::string &destination, const std::string &profile_path,
                                   TextLines profile);

// A system of an item run: its one channel, handed to write_channel while
// the summary table is still held (a library failure at its giving back then
// follows the written channel).
Status AnalyseItemSystem(RfcSession &session, StepLog &log, const SystemInfo &system,
                         const AnalysisOptions &options, const std::string &item_name,
                         const std::string &channel_name,
                         const std::function<void(const Channel &)> &write_channel);

} // namespace quarlane

#endif
