#include "output/xml_safe.h"

#include <gtest/gtest.h>

#include <string>

#include "output/formatting.h"

namespace quarlane {
namespace {

// True when text is well-formed UTF-8 holding only characters that XML 1.0
// allows, and no control character other than tab, LF and CR: checked here
// independently of the function under test, code point by code point.
bool IsCleanXmlUtf8(const std::string &text) {
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned long code;
    std::size_t n;
    if (c < 0x80)
      code = c, n = 1;
    else if ((c & 0xE0) == 0xC0)
      code = c & 0x1F, n = 2;
    else if ((c & 0xF0) == 0xE0)
      code = c & 0x0F, n = 3;
    else if ((c & 0xF8) == 0xF0)
      code = c & 0x07, n = 4;
    else
      return false;
    if (i + n > text.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      unsigned char d = static_cast<unsigned char>(text[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      code = (code << 6) | (d & 0x3F);
    }
    const unsigned long minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < minimum[n] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    bool control = code < 0x20 || (code >= 0x7F && code <= 0x9F);
    if (control && code != '\t' && code != '\n' && code != '\r') return false;
    if (code == 0xFFFE || code == 0xFFFF) return false;
    i += n;
  }
  return true;
}

TEST(XmlSafeText, ConvertsWhatIsNotCleanUtf8) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"(PRD) Summary:  Trans=1.100, <&> \t\r\n", "(PRD) Summary:  Trans=1.100, <&> \t\r\n"},
      // Latin-1 / Windows-1252 text of the classic library and the profiles
      {"Benutzer gesperrt \xE4\xF6\xFC", "Benutzer gesperrt \xC3\xA4\xC3\xB6\xC3\xBC"},
      {"PRD\xE9", "PRD\xC3\xA9"},
      {"\x80 \x9F \xA0 \xFF", "\xE2\x82\xAC \xC5\xB8 \xC2\xA0 \xC3\xBF"},
      // undefined in Windows-1252
      {"\x81\x8D\x8F\x90\x9D", "?????"},
      // control characters, also in their UTF-8 form
      {std::string("PRD\x01"
                   "A\0B\x7F"
                   "C",
                   9),
       "PRD?A?B?C"},
      {"\x1B[31m", "?[31m"},
      {"\xC2\x85 \xC2\x9F", "? ?"},
      {"\xEF\xBF\xBE\xEF\xBF\xBF", "??"},
      // well-formed UTF-8 stays
      {"\xC3\xA4 \xE2\x82\xAC \xF0\x9F\x98\x80", "\xC3\xA4 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      // broken UTF-8: overlong, surrogate, cut short, stray continuation
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"\xE2\x82", "\xC3\xA2\xE2\x80\x9A"},
      {"\xC3", "\xC3\x83"},
      {"\xF5\x80\x80\x80", "\xC3\xB5\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"},
  };
  for (const Case &c : cases) {
    const std::string got = XmlSafeText(c.in);
    EXPECT_EQ(got, c.out) << c.in;
    EXPECT_TRUE(IsCleanXmlUtf8(got)) << c.in;
  }
}

TEST(XmlSafeText, PrintableAsciiStaysByteForByte) {
  std::string all;
  for (int c = 0x20; c < 0x7F; ++c) all += static_cast<char>(c);
  all += "\t\r\n";
  EXPECT_EQ(XmlSafeText(all), all);
}

TEST(XmlSafeText, EveryByteStringBecomesCleanAndStaysSoWhenAppliedAgain) {
  // Every single byte, every pair of bytes, and a run of pseudo-random
  // strings: the result is clean, and applying it again changes nothing.
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      const std::string in{static_cast<char>(a), static_cast<char>(b)};
      const std::string once = XmlSafeText(in);
      ASSERT_TRUE(IsCleanXmlUtf8(once)) << a << " " << b;
      ASSERT_EQ(XmlSafeText(once), once) << a << " " << b;
    }
  }
  unsigned state = 12345;
  for (int round = 0; round < 20000; ++round) {
    std::string in;
    const int length = round % 13;
    for (int k = 0; k < length; ++k) {
      state = state * 1103515245u + 12345u;
      in += static_cast<char>((state >> 16) & 0xFF);
    }
    const std::string once = XmlSafeText(in);
    ASSERT_TRUE(IsCleanXmlUtf8(once)) << round;
    ASSERT_EQ(XmlSafeText(once), once) << round;
  }
}

TEST(XmlSafeText, ComposesWithEscapeXmlInEitherOrder) {
  const std::string texts[] = {"a&b<c>d", "Benutzer \xE4<\x01>&\xFC", "\xC3\xA4&amp;", "\x80&\x81"};
  for (const std::string &text : texts)
    EXPECT_EQ(XmlSafeText(EscapeXml(text)), EscapeXml(XmlSafeText(text))) << text;
}

} // namespace
} // namespace quarlane
