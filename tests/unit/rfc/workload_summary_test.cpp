#include "rfc/workload_summary.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

namespace quarlane {
namespace {

struct ExportingCase {
  const char *host, *instance, *release;
  const char *hostid, *instance_value;
};

TEST(ExportingValues, HostInstanceAndReleaseForms) {
  const std::string blanks39(39, ' ');
  const ExportingCase cases[] = {
      // No instance: the whole system, on the upper-cased host.
      {"srv01", "", "700", "SRV01   ", "TOTAL                                  "},
      {"sapserver01", "", "700", "SAPSERVE", "TOTAL                                  "},
      // Newer releases name the instance in INSTANCE.
      {"srv01", "srv01_PRD_00", "700", "        ", "srv01_PRD_00                           "},
      {"srv01", "srv01_PRD_00", "46C", "        ", "srv01_PRD_00                           "},
      {"srv01", "srv01_PRD_00", "620", "        ", "srv01_PRD_00                           "},
      // Up to 4.6 the instance goes into HOSTID, cut to 8 characters.
      {"srv01", "srv01_PRD_00", "40B", "srv01_PR", blanks39.c_str()},
      {"srv01", "srv01_PRD_00", "45B", "srv01_PR", blanks39.c_str()},
      {"srv01", "srv01_PRD_00", "460", "srv01_PR", blanks39.c_str()},
      // "460" with a blank instead of its terminator compares above "460".
      {"srv01", "srv01_PRD_00", "460 ", "        ", "srv01_PRD_00                           "},
      {"srv01", "pr1", "", "pr1     ", blanks39.c_str()},
  };
  for (const ExportingCase &c : cases) {
    SystemInfo sap;
    sap.identity.host = c.host;
    sap.identity.instance_name = c.instance;
    sap.identity.sap_release = c.release;
    const ExportingValues values = FormExportingValues(sap);
    EXPECT_EQ(values.hostid, c.hostid) << c.instance << " " << c.release;
    EXPECT_EQ(values.instance, c.instance_value) << c.instance << " " << c.release;
    EXPECT_EQ(values.periodtype, "D");
  }
}

TEST(ExportingValues, LongInstanceNamesAreCutTo39) {
  SystemInfo sap;
  sap.identity.instance_name = std::string(45, 'i');
  sap.identity.sap_release = "750";
  EXPECT_EQ(FormExportingValues(sap).instance, std::string(39, 'i'));
}

TEST(ExportingValues, StartDateIsTheSystemDateFilledWithZeros) {
  SystemInfo sap;
  sap.clock.date = "20240311";
  EXPECT_EQ(FormExportingValues(sap).startdate, "20240311");
  sap.clock.date = "202403";
  EXPECT_EQ(FormExportingValues(sap).startdate, "20240300");
  sap.clock.date = "";
  EXPECT_EQ(FormExportingValues(sap).startdate, "00000000");
}

// Lays the description out as the library does: character and packed fields
// back to back, integers on a multiple of 4.
std::size_t OffsetOf(const std::string &name, std::size_t *row_length = nullptr) {
  std::size_t offset = 0, found = 0;
  for (const RFC_TYPE_ELEMENT &element : SummaryStructure().elements()) {
    if (element.type == RFCTYPE_INT) offset = (offset + 3) / 4 * 4;
    if (name == element.name) found = offset;
    offset += element.length;
  }
  if (row_length) *row_length = offset;
  return found;
}

TEST(SummaryStructure, FiftySevenFieldsMakeThe416ByteRow) {
  const auto &fields = SummaryStructure().elements();
  ASSERT_EQ(fields.size(), 57u);
  for (const RFC_TYPE_ELEMENT &field : fields) {
    EXPECT_EQ(field.decimals, 0u) << field.name;
    EXPECT_EQ(field.offset, 0u) << field.name;
  }
  std::size_t row_length = 0;
  OffsetOf("", &row_length);
  EXPECT_EQ(row_length, 416u);
  EXPECT_EQ(OffsetOf("COUNT"), 35u);
  EXPECT_EQ(OffsetOf("LOCKTI"), 347u);
  EXPECT_EQ(OffsetOf("CNT001"), 356u); // byte 355 is a fill byte
  EXPECT_EQ(OffsetOf("GUITIME"), 392u);
  // The places the analysis reads at are those of this layout.
  for (const char *name : {"COUNT", "DBACTIVCNT", "RESPTI", "CPUTI", "ROLLTI", "READDIRTI",
                           "READSEQTI", "CHNGTI", "GUITIME", "CNT001"})
    EXPECT_EQ(SummaryStructure().Place(name).offset, OffsetOf(name)) << name;
  EXPECT_STREQ(fields.front().name, "TASKTYPE");
  EXPECT_STREQ(fields.back().name, "GUINETTIME");
}

// A packed decimal of 15 digits and a sign half-byte (C, or D for negative).
void PutPacked(unsigned char *field, std::uint64_t digits, bool negative = false) {
  field[7] = static_cast<unsigned char>((digits % 10) << 4 | (negative ? 0xD : 0xC));
  digits /= 10;
  for (int i = 6; i >= 0; --i) {
    field[i] = static_cast<unsigned char>((digits / 10 % 10) << 4 | digits % 10);
    digits /= 100;
  }
}

struct RowBytes {
  std::array<unsigned char, 416> bytes{};
  void Type(const char *text, std::size_t length) { std::memcpy(bytes.data(), text, length); }
  void Packed(const char *field, std::uint64_t value, bool negative = false) {
    PutPacked(bytes.data() + OffsetOf(field), value, negative);
  }
};

TEST(SummaryRow, ReadsTheCountersFromTheirPackedFields) {
  RowBytes row;
  row.Type("DIALOG ", 7);
  row.Packed("COUNT", 1234);
  row.Packed("DBACTIVCNT", 5678);
  row.Packed("RESPTI", 987654);
  row.Packed("CPUTI", 4321);
  row.Packed("READDIRTI", 100);
  row.Packed("READSEQTI", 20);
  row.Packed("CHNGTI", 3);
  row.Packed("ROLLTI", 12);
  row.Packed("GUITIME", 3456);
  // Fields the analysis does not read stay out of the counters.
  row.Packed("ELAPSEDTI", 999999);
  row.Packed("ROLLINTI", 777);
  row.Packed("GUINETTIME", 555);

  const SummaryRow summary = ReadSummaryRow(row.bytes.data());
  EXPECT_EQ(summary.type_text, "DIALOG ");
  EXPECT_EQ(summary.counters.count, 1234u);
  EXPECT_EQ(summary.counters.db_accesses, 5678u);
  EXPECT_EQ(summary.counters.resp_time, 987654u);
  EXPECT_EQ(summary.counters.cpu_time, 4321u);
  EXPECT_EQ(summary.counters.db_time, 123u);
  EXPECT_EQ(summary.counters.roll_time, 12u);
  EXPECT_EQ(summary.counters.gui_time, 3456u);
}

TEST(SummaryRow, TypeTextEndsAtAZeroByteOrAfterSevenCharacters) {
  RowBytes row;
  row.Type("ALE", 3);
  EXPECT_EQ(ReadSummaryRow(row.bytes.data()).type_text, "ALE");
  RowBytes full;
  full.Type("AUTOABA", 7);
  // The next field's first byte is no part of the type text.
  full.bytes[7] = 'X';
  EXPECT_EQ(ReadSummaryRow(full.bytes.data()).type_text, "AUTOABA");
}

TEST(SummaryRow, LargeAndNegativeValuesWrapTo32Bits) {
  RowBytes row;
  row.Type("RFC    ", 7);
  row.Packed("COUNT", 4294967296ull + 5); // 2^32 + 5
  row.Packed("DBACTIVCNT", 1, true);      // -1
  row.Packed("READDIRTI", 4294967295ull);
  row.Packed("READSEQTI", 2);
  const SummaryRow summary = ReadSummaryRow(row.bytes.data());
  EXPECT_EQ(summary.counters.count, 5u);
  EXPECT_EQ(summary.counters.db_accesses, 4294967295u);
  EXPECT_EQ(summary.counters.db_time, 1u); // the sum wraps too
}

} // namespace
} // namespace quarlane
