#include "loadstats/counters.h"

#include <gtest/gtest.h>

#include <vector>

namespace quarlane {
namespace {

SummaryRow Row(const char *type, std::uint32_t count, std::uint32_t resp = 0) {
  SummaryRow row;
  row.type_text = type;
  row.counters.count = count;
  row.counters.db_accesses = count * 10;
  row.counters.resp_time = resp;
  return row;
}

TEST(CountingPass, EmptySummaryLeavesEverythingZero) {
  const DayCounts day = CountTaskTypes({});
  EXPECT_EQ(day.total_count, 0u);
  EXPECT_EQ(day.others_count, 0u);
  for (const TaskCounters &c : day.types) EXPECT_EQ(c, TaskCounters{});
}

TEST(CountingPass, EachTypeTakesItsRowAndTheTotalCountsEveryStep) {
  const DayCounts day =
      CountTaskTypes({Row("DIALOG ", 100, 5000), Row("RFC    ", 7), Row("UPDATE2", 3)});
  EXPECT_EQ(day.types[0].count, 100u);
  EXPECT_EQ(day.types[0].resp_time, 5000u);
  EXPECT_EQ(day.types[0].db_accesses, 1000u);
  EXPECT_EQ(day.types[13].count, 7u);
  EXPECT_EQ(day.types[6].count, 3u);
  EXPECT_EQ(day.types[2].count, 0u); // UPDATE2 is not the update type
  EXPECT_EQ(day.total_count, 110u);
}

TEST(CountingPass, ALaterRowOfTheSameTypeReplacesTheEarlierOne) {
  const DayCounts day = CountTaskTypes({Row("DIALOG ", 100, 5000), Row("DIALOG ", 40, 900)});
  EXPECT_EQ(day.types[0].count, 40u);
  EXPECT_EQ(day.types[0].resp_time, 900u);
  EXPECT_EQ(day.total_count, 40u);
}

TEST(CountingPass, UnlistedTypesCountIntoTheTotalOnly) {
  const DayCounts day = CountTaskTypes({Row("DIALOG ", 100), Row("ALE    ", 25), Row("ALE", 5)});
  EXPECT_EQ(day.others_count, 30u);
  EXPECT_EQ(day.total_count, 130u);
  for (std::size_t type = 1; type < kTaskTypeCount; ++type)
    EXPECT_EQ(day.types[type], TaskCounters{}) << type;
}

TEST(CountingPass, TypeTextsInsideTheKeysAreNeitherKeptNorCounted) {
  // "DIALOG" without its blank is a piece of the keys: not an unlisted type,
  // but no known key either.
  const DayCounts day = CountTaskTypes({Row("DIALOG", 100), Row("HTTP", 4)});
  EXPECT_EQ(day.others_count, 0u);
  EXPECT_EQ(day.total_count, 0u);
}

TEST(CountingPass, TheTotalWraps) {
  const DayCounts day = CountTaskTypes({Row("DIALOG ", 4294967295u), Row("ALE    ", 2)});
  EXPECT_EQ(day.total_count, 1u);
}

} // namespace
} // namespace quarlane
