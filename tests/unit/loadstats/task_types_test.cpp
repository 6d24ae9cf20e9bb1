#include "loadstats/report_options.h"
#include "loadstats/reports.h"
#include "loadstats/task_types.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quarlane {
namespace {

constexpr std::size_t kDialog = 0, kBatch = 1, kUpdate = 2, kUpdate2 = 6, kRpcTh = 8, kHttp = 11,
                      kHttps = 12, kRfc = 13;

TEST(TaskTypes, KeysAreSevenCharactersInTheirFixedOrder) {
  const std::vector<std::string> keys = {"DIALOG ", "BCKGRD ", "UPDATE ", "SPOOL  ", "BUF.SYN",
                                         "AUTOABA", "UPDATE2", "AUTOTH ", "RPCTH  ", "DDLOG C",
                                         "DEL. TH", "HTTP   ", "HTTPS  ", "RFC    "};
  ASSERT_EQ(TaskTypes().size(), keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(TaskTypes()[i].key, keys[i]);
    EXPECT_EQ(TaskTypeOfKey(keys[i]), i);
  }
}

TEST(TaskTypes, OnlyTheExactKeyNamesAType) {
  EXPECT_EQ(TaskTypeOfKey("DIALOG"), std::nullopt);  // without its blank
  EXPECT_EQ(TaskTypeOfKey("dialog "), std::nullopt); // case counts
  EXPECT_EQ(TaskTypeOfKey("ALE    "), std::nullopt);
}

TEST(TaskTypes, UnlistedTypeTextsAreThoseInNeitherColumn) {
  // Keys, and any piece of the keys written back to back, are "known".
  for (const char *known : {"DIALOG ", "RFC    ", "DIALOG", "F.SYNAU", "SPOOL  BUF", "HTTPS", ""})
    EXPECT_TRUE(IsKnownTypeText(known)) << known;
  for (const char *unlisted : {"ALE    ", "AUTOCCMS", "RFC     ", "dialog "})
    EXPECT_FALSE(IsKnownTypeText(unlisted)) << unlisted;
}

struct SelectionCase {
  const char *params;
  std::optional<std::size_t> selected;
};

TEST(TaskTypes, SelectionWords) {
  const SelectionCase cases[] = {
      {"", std::nullopt},
      {"DIALOG", kDialog},
      {"BATCH", kBatch},        // the batch type's key is BCKGRD
      {"UPDATE", std::nullopt}, // the update type wants "UPDATE." with its full stop
      {"UPDATE.", kUpdate},
      {"UPDATE2", kUpdate2},
      {"HTTP", std::nullopt},
      {"HTTP.", kHttp},
      {"HTTPS", kHttps},
      {"RPC", kRpcTh},
      // The last word found in table order wins, wherever it stands.
      {"RFC DIALOG", kRfc},
      {"DIALOG BATCH", kBatch},
      // A "-" anywhere switches the selection off.
      {"DIALOG -BATCH", std::nullopt},
      {"DIALOG,HOST=A-B", std::nullopt},
      // The responses and transaction reports cover every type.
      {"RESPONSE DIALOG", std::nullopt},
      {"TRANSACTION DIALOG", std::nullopt},
  };
  for (const SelectionCase &c : cases)
    EXPECT_EQ(SelectedTaskType(c.params), c.selected) << c.params;
}

struct ExclusionCase {
  const char *params;
  std::set<std::size_t> excluded;
};

TEST(TaskTypes, ExclusionWordsAreSearchedAsSubstrings) {
  const ExclusionCase cases[] = {
      {"", {}},
      {"DIALOG", {}},
      {"-DIALOG", {kDialog}},
      {"-BATCH -RFC", {kBatch, kRfc}},
      {"-UPDATE", {kUpdate}},
      {"-UPDATE2", {kUpdate, kUpdate2}}, // "-UPDATE" stands inside "-UPDATE2"
      {"-HTTP", {kHttp}},
      {"-HTTPS", {kHttp, kHttps}},
      {"-RPC", {kRpcTh}},
  };
  for (const ExclusionCase &c : cases) {
    std::set<std::size_t> excluded;
    for (std::size_t type = 0; type < kTaskTypeCount; ++type)
      if (IsExcludedType(c.params, type))
        excluded.insert(type);
    EXPECT_EQ(excluded, c.excluded) << c.params;
  }
}

TEST(TaskTypes, TrimmedKeysLoseTrailingBlanksOnly) {
  EXPECT_EQ(TrimmedKey(kDialog), "DIALOG");
  EXPECT_EQ(TrimmedKey(kRfc), "RFC");
  EXPECT_EQ(TrimmedKey(9), "DDLOG C");
  EXPECT_EQ(TrimmedKey(10), "DEL. TH");
}

struct OptionCase {
  const char *params;
  const char *options;
};

TEST(ReportOptions, TheItemOptionIsBlankedOut) {
  const OptionCase cases[] = {
      {"", ""},
      {"ITEM=TRANSACTIONS", "                 "},
      {"ITEM=AVG:DIALOG RESPONSE", "                RESPONSE"},
      {"RESPONSE ITEM=AVG:DIALOG", "RESPONSE                "},
      {"ITEM=TRANSACTIONS,SID -RFC", "                 ,SID -RFC"},
      // The global sensor file's allocation text: every item option goes.
      {"SENSOR=\"SAP QUARLANE\" ITEM=DIALOG,ALIAS TRANSACTION",
       "SENSOR=\"SAP QUARLANE\"            ,ALIAS TRANSACTION"},
      {"ITEM=A ITEM=B", "             "},
  };
  for (const OptionCase &c : cases)
    EXPECT_EQ(WithoutItemOption(c.params), c.options) << c.params;
}

TEST(ReportOptions, AtMostNinetyCharactersAreTakenAsTheItemName) {
  const std::string name(90, 'X');
  EXPECT_EQ(WithoutItemOption("ITEM=" + name + "RESPONSE"), std::string(95, ' ') + "RESPONSE");
}

TEST(ReportOptions, OnlyAnItemRunLeavesTheItemOptionOut) {
  RunContext ctx;
  ctx.params = "ITEM=TRANSACTIONS";
  ctx.item_run = true;
  EXPECT_EQ(ChooseReport(LoadAnalysisOptions(ctx)), ReportKind::Summary);
  ctx.item_run = false;
  EXPECT_EQ(LoadAnalysisOptions(ctx), ctx.params);
}

struct ReportChoiceCase {
  const char *params;
  bool item_run;
  ReportKind kind;
  std::optional<std::size_t> selected;
};

TEST(ReportOptions, ReportChoiceAndSelectionInBothKindsOfRun) {
  const ReportChoiceCase cases[] = {
      {"", false, ReportKind::Summary, std::nullopt},
      {"RESPONSE", false, ReportKind::Responses, std::nullopt},
      {"TRANSACTION", false, ReportKind::Transaction, std::nullopt},
      {"RESPONSE TRANSACTION", false, ReportKind::Responses, std::nullopt},
      {"DIALOG", false, ReportKind::Summary, kDialog},
      // The "TransActions" item is the summary's, not the transaction report.
      {"ITEM=TRANSACTIONS", true, ReportKind::Summary, std::nullopt},
      {"ITEM=TRANSACTIONS TRANSACTION", true, ReportKind::Transaction, std::nullopt},
      // An item name is no selection word: Avg Dialog does not narrow the
      // summary to the dialog type, and a "-" in Avg Rsp-Time does not switch
      // off a selection given beside it.
      {"ITEM=AVG:DIALOG", true, ReportKind::Summary, std::nullopt},
      {"ITEM=AVG:DIALOG RESPONSE", true, ReportKind::Responses, std::nullopt},
      {"ITEM=AVG:RSP-TIME BATCH", true, ReportKind::Summary, kBatch},
      {"ITEM=TRANSACTIONS RFC", true, ReportKind::Summary, kRfc},
  };
  for (const ReportChoiceCase &c : cases) {
    RunContext ctx;
    ctx.params = c.params;
    ctx.item_run = c.item_run;
    const std::string options = LoadAnalysisOptions(ctx);
    EXPECT_EQ(ChooseReport(options), c.kind) << c.params;
    EXPECT_EQ(SelectedTaskType(options), c.selected) << c.params;
  }
}

TEST(ReportOptions, AnItemNameNeverExcludesAType) {
  RunContext ctx;
  ctx.item_run = true;
  ctx.params = "ITEM=NET-RFC";
  const std::string options = LoadAnalysisOptions(ctx);
  for (std::size_t type = 0; type < kTaskTypeCount; ++type)
    EXPECT_FALSE(IsExcludedType(options, type)) << type;
}

} // namespace
} // namespace quarlane
