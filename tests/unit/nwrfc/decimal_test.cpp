#include <gtest/gtest.h>

#include <climits>
#include <cstddef>

#include "nwrfc/decimal.h"

namespace quarlane::nwrfc {
namespace {

std::string Hex(const unsigned char *bytes, unsigned length) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned i = 0; i < length; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 15];
  }
  return text;
}

std::string Packed(const std::string &text, unsigned length, unsigned decimals) {
  Decimal value;
  EXPECT_TRUE(ParseDecimal(text, &value)) << text;
  unsigned char out[16] = {};
  if (!PackDecimal(value, length, decimals, out)) return "does not fit";
  return Hex(out, length);
}

struct ParseCase {
  const char *text;
  const char *shown; // nullptr: rejected
};

// Each text parses to the number shown, or is rejected.
template <std::size_t N> void ExpectParsed(const ParseCase (&cases)[N]) {
  for (const ParseCase &c : cases) {
    Decimal value;
    const bool parsed = ParseDecimal(c.text, &value);
    EXPECT_EQ(parsed, c.shown != nullptr) << c.text;
    if (parsed && c.shown) {
      EXPECT_EQ(DecimalText(value), c.shown) << c.text;
    }
  }
}

// Every form a FLOAT or DECF may take in text: exponent form as the SDK was
// seen to give it, fixed notation, signs on either side, blanks.
TEST(NwrfcDecimal, ParsesEveryFormOfANumber) {
  const ParseCase cases[] = {
      {"4.4000000000000000E+06", "4400000.0000000000"},
      {"4.4E6", "4400000"},
      {"1e5", "100000"},
      {" 2.5e-3 ", "0.0025"},
      {"-1.5E+02", "-150"},
      {"1.5E+02-", "-150"},
      {"+7E0", "7"},
      {"0.0E+00", "0.0"},
      {"4400000.000", "4400000.000"},
      {"1.2E", nullptr},
      {"E5", nullptr},
      {"1e+", nullptr},
      {"1e5e5", nullptr},
      {"1e99999", nullptr},
      {"1,5", nullptr},
  };
  ExpectParsed(cases);
}

TEST(NwrfcDecimal, ParsesTheSdksTexts) {
  const ParseCase cases[] = {
      {"12345", "12345"}, {"-12.50", "-12.50"},
      {" 7 ", "7"},       {"7-", "-7"},
      {"+3", "3"},        {"", "0"},
      {"   ", "0"},       {"-0.00", "0.00"},
      {"000042", "42"},   {".5", "0.5"},
      {"1.2.3", nullptr}, {"12a", nullptr},
      {"-", nullptr},     {"123456789012345678901234", "123456789012345678901234"},
  };
  ExpectParsed(cases);
}

TEST(NwrfcDecimal, RepacksIntoTheCallersLength) {
  EXPECT_EQ(Packed("0", 8, 0), "000000000000000C");
  EXPECT_EQ(Packed("1234", 8, 0), "000000000001234C");
  EXPECT_EQ(Packed("-1234", 4, 0), "0001234D");
  EXPECT_EQ(Packed("999999999999999", 8, 0), "999999999999999C"); // 15 digits fill 8 bytes
  EXPECT_EQ(Packed("1000000000000000", 8, 0), "does not fit");
  EXPECT_EQ(Packed("12.345", 6, 2), "00000001235C"); // rounded half away from zero
  EXPECT_EQ(Packed("-12.344", 6, 2), "00000001234D");
  EXPECT_EQ(Packed("12.5", 3, 0), "00013C");
  EXPECT_EQ(Packed("3", 2, 2), "300C");
  EXPECT_EQ(Packed("-0.4", 2, 0), "000C"); // rounds to zero: no negative zero
}

TEST(NwrfcDecimal, AddsWithoutLosingDigits) {
  Decimal a, b;
  ASSERT_TRUE(ParseDecimal("999999999999999999999999", &a));
  ASSERT_TRUE(ParseDecimal("1", &b));
  EXPECT_EQ(DecimalText(Add(a, b)), "1000000000000000000000000");
  ASSERT_TRUE(ParseDecimal("-5.25", &a));
  ASSERT_TRUE(ParseDecimal("3.5", &b));
  EXPECT_EQ(DecimalText(Add(a, b)), "-1.75");
  EXPECT_EQ(DecimalText(Add(b, a)), "-1.75");
  ASSERT_TRUE(ParseDecimal("2", &b));
  ASSERT_TRUE(ParseDecimal("-2", &a));
  EXPECT_EQ(DecimalText(Add(a, b)), "0");
}

TEST(NwrfcDecimal, WholeNumbersWithinARange) {
  struct Case {
    const char *text;
    std::int64_t minimum, maximum;
    bool fits;
    std::int64_t expected;
  } cases[] = {
      {"2147483647", INT32_MIN, INT32_MAX, true, INT32_MAX},
      {"2147483648", INT32_MIN, INT32_MAX, false, 0},
      {"-32768", INT16_MIN, INT16_MAX, true, INT16_MIN},
      {"-32769", INT16_MIN, INT16_MAX, false, 0},
      {"-9223372036854775808", INT64_MIN, INT64_MAX, true, INT64_MIN},
      {"99999999999999999999", INT64_MIN, INT64_MAX, false, 0},
      {"41.5", 0, 100, true, 42},
  };
  for (const Case &c : cases) {
    Decimal value;
    ASSERT_TRUE(ParseDecimal(c.text, &value));
    std::int64_t result = 0;
    EXPECT_EQ(ToInteger(value, c.minimum, c.maximum, &result), c.fits) << c.text;
    if (c.fits) {
      EXPECT_EQ(result, c.expected) << c.text;
    }
  }
}

} // namespace
} // namespace quarlane::nwrfc
