#include "nwrfc/text.h"

namespace quarlane::nwrfc {

namespace {

// Windows-1252 bytes 80 to 9F; 0 marks the five bytes the code page leaves
// undefined (they map to the C1 control of the same value).
const char16_t kHighControls[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// What stands for a character Windows-1252 cannot hold (text.h).
const char kUnconvertible = '?';

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

char FromUnit(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
    return static_cast<char>(static_cast<unsigned char>(unit));
  for (unsigned i = 0; i < 32; ++i) {
    if (kHighControls[i] == unit || (kHighControls[i] == 0 && unit == 0x80 + i))
      return static_cast<char>(static_cast<unsigned char>(0x80 + i));
  }
  return kUnconvertible;
}

// The text after a label of capitals and blanks that fills a line's first
// column up to two blanks or more ("ERROR       partner ..."); empty label
// when the line has none.
void SplitLabel(const std::string &line, std::string *label, std::string *text) {
  std::size_t end = 0;
  while (end < line.size() &&
         ((line[end] >= 'A' && line[end] <= 'Z') || (line[end] == ' ' && end + 1 < line.size() &&
                                                     line[end + 1] >= 'A' && line[end + 1] <= 'Z')))
    ++end;
  const std::size_t value = line.find_first_not_of(' ', end);
  if (end == 0 || value == std::string::npos || value < end + 2) {
    label->clear();
    *text = line;
    return;
  }
  *label = line.substr(0, end);
  *text = line.substr(value);
}

std::string WithoutEdgeBlanks(const std::string &text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

bool SameUnits(const char16_t *units, std::size_t size, const std::u16string &text) {
  if (text.size() > size || text.compare(0, text.size(), units, text.size()) != 0) return false;
  return text.size() == size || units[text.size()] == 0;
}

MessageLines SplitMessage(const std::string &message) {
  MessageLines result;
  std::string line;
  for (std::size_t i = 0; i <= message.size(); ++i) {
    const char c = i < message.size() ? message[i] : '\n';
    if (c != '\n' && c != '\r') {
      line.push_back(c == '\t' ? ' ' : c);
      continue;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (!line.empty()) result.lines.push_back(line);
    line.clear();
  }
  std::string joined;
  for (const std::string &each : result.lines) {
    std::string label, text;
    SplitLabel(each, &label, &text);
    if (label == "ERROR" && result.finding.empty()) result.finding = WithoutEdgeBlanks(text);
    joined += (joined.empty() ? "" : " ") + WithoutEdgeBlanks(each);
  }
  if (result.finding.empty()) result.finding = joined;
  if (result.lines.size() < 2) result.lines.clear();
  return result;
}

std::u16string FromWindows1252(const std::string &bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 && byte < 0xA0) {
      const char16_t mapped = kHighControls[byte - 0x80];
      text.push_back(mapped != 0 ? mapped : static_cast<char16_t>(byte));
    } else {
      text.push_back(static_cast<char16_t>(byte));
    }
  }
  return text;
}

std::string ToWindows1252(const std::u16string &text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      bytes.push_back(kUnconvertible); // one character beyond the Basic Multilingual Plane
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      bytes.push_back(kUnconvertible);
    } else {
      bytes.push_back(FromUnit(unit));
    }
  }
  return bytes;
}

bool FitsWindows1252(const std::u16string &text) {
  for (const char16_t unit : text)
    if (IsHighSurrogate(unit) || IsLowSurrogate(unit) ||
        (unit != kUnconvertible && FromUnit(unit) == kUnconvertible))
      return false;
  return true;
}

void AppendUtf8(std::string &out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

std::string ToUtf8(const std::u16string &text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(out,
                 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

std::string EntryName(const void *name, unsigned length) {
  if (name == nullptr) return std::string();
  std::string text(static_cast<const char *>(name), length);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return Upper(text);
}

std::u16string FromUnits(const char16_t *units, std::size_t size) {
  std::size_t length = 0;
  while (length < size && units[length] != 0) ++length;
  return std::u16string(units, length);
}

} // namespace quarlane::nwrfc
