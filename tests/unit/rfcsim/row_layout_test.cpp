#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "rfcsim/row_layout.h"

namespace quarlane::rfcsim {
namespace {

TEST(RowBuilding, SummaryRowCarriesTextsPackedValuesAndIntegersAtTheirOffsets) {
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
  EXPECT_EQ(std::string(row.begin() + 13, row.begin() + 21),
            std::string(8, ' ')); // FIRSTRECDY unset: blanks
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

TEST(RowBuilding, CpuRowHoldsNativeIntegers) {
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
