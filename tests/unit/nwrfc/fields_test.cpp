#include <gtest/gtest.h>

#include <cstring>

#include "nwrfc/fields.h"

namespace quarlane::nwrfc {
namespace {

SdkValue Text(const std::u16string &text) {
  SdkValue value;
  value.text = text;
  return value;
}

SdkValue Integer(std::int64_t number) {
  SdkValue value;
  value.is_integer = true;
  value.integer = number;
  return value;
}

std::string Written(const SdkValue &value, RFC_TYPEHANDLE type, unsigned length,
                    unsigned decimals = 0) {
  std::string out(length, '\x55');
  std::string error;
  if (!WriteField(value, type, length, decimals, reinterpret_cast<unsigned char *>(&out[0]),
                  &error))
    return "error: " + error;
  return out;
}

TEST(NwrfcFields, CharacterFieldsAreBlankPaddedWindows1252) {
  EXPECT_EQ(Written(Text(u"PRD"), RFCTYPE_CHAR, 8), "PRD     ");
  EXPECT_EQ(Written(Text(u"sapprd01-long"), RFCTYPE_CHAR, 8), "sapprd01");
  EXPECT_EQ(Written(Text(u"M\u00FCnchen \u65E5"), RFCTYPE_CHAR, 10), "M\xFCnchen ? ");
  EXPECT_EQ(Written(Integer(42), RFCTYPE_CHAR, 4), "42  ");
  EXPECT_EQ(Written(Text(u""), RFCTYPE_CHAR, 3), "   ");
}

TEST(NwrfcFields, DatesAreYYYYMMDD) {
  EXPECT_EQ(Written(Text(u"20260305"), RFCTYPE_DATE, 8), "20260305");
  EXPECT_EQ(Written(Text(u"2026-03-05"), RFCTYPE_DATE, 8), "20260305");
  EXPECT_EQ(Written(Text(u"00000000"), RFCTYPE_DATE, 8), "00000000");
}

TEST(NwrfcFields, IntegersInNativeByteOrderWithRangeChecks) {
  std::int32_t four = 0;
  std::string out = Written(Integer(-123456), RFCTYPE_INT, 4);
  std::memcpy(&four, out.data(), 4);
  EXPECT_EQ(four, -123456);
  std::int16_t two = 0;
  out = Written(Text(u" 513 "), RFCTYPE_INT2, 2);
  std::memcpy(&two, out.data(), 2);
  EXPECT_EQ(two, 513);
  EXPECT_EQ(Written(Integer(40000), RFCTYPE_INT2, 2),
            "error: value 40000 does not fit a two-byte integer");
  EXPECT_EQ(Written(Integer(4294967296LL), RFCTYPE_INT, 4),
            "error: value 4294967296 does not fit a four-byte integer");
  EXPECT_EQ(Written(Text(u"abc"), RFCTYPE_INT, 4), "error: value \"abc\" is not a whole number");
}

TEST(NwrfcFields, PackedNumbersAreRepacked) {
  EXPECT_EQ(Written(Text(u"1234"), RFCTYPE_BCD, 4), std::string("\x00\x01\x23\x4C", 4));
  EXPECT_EQ(Written(Integer(-5), RFCTYPE_BCD, 2), std::string("\x00\x5D", 2));
  EXPECT_EQ(Written(Text(u"123456"), RFCTYPE_BCD, 3),
            "error: value \"123456\" does not fit a packed field of 3 bytes");
  EXPECT_EQ(Written(Text(u"12x"), RFCTYPE_BCD, 3), "error: value \"12x\" is not a number");
}

TEST(NwrfcFields, SentValuesAsTheSdkTakesThem) {
  const unsigned char packed[4] = {0x00, 0x12, 0x34, 0x5D};
  EXPECT_EQ(ReadSentField(RFCTYPE_BCD, 4, 0, packed).text, u"-12345");
  EXPECT_EQ(ReadSentField(RFCTYPE_BCD, 4, 2, packed).text, u"-123.45");
  EXPECT_EQ(ReadSentField(RFCTYPE_CHAR, 8, 0, "TOTAL   ").text, u"TOTAL");
  EXPECT_EQ(ReadSentField(RFCTYPE_CHAR, 6, 0,
                          "Gr\xFC\xDF"
                          "e ")
                .text,
            u"Gr\u00FC\u00DFe");
  const std::int32_t number = -7;
  const SdkValue sent = ReadSentField(RFCTYPE_INT, 4, 0, &number);
  EXPECT_TRUE(sent.is_integer);
  EXPECT_EQ(sent.integer, -7);
}

} // namespace
} // namespace quarlane::nwrfc
