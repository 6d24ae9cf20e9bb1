#include "util/text_lines.h"

#include "util/text.h"

namespace quarlane {

TextLines TextLines::FromLines(const std::vector<std::string> &lines) {
  std::string bytes;
  for (const std::string &line : lines) bytes.append(line).push_back('\n');
  return TextLines(std::move(bytes));
}

std::optional<std::string_view> TextLines::FirstStartingWith(std::string_view prefix) const {
  std::optional<std::string_view> found;
  ForEach([&](std::string_view line) {
    if (!found && StartsWith(line, prefix)) found = line;
  });
  return found;
}

std::vector<std::string> TextLines::ToVector() const {
  std::vector<std::string> lines;
  ForEach([&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

} // namespace quarlane
