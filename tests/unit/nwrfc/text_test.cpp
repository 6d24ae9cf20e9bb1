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
  EXPECT_EQ(FromWindows1252("\x80 \xE4\xF6\xFC\xDF \x9C"), u"\u20AC \u00E4\u00F6\u00FC\u00DF \u0153");
  EXPECT_EQ(ToWindows1252(u"Gr\u00FC\u00DFe \u20AC"), "Gr\xFC\xDF" "e \x80");
}

TEST(NwrfcText, WhatWindows1252CannotHoldBecomesHash) {
  struct Case {
    std::u16string text;
    std::string expected;
  } cases[] = {
      {u"\u65E5\u672C", "##"},                  // CJK: one mark per character
      {u"a\u0100b", "a#b"},                     // Latin Extended-A outside the code page
      {u"x\U0001F600y", "x#y"},                 // a surrogate pair is one character
      {std::u16string(1, u'\xD800') + u"z", "#z"}, // a lone surrogate
      {u"\u2013\u2014", "\x96\x97"},            // dashes the code page has
  };
  for (const Case &c : cases) EXPECT_EQ(ToWindows1252(c.text), c.expected);
}

TEST(NwrfcText, EntryNamesDropTheirFilling) {
  EXPECT_EQ(EntryName("tf_cpu_all  ", 12), "TF_CPU_ALL");
  EXPECT_EQ(EntryName("SUMMARY\0\0", 9), "SUMMARY");
  EXPECT_EQ(EntryName(nullptr, 4), "");
}

TEST(NwrfcText, SameUnitsComparesAFixedArrayAsItsText) {
  const char16_t full[4] = {u'C', u'P', u'U', u'T'};
  const char16_t shorter[6] = {u'C', u'P', u'U', 0, u'X', u'X'};
  EXPECT_TRUE(SameUnits(full, 4, u"CPUT"));      // no terminator needed when full
  EXPECT_FALSE(SameUnits(full, 4, u"CPU"));      // a prefix is not the name
  EXPECT_FALSE(SameUnits(full, 4, u"CPUTI"));    // longer than the array
  EXPECT_TRUE(SameUnits(shorter, 6, u"CPU"));
  EXPECT_FALSE(SameUnits(shorter, 6, u"CPUXX")); // nothing after the terminator counts
  EXPECT_TRUE(SameUnits(shorter + 3, 3, u""));
}

} // namespace
} // namespace quarlane::nwrfc
