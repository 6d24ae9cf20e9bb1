#include <gtest/gtest.h>

#include <string>

#include "rfcshared/text.h"

namespace quarlane::rfcshared::boundary_text {
namespace {

TEST(SharedText, CopyToFieldCutsAndTerminates) {
  char field[5];
  CopyToField(field, sizeof field, "abcdefg");
  EXPECT_STREQ(field, "abcd");
  CopyToField(field, sizeof field, "x");
  EXPECT_STREQ(field, "x");
  EXPECT_EQ(field[2], '\0'); // the rest of the field is emptied too
}

TEST(SharedText, CaseBlanksAndControlCharacters) {
  EXPECT_EQ(Upper("sap Prd-1\xE4"), "SAP PRD-1\xE4"); // a to z only
  EXPECT_TRUE(SameText("dialog", "DIALOG"));
  EXPECT_FALSE(SameText("dialog", "DIALOG "));
  EXPECT_EQ(Trim(" \t x y \t "), "x y");
  EXPECT_EQ(TrimRight(" x \t"), " x");
  EXPECT_EQ(PadRight("abc", 5), "abc  ");
  EXPECT_EQ(PadRight("abcdef", 3), "abc");
  EXPECT_EQ(OneLine(std::string("a\nb\r\tc\x7f"
                                "d\xE4",
                                9)),
            "a?b??c?d\xE4");
  EXPECT_EQ(FromCString(nullptr), "");
  EXPECT_EQ(FromCString("x"), "x");
}

} // namespace
} // namespace quarlane::rfcshared::boundary_text
