// One system's analysis as a run carries it out.
#include "sensor/system_analysis.h"

#include <utility>
#include <vector>

#include "platform/files.h"
#include "rfc/workload_summary.h"
#include "sensor/history_file.h"

namespace quarlane {

Result<Report> AnalyseSingleSystem(RfcSession &session, StepLog &log, const SystemInfo &system,
                                   const AnalysisOptions &options, const std::string &destination,
                                   const std::string &profile_path, TextLines profile) {
  SummaryTable table(*session.library);
  Result<std::vector<SummaryRow>> rows = FetchSummaryRows(session, log, system, table.handle());
  if (!rows) return rows.failure();
  SystemAnalysis analysis = AnalyseSystemDay(*rows, std::move(profile), system.clock, options,
                                             destination, PlatformLineEnd());
  const Status written = WriteProfileHistory(profile_path, analysis.history);
  if (!written) return written.failure();
  return std::move(analysis.report);
}

Status AnalyseItemSystem(RfcSession &session, StepLog &log, const SystemInfo &system,
                         const AnalysisOptions &options, const std::string &item_name,
                         const std::string &channel_name,
                         const std::function<void(const Channel &)> &write_channel) {
  SummaryTable table(*session.library);
  Result<std::vector<SummaryRow>> rows = FetchSummaryRows(session, log, system, table.handle());
  if (!rows) return rows.failure();
  write_channel(AnalyseItemDay(*rows, system.clock, options, item_name, channel_name));
  return Success();
}

} // namespace quarlane
