#include "rfcsim/destinations.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "rfcsim/text.h"

namespace quarlane::rfcsim {

bool FindDestination(const std::string &folder, const std::string &dest, DestinationEntry *entry,
                     std::string *error) {
  // RFC_INI names the file in place of "SapRfc.ini" in the folder.
  const std::string named = rfcshared::DestinationFileNamedByEnvironment();
  const std::string shown = named.empty() ? std::string(kDestinationFileName) : named;
  const std::string path = named.empty() ? InFolder(folder, kDestinationFileName) : named;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "destination file " + shown + " not found";
    return false;
  }
  std::ostringstream content;
  content << file.rdbuf();
  const std::vector<DestinationEntry> entries = rfcshared::ParseDestinationFile(content.str());
  if (const DestinationEntry *found = rfcshared::FindDestinationEntry(entries, dest)) {
    *entry = *found;
    return true;
  }
  *error = "destination " + dest + " not defined in " + shown;
  return false;
}

} // namespace quarlane::rfcsim
