// The row layout every librfc32 uses and the sensor reads by: one rule, and
// the three structures the sensor asks for laid out by it.
#include "rfc/rfc_rows.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace quarlane {
namespace {

TEST(RowLayout, AlignmentByElementType) {
  const struct {
    RFC_TYPEHANDLE type;
    unsigned alignment;
  } cases[] = {
      {RFCTYPE_CHAR, 1}, {RFCTYPE_DATE, 1}, {RFCTYPE_BCD, 1}, {RFCTYPE_INT, 4}, {RFCTYPE_INT2, 2},
  };
  for (const auto &c : cases) EXPECT_EQ(AlignmentOf(c.type), c.alignment) << "type " << c.type;
}

TEST(RowLayout, FieldsAlignedAndRowRoundedToItsWidestAlignment) {
  const struct {
    const char *what;
    std::vector<FieldLayout> fields;
    std::vector<unsigned> offsets;
    unsigned length;
  } cases[] = {
      {"no fields", {}, {}, 0},
      {"characters back to back",
       {{"A", RFCTYPE_CHAR, 3}, {"B", RFCTYPE_DATE, 8}, {"C", RFCTYPE_BCD, 6}},
       {0, 3, 11},
       17},
      {"INT at a multiple of 4", {{"A", RFCTYPE_CHAR, 3}, {"B", RFCTYPE_INT, 4}}, {0, 4}, 8},
      {"INT2 at a multiple of 2", {{"A", RFCTYPE_CHAR, 1}, {"B", RFCTYPE_INT2, 2}}, {0, 2}, 4},
      {"row rounded to 4 after an INT", {{"A", RFCTYPE_INT, 4}, {"B", RFCTYPE_CHAR, 1}}, {0, 4}, 8},
      {"row rounded to 2 after an INT2",
       {{"A", RFCTYPE_INT2, 2}, {"B", RFCTYPE_CHAR, 3}},
       {0, 2},
       6},
      {"an INT after INT2s",
       {{"A", RFCTYPE_INT2, 2},
        {"B", RFCTYPE_INT2, 2},
        {"C", RFCTYPE_INT2, 2},
        {"D", RFCTYPE_INT, 4}},
       {0, 2, 4, 8},
       12},
      {"offsets given are replaced",
       {{"A", RFCTYPE_CHAR, 2, 0, 99}, {"B", RFCTYPE_CHAR, 2, 0, 7}},
       {0, 2},
       4},
  };
  for (const auto &c : cases) {
    const RowLayout layout = LayOutRow("ROW", c.fields);
    ASSERT_EQ(layout.fields.size(), c.offsets.size()) << c.what;
    for (std::size_t i = 0; i < c.offsets.size(); ++i) {
      EXPECT_EQ(layout.fields[i].offset, c.offsets[i]) << c.what << ", field " << i;
      EXPECT_EQ(layout.fields[i].name, c.fields[i].name) << c.what;
      EXPECT_EQ(layout.fields[i].length, c.fields[i].length) << c.what;
    }
    EXPECT_EQ(layout.length, c.length) << c.what;
  }
}

TEST(RowLayout, KeepsNameTypeAndDecimals) {
  const RowLayout layout =
      LayOutRow("AMOUNTS", {{"RATE", RFCTYPE_BCD, 5, 3, 0}, {"N", RFCTYPE_INT, 4, 0, 0}});
  EXPECT_EQ(layout.name, "AMOUNTS");
  ASSERT_EQ(layout.fields.size(), 2u);
  EXPECT_EQ(layout.fields[0].type, static_cast<RFC_TYPEHANDLE>(RFCTYPE_BCD));
  EXPECT_EQ(layout.fields[0].decimals, 3u);
  EXPECT_EQ(layout.fields[1].type, static_cast<RFC_TYPEHANDLE>(RFCTYPE_INT));
  EXPECT_EQ(layout.fields[1].offset, 8u);
}

struct Expected {
  const char *name;
  unsigned offset;
  unsigned length;
};

void ExpectLayout(const RowLayout &layout, const Expected *expected, std::size_t count,
                  unsigned row_length) {
  ASSERT_EQ(layout.fields.size(), count) << layout.name;
  for (std::size_t i = 0; i < count; ++i) {
    EXPECT_EQ(layout.fields[i].name, expected[i].name);
    EXPECT_EQ(layout.fields[i].offset, expected[i].offset) << expected[i].name;
    EXPECT_EQ(layout.fields[i].length, expected[i].length) << expected[i].name;
  }
  EXPECT_EQ(layout.length, row_length) << layout.name;
}

TEST(RowLayout, CpuAllIsFortyEightBytesWithTheIntegersFromEight) {
  const Expected expected[] = {
      {"TYPE", 0, 2},        {"SUBTYPE", 2, 2},    {"SERIALNR", 4, 2},    {"NBR_CPU", 8, 4},
      {"LOAD1_AVG", 12, 4},  {"LOAD5_AVG", 16, 4}, {"LOAD15_AVG", 20, 4}, {"INT_SEC", 24, 4},
      {"SYSC_SEC", 28, 4},   {"CS_SEC", 32, 4},    {"USR_TOTAL", 36, 4},  {"SYS_TOTAL", 40, 4},
      {"IDLE_TOTAL", 44, 4},
  };
  ExpectLayout(LayOutRow("CPU_ALL", kCpuAllFields), expected, std::size(expected),
               CPU_ALL_ROW_LENGTH);
}

TEST(RowLayout, RfcsiIsEighteenCharacterFieldsBackToBack) {
  const Expected expected[] = {
      {"RFCPROTO", 0, 3},    {"RFCCHARTYP", 3, 4},    {"RFCINTTYP", 7, 3},  {"RFCFLOTYP", 10, 3},
      {"RFCDEST", 13, 32},   {"RFCHOST", 45, 8},      {"RFCSYSID", 53, 8},  {"RFCDATABS", 61, 8},
      {"RFCDBHOST", 69, 32}, {"RFCDBSYS", 101, 10},   {"RFCSAPRL", 111, 4}, {"RFCMACH", 115, 5},
      {"RFCOPSYS", 120, 10}, {"RFCTZONE", 130, 6},    {"RFCDAYST", 136, 1}, {"RFCIPADDR", 137, 15},
      {"RFCKERNRL", 152, 4}, {"RFCSI_RESV", 156, 44},
  };
  ExpectLayout(LayOutRow("RFCSI", kRfcsiFields), expected, std::size(expected), RFCSI_ROW_LENGTH);
}

// 355 bytes of characters and packed numbers, so CNT001 skips one byte to 356.
TEST(RowLayout, SapwlsumryHasEveryFieldAtItsOffset) {
  const Expected expected[] = {
      {"TASKTYPE", 0, 7},     {"FIRSTRECTI", 7, 6},   {"FIRSTRECDY", 13, 8},
      {"LASTRECTI", 21, 6},   {"LASTRECDY", 27, 8},   {"COUNT", 35, 8},
      {"DBACTIVCNT", 43, 8},  {"QUEUELIMIT", 51, 8},  {"ELAPSEDTI", 59, 8},
      {"RESPTI", 67, 8},      {"CPUTI", 75, 8},       {"QUEUETI", 83, 8},
      {"LOADGENTI", 91, 8},   {"COMMITTI", 99, 8},    {"DDICTI", 107, 8},
      {"QUETI", 115, 8},      {"CPICTI", 123, 8},     {"MCODETI", 131, 8},
      {"ROLLINCNT", 139, 8},  {"ROLLINSTEP", 147, 8}, {"ROLLINTI", 155, 8},
      {"ROLLOUTCNT", 163, 8}, {"ROLLOUTSTP", 171, 8}, {"ROLLOUTTI", 179, 8},
      {"ROLLSTEP", 187, 8},   {"ROLLWAITTI", 195, 8}, {"ROLLTI", 203, 8},
      {"READDIRCNT", 211, 8}, {"READDIRTI", 219, 8},  {"READDIRBUF", 227, 8},
      {"READDIRREC", 235, 8}, {"READSEQCNT", 243, 8}, {"READSEQTI", 251, 8},
      {"READSEQBUF", 259, 8}, {"READSEQREC", 267, 8}, {"CHNGCNT", 275, 8},
      {"CHNGTI", 283, 8},     {"CHNGREC", 291, 8},    {"PHYREADCNT", 299, 8},
      {"PHYCHNGREC", 307, 8}, {"MCREADCNT", 315, 8},  {"MCCHNGCNT", 323, 8},
      {"PHYCALLS", 331, 8},   {"BYTES", 339, 8},      {"LOCKTI", 347, 8},
      {"CNT001", 356, 4},     {"CNT002", 360, 4},     {"CNT003", 364, 4},
      {"CNT004", 368, 4},     {"CNT005", 372, 4},     {"CNT006", 376, 4},
      {"CNT007", 380, 4},     {"CNT008", 384, 4},     {"CNT009", 388, 4},
      {"GUITIME", 392, 8},    {"GUICNT", 400, 8},     {"GUINETTIME", 408, 8},
  };
  ExpectLayout(LayOutRow("SAPWLSUMRY", kSapwlsumryFields), expected, std::size(expected),
               SAPWLSUMRY_ROW_LENGTH);
}

} // namespace
} // namespace quarlane
