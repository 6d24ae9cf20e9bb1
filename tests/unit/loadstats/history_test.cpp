#include "loadstats/history.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "loadstats/task_types.h"
#include "util/text_lines.h"

namespace quarlane {
namespace {

constexpr std::size_t kDialog = 0, kRfc = 13;

std::vector<std::string> SplitLines(const std::string &content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    lines.push_back(content.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A history line written the way printf's "%11u" writes each field.
std::string Line(const std::string &head, std::initializer_list<unsigned> fields) {
  std::string line = head;
  for (unsigned field : fields) {
    char text[16];
    std::snprintf(text, sizeof text, "%11u", field);
    line += text;
  }
  return line;
}

TaskCounters Counters(std::initializer_list<std::uint32_t> values) {
  CounterValues array{};
  std::size_t i = 0;
  for (std::uint32_t value : values) array[i++] = value;
  return CountersOf(array);
}

SummaryRow Row(const char *type, const TaskCounters &counters) {
  return SummaryRow{type, counters};
}

// The first line that begins with key.
std::optional<std::string> FindLine(const std::vector<std::string> &lines, const std::string &key) {
  for (const std::string &line : lines)
    if (line.compare(0, key.size(), key) == 0) return line;
  return std::nullopt;
}

HistoryPlan Plan(const std::vector<std::string> &lines, const std::string &date,
                 const std::string &time, const DayCounts &day, const std::string &line_end) {
  return PlanHistoryUpdate(TextLines::FromLines(lines), date, time, day, line_end);
}

HistoryLines HistoryOf(const std::vector<std::string> &lines) {
  return FindHistoryLines(TextLines::FromLines(lines));
}

TEST(HistoryLines, CurrentValuesAndZeroBaselineLayout) {
  EXPECT_EQ(CurrentValuesLine(kDialog, Counters({1234, 5678, 987, 4321, 2345, 12, 3456})),
            "# Rsp DIALOG         1234       5678        987       4321       2345         12"
            "       3456");
  EXPECT_EQ(ZeroBaselineLine(9), "# Rsx DDLOG C           0          0          0          0"
                                 "          0          0          0");
  EXPECT_EQ(CurrentValuesLine(kRfc, Counters({4294967295u, 0, 0, 0, 0, 0, 0})).size(), 91u);
}

TEST(HistoryLines, FieldsAreReadFromTheirColumns) {
  const std::string full = Line("# Rsx DIALOG  ", {1, 22, 333, 4444, 55555, 666666, 7777777});
  EXPECT_EQ(HistoryFields(full), (CounterValues{1, 22, 333, 4444, 55555, 666666, 7777777}));
  // Fields beyond the end of a short line read as 0; a cut field reads its
  // characters.
  EXPECT_EQ(HistoryFields("# Rsx DIALOG          5         6"),
            (CounterValues{5, 6, 0, 0, 0, 0, 0}));
  EXPECT_EQ(HistoryFields("# Rsx DIALOG"), CounterValues{});
}

struct TotalCase {
  const char *line;
  std::uint32_t total;
};

TEST(HistoryLines, RecordedTotal) {
  const TotalCase cases[] = {
      {"# Rsp Date=20240311 09:00:00 Trns=130", 130},
      {"# Rsp Date=20240311 09:00:00 Trns=12ab", 12},
      {"# Rsp Date=20240311 09:00:00 Trns=", 0},
      {"# Rsp Date=20240311 09:00:00 Trns= 5", 0},
      {"# Rsp Date=20240311 09:00:00 Trns=-5", 0},
      {"# Rsp Date=20240311 09:00:00", 0},
      // At most 11 characters, converted with wrapping.
      {"# Rsp Date=20240311 09:00:00 Trns=123456789012", 3755744309u},
      {"# Rsp Date=x Trns=7 Trns=9", 7},
  };
  for (const TotalCase &c : cases) EXPECT_EQ(RecordedTotal(c.line), c.total) << c.line;
}

// One single-system run over the profile's lines, as the load analysis makes
// it: counting pass, history update (the rewritten file read back), interval
// pass.
struct RunOutcome {
  HistoryPlan plan;
  TypeCounters reported;
};

RunOutcome RunOnce(std::vector<std::string> &profile, const std::string &date,
                   const std::string &time, const std::vector<SummaryRow> &rows) {
  RunOutcome outcome;
  const DayCounts day = CountTaskTypes(rows);
  outcome.plan = Plan(profile, date, time, day, "\n");
  if (outcome.plan.rewrite) profile = SplitLines(outcome.plan.content);
  const HistoryLines history = HistoryOf(profile);
  IntervalInput input;
  input.history = &history;
  input.system_date = date;
  input.carried_total = outcome.plan.carried_total;
  outcome.reported = IntervalCounters(rows, input);
  return outcome;
}

const std::vector<std::string> kConnectionLines = {"Destination=PRD", "Client=100", "User=PRTG"};

// The history of a profile in which only the dialog type ever ran.
std::vector<std::string> DialogHistory(const std::vector<std::string> &dates,
                                       std::initializer_list<unsigned> current,
                                       std::initializer_list<unsigned> baseline) {
  std::vector<std::string> lines = kConnectionLines;
  lines.insert(lines.end(), dates.begin(), dates.end());
  for (std::size_t type = 0; type < kTaskTypeCount; ++type) {
    const std::string key = TaskTypes()[type].key;
    const bool dialog = type == kDialog;
    lines.push_back(Line("# Rsp " + key + " ",
                         dialog ? current : std::initializer_list<unsigned>{0, 0, 0, 0, 0, 0, 0}));
    lines.push_back(Line("# Rsx " + key + " ",
                         dialog ? baseline : std::initializer_list<unsigned>{0, 0, 0, 0, 0, 0, 0}));
  }
  return lines;
}

TEST(HistoryWorkedExample, FourRunsOverTwoDays) {
  std::vector<std::string> profile = kConnectionLines;
  const TaskCounters a = Counters({100, 1000, 50000, 8000, 12000, 300, 4000});
  const TaskCounters b = Counters({130, 1300, 65000, 10400, 15600, 390, 5200});
  const TaskCounters d = Counters({12, 120, 6000, 960, 1440, 36, 480});

  // A: the first run of the day reports the day so far.
  RunOutcome run = RunOnce(profile, "20240311", "09:00:00", {Row("DIALOG ", a)});
  EXPECT_TRUE(run.plan.rewrite);
  EXPECT_EQ(run.plan.carried_total, 0u);
  EXPECT_EQ(run.reported[kDialog], a);
  EXPECT_EQ(profile,
            DialogHistory({"# Rsp Date=20240311 09:00:00 Trns=100"},
                          {100, 1000, 50000, 8000, 12000, 300, 4000}, {0, 0, 0, 0, 0, 0, 0}));

  // B: the same day with more steps reports the difference.
  run = RunOnce(profile, "20240311", "10:00:00", {Row("DIALOG ", b)});
  EXPECT_TRUE(run.plan.rewrite);
  EXPECT_EQ(run.plan.carried_total, 130u);
  EXPECT_EQ(run.reported[kDialog], Counters({30, 300, 15000, 2400, 3600, 90, 1200}));
  const std::vector<std::string> after_b = DialogHistory(
      {"# Rsp Date=20240311 10:00:00 Trns=130", "# Rsx Date=20240311 09:00:00 Trns=100"},
      {130, 1300, 65000, 10400, 15600, 390, 5200}, {100, 1000, 50000, 8000, 12000, 300, 4000});
  EXPECT_EQ(profile, after_b);

  // C: nothing new; the file stays and the report repeats B's.
  run = RunOnce(profile, "20240311", "11:00:00", {Row("DIALOG ", b)});
  EXPECT_FALSE(run.plan.rewrite);
  EXPECT_EQ(run.plan.carried_total, 130u);
  EXPECT_EQ(run.reported[kDialog], Counters({30, 300, 15000, 2400, 3600, 90, 1200}));
  EXPECT_EQ(profile, after_b);

  // D: the next day starts from zero baselines.
  run = RunOnce(profile, "20240312", "08:00:00", {Row("DIALOG ", d)});
  EXPECT_TRUE(run.plan.rewrite);
  EXPECT_EQ(run.plan.carried_total, 0u);
  EXPECT_EQ(run.reported[kDialog], d);
  EXPECT_EQ(profile, DialogHistory({"# Rsp Date=20240312 08:00:00 Trns=12",
                                    "# Rsx Date=20240311 10:00:00 Trns=130"},
                                   {12, 120, 6000, 960, 1440, 36, 480}, {0, 0, 0, 0, 0, 0, 0}));
  for (std::size_t type = 1; type < kTaskTypeCount; ++type)
    EXPECT_EQ(run.reported[type], TaskCounters{}) << type;
}

TEST(HistoryUpdate, ANewDayZeroesBaselinesWhateverWasStored) {
  std::vector<std::string> profile = DialogHistory(
      {"# Rsp Date=20240311 23:50:00 Trns=900"}, {900, 9, 9, 9, 9, 9, 9}, {800, 8, 8, 8, 8, 8, 8});
  // The new day's total happens to equal yesterday's: still a new day.
  const TaskCounters today = Counters({900, 5, 5, 5, 5, 5, 5});
  const RunOutcome run = RunOnce(profile, "20240312", "00:05:00", {Row("DIALOG ", today)});
  EXPECT_TRUE(run.plan.rewrite);
  EXPECT_EQ(run.reported[kDialog], today);
  EXPECT_EQ(FindLine(profile, "# Rsx DIALOG "), ZeroBaselineLine(kDialog));
}

TEST(HistoryUpdate, UnlistedStepsCountIntoTheDateLineTotal) {
  std::vector<std::string> profile;
  RunOnce(profile, "20240311", "09:00:00",
          {Row("DIALOG ", Counters({10})), Row("ALE    ", Counters({5}))});
  EXPECT_EQ(FindLine(profile, "# Rsp Date="), "# Rsp Date=20240311 09:00:00 Trns=15");
  // ALE's steps moved on alone: that is a change of the total, so a rewrite.
  const RunOutcome run = RunOnce(profile, "20240311", "09:10:00",
                                 {Row("DIALOG ", Counters({10})), Row("ALE    ", Counters({8}))});
  EXPECT_TRUE(run.plan.rewrite);
  EXPECT_EQ(run.reported[kDialog].count, 0u);
}

TEST(HistoryUpdate, EveryOtherLineStaysWholeAndInOrder) {
  std::vector<std::string> lines;
  std::vector<std::string> kept;
  for (int i = 0; i < 300; ++i) {
    lines.push_back("Line " + std::to_string(i) + " of the profile");
    if (i == 150) {
      lines.push_back(std::string(500, 'L') + "END");
      lines.push_back("# Rsp Date=20240310 09:00:00 Trns=77"); // old history, anywhere
      lines.push_back("# Rsx DIALOG          1");
      lines.push_back("");
      lines.push_back("   trailing blanks   ");
      lines.push_back("# Rsp"); // no blank after it: no history line
      lines.push_back("#Rsp DIALOG");
      lines.push_back("# rsp lower case");
    }
  }
  for (const std::string &line : lines)
    if (line.compare(0, 6, "# Rsp ") != 0 && line.compare(0, 6, "# Rsx ") != 0)
      kept.push_back(line);
  ASSERT_EQ(kept.size(), 306u);

  DayCounts day;
  day.types[kDialog].count = 4;
  day.total_count = 4;
  for (const char *line_end : {"\n", "\r\n"}) {
    const HistoryPlan plan = Plan(lines, "20240311", "12:00:00", day, line_end);
    ASSERT_TRUE(plan.rewrite);
    std::string expected_head;
    for (const std::string &line : kept) expected_head += line + line_end;
    ASSERT_EQ(plan.content.compare(0, expected_head.size(), expected_head), 0) << line_end;
    const std::string history = plan.content.substr(expected_head.size());
    // Date line, previous date line, fourteen pairs, each with its line end.
    std::size_t count = 0;
    for (std::size_t at = history.find(line_end); at != std::string::npos;
         at = history.find(line_end, at + 1))
      ++count;
    EXPECT_EQ(count, 30u) << line_end;
    const std::string date_line = std::string("# Rsp Date=20240311 12:00:00 Trns=4") + line_end;
    EXPECT_EQ(history.compare(0, date_line.size(), date_line), 0) << line_end;
    EXPECT_NE(history.find("# Rsx Date=20240310 09:00:00 Trns=77"), std::string::npos);
    EXPECT_EQ(
        history.compare(history.size() - std::string(line_end).size(), std::string::npos, line_end),
        0);
  }
}

TEST(HistoryUpdate, ALastLineWithoutLineEndIsKept) {
  // The lines come without their line ends; the last one gains one.
  const HistoryPlan plan = PlanHistoryUpdate(TextLines("Destination=PRD\nClient=100"), "20240311",
                                             "12:00:00", DayCounts{}, "\n");
  EXPECT_EQ(plan.content.compare(0, 27, "Destination=PRD\nClient=100\n"), 0);
  // Nor does a line end of another platform's stay: CR LF lines end in LF here.
  const HistoryPlan crlf = PlanHistoryUpdate(TextLines("Destination=PRD\r\nClient=100\r\n"),
                                             "20240311", "12:00:00", DayCounts{}, "\n");
  EXPECT_EQ(crlf.content.compare(0, 28, "Destination=PRD\nClient=100\n#"), 0);
  const HistoryPlan grown = PlanHistoryUpdate(TextLines("Destination=PRD\nClient=100"), "20240311",
                                              "12:00:00", DayCounts{}, "\r\n");
  EXPECT_EQ(grown.content.compare(0, 30, "Destination=PRD\r\nClient=100\r\n#"), 0);
}

TEST(HistoryUpdate, TheNewContentIsTheSameWhereverItIsBuilt) {
  // Built in the profile's own bytes where the kept lines never overtake the
  // unread ones, in a buffer of its own otherwise: the bytes are the same.
  const std::string texts[] = {
      "a\nb\nc",
      "a\r\nb\r\nc\r\n",
      "# Rsp Date=20240310 09:00:00 Trns=1\n# Rsx DIALOG  1\nabc\nde\nf",
      "abc\nde\n# Rsx DIALOG  1\nf\n",
      "x",
      "\n\n\n",
      "a\r\r\nb",
      "# Rsp Date=20240310 09:00:00 Trns=1",
  };
  DayCounts day;
  day.total_count = 1;
  for (const std::string &text : texts)
    for (const std::string line_end : {"\n", "\r\n"}) {
      std::string expected;
      for (const std::string &line : TextLines(text).ToVector())
        if (line.compare(0, 6, "# Rsp ") != 0 && line.compare(0, 6, "# Rsx ") != 0)
          expected += line + line_end;
      const HistoryPlan plan =
          PlanHistoryUpdate(TextLines(text), "20240311", "12:00:00", day, line_end);
      ASSERT_TRUE(plan.rewrite);
      EXPECT_EQ(plan.content.substr(0, expected.size()), expected) << text;
      const std::string date_line = "# Rsp Date=20240311 12:00:00 Trns=1" + line_end;
      EXPECT_EQ(plan.content.compare(expected.size(), date_line.size(), date_line), 0) << text;
    }
}

TEST(HistoryUpdate, SameDaySameTotalLeavesTheFileAlone) {
  const std::vector<std::string> profile = DialogHistory(
      {"# Rsp Date=20240311 10:00:00 Trns=130"}, {130, 0, 0, 0, 0, 0, 0}, {100, 0, 0, 0, 0, 0, 0});
  DayCounts day;
  day.types[kDialog].count = 130;
  day.total_count = 130;
  const HistoryPlan plan = Plan(profile, "20240311", "11:00:00", day, "\n");
  EXPECT_FALSE(plan.rewrite);
  EXPECT_TRUE(plan.content.empty());
  EXPECT_EQ(plan.carried_total, 130u);
}

TEST(HistoryUpdate, AMissingCurrentValuesLineGivesAZeroBaseline) {
  std::vector<std::string> profile = {"# Rsp Date=20240311 09:00:00 Trns=10"};
  const RunOutcome run =
      RunOnce(profile, "20240311", "10:00:00", {Row("RFC    ", Counters({25, 1, 2, 3, 4, 5, 6}))});
  EXPECT_EQ(FindLine(profile, "# Rsx RFC     "), ZeroBaselineLine(kRfc));
  EXPECT_EQ(run.reported[kRfc], Counters({25, 1, 2, 3, 4, 5, 6}));
}

// An instance restart sets the day's counters back to zero.
TEST(InstanceRestart, ASmallerTotalOnTheSameDayStartsAfresh) {
  std::vector<std::string> profile = kConnectionLines;
  RunOnce(profile, "20240311", "09:00:00", {Row("DIALOG ", Counters({100, 1000, 50000}))});

  const TaskCounters since_restart = Counters({40, 400, 9000});
  RunOutcome run = RunOnce(profile, "20240311", "10:00:00", {Row("DIALOG ", since_restart)});
  EXPECT_TRUE(run.plan.rewrite);
  EXPECT_EQ(run.plan.carried_total, 0u);
  EXPECT_EQ(run.reported[kDialog], since_restart);
  EXPECT_EQ(profile, DialogHistory({"# Rsp Date=20240311 10:00:00 Trns=40",
                                    "# Rsx Date=20240311 09:00:00 Trns=100"},
                                   {40, 400, 9000, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}));

  // Nothing new since: the same values again, file untouched.
  run = RunOnce(profile, "20240311", "10:30:00", {Row("DIALOG ", since_restart)});
  EXPECT_FALSE(run.plan.rewrite);
  EXPECT_EQ(run.reported[kDialog], since_restart);

  // Then the history goes on from the restart's values.
  run = RunOnce(profile, "20240311", "11:00:00", {Row("DIALOG ", Counters({70, 700, 15000}))});
  EXPECT_EQ(run.plan.carried_total, 70u);
  EXPECT_EQ(run.reported[kDialog], Counters({30, 300, 6000}));
}

TEST(InstanceRestart, ACounterBelowItsBaselineIsReportedAsItIs) {
  std::vector<std::string> profile = kConnectionLines;
  RunOnce(profile, "20240311", "09:00:00", {Row("DIALOG ", Counters({100, 1000, 50000, 8000}))});
  // Restarted and busy since: the total is above the recorded one, but the
  // response time is below the stored value.
  const RunOutcome run = RunOnce(profile, "20240311", "10:00:00",
                                 {Row("DIALOG ", Counters({150, 1500, 20000, 8000}))});
  EXPECT_EQ(run.reported[kDialog], Counters({50, 500, 20000, 0}));
}

TEST(InstanceRestart, NoWrappedDifferenceFromTheCurrentValuesLineEither) {
  // Counter equal to its baseline: the stored current value is subtracted,
  // and that is larger here.
  const std::vector<std::string> profile = {
      "# Rsp Date=20240311 09:00:00 Trns=80",
      Line("# Rsp DIALOG  ", {80, 5, 0, 0, 0, 0, 0}),
      Line("# Rsx DIALOG  ", {50, 5, 0, 0, 0, 0, 0}),
  };
  const HistoryLines history = HistoryOf(profile);
  IntervalInput input;
  input.history = &history;
  input.system_date = "20240311";
  input.carried_total = 80;
  const TypeCounters reported =
      IntervalCounters({Row("DIALOG ", Counters({50, 5, 0, 0, 0, 0, 0}))}, input);
  EXPECT_EQ(reported[kDialog], Counters({50, 0, 0, 0, 0, 0, 0}));
}

TEST(IntervalPass, WithoutACurrentValuesLineTheDayValuesStay) {
  const std::vector<std::string> profile = {
      "# Rsp Date=20240311 09:00:00 Trns=80",
      Line("# Rsx DIALOG  ", {50, 5, 0, 0, 0, 0, 0}),
  };
  const HistoryLines history = HistoryOf(profile);
  IntervalInput input;
  input.history = &history;
  input.system_date = "20240311";
  input.carried_total = 80;
  const TaskCounters day = Counters({90, 9, 9, 0, 0, 0, 0});
  EXPECT_EQ(IntervalCounters({Row("DIALOG ", day)}, input)[kDialog], day);
}

TEST(IntervalPass, AnItemRunReportsTheDayWithoutHistory) {
  const std::vector<std::string> profile = DialogHistory(
      {"# Rsp Date=20240311 10:00:00 Trns=130"}, {130, 0, 0, 0, 0, 0, 0}, {100, 0, 0, 0, 0, 0, 0});
  IntervalInput input; // history nullptr: item run
  input.system_date = "20240311";
  input.carried_total = 130;
  EXPECT_EQ(IntervalCounters({Row("DIALOG ", Counters({130}))}, input)[kDialog].count, 130u);
  // The same lines as history give the difference.
  const HistoryLines history = HistoryOf(profile);
  input.history = &history;
  EXPECT_EQ(IntervalCounters({Row("DIALOG ", Counters({130}))}, input)[kDialog].count, 30u);
}

TEST(IntervalPass, SelectionAndExclusionDecideWhichTypesAreKept) {
  const std::vector<SummaryRow> rows = {
      Row("DIALOG ", Counters({10})), Row("RFC    ", Counters({20})),
      Row("UPDATE ", Counters({30})), Row("UPDATE2", Counters({40})),
      Row("ALE    ", Counters({50}))};
  constexpr std::size_t kUpdate = 2, kUpdate2 = 6;
  struct Case {
    const char *options; // the parameters these stand for
    std::optional<std::size_t> selected;
    std::vector<std::size_t> excluded;
    std::vector<std::uint32_t> counts; // dialog, update, update2, rfc
  };
  const Case cases[] = {
      {"", std::nullopt, {}, {10, 30, 40, 20}},
      {"DIALOG", kDialog, {}, {10, 0, 0, 0}},
      {"UPDATE2", kUpdate2, {}, {0, 0, 40, 0}},
      {"-RFC", std::nullopt, {kRfc}, {10, 30, 40, 0}},
      {"-UPDATE2", std::nullopt, {kUpdate, kUpdate2}, {10, 0, 0, 20}},
      {"DIALOG -RFC", std::nullopt, {kRfc}, {10, 30, 40, 0}},
  };
  for (const Case &c : cases) {
    IntervalInput input;
    input.selected = c.selected;
    for (std::size_t type : c.excluded) input.excluded[type] = true;
    const TypeCounters reported = IntervalCounters(rows, input);
    EXPECT_EQ((std::vector<std::uint32_t>{reported[0].count, reported[2].count, reported[6].count,
                                          reported[13].count}),
              c.counts)
        << c.options;
  }
}

TEST(HistoryLines, TheFirstOfEachKindIsFound) {
  const HistoryLines history = HistoryOf({
      "Client=100",
      "# Rsp DIALOG ", // the key alone is enough
      "# Rsp Date=20240311 09:00:00 Trns=1",
      "# Rsp DIALOG           9", // a later one does not count
      "# Rsp Date=20240312 09:00:00 Trns=2",
      "# Rsx RFC              5",
      "# Rsx RFC",                // too short for the key
      "# Rsp ALE              3", // no known type
      "# Rsp DIALOG2",
  });
  EXPECT_EQ(history.date_line, std::optional<std::string>("# Rsp Date=20240311 09:00:00 Trns=1"));
  EXPECT_EQ(history.current[kDialog], std::optional<std::string>("# Rsp DIALOG "));
  EXPECT_EQ(history.baseline[kRfc], std::optional<std::string>("# Rsx RFC              5"));
  EXPECT_FALSE(history.baseline[kDialog].has_value());
  EXPECT_FALSE(history.current[kRfc].has_value());
}

} // namespace
} // namespace quarlane
