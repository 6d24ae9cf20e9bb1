#include "output/formatting.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quarlane {
namespace {

struct HexCase {
  std::vector<unsigned char> bytes;
  std::string hex;
};

TEST(BytesToHex, TwoUpperCaseDigitsPerByte) {
  const HexCase cases[] = {
      {{}, ""},
      {{0x00}, "00"},
      {{0x0F, 0xA0}, "0FA0"},
      {{0xDE, 0xAD, 0xbe, 0xef}, "DEADBEEF"},
      {{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}, "0123456789ABCDEF"},
  };
  for (const HexCase &c : cases)
    EXPECT_EQ(BytesToHex(c.bytes.data(), c.bytes.size()), c.hex) << c.hex;
}

struct PackedCase {
  std::vector<unsigned char> field;
  unsigned decimals;
  std::string text;
};

TEST(PackedToText, SignDigitsAndDecimals) {
  const PackedCase cases[] = {
      {{0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x23, 0x4C}, 0, "+000000000001234"},
      {{0x01, 0x23, 0x45, 0x6D}, 2, "-01234.56"},
      {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0F}, 0, "+000000000000000"},
      // Only a D sign half-byte is negative.
      {{0x12, 0x3C}, 0, "+123"},
      {{0x12, 0x3F}, 0, "+123"},
      {{0x12, 0x3A}, 0, "+123"},
      {{0x12, 0x3B}, 0, "+123"},
      {{0x12, 0x3D}, 0, "-123"},
      // A D among the digits is not the sign.
      {{0xD0, 0x0C}, 0, "+D00"},
      {{0x5D}, 0, "-5"},
      {{0x12, 0x3C}, 3, "+.123"},
      {{0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x9D}, 1, "-99999999999999.9"},
  };
  for (const PackedCase &c : cases)
    EXPECT_EQ(PackedToText(c.field.data(), c.field.size(), c.decimals), c.text) << c.text;
}

TEST(PackedToText, OutOfRangeArgumentsStayInsideTheField) {
  const unsigned char field[] = {0x12, 0x3D};
  // More decimals than digits: all digits become decimals, nothing read beyond.
  EXPECT_EQ(PackedToText(field, 2, 9), "-.123");
  EXPECT_EQ(PackedToText(field, 0, 0), "+");
}

TEST(PackedToText, LongestField) {
  std::vector<unsigned char> field(511, 0x11);
  field.back() = 0x1D;
  const std::string text = PackedToText(field.data(), field.size(), 0);
  ASSERT_EQ(text.size(), 2u * 511u);
  EXPECT_EQ(text[0], '-');
  EXPECT_EQ(text.find_first_not_of('1', 1), std::string::npos);
}

TEST(GroupThousands, AtMostTwoSeparators) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"0", "0"},
      {"999", "999"},
      {"1234", "1.234"},
      {"12345", "12.345"},
      {"123456", "123.456"},
      {"1234567", "1.234.567"},
      {"123456789", "123.456.789"},
      {"4294967295", "4294.967.295"},
      {"12345678901", "12345.678.901"},
  };
  for (const auto &c : cases) EXPECT_EQ(GroupThousands(c.first), c.second) << c.first;
}

TEST(EscapeXml, EachSpecialCharacterOnce) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"Avg Dialog 640 mSec", "Avg Dialog 640 mSec"},
      {"R&D", "R&amp;D"},
      {"<a>", "&lt;a&gt;"},
      {"a<>&b", "a&lt;&gt;&amp;b"},
      // Already written entities are text like any other.
      {"&amp;", "&amp;amp;"},
      {"\"quoted\" 'x'", "\"quoted\" 'x'"},
  };
  for (const auto &c : cases) EXPECT_EQ(EscapeXml(c.first), c.second) << c.first;
}

} // namespace
} // namespace quarlane
