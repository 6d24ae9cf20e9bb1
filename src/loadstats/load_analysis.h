// The load analysis of one system: from the day's summary rows (and, in a
// single-system run, the profile's history) to the report. It reads no file
// and calls no library; the summary call and the profile's rewrite happen
// around it.
#ifndef QUARLANE_LOADSTATS_LOAD_ANALYSIS_H
#define QUARLANE_LOADSTATS_LOAD_ANALYSIS_H

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "loadstats/counters.h"
#include "loadstats/history.h"
#include "loadstats/reports.h"
#include "loadstats/system_clock.h"
#include "loadstats/task_types.h"
#include "output/report.h"
#include "util/text_lines.h"

namespace quarlane {

// What the parameters ask of the analysis.
struct AnalysisOptions {
  ReportKind report = ReportKind::Summary;
  std::optional<std::size_t> task_type; // the only type reported
  ExcludedTypes excluded{};
};

// A single-system run's outcome: the profile's new history (rewrite, content)
// and the report of the interval since the previous run, measured against the
// history the profile holds once the plan is carried out.
struct SystemAnalysis {
  HistoryPlan history;
  Report report;
};

// Takes the profile's text over (its bytes become the planned content); the
// report carries the destination in its text. Lines of the new content end
// in line_end.
SystemAnalysis AnalyseSystemDay(const std::vector<SummaryRow> &rows, TextLines profile,
                                const SystemClock &clock, const AnalysisOptions &options,
                                const std::string &destination, const std::string &line_end);

// A system of an item run: the day's counters, no history; the value the
// item name selects, as one channel named channel_name.
Channel AnalyseItemDay(const std::vector<SummaryRow> &rows, const SystemClock &clock,
                       const AnalysisOptions &options, const std::string &item_name,
                       const std::string &channel_name);

} // namespace quarlane

#endif
