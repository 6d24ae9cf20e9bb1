#include "sensor/server_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sensor/options.h"
#include "util/text.h"

namespace quarlane {
namespace {

const std::string kMark = "Sensor=\"SAP Quarlane\"";

// The key of the global sensor file as the parameters give it.
std::string GlobalSensorKey(const std::string &params) { return ParseOptions(params).global_key; }

// The allocation for a key, where the file is sound.
GlobalAllocation Read(const std::vector<std::string> &lines, const std::string &key) {
  Result<GlobalAllocation> allocation = ReadGlobalSensorFile(lines, key);
  EXPECT_TRUE(allocation.ok()) << (allocation ? "" : allocation.failure().text);
  return allocation ? *allocation : GlobalAllocation{};
}

// "# GSNG: " + key padded to ten + two unexamined columns + listing text.
std::string ListingLine(const std::string &key, const std::string &text,
                        const std::string &head = "# GSNG: ") {
  std::string padded = key;
  padded.resize(10, ' ');
  return head + padded + "--" + text;
}

// "# GSNX: " + key padded to ten + one unexamined column + allocation.
std::string AllocationLine(const std::string &key, const std::string &text,
                           const std::string &head = "# GSNX: ") {
  std::string padded = key;
  padded.resize(10, ' ');
  return head + padded + "-" + text;
}

TEST(ItemNameAt, StopsAtBlankCommaOrEndAndTurnsColonsIntoBlanks) {
  const struct {
    std::string text;
    std::size_t start;
    std::string name;
  } cases[] = {
      {"ITEM=Avg:Dialog", 5, "Avg Dialog"},
      {"x item=TransActions -Spool", 7, "TransActions"},
      {"Item=Steps,Sensor=\"SAP Quarlane\"", 5, "Steps"},
      {"Item=", 5, ""},
      {"Item=,Alias", 5, ""},
      {"Item=" + std::string(100, 'n'), 5, std::string(90, 'n')},
      {"Item=" + std::string(95, ':'), 5, std::string(90, ' ')},
  };
  for (const auto &c : cases) EXPECT_EQ(ItemNameAt(c.text, c.start), c.name) << c.text;
}

TEST(ServerListingFromItemProfile, TakesExactGsngLinesFromColumnTwenty) {
  const std::vector<std::string> lines = {
      "# Gsng: ------------PRD.P00#QAS.P00#",
      "# GSNG: ------------NOT.P00#", // item mode compares the case exactly
      "# Gsng:-------------NOT.P00#", // ": " must follow
      "Destination: PRD",
      "# Gsng: ------------DEV", // not ended by "#": runs into the next
      "# Gsng: xxxxxxxxxxxx.P00#",
      "# Gsng: ------------", // nothing from column 20 on
      "# Gsng: short",
  };
  EXPECT_EQ(ServerListingFromItemProfile(lines), "PRD.P00#QAS.P00#DEV.P00#");
  EXPECT_EQ(ServerListingFromItemProfile({}), "");
}

TEST(SplitServerListing, EntriesEndedByHashMarks) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"", {}},
      {"PRD.P00#", {"PRD.P00"}},
      {"PRD.P00#QAS.P00#", {"PRD.P00", "QAS.P00"}},
      {"PRD.P00#QAS.P00", {"PRD.P00", "QAS.P00"}}, // the end ends the last entry too
      {"A##B#", {"A", "", "B"}},
      {"#", {""}},
  };
  for (const auto &c : cases) EXPECT_EQ(SplitServerListing(c.first), c.second) << c.first;
}

TEST(GlobalSensorKey, FirstWordPaddedOrCutToTen) {
  EXPECT_EQ(GlobalSensorKey(""), std::string(10, ' '));
  EXPECT_EQ(GlobalSensorKey("PROD1"), "PROD1     ");
  EXPECT_EQ(GlobalSensorKey("PROD1 CH=2"), "PROD1     ");
  EXPECT_EQ(GlobalSensorKey("ABCDEFGHIJKLMN"), "ABCDEFGHIJ");
  EXPECT_EQ(GlobalSensorKey(" X"), std::string(10, ' '));
}

TEST(ReadGlobalSensorFile, ListingItemAndIdentificationForTheKey) {
  const std::vector<std::string> lines = {
      "; the global sensor file",
      ListingLine("prod1", "PRD.P00#QAS.P00#", "# gsng: "),
      ListingLine("PROD2", "OTHER.P00#"),
      ListingLine("PROD1", "DEV.P00#"),
      AllocationLine("PROD2", "Item=Nope," + kMark),
      AllocationLine("Prod1", "Item=Avg:Dialog,Alias,Sid,CH=2,Sensor=\"SAP Quarlane\" more"),
  };
  GlobalAllocation a = Read(lines, "PROD1     ");
  EXPECT_TRUE(a.allocation_found);
  EXPECT_EQ(a.server_listing, "PRD.P00#QAS.P00#DEV.P00#");
  EXPECT_EQ(a.allocation_text, "Item=Avg Dialog,Alias,Sid,CH=2");
  EXPECT_EQ(a.item_name, "Avg Dialog");
  EXPECT_EQ(
      a.label_kind,
      SystemLabelKind::Destination); // ",Alias" and ",Sid": the later in the search order wins
}

TEST(ReadGlobalSensorFile, IdentificationMarkers) {
  const struct {
    std::vector<std::string> allocations;
    SystemLabelKind label_kind;
  } cases[] = {
      {{"Item=X," + kMark}, SystemLabelKind::Profile},
      {{"Item=X,Profile," + kMark}, SystemLabelKind::Profile},
      {{"Item=X,Alias," + kMark}, SystemLabelKind::Alias},
      {{"Item=X,Host," + kMark}, SystemLabelKind::Host},
      {{"Item=X,Sid," + kMark}, SystemLabelKind::Destination},
      {{"Item=X,Host,Alias," + kMark}, SystemLabelKind::Host},
      {{"Item=X,Sid,Profile," + kMark}, SystemLabelKind::Destination},
      {{"Item=X,alias," + kMark}, SystemLabelKind::Profile},  // exact case only
      {{"Item=X," + kMark + ",Host"}, SystemLabelKind::Host}, // the whole line is searched
      {{"Item=X,Host," + kMark, "Item=Y," + kMark},
       SystemLabelKind::Host}, // no marker leaves it as it was
      {{"Item=X,Sid," + kMark, "Item=Y,Alias," + kMark}, SystemLabelKind::Alias},
  };
  for (const auto &c : cases) {
    std::vector<std::string> lines = {ListingLine("K", "A.P00#")};
    for (const std::string &a : c.allocations) lines.push_back(AllocationLine("K", a));
    EXPECT_EQ(Read(lines, GlobalSensorKey("K")).label_kind, c.label_kind) << c.allocations.back();
  }
}

TEST(ReadGlobalSensorFile, AllocationTextAndItemName) {
  const struct {
    std::vector<std::string> allocations;
    std::string text, item;
  } cases[] = {
      {{"Item=Steps," + kMark}, "Item=Steps", "Steps"},
      {{"Item=Steps,Sensor=\"SAP Quarlane\",Item=Later"}, "Item=Steps", "Steps"},
      {{"Response Item=Avg:Dialog " + kMark}, "Response Item=Avg Dialog " + kMark, "Avg Dialog"},
      {{"CH=3," + kMark}, "CH=3", ""},
      {{"item=Steps," + kMark}, "item=Steps", ""}, // "Item=" is exact case
      {{"Item=First," + kMark, "Item=Second,Host:x," + kMark}, "Item=Second,Host x", "Second"},
  };
  for (const auto &c : cases) {
    std::vector<std::string> lines;
    for (const std::string &a : c.allocations) lines.push_back(AllocationLine("KEY", a));
    GlobalAllocation a = Read(lines, GlobalSensorKey("KEY"));
    EXPECT_TRUE(a.allocation_found);
    EXPECT_EQ(a.allocation_text, c.text) << c.allocations.back();
    EXPECT_EQ(a.item_name, c.item) << c.allocations.back();
  }
}

TEST(ReadGlobalSensorFile, OnlyTheFirstTenCharactersOfTheKeyDecide) {
  const std::vector<std::string> lines = {
      "# GSNG: ABCDEFGHIJ--A.P00#",
      "# GSNX: ABCDEFGHIJ-Item=X," + kMark,
  };
  GlobalAllocation one = Read(lines, GlobalSensorKey("ABCDEFGHIJKL"));
  GlobalAllocation two = Read(lines, GlobalSensorKey("ABCDEFGHIJXY"));
  EXPECT_EQ(one.server_listing, "A.P00#");
  EXPECT_EQ(two.server_listing, "A.P00#");
  EXPECT_TRUE(one.allocation_found && two.allocation_found);
  // A shorter key must match its blanks too.
  EXPECT_FALSE(Read(lines, GlobalSensorKey("ABCDEFGHI")).allocation_found);
}

TEST(ReadGlobalSensorFile, KeyOnlyInListingLinesFindsNoAllocation) {
  const std::vector<std::string> lines = {
      ListingLine("PROD1", "PRD.P00#"), AllocationLine("PROD2", "Item=X," + kMark),
      "# GSNX: PROD1", // shorter than the 18 columns compared
  };
  GlobalAllocation a = Read(lines, GlobalSensorKey("PROD1"));
  EXPECT_FALSE(a.allocation_found);
  EXPECT_EQ(a.server_listing, "PRD.P00#");
  EXPECT_EQ(a.item_name, "");
}

TEST(ReadGlobalSensorFile, AllocationWithoutTheSensorMarkFails) {
  const std::string bad_marks[] = {
      "Item=X,Sensor=\"SAP Other\"",
      "Item=X,sensor=\"SAP Quarlane\"",
      "Item=X,Sensor=SAP Quarlane",
      "",
  };
  for (const std::string &bad : bad_marks) {
    const std::vector<std::string> lines = {
        AllocationLine("K", "Item=Good," + kMark),
        AllocationLine("K", bad),
        AllocationLine("K", "Item=Later," + kMark),
    };
    const Result<GlobalAllocation> allocation = ReadGlobalSensorFile(lines, GlobalSensorKey("K"));
    ASSERT_FALSE(allocation.ok()) << "no failure for " << bad;
    EXPECT_EQ(allocation.failure().text, "Error 1029: Invalid Sensor-Allocation...");
  }
  // An allocation line of another key is not examined.
  const std::vector<std::string> other = {AllocationLine("OTHER", "no mark"),
                                          AllocationLine("K", "Item=Good," + kMark)};
  EXPECT_TRUE(ReadGlobalSensorFile(other, GlobalSensorKey("K")).ok());
}

} // namespace
} // namespace quarlane
