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

} // namespace
} // namespace quarlane::nwrfc
