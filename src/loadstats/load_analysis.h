// The load analysis of one system: summary call, counters and history, report.
#ifndef QUARLANE_LOADSTATS_LOAD_ANALYSIS_H
#define QUARLANE_LOADSTATS_LOAD_ANALYSIS_H

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "loadstats/history_file.h"
#include "loadstats/reports.h"
#include "loadstats/task_types.h"
#include "output/report.h"
#include "rfc/log_hook.h"
#include "rfc/remote_calls.h"
#include "rfc/session.h"
#include "util/result.h"

namespace quarlane {

// What the parameters ask of the analysis.
struct AnalysisOptions {
  ReportKind report = ReportKind::Summary;
  std::optional<std::size_t> task_type; // the only type reported
  ExcludedTypes excluded{};
};

// A single-system run: fetches the day's workload summary on the session's
// open connection, updates the history in the sensor profile and measures
// the interval since the previous run; the report carries the destination in
// its text. Fails with the call's failure (1012 to 1015) or the profile's
// (1016, 1017).
Result<Report> AnalyseSystemLoad(RfcSession &session, StepLog &log, const SystemInfo &system,
                                 const AnalysisOptions &options, const std::string &destination,
                                 SensorProfile profile);

// A system of an item run: the day's counters, no history; the value the
// item name selects, as one channel named channel_name, handed to
// write_channel while the summary table is still held (a library failure at
// its deletion then follows the written channel).
Status AnalyseItemLoad(RfcSession &session, StepLog &log, const SystemInfo &system,
                       const AnalysisOptions &options, const std::string &item_name,
                       const std::string &channel_name,
                       const std::function<void(const Channel &)> &write_channel);

} // namespace quarlane

#endif
