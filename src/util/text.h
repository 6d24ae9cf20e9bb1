// Small text rules shared by every layer: case, the leading number of a text,
// and the item name of an "Item=" option.
#ifndef QUARLANE_UTIL_TEXT_H
#define QUARLANE_UTIL_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quarlane {

// Letters a-z to upper case (A-Z to lower case), nothing else changed.
std::string UpperAscii(std::string text);
std::string LowerAscii(std::string text);

bool StartsWith(std::string_view text, std::string_view prefix);

// The number at the start of a text, read as the C library reads one: the
// characters in `blanks` skipped, one sign, then the digits up to the first
// other character (none: 0). The digits' value is kept modulo 2^64 and
// `beyond_64_bits` tells that it did not fit; each caller applies its own
// limit or wrap.
struct LeadingNumber {
  bool negative = false;
  std::uint64_t magnitude = 0;
  bool beyond_64_bits = false;
};
constexpr std::string_view kCBlanks = " \t\n\v\f\r";
LeadingNumber ReadLeadingNumber(std::string_view text, std::string_view blanks = kCBlanks);

// The leading-sign decimal conversion of C (leading blanks skipped, one sign,
// digits up to the first other character), wrapped to 32 bits.
std::uint32_t DecimalToU32(const std::string &text);

// The item name of an "Item=" option starts at text[start] and runs up to a
// blank, a comma or the end, at most 90 characters.
constexpr std::size_t kItemNameLimit = 90;
std::size_t ItemNameEnd(std::string_view text, std::size_t start);
// That name, each colon turned into a blank ("Avg:Dialog" names "Avg Dialog").
std::string ItemNameAt(std::string_view text, std::size_t start);

} // namespace quarlane

#endif
