// The connect string of RfcOpenEx and the destination file "SapRfc.ini" its
// DEST= word is looked up in. Both librfc32 implementations read them so, so
// that one file gives the same destinations to either.
#ifndef QUARLANE_RFCSHARED_DESTINATIONS_H
#define QUARLANE_RFCSHARED_DESTINATIONS_H

#include <map>
#include <string>
#include <vector>

namespace quarlane::rfcshared {

extern const char kDestinationFileName[]; // "SapRfc.ini"

// The destination file the environment variable RFC_INI names (its full
// path and file name), which SAP's RFC libraries read instead of
// "SapRfc.ini" in their folder; empty when it is unset or empty.
std::string DestinationFileNamedByEnvironment();

// Blank-separated KEY=value words, by upper-case key; a word without '='
// (or starting with it) is kept under its own upper-case text with an empty
// value.
std::map<std::string, std::string> SplitConnectString(const std::string &text);

// One entry of the destination file: a DEST= line and the KEY=value lines
// after it up to the next DEST= line.
struct DestinationEntry {
  std::string dest;
  std::map<std::string, std::string>
      values; // TYPE, ASHOST, SYSNR, GWHOST, GWSERV, ... by upper-case key
  std::string Value(const std::string &key) const; // empty when absent
};

// Lines of KEY=value (blanks around '=' allowed); lines starting with '*',
// '#' or ';' and empty lines are comments. A UTF-8 byte order mark at the
// start (an editor's) and carriage returns at line ends are skipped.
std::vector<DestinationEntry> ParseDestinationFile(const std::string &text);

// The first entry naming `dest` (case and surrounding blanks ignored); NULL
// when none does.
const DestinationEntry *FindDestinationEntry(const std::vector<DestinationEntry> &entries,
                                             const std::string &dest);

} // namespace quarlane::rfcshared

#endif
