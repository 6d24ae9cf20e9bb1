#include "rfcsim/destinations.h"

#include <fstream>
#include <sstream>

#include "rfcsim/text.h"

namespace quarlane::rfcsim {

const char kDestinationFileName[] = "SapRfc.ini";

std::map<std::string, std::string> ParseConnectString(const std::string &text) {
  std::map<std::string, std::string> values;
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    std::string key;
    std::string value;
    if (SplitAssignment(word, &key, &value)) {
      values[Upper(key)] = value;
    } else {
      values[Upper(word)] = "";
    }
  }
  return values;
}

std::string DestinationEntry::Value(const std::string &key) const {
  const auto value = values.find(key);
  return value == values.end() ? std::string() : value->second;
}

std::vector<DestinationEntry> ParseDestinationFile(const std::string &text) {
  std::vector<DestinationEntry> entries;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Trim(line);
    if (line.empty() || line[0] == '*' || line[0] == '#') continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = Upper(Trim(line.substr(0, equals)));
    const std::string value = Trim(line.substr(equals + 1));
    if (key == "DEST") {
      entries.push_back(DestinationEntry{value, {}});
    } else if (!entries.empty()) {
      entries.back().values[key] = value;
    }
  }
  return entries;
}

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
  for (const DestinationEntry &candidate : ParseDestinationFile(content.str())) {
    if (SameText(candidate.dest, Trim(dest))) {
      *entry = candidate;
      return true;
    }
  }
  *error = "destination " + dest + " not defined in " + kDestinationFileName;
  return false;
}

} // namespace quarlane::rfcsim
