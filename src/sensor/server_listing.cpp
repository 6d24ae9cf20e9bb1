#include "sensor/server_listing.h"

#include "util/text.h"

namespace quarlane {

namespace {

constexpr std::size_t kListingColumn = 20;
constexpr std::size_t kAllocationColumn = 19;

const char kItemProfileListingMark[] = "# Gsng: ";
const char kGlobalListingMark[] = "# GSNG: ";
const char kGlobalAllocationMark[] = "# GSNX: ";
const char kSensorMark[] = "Sensor=\"SAP Quarlane\"";
const char kAllocationEnd[] = ",Sensor=";
const char kItemOption[] = "Item=";

struct LabelMarker {
  const char *marker;
  SystemLabelKind kind;
};
// Searched in this order, so the last one found wins.
const LabelMarker kLabelMarkers[] = {{",Profile", SystemLabelKind::Profile},
                                     {",Alias", SystemLabelKind::Alias},
                                     {",Host", SystemLabelKind::Host},
                                     {",Sid", SystemLabelKind::Destination}};

std::string FromColumn(const std::string &line, std::size_t column) {
  return line.size() > column ? line.substr(column) : std::string();
}

std::string ColonsAsBlanks(std::string text) {
  for (char &c : text)
    if (c == ':') c = ' ';
  return text;
}

} // namespace

std::string ServerListingFromItemProfile(const std::vector<std::string> &lines) {
  std::string listing;
  for (const std::string &line : lines)
    if (StartsWith(line, kItemProfileListingMark)) listing += FromColumn(line, kListingColumn);
  return listing;
}

std::vector<std::string> SplitServerListing(const std::string &listing) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  while (start < listing.size()) {
    const std::size_t end = listing.find('#', start);
    if (end == std::string::npos) {
      entries.push_back(listing.substr(start));
      break;
    }
    entries.push_back(listing.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

Result<GlobalAllocation> ReadGlobalSensorFile(const std::vector<std::string> &lines,
                                              const std::string &key) {
  const std::string listing_head = kGlobalListingMark + key;
  const std::string allocation_head = kGlobalAllocationMark + key;
  GlobalAllocation result;
  std::string candidate;
  for (const std::string &line : lines) {
    const std::string head = UpperAscii(line.substr(0, listing_head.size()));
    if (head == listing_head) {
      result.server_listing += FromColumn(line, kListingColumn);
    } else if (head == allocation_head) {
      const std::string allocation = FromColumn(line, kAllocationColumn);
      if (allocation.find(kSensorMark) == std::string::npos)
        return Failure(FailureCode::InvalidAllocation);
      candidate = allocation;
      result.allocation_text =
          ColonsAsBlanks(allocation.substr(0, allocation.find(kAllocationEnd)));
      for (const LabelMarker &m : kLabelMarkers)
        if (line.find(m.marker) != std::string::npos) result.label_kind = m.kind;
      result.allocation_found = true;
    }
  }
  const std::size_t item = candidate.find(kItemOption);
  if (item != std::string::npos)
    result.item_name = ItemNameAt(candidate, item + sizeof kItemOption - 1);
  return result;
}

} // namespace quarlane
