#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "rfcsim/row_layout.h"

namespace quarlane::rfcsim {
namespace {

struct Expected {
  const char *name;
  unsigned offset;
  unsigned length;
};

void ExpectLayout(const RowLayout &layout, const Expected *expected, std::size_t count, unsigned row_length) {
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
      {"TYPE", 0, 2},       {"SUBTYPE", 2, 2},    {"SERIALNR", 4, 2},  {"NBR_CPU", 8, 4},    {"LOAD1_AVG", 12, 4},
      {"LOAD5_AVG", 16, 4}, {"LOAD15_AVG", 20, 4}, {"INT_SEC", 24, 4}, {"SYSC_SEC", 28, 4},  {"CS_SEC", 32, 4},
      {"USR_TOTAL", 36, 4}, {"SYS_TOTAL", 40, 4}, {"IDLE_TOTAL", 44, 4},
  };
  ExpectLayout(CpuAllLayout(), expected, std::size(expected), 48);
}

TEST(RowLayout, RfcsiIsEighteenCharacterFieldsBackToBack) {
  const Expected expected[] = {
      {"RFCPROTO", 0, 3},    {"RFCCHARTYP", 3, 4},  {"RFCINTTYP", 7, 3},   {"RFCFLOTYP", 10, 3},
      {"RFCDEST", 13, 32},   {"RFCHOST", 45, 8},    {"RFCSYSID", 53, 8},   {"RFCDATABS", 61, 8},
      {"RFCDBHOST", 69, 32}, {"RFCDBSYS", 101, 10}, {"RFCSAPRL", 111, 4},  {"RFCMACH", 115, 5},
      {"RFCOPSYS", 120, 10}, {"RFCTZONE", 130, 6},  {"RFCDAYST", 136, 1},  {"RFCIPADDR", 137, 15},
      {"RFCKERNRL", 152, 4}, {"RFCSI_RESV", 156, 44},
  };
  ExpectLayout(RfcsiLayout(), expected, std::size(expected), 200);
}

TEST(RowLayout, SapwlsumryHasEveryFieldAtItsOffset) {
  const Expected expected[] = {
      {"TASKTYPE", 0, 7},     {"FIRSTRECTI", 7, 6},   {"FIRSTRECDY", 13, 8},  {"LASTRECTI", 21, 6},
      {"LASTRECDY", 27, 8},   {"COUNT", 35, 8},       {"DBACTIVCNT", 43, 8},  {"QUEUELIMIT", 51, 8},
      {"ELAPSEDTI", 59, 8},   {"RESPTI", 67, 8},      {"CPUTI", 75, 8},       {"QUEUETI", 83, 8},
      {"LOADGENTI", 91, 8},   {"COMMITTI", 99, 8},    {"DDICTI", 107, 8},     {"QUETI", 115, 8},
      {"CPICTI", 123, 8},     {"MCODETI", 131, 8},    {"ROLLINCNT", 139, 8},  {"ROLLINSTEP", 147, 8},
      {"ROLLINTI", 155, 8},   {"ROLLOUTCNT", 163, 8}, {"ROLLOUTSTP", 171, 8}, {"ROLLOUTTI", 179, 8},
      {"ROLLSTEP", 187, 8},   {"ROLLWAITTI", 195, 8}, {"ROLLTI", 203, 8},     {"READDIRCNT", 211, 8},
      {"READDIRTI", 219, 8},  {"READDIRBUF", 227, 8}, {"READDIRREC", 235, 8}, {"READSEQCNT", 243, 8},
      {"READSEQTI", 251, 8},  {"READSEQBUF", 259, 8}, {"READSEQREC", 267, 8}, {"CHNGCNT", 275, 8},
      {"CHNGTI", 283, 8},     {"CHNGREC", 291, 8},    {"PHYREADCNT", 299, 8}, {"PHYCHNGREC", 307, 8},
      {"MCREADCNT", 315, 8},  {"MCCHNGCNT", 323, 8},  {"PHYCALLS", 331, 8},   {"BYTES", 339, 8},
      {"LOCKTI", 347, 8},     {"CNT001", 356, 4},     {"CNT002", 360, 4},     {"CNT003", 364, 4},
      {"CNT004", 368, 4},     {"CNT005", 372, 4},     {"CNT006", 376, 4},     {"CNT007", 380, 4},
      {"CNT008", 384, 4},     {"CNT009", 388, 4},     {"GUITIME", 392, 8},    {"GUICNT", 400, 8},
      {"GUINETTIME", 408, 8},
  };
  ExpectLayout(SapwlsumryLayout(), expected, std::size(expected), 416);
}

TEST(RowLayout, SummaryRowCarriesTextsPackedValuesAndIntegersAtTheirOffsets) {
  RowValues values;
  values.texts["TASKTYPE"] = "DIALOG";
  values.texts["LASTRECDY"] = "20260305";
  values.numbers["COUNT"] = 1234;
  values.numbers["RESPTI"] = -5;
  values.numbers["GUINETTIME"] = 4294967296LL;
  values.numbers["CNT001"] = -1;
  values.numbers["CNT009"] = 4294967295LL;
  const Row row = BuildRow(SapwlsumryLayout(), values);
  ASSERT_EQ(row.size(), 416u);

  EXPECT_EQ(std::string(row.begin(), row.begin() + 7), "DIALOG ");
  EXPECT_EQ(std::string(row.begin() + 27, row.begin() + 35), "20260305");
  EXPECT_EQ(std::string(row.begin() + 13, row.begin() + 21), std::string(8, ' ')); // FIRSTRECDY unset: blanks
  const unsigned char count[] = {0, 0, 0, 0, 0, 0x01, 0x23, 0x4C};
  EXPECT_EQ(0, std::memcmp(row.data() + 35, count, 8));
  const unsigned char respti[] = {0, 0, 0, 0, 0, 0, 0, 0x5D};
  EXPECT_EQ(0, std::memcmp(row.data() + 67, respti, 8));
  const unsigned char zero[] = {0, 0, 0, 0, 0, 0, 0, 0x0C}; // unset packed fields are +0
  EXPECT_EQ(0, std::memcmp(row.data() + 43, zero, 8));
  const unsigned char gui[] = {0, 0, 0x04, 0x29, 0x49, 0x67, 0x29, 0x6C};
  EXPECT_EQ(0, std::memcmp(row.data() + 408, gui, 8));
  EXPECT_EQ(row[355], 0); // the fill byte before the integers

  std::int32_t cnt001 = 0;
  std::uint32_t cnt009 = 0;
  std::memcpy(&cnt001, row.data() + 356, 4);
  std::memcpy(&cnt009, row.data() + 388, 4);
  EXPECT_EQ(cnt001, -1);
  EXPECT_EQ(cnt009, 4294967295u);
}

TEST(RowLayout, CpuRowHoldsNativeIntegers) {
  RowValues values;
  values.numbers["TYPE"] = 1;
  values.numbers["SERIALNR"] = 65535;
  values.numbers["NBR_CPU"] = 4;
  values.numbers["IDLE_TOTAL"] = 123456789;
  const Row row = BuildRow(CpuAllLayout(), values);
  ASSERT_EQ(row.size(), 48u);
  std::int16_t type = 0;
  std::uint16_t serial = 0;
  std::int32_t cpus = 0, idle = 0;
  std::memcpy(&type, row.data() + 0, 2);
  std::memcpy(&serial, row.data() + 4, 2);
  std::memcpy(&cpus, row.data() + 8, 4);
  std::memcpy(&idle, row.data() + 44, 4);
  EXPECT_EQ(type, 1);
  EXPECT_EQ(serial, 65535);
  EXPECT_EQ(cpus, 4);
  EXPECT_EQ(idle, 123456789);
}

} // namespace
} // namespace quarlane::rfcsim
