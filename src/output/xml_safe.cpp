#include "output/xml_safe.h"

#include <cstddef>
#include <cstdint>

namespace quarlane {

namespace {

const char kReplacement = '?';

// Windows-1252 bytes 0x80..0x9F as Unicode code points; 0 where the code
// page defines no character. (0xA0..0xFF are U+00A0..U+00FF.)
const std::uint16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,      // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178, // 98-9F
};

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at text[at] (RFC 3629: no
// overlong forms, no surrogates, nothing above U+10FFFF), 0 when none
// starts there; the code point goes to *code.
std::size_t Utf8SequenceAt(const std::string &text, std::size_t at, std::uint32_t *code) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  std::size_t length;
  std::uint32_t value;
  std::uint32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = static_cast<unsigned char>(text[at + i]);
    if (!IsContinuation(next)) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *code = value;
  return length;
}

void AppendUtf8(std::string &out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

bool IsForbiddenControl(std::uint32_t code) {
  if (code == '\t' || code == '\n' || code == '\r') return false;
  return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0xFFFE || code == 0xFFFF;
}

} // namespace

std::string XmlSafeText(const std::string &bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t at = 0;
  while (at < bytes.size()) {
    const unsigned char byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x80) {
      out += IsForbiddenControl(byte) ? kReplacement : static_cast<char>(byte);
      ++at;
      continue;
    }
    std::uint32_t code = 0;
    if (std::size_t length = Utf8SequenceAt(bytes, at, &code)) {
      if (IsForbiddenControl(code))
        out += kReplacement;
      else
        out.append(bytes, at, length);
      at += length;
      continue;
    }
    // Not UTF-8: one Windows-1252 character.
    const std::uint32_t converted = byte >= 0xA0 ? byte : kWindows1252High[byte - 0x80];
    if (converted == 0)
      out += kReplacement;
    else
      AppendUtf8(out, converted);
    ++at;
  }
  return out;
}

} // namespace quarlane
