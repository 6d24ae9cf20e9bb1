#include "util/text.h"

namespace quarlane {

std::string UpperAscii(std::string text) {
  for (char &c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::string LowerAscii(std::string text) {
  for (char &c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

LeadingNumber ReadLeadingNumber(std::string_view text, std::string_view blanks) {
  LeadingNumber number;
  std::size_t at = 0;
  while (at < text.size() && blanks.find(text[at]) != std::string_view::npos) ++at;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) number.negative = text[at++] == '-';
  constexpr std::uint64_t kLimit = ~std::uint64_t{0};
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    const std::uint64_t digit = static_cast<std::uint64_t>(text[at] - '0');
    if (number.magnitude > (kLimit - digit) / 10) number.beyond_64_bits = true;
    number.magnitude = number.magnitude * 10 + digit; // wraps modulo 2^64
  }
  return number;
}

std::size_t ItemNameEnd(std::string_view text, std::size_t start) {
  std::size_t end = start;
  while (end < text.size() && end - start < kItemNameLimit && text[end] != ' ' && text[end] != ',')
    ++end;
  return end;
}

std::string ItemNameAt(std::string_view text, std::size_t start) {
  if (start >= text.size()) return std::string();
  std::string name(text.substr(start, ItemNameEnd(text, start) - start));
  for (char &c : name)
    if (c == ':') c = ' ';
  return name;
}

std::uint32_t DecimalToU32(const std::string &text) {
  const LeadingNumber number = ReadLeadingNumber(text);
  // Unsigned arithmetic wraps modulo 2^32 instead of overflowing.
  const auto value = static_cast<std::uint32_t>(number.magnitude);
  return number.negative ? 0u - value : value;
}

} // namespace quarlane
