#include "rfcsim/text.h"

#include <cstring>
#include <limits>

namespace quarlane::rfcsim {

std::string FromBytes(const void *bytes, std::size_t length) {
  if (bytes == nullptr) return std::string();
  return std::string(static_cast<const char *>(bytes), length);
}

std::string Escaped(const std::string &text) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7f && c != '\\' && c != '[' && c != ']') {
      out += c;
    } else {
      out += "\\x";
      out += digits[u >> 4];
      out += digits[u & 0x0f];
    }
  }
  return out;
}

bool ParseInteger(const std::string &text, std::int64_t *value) {
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  if (pos == text.size()) return false;
  // Collect the magnitude unsigned, so the most negative value parses too.
  const std::uint64_t limit =
      negative ? static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1
               : static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  std::uint64_t magnitude = 0;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c < '0' || c > '9') return false;
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (magnitude > (limit - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  if (negative) {
    *value = magnitude == 0 ? 0 : -static_cast<std::int64_t>(magnitude - 1) - 1;
  } else {
    *value = static_cast<std::int64_t>(magnitude);
  }
  return true;
}

std::string InFolder(const std::string &folder, const std::string &name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (last == '/' || last == '\\') return folder + name;
  return folder + "/" + name;
}

} // namespace quarlane::rfcsim
