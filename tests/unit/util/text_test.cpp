#include "util/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "util/result.h"
#include "util/text_lines.h"

namespace quarlane {
namespace {

TEST(UpperAscii, OnlyLettersAToZChange) {
  EXPECT_EQ(UpperAscii("ch=2,item=Avg Dialog"), "CH=2,ITEM=AVG DIALOG");
  EXPECT_EQ(UpperAscii("09 #@$%_{}"), "09 #@$%_{}");
  EXPECT_EQ(UpperAscii("\xe4\xf6"), "\xe4\xf6");
  EXPECT_EQ(LowerAscii("Quarlane-KELBRUN.EXE \xc4"), "quarlane-kelbrun.exe \xc4");
}

TEST(ReadLeadingNumber, ReadsAsTheCLibraryDoes) {
  struct Case {
    const char *text;
    bool negative;
    std::uint64_t magnitude;
    bool beyond;
  };
  const Case cases[] = {
      {"", false, 0, false},
      {"abc", false, 0, false},
      {"42", false, 42, false},
      {"  \t\n\v\f\r7x9", false, 7, false},
      {"-15", true, 15, false},
      {"+8", false, 8, false},
      {"+-8", false, 0, false},
      {"- 8", true, 0, false},
      {"0012", false, 12, false},
      {"18446744073709551615", false, 18446744073709551615ull, false},
      // One more wraps, and says so.
      {"18446744073709551616", false, 0, true},
      {"99999999999999999999", false, 7766279631452241919ull, true},
  };
  for (const Case &c : cases) {
    const LeadingNumber number = ReadLeadingNumber(c.text);
    EXPECT_EQ(number.negative, c.negative) << c.text;
    EXPECT_EQ(number.magnitude, c.magnitude) << c.text;
    EXPECT_EQ(number.beyond_64_bits, c.beyond) << c.text;
  }
  // A caller may skip fewer blanks than the C library.
  EXPECT_EQ(ReadLeadingNumber(" \t5", " \t").magnitude, 5u);
  EXPECT_EQ(ReadLeadingNumber("\n5", " \t").magnitude, 0u);
}

TEST(ItemName, UpToBlankCommaOrEndAtMostNinety) {
  struct Case {
    std::string text;
    std::size_t start;
    std::string name;
  };
  const Case cases[] = {
      {"ITEM=Avg:Dialog,HOST=x", 5, "Avg Dialog"},
      {"ITEM=TransActions #", 5, "TransActions"},
      {"ITEM=", 5, ""},
      {"ITEM=", 9, ""},
      {"ITEM=" + std::string(100, 'x'), 5, std::string(90, 'x')},
      {"ITEM=a::b", 5, "a  b"},
  };
  for (const Case &c : cases) EXPECT_EQ(ItemNameAt(c.text, c.start), c.name) << c.text;
  EXPECT_EQ(ItemNameEnd("ITEM=" + std::string(100, 'x'), 5), 95u);
  EXPECT_EQ(ItemNameEnd("ITEM=ab cd", 5), 7u);
}

TEST(TextLines, SplitsAsReadLinesDoes) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\r\nb\nc", {"a", "b", "c"}},
      {"\n\n", {"", ""}},
      {"a\r\r\n", {"a\r"}},
      {"last\r", {"last"}},
      {"x\ry\n", {"x\ry"}},
  };
  for (const Case &c : cases) EXPECT_EQ(TextLines(c.bytes).ToVector(), c.lines) << c.bytes;

  const TextLines lines = TextLines::FromLines({"# Rsp Date=1", "Client=100", "# Rsp Date=2"});
  EXPECT_EQ(lines.bytes(), "# Rsp Date=1\nClient=100\n# Rsp Date=2\n");
  EXPECT_EQ(lines.FirstStartingWith("# Rsp Date="),
            std::optional<std::string_view>("# Rsp Date=1"));
  EXPECT_FALSE(lines.FirstStartingWith("Client=1000").has_value());
}

TEST(Result, CarriesTheValueOrTheFailure) {
  const Result<int> value = 7;
  ASSERT_TRUE(value.ok());
  EXPECT_EQ(*value, 7);
  const Result<int> failed = Failure(FailureCode::ProfileMissing, "x");
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.failure().text, "Error 1002: Profile x is missing...");
  EXPECT_TRUE(Success().ok());
}

TEST(DecimalToU32, LeadingSignConversionWrapsTo32Bits) {
  const std::pair<std::string, std::uint32_t> cases[] = {
      {"", 0u},
      {"abc", 0u},
      {"0", 0u},
      {"1234", 1234u},
      {"  42", 42u},
      {"\t\n 7x", 7u},
      {"+15", 15u},
      {"-5", 4294967291u},
      {"+000000000001234", 1234u},
      {"-000000000000001", 4294967295u},
      {"4294967295", 4294967295u},
      {"4294967296", 0u},
      {"4294967301", 5u},
      {"+999999999999999", static_cast<std::uint32_t>(999999999999999ull % 4294967296ull)},
      {"12 34", 12u},
      {"1.5", 1u},
      {"--5", 0u},
      {"+-5", 0u},
      {"- 5", 0u},
  };
  for (const auto &c : cases) EXPECT_EQ(DecimalToU32(c.first), c.second) << '"' << c.first << '"';
}

} // namespace
} // namespace quarlane
