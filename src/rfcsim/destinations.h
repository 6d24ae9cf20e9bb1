// The connect string of RfcOpenEx and the destination file "SapRfc.ini" that
// its DEST= word is looked up in.
#ifndef QUARLANE_RFCSIM_DESTINATIONS_H
#define QUARLANE_RFCSIM_DESTINATIONS_H

#include <map>
#include <string>
#include <vector>

namespace quarlane::rfcsim {

extern const char kDestinationFileName[]; // "SapRfc.ini"

// Blank-separated KEY=value words, by upper-case key; a word without '='
// is kept under its own upper-case text with an empty value.
std::map<std::string, std::string> ParseConnectString(const std::string &text);

// One entry of the destination file: a DEST= line and the lines after it up
// to the next DEST= line.
struct DestinationEntry {
  std::string dest;
  std::map<std::string, std::string> values; // TYPE, ASHOST, SYSNR, GWHOST, GWSERV, ... by upper-case key
  std::string Value(const std::string &key) const;
};

// Lines of KEY=value (blanks around '=' allowed); lines starting with '*' or
// '#' and empty lines are comments.
std::vector<DestinationEntry> ParseDestinationFile(const std::string &text);

// Reads "SapRfc.ini" in `folder` and finds `dest` (case ignored). False with
// *error set when the file is missing or does not name it.
bool FindDestination(const std::string &folder, const std::string &dest, DestinationEntry *entry,
                     std::string *error);

} // namespace quarlane::rfcsim

#endif
