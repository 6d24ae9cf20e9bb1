// The RFC library's trace file "Dev_Rfc.Trc": the last error line it holds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "rfc/trace_scan.h"

using namespace quarlane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string text = quarlane_fuzz::AsText(data, size);
  const std::vector<std::string> lines = quarlane_fuzz::SplitLines(text);
  const std::string finding = TraceFinding(lines);
  FUZZ_EXPECT(finding.compare(0, 3, " - ") == 0);
  FUZZ_EXPECT(finding.size() <= text.size() + 30);
  // The retained text is part of one line (a line end left on is dropped).
  if (finding != " - Please Check Trace-File !") {
    const std::string retained = finding.substr(3);
    bool from_a_line = false;
    for (const std::string &line : lines)
      from_a_line = from_a_line || line.find(retained) != std::string::npos;
    FUZZ_EXPECT(from_a_line);
  }
  // Lines as a reader might hand them over, line ends still on.
  std::vector<std::string> raw_lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::size_t stop = end == std::string::npos ? text.size() : end + 1;
    raw_lines.push_back(text.substr(start, stop - start));
    start = stop;
  }
  const std::string raw_finding = TraceFinding(raw_lines);
  FUZZ_EXPECT(raw_finding.compare(0, 3, " - ") == 0);
  FUZZ_EXPECT(TraceFinding(std::nullopt) == " - Look for Trace-File");
  return 0;
}
