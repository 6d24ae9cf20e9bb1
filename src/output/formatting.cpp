// Text conversions of values: packed decimals, hex bytes, thousands, XML.
#include "output/formatting.h"

#include <algorithm>

#include "util/text.h"

namespace quarlane {

std::string BytesToHex(const unsigned char *bytes, std::size_t count) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(2 * count);
  for (std::size_t i = 0; i < count; ++i) {
    hex += digits[bytes[i] >> 4];
    hex += digits[bytes[i] & 0x0F];
  }
  return hex;
}

std::string PackedToText(const unsigned char *field, std::size_t length, unsigned decimals) {
  const std::string hex = BytesToHex(field, length);
  const bool negative = !hex.empty() && hex.back() == 'D';
  // The last half-byte is the sign; everything before it is digits. A field
  // too short for the decimals asked for shows all its digits as decimals.
  const std::size_t digit_count = hex.empty() ? 0 : hex.size() - 1;
  const std::size_t fraction = std::min<std::size_t>(decimals, digit_count);
  const std::size_t integer = digit_count - fraction;

  std::string text(1, negative ? '-' : '+');
  text.append(hex, 0, integer);
  if (fraction > 0) {
    text += '.';
    text.append(hex, integer, fraction);
  }
  return text;
}

std::string GroupThousands(const std::string &digits) {
  const std::size_t length = digits.size();
  if (length <= 3) return digits;
  if (length <= 6) return digits.substr(0, length - 3) + "." + digits.substr(length - 3);
  // Never more than two separators: a ten-digit count keeps four digits in front.
  return digits.substr(0, length - 6) + "." + digits.substr(length - 6, 3) + "." +
         digits.substr(length - 3);
}

std::string EscapeXml(const std::string &text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
    case '&': escaped += "&amp;"; break;
    case '<': escaped += "&lt;"; break;
    case '>': escaped += "&gt;"; break;
    default: escaped += c;
    }
  }
  return escaped;
}

} // namespace quarlane
