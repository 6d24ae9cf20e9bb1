// The files an item run and the profile search read: the item-mode profile
// "Corvanta.Prf" (its server listing), the global sensor file
// "SAP Corvanta.Gbl" (allocations for a key), and "C:\PRTG_Path.Txt" (the
// PRTG folder), plus the naming rules applied to the profile name.
//
// The first line of the input is the parameter string (the key of the global
// sensor file and the profile name); the rest are the file's lines.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "sensor/options.h"
#include "sensor/profile_location.h"
#include "sensor/server_listing.h"
#include "util/text.h"

using namespace quarlane;

namespace {

void ExpectItemName(const std::string &name) {
  FUZZ_EXPECT(name.size() <= 90);
  FUZZ_EXPECT(name.find_first_of(":,") == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  std::vector<std::string> lines = quarlane_fuzz::SplitLines(quarlane_fuzz::AsText(data, size));
  const std::string params_raw = lines.empty() ? std::string() : lines.front();
  if (!lines.empty()) lines.erase(lines.begin());
  const std::string params = UpperAscii(params_raw);

  // "Corvanta.Prf"
  const std::string item_listing = ServerListingFromItemProfile(lines);
  std::size_t listed = 0;
  for (const std::string &line : lines)
    if (StartsWith(line, "# Gsng: ") && line.size() > 20)
      listed += line.size() - 20; // from index 20 on
  FUZZ_EXPECT(item_listing.size() == listed);

  // "SAP Corvanta.Gbl"
  const std::string key = ParseOptions(params_raw).global_key;
  FUZZ_EXPECT(key.size() == 10);
  const Result<GlobalAllocation> allocation = ReadGlobalSensorFile(lines, key);
  if (allocation) {
    ExpectItemName(allocation->item_name);
    FUZZ_EXPECT(allocation->allocation_found || allocation->allocation_text.empty());
    FUZZ_EXPECT(allocation->allocation_text.find(':') == std::string::npos);
    // The entries of the listing hold no "#" and give the listing back.
    std::string listing;
    for (const std::string &entry : SplitServerListing(allocation->server_listing)) {
      FUZZ_EXPECT(entry.find('#') == std::string::npos);
      listing += entry + "#";
    }
    FUZZ_EXPECT(listing.compare(0, allocation->server_listing.size(), allocation->server_listing) ==
                0);
  } else {
    FUZZ_EXPECT(allocation.failure().text == "Error 1029: Invalid Sensor-Allocation...");
  }

  // "Item=" in the parameters, anywhere.
  for (std::size_t at = params.find("ITEM="); at != std::string::npos;
       at = params.find("ITEM=", at + 1))
    ExpectItemName(ItemNameAt(params_raw, at + 5));
  if (!params_raw.empty()) ExpectItemName(ItemNameAt(params_raw, params_raw.size() - 1));
  FUZZ_EXPECT(ItemNameAt(params_raw, params_raw.size() + 7).empty());

  // "C:\PRTG_Path.Txt"
  const std::string folder = FolderFromPrtgPathLines(lines);
  if (!folder.empty()) {
    bool is_a_line = false;
    for (const std::string &line : lines) is_a_line = is_a_line || line == folder;
    FUZZ_EXPECT(is_a_line);
  }
  PassesPathCheck(folder);
  PassesPathCheck(params_raw);

  // The profile name.
  const std::string named = WithDefaultExtension(params_raw);
  FUZZ_EXPECT(named.size() == params_raw.size() || named == params_raw + ".P00");
  const ProfileNameParts parts = SplitProfileName(named);
  FUZZ_EXPECT(parts.folder + parts.name == named);
  OutputModeFromProgramName(params_raw);
  return 0;
}
