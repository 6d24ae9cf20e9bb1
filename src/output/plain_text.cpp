#include "output/plain_text.h"

#include "output/xml_safe.h"

namespace quarlane {

std::string PrintableText(const std::string &bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if ((c < 0x20 && c != '\n') || c == 0x7F) {
      text += '?';
    } else if (c == 0xC2 && i + 1 < bytes.size() &&
               static_cast<unsigned char>(bytes[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(bytes[i + 1]) <= 0x9F) {
      text += '?'; // U+0080 to U+009F: two bytes, one character
      ++i;
    } else {
      text += static_cast<char>(c);
    }
  }
  return text;
}

std::string PrintableUtf8Text(const std::string &bytes) {
  return PrintableText(XmlSafeText(bytes));
}

} // namespace quarlane
