#include "rfcshared/destinations.h"

#include <cstdlib>
#include <sstream>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "platform/byte_order_mark.h"
#include "rfcshared/text.h"

namespace quarlane::rfcshared {

using namespace boundary_text;

const char kDestinationFileName[] = "SapRfc.ini";

namespace {

// The process's environment as the system holds it: on Windows each module's
// C runtime keeps its own copy, so a value the sensor set would not show
// through getenv here.
std::string EnvironmentValue(const char *name) {
#if defined(_WIN32)
  char value[4096];
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
#else
  const char *value = std::getenv(name);
  return value ? std::string(value) : std::string();
#endif
}

} // namespace

std::string DestinationFileNamedByEnvironment() { return EnvironmentValue("RFC_INI"); }

std::map<std::string, std::string> SplitConnectString(const std::string &text) {
  std::map<std::string, std::string> words;
  std::istringstream stream(text);
  std::string word;
  while (stream >> word) {
    const std::size_t equals = word.find('=');
    if (equals == std::string::npos || equals == 0) {
      words[Upper(word)] = "";
    } else {
      words[Upper(word.substr(0, equals))] = word.substr(equals + 1);
    }
  }
  return words;
}

std::string DestinationEntry::Value(const std::string &key) const {
  const auto found = values.find(key);
  return found == values.end() ? std::string() : found->second;
}

std::vector<DestinationEntry> ParseDestinationFile(const std::string &text) {
  std::vector<DestinationEntry> entries;
  std::istringstream lines(text);
  std::string line;
  bool first = true;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first) line.erase(0, ByteOrderMarkLength(line));
    first = false;
    line = Trim(line);
    if (line.empty() || line[0] == '*' || line[0] == '#' || line[0] == ';') continue;
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

const DestinationEntry *FindDestinationEntry(const std::vector<DestinationEntry> &entries,
                                             const std::string &dest) {
  const std::string wanted = Trim(dest);
  for (const DestinationEntry &candidate : entries)
    if (SameText(candidate.dest, wanted)) return &candidate;
  return nullptr;
}

} // namespace quarlane::rfcshared
