#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "rfcsim/packed.h"

namespace quarlane::rfcsim {
namespace {

std::string Hex(const std::vector<unsigned char> &bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 0x0f];
  }
  return out;
}

struct PackedCase {
  std::int64_t value;
  unsigned length;
  const char *hex;
};

TEST(Packed, EncodesDigitsHighHalfFirstWithTheSignLast) {
  const PackedCase cases[] = {
      {0, 1, "0c"},
      {7, 1, "7c"},
      {-7, 1, "7d"},
      {12345, 8, "000000000012345c"},
      {-12345, 8, "000000000012345d"},
      {4294967296LL, 8, "000004294967296c"}, // wider than 32 bits
      {-4294967297LL, 8, "000004294967297d"},
      {999999999999999LL, 8, "999999999999999c"}, // all 15 digits
      {-999999999999999LL, 8, "999999999999999d"},
      {12345678901LL, 6, "12345678901c"}, // a 6-byte field: 11 digits
      {std::numeric_limits<std::int64_t>::min(), 10, "9223372036854775808d"},
  };
  for (const PackedCase &c : cases) {
    std::vector<unsigned char> out(c.length, 0xEE);
    ASSERT_TRUE(EncodePacked(c.value, c.length, out.data())) << c.value;
    EXPECT_EQ(Hex(out), c.hex) << c.value;
  }
}

TEST(Packed, RefusesMoreDigitsThanTheFieldHoldsAndWritesNothing) {
  const PackedCase cases[] = {
      {10, 1, ""},
      {-10, 1, ""},
      {1000000000000000LL, 8, ""},
      {-1000000000000000LL, 8, ""},
      {100000000000LL, 6, ""},
      {1, 0, ""},
  };
  for (const PackedCase &c : cases) {
    std::vector<unsigned char> out(c.length + 1, 0xEE);
    EXPECT_FALSE(FitsPacked(c.value, c.length)) << c.value;
    EXPECT_FALSE(EncodePacked(c.value, c.length, out.data())) << c.value;
    EXPECT_EQ(out, std::vector<unsigned char>(c.length + 1, 0xEE));
  }
}

TEST(Packed, ClampsToTheLargestValueOfTheSameSign) {
  EXPECT_EQ(ClampToPacked(1000000000000000LL, 8), 999999999999999LL);
  EXPECT_EQ(ClampToPacked(-1000000000000000LL, 8), -999999999999999LL);
  EXPECT_EQ(ClampToPacked(-42, 8), -42);
}

} // namespace
} // namespace quarlane::rfcsim
