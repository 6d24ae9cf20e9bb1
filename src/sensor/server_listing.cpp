#include "sensor/server_listing.h"

#include "output/formatting.h"
#include "sensor/run_context.h"

namespace quarlane {

namespace {

constexpr std::size_t kItemNameLimit = 90;
constexpr std::size_t kKeyLength = 10;
constexpr std::size_t kListingColumn = 20;
constexpr std::size_t kAllocationColumn = 19;

const char kItemProfileListingMark[] = "# Gsng: ";
const char kGlobalListingMark[] = "# GSNG: ";
const char kGlobalAllocationMark[] = "# GSNX: ";
const char kSensorMark[] = "Sensor=\"SAP Quarlane\"";
const char kAllocationEnd[] = ",Sensor=";
const char kItemOption[] = "Item=";

struct IdentMarker {
  const char *marker;
  char ident_kind;
};
// Searched in this order, so the last one found wins.
const IdentMarker kIdentMarkers[] = {
    {",Profile", '1'}, {",Alias", '2'}, {",Host", '3'}, {",Sid", '4'}};

std::string FromColumn(const std::string &line, std::size_t column) {
  return line.size() > column ? line.substr(column) : std::string();
}

bool StartsWith(const std::string &text, const std::string &prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string ColonsAsBlanks(std::string text) {
  for (char &c : text)
    if (c == ':') c = ' ';
  return text;
}

} // namespace

std::string ItemNameAt(const std::string &text, std::size_t start) {
  std::string name;
  for (std::size_t i = start; i < text.size() && name.size() < kItemNameLimit; ++i) {
    if (text[i] == ' ' || text[i] == ',') break;
    name += text[i] == ':' ? ' ' : text[i];
  }
  return name;
}

std::string ServerListingFromItemProfile(const std::vector<std::string> &lines) {
  std::string listing;
  for (const std::string &line : lines)
    if (StartsWith(line, kItemProfileListingMark)) listing += FromColumn(line, kListingColumn);
  return listing;
}

std::string GlobalSensorKey(const std::string &params) {
  std::string key = params.substr(0, params.find(' '));
  key.resize(kKeyLength, ' ');
  return key;
}

GlobalAllocation ReadGlobalSensorFile(const std::vector<std::string> &lines,
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
        throw RunFailure{"Error 1029: Invalid Sensor-Allocation..."};
      candidate = allocation;
      result.allocation_text = ColonsAsBlanks(allocation.substr(0, allocation.find(kAllocationEnd)));
      for (const IdentMarker &m : kIdentMarkers)
        if (line.find(m.marker) != std::string::npos) result.ident_kind = m.ident_kind;
      result.allocation_found = true;
    }
  }
  const std::size_t item = candidate.find(kItemOption);
  if (item != std::string::npos)
    result.item_name = ItemNameAt(candidate, item + sizeof kItemOption - 1);
  return result;
}

} // namespace quarlane
