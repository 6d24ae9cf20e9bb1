#include "rfcsim/destinations.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "rfcsim/text.h"

namespace quarlane::rfcsim {

bool FindDestination(const std::string &folder, const std::string &dest, DestinationEntry *entry,
                     std::string *error) {
  const std::string path = InFolder(folder, kDestinationFileName);
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = std::string("destination file ") + kDestinationFileName + " not found";
    return false;
  }
  std::ostringstream content;
  content << file.rdbuf();
  const std::vector<DestinationEntry> entries = rfcshared::ParseDestinationFile(content.str());
  if (const DestinationEntry *found = rfcshared::FindDestinationEntry(entries, dest)) {
    *entry = *found;
    return true;
  }
  *error = "destination " + dest + " not defined in " + kDestinationFileName;
  return false;
}

} // namespace quarlane::rfcsim
