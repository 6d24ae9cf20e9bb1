// A text file held once, as its bytes, and read line by line on demand: the
// sensor profile may be long, and the history rewrite must not hold it twice
// over (as lines and again as new content).
#ifndef QUARLANE_UTIL_TEXT_LINES_H
#define QUARLANE_UTIL_TEXT_LINES_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quarlane {

class TextLines {
public:
  TextLines() = default;
  // The bytes of a whole file.
  explicit TextLines(std::string bytes) : bytes_(std::move(bytes)) {}
  // Lines given one by one, each without its line end (tests and tools).
  static TextLines FromLines(const std::vector<std::string> &lines);

  // Each line without its line end (LF, or CR LF), in order; a text ending in
  // a line end has no empty line after it. The same rule as ReadLines.
  template <typename Visit> void ForEach(Visit visit) const {
    ForEachPlace(bytes_, [&](std::size_t start, std::size_t length, std::size_t) {
      visit(std::string_view(bytes_).substr(start, length));
    });
  }

  // The same over any bytes, by place: where each line starts, its length
  // without the line end, and where the next line starts.
  template <typename Visit> static void ForEachPlace(const std::string &bytes, Visit visit) {
    std::size_t start = 0;
    while (start < bytes.size()) {
      std::size_t end = bytes.find('\n', start);
      const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
      if (end == std::string::npos) end = bytes.size();
      if (end > start && bytes[end - 1] == '\r') --end;
      visit(start, end - start, next);
      start = next;
    }
  }

  // Gives up the bytes (the text is empty afterwards).
  std::string TakeBytes() && { return std::move(bytes_); }

  // The first line that begins with prefix.
  std::optional<std::string_view> FirstStartingWith(std::string_view prefix) const;

  std::vector<std::string> ToVector() const;
  const std::string &bytes() const { return bytes_; }
  bool empty() const { return bytes_.empty(); }

private:
  std::string bytes_;
};

} // namespace quarlane

#endif
