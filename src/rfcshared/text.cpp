#include "rfcshared/text.h"

#include <cstring>

namespace quarlane::rfcshared::boundary_text {

namespace {
char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
} // namespace

std::string Upper(std::string text) {
  for (char &c : text) c = UpperChar(c);
  return text;
}

bool SameText(const std::string &a, const std::string &b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  return true;
}

std::string TrimRight(const std::string &text) {
  std::size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

std::string Trim(const std::string &text) {
  std::size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  return TrimRight(text.substr(begin));
}

std::string PadRight(const std::string &text, std::size_t width) {
  std::string padded = text.substr(0, width);
  padded.resize(width, ' ');
  return padded;
}

std::string OneLine(const std::string &text) {
  std::string line = text;
  for (char &c : line) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) c = '?';
  }
  return line;
}

std::string FromCString(const char *text) {
  return text == nullptr ? std::string() : std::string(text);
}

void CopyToField(char *field, std::size_t size, const std::string &text) {
  if (field == nullptr || size == 0) return;
  const std::size_t length = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, size - length);
}

bool SplitWords(const std::string &line, std::vector<std::string> *words, std::string *error) {
  words->clear();
  std::string word;
  bool in_word = false;
  bool quoted = false;
  for (char c : line) {
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else {
        word += c;
      }
    } else if (c == '"') {
      quoted = true;
      in_word = true;
    } else if (IsBlank(c)) {
      if (in_word) words->push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (quoted) {
    *error = "a double quote is not closed";
    return false;
  }
  if (in_word) words->push_back(word);
  return true;
}

bool SplitAssignment(const std::string &word, std::string *key, std::string *value) {
  const std::size_t equals = word.find('=');
  if (equals == std::string::npos || equals == 0) return false;
  *key = word.substr(0, equals);
  *value = word.substr(equals + 1);
  return true;
}

} // namespace quarlane::rfcshared::boundary_text
