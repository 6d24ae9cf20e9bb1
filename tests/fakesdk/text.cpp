#include "text.h"

#include <limits>

#include "nwrfc/text.h" // the bridge's UTF-8 writer: no SDK behind it

namespace fakesdk {

namespace {

const char16_t kReplacement = 0xFFFD;

void AppendCodePoint(std::u16string &out, std::uint32_t code) {
  if (code >= 0x10000) {
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(code));
  }
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

std::u16string FromUtf8(const std::string &text) {
  std::u16string out;
  std::size_t at = 0;
  while (at < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    std::uint32_t code = 0;
    std::size_t extra = 0;
    std::uint32_t smallest = 0;
    if (lead < 0x80) {
      out.push_back(lead);
      ++at;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      code = lead & 0x1F, extra = 1, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      code = lead & 0x0F, extra = 2, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      code = lead & 0x07, extra = 3, smallest = 0x10000;
    } else {
      out.push_back(kReplacement);
      ++at;
      continue;
    }
    bool valid = at + extra < text.size();
    for (std::size_t i = 1; valid && i <= extra; ++i) {
      const unsigned char next = static_cast<unsigned char>(text[at + i]);
      if ((next & 0xC0) != 0x80)
        valid = false;
      else
        code = (code << 6) | (next & 0x3F);
    }
    if (!valid || code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      out.push_back(kReplacement);
      ++at;
      continue;
    }
    AppendCodePoint(out, code);
    at += extra + 1;
  }
  return out;
}

std::string ToUtf8(const std::u16string &text) { return quarlane::nwrfc::ToUtf8(text); }

std::u16string FromUnits(const char16_t *text) {
  std::u16string out;
  if (text == nullptr) return out;
  while (*text) out.push_back(*text++);
  return out;
}

std::u16string FromUnits(const char16_t *text, std::size_t length) {
  if (text == nullptr) return std::u16string();
  return std::u16string(text, length);
}

std::string Upper(std::string text) {
  for (char &c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::u16string Upper(std::u16string text) {
  for (char16_t &c : text)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return text;
}

bool SameText(const std::string &a, const std::string &b) { return Upper(a) == Upper(b); }

std::string Trim(const std::string &text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::u16string TrimRight(const std::u16string &text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == u' ') --end;
  return text.substr(0, end);
}

std::u16string PadRight(const std::u16string &text, std::size_t width) {
  std::u16string out = text.substr(0, width);
  out.resize(width, u' ');
  return out;
}

bool ParseInteger(const std::string &text, std::int64_t *value) {
  std::size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  if (at == text.size()) return false;
  std::uint64_t magnitude = 0;
  const std::uint64_t limit =
      negative ? static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1
               : static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9') return false;
    const unsigned digit = static_cast<unsigned>(text[at] - '0');
    if (magnitude > (limit - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  if (negative)
    *value = magnitude == 0 ? 0 : -static_cast<std::int64_t>(magnitude - 1) - 1;
  else
    *value = static_cast<std::int64_t>(magnitude);
  return true;
}

bool ParseInteger(const std::u16string &text, std::int64_t *value) {
  std::string narrow;
  for (char16_t unit : text) {
    if (unit > 0x7F) return false;
    narrow.push_back(static_cast<char>(unit));
  }
  return ParseInteger(Trim(narrow), value);
}

std::u16string DecimalText(std::int64_t value) {
  const std::string text = std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

} // namespace fakesdk
