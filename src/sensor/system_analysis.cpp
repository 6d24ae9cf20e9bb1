// One system's analysis as a run carries it out.
#include "sensor/system_analysis.h"

#include <utility>
#include <vector>

#include "platform/files.h"
#include "rfc/workload_summary.h"
#include "sensor/history_file.h"

namespace quarlane {

namespace {

Result<Report> AnalyseWithTable(RfcSession &session, StepLog &log, FileSystem &files,
                                const SystemInfo &system, const AnalysisOptions &options,
                                const std::string &destination, const std::string &profile_path,
                                TextLines profile, ITAB_H table) {
  Result<std::vector<SummaryRow>> rows = FetchSummaryRows(session, log, system, table);
  if (!rows) return rows.failure();
  SystemAnalysis analysis = AnalyseSystemDay(*rows, std::move(profile), system.clock, options,
                                             destination, PlatformLineEnd());
  const Status written = WriteProfileHistory(files, profile_path, analysis.history);
  if (!written) return written.failure();
  return std::move(analysis.report);
}

} // namespace

Result<Report> AnalyseSingleSystem(RfcSession &session, StepLog &log, FileSystem &files,
                                   const SystemInfo &system, const AnalysisOptions &options,
                                   const std::string &destination, const std::string &profile_path,
                                   TextLines profile) {
  Result<SummaryTable> table = SummaryTable::Create(*session.library);
  if (!table) return table.failure();
  // The table goes back after the rewrite, whatever the outcome.
  return table->GiveBack(AnalyseWithTable(session, log, files, system, options, destination,
                                          profile_path, std::move(profile), table->handle()));
}

Status AnalyseItemSystem(RfcSession &session, StepLog &log, const SystemInfo &system,
                         const AnalysisOptions &options, const std::string &item_name,
                         const std::string &channel_name,
                         const std::function<void(const Channel &)> &write_channel) {
  Result<SummaryTable> table = SummaryTable::Create(*session.library);
  if (!table) return table.failure();
  Result<std::vector<SummaryRow>> rows = FetchSummaryRows(session, log, system, table->handle());
  if (!rows) return table->GiveBack(Status(rows.failure()));
  // Written while the table is still held: a failure at its giving back then
  // follows the written channel.
  write_channel(AnalyseItemDay(*rows, system.clock, options, item_name, channel_name));
  return table->GiveBack(Success());
}

} // namespace quarlane
