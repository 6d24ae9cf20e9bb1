#include "loadstats/task_types.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quarlane {
namespace {

constexpr std::size_t kDialog = 0, kRfc = 13;

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

// Dialog, batch, HTTP, RFC, update, spool: each shown type has its label and
// its own place, and no other type has either.
TEST(TaskTypes, TheReportTextsShowSixTypesInTheirOrder) {
  std::vector<std::string> shown;
  for (std::size_t type : TextTypes()) shown.push_back(TaskTypes()[type].key);
  EXPECT_EQ(shown, (std::vector<std::string>{"DIALOG ", "BCKGRD ", "HTTP   ", "RFC    ", "UPDATE ",
                                             "SPOOL  "}));
  std::size_t labelled = 0;
  for (const TaskType &type : TaskTypes()) {
    EXPECT_EQ(type.text_label != nullptr, type.text_place != 0) << type.key;
    if (type.text_label) ++labelled;
  }
  EXPECT_EQ(labelled, kTextTypeCount);
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

TEST(TaskTypes, TrimmedKeysLoseTrailingBlanksOnly) {
  EXPECT_EQ(TrimmedKey(kDialog), "DIALOG");
  EXPECT_EQ(TrimmedKey(kRfc), "RFC");
  EXPECT_EQ(TrimmedKey(9), "DDLOG C");
  EXPECT_EQ(TrimmedKey(10), "DEL. TH");
}

} // namespace
} // namespace quarlane
