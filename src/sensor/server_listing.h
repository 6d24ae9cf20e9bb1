// The systems and the item of an item run, read from the item-mode profile
// "Corvanta.Prf" or from the global sensor file "SAP Corvanta.Gbl".
#ifndef QUARLANE_SENSOR_SERVER_LISTING_H
#define QUARLANE_SENSOR_SERVER_LISTING_H

#include <cstddef>
#include <string>
#include <vector>

namespace quarlane {

// The item name that starts at text[start] (right after an "Item=" option):
// up to a blank, a comma or the end, at most 90 characters, each colon turned
// into a blank ("Avg:Dialog" names the item "Avg Dialog").
std::string ItemNameAt(const std::string &text, std::size_t start);

// Item mode: the texts from column 20 on of the lines that begin with exactly
// "# Gsng: ", appended in file order.
std::string ServerListingFromItemProfile(const std::vector<std::string> &lines);

// Global mode: the first word of the upper-case parameter string, padded with
// blanks or cut to exactly ten characters.
std::string GlobalSensorKey(const std::string &params);

// What the global sensor file says for one key.
struct GlobalAllocation {
  bool allocation_found = false;  // an allocation line ("# GSNX: ") for the key
  std::string server_listing;     // texts of the "# GSNG: " lines, appended
  std::string allocation_text;    // the last allocation, up to ",Sensor=", colons as blanks
  std::string item_name;          // from "Item=" in the last allocation; empty without
  char ident_kind = '1';          // ",Profile" 1, ",Alias" 2, ",Host" 3, ",Sid" 4
};

// Reads the lines of the global sensor file for the ten-character key. Throws
// RunFailure "Error 1029: Invalid Sensor-Allocation..." at the first allocation
// line for the key that lacks Sensor="SAP Quarlane".
GlobalAllocation ReadGlobalSensorFile(const std::vector<std::string> &lines,
                                      const std::string &key);

} // namespace quarlane

#endif
