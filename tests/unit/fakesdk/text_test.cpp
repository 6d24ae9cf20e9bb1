// UTF-8 scripts into UTF-16 values and back: every byte sequence gives a
// definite text, and what is valid comes back unchanged.
#include <gtest/gtest.h>

#include "container.h"
#include "text.h"

namespace fakesdk {
namespace {

TEST(Text, Utf8IntoUtf16) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"DIALOG ", u"DIALOG "},
      {"\xC3\xBC"
       "ber \xE2\x82\xAC",
       u"\u00FCber \u20AC"},               // two- and three-byte sequences
      {"\xF0\x9F\x98\x80", u"\U0001F600"}, // a surrogate pair
      {"a\xFC"
       "b",
       u"a\uFFFD"
       "b"},                                   // a stray Latin-1 byte
      {"\xC0\xAF", u"\uFFFD\uFFFD"},           // an overlong form
      {"\xE2\x82", u"\uFFFD\uFFFD"},           // cut short at the end
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // an encoded surrogate
  };
  for (const auto &c : cases) {
    EXPECT_EQ(FromUtf8(c.utf8), c.utf16) << c.utf8;
  }
  for (const auto &c : {cases[0], cases[1], cases[2]}) EXPECT_EQ(ToUtf8(c.utf16), c.utf8);
  EXPECT_EQ(ToUtf8(std::u16string(1, static_cast<char16_t>(0xD800))), "\xEF\xBF\xBD"); // unpaired
}

TEST(Text, PackedValuesAsTheSdkGivesThemAsText) {
  Value value;
  value.type = kBcd;
  value.length = 8; // 15 digits
  std::string problem;
  ASSERT_TRUE(AssignText(value, u" -125 ", &problem)) << problem;
  EXPECT_EQ(ValueText(value), u"-125");
  value.decimals = 2;
  EXPECT_EQ(ValueText(value), u"-1.25");
  value.number = 5;
  EXPECT_EQ(ValueText(value), u"0.05");
  value.decimals = 0;
  EXPECT_TRUE(AssignText(value, u"999999999999999", &problem));
  EXPECT_FALSE(AssignText(value, u"1000000000000000", &problem));
  EXPECT_EQ(problem, "the number 1000000000000000 does not fit the packed field of 8 bytes");
}

} // namespace
} // namespace fakesdk
