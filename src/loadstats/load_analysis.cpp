// The load analysis of one system: counters, history, report.
#include "loadstats/load_analysis.h"

#include <utility>

namespace quarlane {

namespace {

IntervalInput IntervalOf(const SystemClock &clock, const AnalysisOptions &options,
                         std::uint32_t carried_total, const HistoryLines *history) {
  IntervalInput interval;
  interval.history = history;
  interval.system_date = clock.date;
  interval.carried_total = carried_total;
  interval.selected = options.task_type;
  interval.excluded = options.excluded;
  return interval;
}

} // namespace

SystemAnalysis AnalyseSystemDay(const std::vector<SummaryRow> &rows, TextLines profile,
                                const SystemClock &clock, const AnalysisOptions &options,
                                const std::string &destination, const std::string &line_end) {
  SystemAnalysis analysis;
  const DayCounts day = CountTaskTypes(rows);
  analysis.history = PlanHistoryUpdate(std::move(profile), clock.date, clock.time, day, line_end);
  const HistoryPlan &plan = analysis.history;
  const TypeCounters counters =
      IntervalCounters(rows, IntervalOf(clock, options, plan.carried_total, &plan.history_after));
  analysis.report = BuildReport(options.report, counters, options.task_type, destination);
  analysis.report.no_figures_today = rows.empty();
  return analysis;
}

Channel AnalyseItemDay(const std::vector<SummaryRow> &rows, const SystemClock &clock,
                       const AnalysisOptions &options, const std::string &item_name,
                       const std::string &channel_name) {
  const DayCounts day = CountTaskTypes(rows);
  const TypeCounters counters =
      IntervalCounters(rows, IntervalOf(clock, options, day.total_count, nullptr));
  Channel channel = ItemChannel(options.report, counters, item_name, channel_name);
  channel.no_figures = rows.empty();
  return channel;
}

} // namespace quarlane
