// The load analysis on its own: summary rows and the profile's text in,
// report and planned history out, no library and no file.
#include "loadstats/load_analysis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quarlane {
namespace {

SummaryRow Row(const char *type, std::uint32_t count, std::uint32_t resp) {
  SummaryRow row;
  row.type_text = type;
  row.counters.count = count;
  row.counters.db_accesses = count * 2;
  row.counters.resp_time = resp;
  return row;
}

const char kDialogAt40[] =
    "# Rsp Date=20240311 08:00:00 Trns=40\n"
    "# Rsp DIALOG           40          0          0          0          0          0          0\n"
    "# Rsx DIALOG           10          0          0          0          0          0          0\n";

struct DayCase {
  const char *what;
  std::string profile;
  std::uint32_t dialog_steps;
  bool rewrite;
  const char *report_text; // the start of the report's text
};

// The report is measured against the history the profile holds once the plan
// is carried out: the planned content's when it is rewritten.
TEST(AnalyseSystemDay, MeasuresAgainstTheHistoryThePlanLeaves) {
  const DayCase cases[] = {
      {"first run", "Destination=PRD\n", 100, true,
       "(PRD) Summary:  Trans=100, DBase=200, Rsp=5 ms"},
      {"a new day", "Destination=PRD\n# Rsp Date=20240310 08:00:00 Trns=40\n", 100, true,
       "(PRD) Summary:  Trans=100,"},
      {"the same day, moved on", std::string("Destination=PRD\n") + kDialogAt40, 70, true,
       "(PRD) Summary:  Trans=30,"},
      {"nothing moved on", std::string("Destination=PRD\n") + kDialogAt40, 40, false,
       "(PRD) Summary:  Trans=30,"},
      {"the instance restarted", std::string("Destination=PRD\n") + kDialogAt40, 5, true,
       "(PRD) Summary:  Trans=5,"},
  };
  for (const DayCase &c : cases) {
    SCOPED_TRACE(c.what);
    const SystemAnalysis analysis =
        AnalyseSystemDay({Row("DIALOG ", c.dialog_steps, c.dialog_steps * 5)}, TextLines(c.profile),
                         SystemClock{"20240311", "09:00:00"}, AnalysisOptions(), "PRD", "\n");
    EXPECT_EQ(analysis.history.rewrite, c.rewrite);
    EXPECT_EQ(analysis.report.text.compare(0, std::string(c.report_text).size(), c.report_text), 0)
        << analysis.report.text;
    const HistoryLines held = c.rewrite ? FindHistoryLines(TextLines(analysis.history.content))
                                        : FindHistoryLines(TextLines(c.profile));
    EXPECT_EQ(analysis.history.history_after.date_line, held.date_line);
    EXPECT_EQ(analysis.history.history_after.current, held.current);
    EXPECT_EQ(analysis.history.history_after.baseline, held.baseline);
  }
}

TEST(AnalyseItemDay, TheDaysCountersWhateverTheHistory) {
  AnalysisOptions options;
  const Channel channel =
      AnalyseItemDay({Row("DIALOG ", 100, 500), Row("RFC    ", 1, 10), Row("ALE    ", 4, 10)},
                     SystemClock{"20240311", "09:00:00"}, options, "TransActions", "PRD");
  EXPECT_EQ(channel.name, "PRD");
  EXPECT_EQ(channel.value, "101");
}

} // namespace
} // namespace quarlane
