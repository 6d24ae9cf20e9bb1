#include <gtest/gtest.h>

#include "nwrfc/text.h"

namespace quarlane::nwrfc {
namespace {

TEST(NwrfcText, Windows1252RoundTripsEveryByte) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  EXPECT_EQ(ToWindows1252(FromWindows1252(all)), all);
}

TEST(NwrfcText, ConvertsTheCodePagesOwnCharacters) {
  EXPECT_EQ(FromWindows1252("\x80 \xE4\xF6\xFC\xDF \x9C"),
            u"\u20AC \u00E4\u00F6\u00FC\u00DF \u0153");
  EXPECT_EQ(ToWindows1252(u"Gr\u00FC\u00DFe \u20AC"), "Gr\xFC\xDF"
                                                      "e \x80");
}

TEST(NwrfcText, WhatWindows1252CannotHoldBecomesAQuestionMark) {
  struct Case {
    std::u16string text;
    std::string expected;
    bool fits;
  } cases[] = {
      {u"\u65E5\u672C", "??", false},                     // CJK: one mark per character
      {u"a\u0100b", "a?b", false},                        // Latin Extended-A outside the code page
      {u"x\U0001F600y", "x?y", false},                    // a surrogate pair is one character
      {std::u16string(1, u'\xD800') + u"z", "?z", false}, // a lone surrogate
      {u"\u2013\u2014", "\x96\x97", true},                // dashes the code page has
      {u"\u0081\u00FF?", "\x81\xFF?", true},              // an undefined byte's control; a real '?'
  };
  for (const Case &c : cases) {
    EXPECT_EQ(ToWindows1252(c.text), c.expected);
    EXPECT_EQ(FitsWindows1252(c.text), c.fits);
  }
}

TEST(NwrfcText, Utf8KeepsEveryCharacter) {
  EXPECT_EQ(ToUtf8(u"\u63A5\u7D9A \u00E4\u20AC"), "\xE6\x8E\xA5\xE7\xB6\x9A \xC3\xA4\xE2\x82\xAC");
  EXPECT_EQ(ToUtf8(u"x\U0001F600"), "x\xF0\x9F\x98\x80");
  EXPECT_EQ(ToUtf8(std::u16string(1, u'\xDC00') + u"a"), "\xEF\xBF\xBD"
                                                         "a"); // lone surrogate: U+FFFD
  std::string bytes;
  for (char32_t code : {U'\u007F', U'\u0080', U'\u07FF', U'\u0800', U'\uFFFF', U'\U00010000'})
    AppendUtf8(bytes, code);
  EXPECT_EQ(bytes, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80");
}

TEST(NwrfcText, EntryNamesDropTheirFilling) {
  EXPECT_EQ(EntryName("tf_cpu_all  ", 12), "TF_CPU_ALL");
  EXPECT_EQ(EntryName("SUMMARY\0\0", 9), "SUMMARY");
  EXPECT_EQ(EntryName(nullptr, 4), "");
}

TEST(NwrfcText, SameUnitsComparesAFixedArrayAsItsText) {
  const char16_t full[4] = {u'C', u'P', u'U', u'T'};
  const char16_t shorter[6] = {u'C', u'P', u'U', 0, u'X', u'X'};
  EXPECT_TRUE(SameUnits(full, 4, u"CPUT"));   // no terminator needed when full
  EXPECT_FALSE(SameUnits(full, 4, u"CPU"));   // a prefix is not the name
  EXPECT_FALSE(SameUnits(full, 4, u"CPUTI")); // longer than the array
  EXPECT_TRUE(SameUnits(shorter, 6, u"CPU"));
  EXPECT_FALSE(SameUnits(shorter, 6, u"CPUXX")); // nothing after the terminator counts
  EXPECT_TRUE(SameUnits(shorter + 3, 3, u""));
}

} // namespace
} // namespace quarlane::nwrfc
