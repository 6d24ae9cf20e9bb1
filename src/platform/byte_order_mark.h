// The UTF-8 byte order mark a text file may begin with (a profile, a listing,
// "SapRfc.ini", a landscape, the bridge's settings): every reader of a text
// file, the sensor's and both libraries', passes over it by this one rule.
// Header only, so the libraries use it without linking the sensor's parts.
#ifndef QUARLANE_PLATFORM_BYTE_ORDER_MARK_H
#define QUARLANE_PLATFORM_BYTE_ORDER_MARK_H

#include <cstddef>
#include <string>

namespace quarlane {

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kUtf8ByteOrderMarkLength = sizeof kUtf8ByteOrderMark - 1;

// How many bytes of a byte order mark `text` begins with: 3 or 0.
inline std::size_t ByteOrderMarkLength(const std::string &text) {
  return text.compare(0, kUtf8ByteOrderMarkLength, kUtf8ByteOrderMark) == 0
             ? kUtf8ByteOrderMarkLength
             : 0;
}

// `text` without the byte order mark it begins with, if any.
inline std::string WithoutByteOrderMark(const std::string &text) {
  return text.substr(ByteOrderMarkLength(text));
}

} // namespace quarlane

#endif
