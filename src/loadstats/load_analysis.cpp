// The load analysis of one system: summary call, counters and history, report.
#include "loadstats/load_analysis.h"

#include <utility>
#include <vector>

#include "loadstats/counters.h"
#include "loadstats/history.h"
#include "loadstats/summary.h"
#include "rfc/error_report.h"

namespace quarlane {

namespace {

// The summary table lives from before the call to the end of the analysis,
// whatever its outcome; no rows survive into the next system.
class SummaryTable {
public:
  explicit SummaryTable(const RfcLibrary &library) : library_(library) {
    char name[] = "SUMMARY";
    table_ = library_.ItCreate(name, SAPWLSUMRY_ROW_LENGTH, 0, 0);
    if (table_ == nullptr)
      ReportRfcError("ItCreate SUMMARY");
  }
  SummaryTable(const SummaryTable &) = delete;
  SummaryTable &operator=(const SummaryTable &) = delete;
  ~SummaryTable() {
    // The table goes back after the evaluation, which may have rewritten the
    // history; a failed delete is a library failure.
    if (library_.ItDelete(table_) != 0)
      ReportRfcError("ItDelete SUMMARY");
  }

  ITAB_H handle() const { return table_; }

private:
  const RfcLibrary &library_;
  ITAB_H table_ = nullptr;
};

// The summary call into the table; its rows when it succeeded.
Result<std::vector<SummaryRow>> FetchSummaryRows(RfcSession &session, StepLog &log,
                                                 const SystemInfo &system, ITAB_H table) {
  ExportingValues values = FormExportingValues(system);
  std::string exception;
  const RFC_RC code = CallLoadSummary(session, log, values, table, exception);
  if (std::optional<Failure> failure = CallFailure(code, exception)) return *failure;
  return ReadSummaryRows(session, table);
}

IntervalInput IntervalOf(const SystemInfo &system, const AnalysisOptions &options,
                         std::uint32_t carried_total, const HistoryLines *history) {
  IntervalInput interval;
  interval.history = history;
  interval.system_date = system.clock.date;
  interval.carried_total = carried_total;
  interval.selected = options.task_type;
  interval.excluded = options.excluded;
  return interval;
}

} // namespace

Result<Report> AnalyseSystemLoad(RfcSession &session, StepLog &log, const SystemInfo &system,
                                 const AnalysisOptions &options, const std::string &destination,
                                 SensorProfile profile) {
  SummaryTable table(*session.library);
  Result<std::vector<SummaryRow>> rows = FetchSummaryRows(session, log, system, table.handle());
  if (!rows) return rows.failure();

  const DayCounts day = CountTaskTypes(*rows);
  Result<HistoryUpdate> update = UpdateProfileHistory(std::move(profile), system.clock, day);
  if (!update) return update.failure();

  const TypeCounters counters = IntervalCounters(
      *rows, IntervalOf(system, options, update->carried_total, &update->history));
  return BuildReport(options.report, counters, options.task_type, destination);
}

Status AnalyseItemLoad(RfcSession &session, StepLog &log, const SystemInfo &system,
                       const AnalysisOptions &options, const std::string &item_name,
                       const std::string &channel_name,
                       const std::function<void(const Channel &)> &write_channel) {
  SummaryTable table(*session.library);
  Result<std::vector<SummaryRow>> rows = FetchSummaryRows(session, log, system, table.handle());
  if (!rows) return rows.failure();

  const DayCounts day = CountTaskTypes(*rows);
  const TypeCounters counters =
      IntervalCounters(*rows, IntervalOf(system, options, day.total_count, nullptr));
  write_channel(ItemChannel(options.report, counters, item_name, channel_name));
  return Success();
}

} // namespace quarlane
