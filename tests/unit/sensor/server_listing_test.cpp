#include "sensor/server_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sensor/run_context.h"

namespace quarlane {
namespace {

const std::string kMark = "Sensor=\"SAP Quarlane\"";

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
      "# GSNG: ------------NOT.P00#",   // item mode compares the case exactly
      "# Gsng:-------------NOT.P00#",   // ": " must follow
      "Destination: PRD",
      "# Gsng: ------------DEV",        // not ended by "#": runs into the next
      "# Gsng: xxxxxxxxxxxx.P00#",
      "# Gsng: ------------",            // nothing from column 20 on
      "# Gsng: short",
  };
  EXPECT_EQ(ServerListingFromItemProfile(lines), "PRD.P00#QAS.P00#DEV.P00#");
  EXPECT_EQ(ServerListingFromItemProfile({}), "");
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
  GlobalAllocation a = ReadGlobalSensorFile(lines, "PROD1     ");
  EXPECT_TRUE(a.allocation_found);
  EXPECT_EQ(a.server_listing, "PRD.P00#QAS.P00#DEV.P00#");
  EXPECT_EQ(a.allocation_text, "Item=Avg Dialog,Alias,Sid,CH=2");
  EXPECT_EQ(a.item_name, "Avg Dialog");
  EXPECT_EQ(a.ident_kind, '4'); // ",Alias" and ",Sid": the later in the search order wins
}

TEST(ReadGlobalSensorFile, IdentificationMarkers) {
  const struct {
    std::vector<std::string> allocations;
    char ident_kind;
  } cases[] = {
      {{"Item=X," + kMark}, '1'},
      {{"Item=X,Profile," + kMark}, '1'},
      {{"Item=X,Alias," + kMark}, '2'},
      {{"Item=X,Host," + kMark}, '3'},
      {{"Item=X,Sid," + kMark}, '4'},
      {{"Item=X,Host,Alias," + kMark}, '3'},
      {{"Item=X,Sid,Profile," + kMark}, '4'},
      {{"Item=X,alias," + kMark}, '1'},                 // exact case only
      {{"Item=X," + kMark + ",Host"}, '3'},             // the whole line is searched
      {{"Item=X,Host," + kMark, "Item=Y," + kMark}, '3'}, // no marker leaves it as it was
      {{"Item=X,Sid," + kMark, "Item=Y,Alias," + kMark}, '2'},
  };
  for (const auto &c : cases) {
    std::vector<std::string> lines = {ListingLine("K", "A.P00#")};
    for (const std::string &a : c.allocations) lines.push_back(AllocationLine("K", a));
    EXPECT_EQ(ReadGlobalSensorFile(lines, GlobalSensorKey("K")).ident_kind, c.ident_kind)
        << c.allocations.back();
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
      {{"item=Steps," + kMark}, "item=Steps", ""},      // "Item=" is exact case
      {{"Item=First," + kMark, "Item=Second,Host:x," + kMark}, "Item=Second,Host x", "Second"},
  };
  for (const auto &c : cases) {
    std::vector<std::string> lines;
    for (const std::string &a : c.allocations) lines.push_back(AllocationLine("KEY", a));
    GlobalAllocation a = ReadGlobalSensorFile(lines, GlobalSensorKey("KEY"));
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
  GlobalAllocation one = ReadGlobalSensorFile(lines, GlobalSensorKey("ABCDEFGHIJKL"));
  GlobalAllocation two = ReadGlobalSensorFile(lines, GlobalSensorKey("ABCDEFGHIJXY"));
  EXPECT_EQ(one.server_listing, "A.P00#");
  EXPECT_EQ(two.server_listing, "A.P00#");
  EXPECT_TRUE(one.allocation_found && two.allocation_found);
  // A shorter key must match its blanks too.
  EXPECT_FALSE(ReadGlobalSensorFile(lines, GlobalSensorKey("ABCDEFGHI")).allocation_found);
}

TEST(ReadGlobalSensorFile, KeyOnlyInListingLinesFindsNoAllocation) {
  const std::vector<std::string> lines = {
      ListingLine("PROD1", "PRD.P00#"),
      AllocationLine("PROD2", "Item=X," + kMark),
      "# GSNX: PROD1",  // shorter than the 18 columns compared
  };
  GlobalAllocation a = ReadGlobalSensorFile(lines, GlobalSensorKey("PROD1"));
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
    try {
      ReadGlobalSensorFile(lines, GlobalSensorKey("K"));
      ADD_FAILURE() << "no failure for " << bad;
    } catch (const RunFailure &failure) {
      EXPECT_EQ(failure.text, "Error 1029: Invalid Sensor-Allocation...");
    }
  }
  // An allocation line of another key is not examined.
  const std::vector<std::string> other = {AllocationLine("OTHER", "no mark"),
                                          AllocationLine("K", "Item=Good," + kMark)};
  EXPECT_NO_THROW(ReadGlobalSensorFile(other, GlobalSensorKey("K")));
}

} // namespace
} // namespace quarlane
