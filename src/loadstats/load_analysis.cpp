// The load analysis of one system: summary call, counters and history, report.
#include "loadstats/load_analysis.h"

#include <string>
#include <vector>

#include "loadstats/counters.h"
#include "loadstats/history.h"
#include "loadstats/history_file.h"
#include "loadstats/report_options.h"
#include "loadstats/reports.h"
#include "loadstats/summary.h"
#include "loadstats/task_types.h"
#include "rfc/error_report.h"
#include "rfc/library.h"
#include "rfc/remote_calls.h"

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
    // Only reached with the table still held when an exception leaves the
    // analysis; the run is ending then, so a failed delete is not reported.
    if (table_ != nullptr)
      library_.ItDelete(table_);
  }

  ITAB_H handle() const { return table_; }

  void Delete() {
    ITAB_H table = table_;
    table_ = nullptr;
    if (library_.ItDelete(table) != 0)
      ReportRfcError("ItDelete SUMMARY");
  }

private:
  const RfcLibrary &library_;
  ITAB_H table_ = nullptr;
};

// Counting pass, history update (single-system run), interval pass, report.
void EvaluateSummary(Run &run, const std::vector<SummaryRow> &rows) {
  run.ctx.run_status = "OK";
  const DayCounts day = CountTaskTypes(rows);

  IntervalInput interval;
  interval.options = LoadAnalysisOptions(run.ctx);
  interval.system_date = run.sap.SystemDate;
  interval.carried_total = day.total_count;
  if (!run.ctx.item_run) {
    if (!UpdateProfileHistory(run, day, interval.carried_total))
      return;
    interval.history = &run.profile_lines;
  }
  interval.selected = SelectedTaskType(interval.options);

  const TypeCounters counters = IntervalCounters(rows, interval);
  WriteReport(run, ChooseReport(interval.options), counters, interval.selected);
}

} // namespace

RFC_RC RunLoadAnalysis(Run &run) {
  ExportingValues values = FormExportingValues(run.sap);
  SummaryTable table(EnsureRfcLibrary(run.rfc));

  std::string exception;
  const RFC_RC code = CallLoadSummary(run, values, table.handle(), exception);
  EvaluateRfcResult(run, code, exception);
  if (code == RFC_OK)
    EvaluateSummary(run, ReadSummaryRows(run, table.handle()));

  table.Delete();
  return code;
}

} // namespace quarlane
