// Small helpers shared by the fuzz targets: the input bytes as lines, the way
// a file's lines reach the readers (no line ends, a CR before the LF dropped).
#ifndef QUARLANE_FUZZ_FUZZ_INPUT_H
#define QUARLANE_FUZZ_FUZZ_INPUT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace quarlane_fuzz {

// keep_cr: lines exactly as cut at each LF, a CR before it kept.
inline std::vector<std::string> SplitLines(const std::string &text, bool keep_cr = false) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!keep_cr && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

inline std::string AsText(const std::uint8_t *data, std::size_t size) {
  return std::string(reinterpret_cast<const char *>(data), size);
}

// A failed expectation: abort, so that libFuzzer keeps the input as a crash.
#define FUZZ_EXPECT(condition)                                                                     \
  do {                                                                                             \
    if (!(condition)) {                                                                            \
      std::fprintf(stderr, "fuzz expectation failed: %s (%s:%d)\n", #condition, __FILE__,          \
                   __LINE__);                                                                      \
      std::abort();                                                                                \
    }                                                                                              \
  } while (0)

} // namespace quarlane_fuzz

#endif
