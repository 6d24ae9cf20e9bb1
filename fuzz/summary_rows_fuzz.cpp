// Rows of the workload summary as the RFC library hands them over: 416 bytes
// each, packed decimals of any content, read into the counters; and the
// packed-decimal and decimal conversions on their own.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "loadstats/counters.h"
#include "output/formatting.h"
#include "rfc/workload_summary.h"
#include "util/text.h"

using namespace quarlane;

namespace {

constexpr std::size_t kRowLength = 416;

// The decimal conversion of C, wrapped to 32 bits, spelled out differently.
std::uint32_t ReferenceDecimal(const std::string &text) {
  std::size_t pos = text.find_first_not_of(" \t\n\v\f\r");
  if (pos == std::string::npos) return 0;
  bool negative = false;
  if (text[pos] == '+' || text[pos] == '-') negative = text[pos++] == '-';
  std::uint64_t value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
    value = (value * 10 + static_cast<std::uint64_t>(text[pos++] - '0')) % 4294967296ull;
  return static_cast<std::uint32_t>(negative ? (4294967296ull - value) % 4294967296ull : value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string text = quarlane_fuzz::AsText(data, size);
  FUZZ_EXPECT(DecimalToU32(text) == ReferenceDecimal(text));

  if (size > 0) {
    const unsigned decimals = data[0] % 24;
    const std::size_t length = std::min<std::size_t>(size - 1, 16);
    const std::string packed = PackedToText(data + 1, length, decimals);
    const std::size_t digits = length == 0 ? 0 : 2 * length - 1;
    FUZZ_EXPECT(packed.size() == 1 + digits + (decimals > 0 && digits > 0 ? 1 : 0));
    FUZZ_EXPECT(packed[0] == '+' || packed[0] == '-');
    GroupThousands(packed.substr(1));
  }

  std::vector<SummaryRow> rows;
  for (std::size_t start = 0; start < size; start += kRowLength) {
    unsigned char row[kRowLength] = {};
    std::memcpy(row, data + start, std::min(kRowLength, size - start));
    rows.push_back(ReadSummaryRow(row));
    FUZZ_EXPECT(rows.back().type_text.size() <= 7);
    FUZZ_EXPECT(rows.back().type_text.find('\0') == std::string::npos);
  }
  const DayCounts day = CountTaskTypes(rows);
  if (rows.empty()) FUZZ_EXPECT(day.total_count == 0);

  SystemInfo system;
  system.identity.host = text.substr(0, 20);
  system.identity.instance_name = text.substr(0, 50);
  system.identity.sap_release = text.substr(0, 5);
  system.clock.date = text.substr(0, 9);
  const ExportingValues values = FormExportingValues(system);
  FUZZ_EXPECT(values.hostid.size() == 8 && values.instance.size() == 39);
  FUZZ_EXPECT(values.periodtype.size() == 1 && values.startdate.size() == 8);
  return 0;
}
