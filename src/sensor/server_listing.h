// The systems and the item of an item run, read from the item-mode profile
// "Corvanta.Prf" or from the global sensor file "SAP Corvanta.Gbl".
#ifndef QUARLANE_SENSOR_SERVER_LISTING_H
#define QUARLANE_SENSOR_SERVER_LISTING_H

#include <cstddef>
#include <string>
#include <vector>

#include "util/result.h"

namespace quarlane {

// A profile's file name ends in its extension, a dot and three letters:
// ".P00" unless the name gives another. A listing's entries are such names.
constexpr char kDefaultProfileExtension[] = ".P00";
constexpr std::size_t kProfileExtensionLength = sizeof kDefaultProfileExtension - 1;

// The name under which an item run reports each system.
enum class SystemLabelKind {
  Profile,    // the listed profile file name (",Profile", the default)
  Alias,      // that name without its last four characters (",Alias")
  Host,       // the profile's host name (",Host")
  Destination // the profile's destination (",Sid")
};

// Item mode: the texts from column 20 on of the lines that begin with exactly
// "# Gsng: ", appended in file order.
std::string ServerListingFromItemProfile(const std::vector<std::string> &lines);

// The entries of a server listing, each ended by "#" (the last one may lack
// it): "PRD.P00#QAS.P00#" lists two profiles.
std::vector<std::string> SplitServerListing(const std::string &listing);

// What the global sensor file says for one key.
struct GlobalAllocation {
  bool allocation_found = false; // an allocation line ("# GSNX: ") for the key
  std::string server_listing;    // texts of the "# GSNG: " lines, appended
  std::string allocation_text;   // the last allocation, up to ",Sensor=", colons as blanks
  std::string item_name;         // from "Item=" in the last allocation; empty without
  SystemLabelKind label_kind = SystemLabelKind::Profile;
};

// Reads the lines of the global sensor file for the ten-character key. Fails
// with FailureCode::InvalidAllocation (1029) at the first allocation
// line for the key that lacks Sensor="SAP Quarlane".
Result<GlobalAllocation> ReadGlobalSensorFile(const std::vector<std::string> &lines,
                                              const std::string &key);

} // namespace quarlane

#endif
