#include "nwrfc/settings.h"

#include <sstream>

#include "nwrfc/text.h"

namespace quarlane::nwrfc {

const char kSettingsFileName[] = "quarlane-nwrfc.ini";
const char kTimeoutVariable[] = "QUARLANE_NWRFC_TIMEOUT";

namespace {

struct Scope {
  std::optional<unsigned> timeout;
  std::optional<Collector> collector;
  std::optional<unsigned> no_data_grace;
};

// NO_DATA_GRACE=<minutes>, 0 to 1440 (0: NO_DATA_FOUND is always a failure).
bool ParseNoDataGrace(const std::string &value, Scope *scope, const std::string &where, std::string *error) {
  const std::string digits = Trim(value);
  unsigned minutes = 0;
  bool ok = !digits.empty() && digits.size() <= 4;
  for (const char c : digits) {
    ok = ok && c >= '0' && c <= '9';
    if (ok) minutes = minutes * 10 + static_cast<unsigned>(c - '0');
  }
  if (!ok || minutes > kLongestNoDataGraceMinutes) {
    *error = where + ": NO_DATA_GRACE=" + OneLine(value) + " is not a whole number of minutes from 0 to " +
             std::to_string(kLongestNoDataGraceMinutes);
    return false;
  }
  scope->no_data_grace = minutes;
  return true;
}

bool ParseCollector(const std::string &text, Collector *collector) {
  const std::string word = Upper(Trim(text));
  if (word == "AUTO") *collector = Collector::Auto;
  else if (word == "CLASSIC") *collector = Collector::Classic;
  else if (word == "COLLECTOR") *collector = Collector::New;
  else return false;
  return true;
}

} // namespace

bool ParseTimeout(const std::string &text, unsigned *seconds) {
  const std::string digits = Trim(text);
  if (digits.empty() || digits.size() > 4) return false;
  unsigned value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value < 1 || value > kLongestTimeoutSeconds) return false;
  *seconds = value;
  return true;
}

bool ResolveSettings(const std::optional<std::string> &file_text, const std::optional<std::string> &environment,
                     const std::string &destination, Settings *settings, std::string *error) {
  Scope global, own;
  if (file_text) {
    std::istringstream lines(*file_text);
    std::string line;
    unsigned number = 0;
    Scope *scope = &global;
    Scope ignored;
    while (std::getline(lines, line)) {
      ++number;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
      line = Trim(line);
      const std::string where = std::string(kSettingsFileName) + " line " + std::to_string(number);
      if (line.empty() || line[0] == '#' || line[0] == ';') continue;
      if (line[0] == '[') {
        if (line.back() != ']') {
          *error = where + ": a section line is [NAME]: " + OneLine(line);
          return false;
        }
        const std::string name = Trim(line.substr(1, line.size() - 2));
        scope = SameText(name, Trim(destination)) ? &own : &ignored;
        continue;
      }
      const std::size_t equals = line.find('=');
      if (equals == std::string::npos) {
        *error = where + ": not KEY=value: " + OneLine(line);
        return false;
      }
      const std::string key = Upper(Trim(line.substr(0, equals)));
      const std::string value = Trim(line.substr(equals + 1));
      if (key == "TIMEOUT") {
        unsigned seconds = 0;
        if (!ParseTimeout(value, &seconds)) {
          *error = where + ": TIMEOUT=" + OneLine(value) + " is not a whole number of seconds from 1 to " +
                   std::to_string(kLongestTimeoutSeconds);
          return false;
        }
        scope->timeout = seconds;
      } else if (key == "COLLECTOR") {
        Collector collector = Collector::Auto;
        if (!ParseCollector(value, &collector)) {
          *error = where + ": COLLECTOR=" + OneLine(value) + " is not auto, classic or collector";
          return false;
        }
        scope->collector = collector;
      } else if (key == "NO_DATA_GRACE") {
        if (!ParseNoDataGrace(value, scope, where, error)) return false;
      } else {
        *error = where + ": unknown setting " + OneLine(key) + " (known: TIMEOUT, COLLECTOR, NO_DATA_GRACE)";
        return false;
      }
    }
  }
  Settings resolved;
  if (own.timeout) {
    resolved.timeout_seconds = *own.timeout;
    resolved.timeout_source = std::string(kSettingsFileName) + " [" + Trim(destination) + "]";
  } else if (environment && !Trim(*environment).empty()) {
    unsigned seconds = 0;
    if (!ParseTimeout(*environment, &seconds)) {
      *error = std::string("environment variable ") + kTimeoutVariable + "=" + OneLine(*environment) +
               " is not a whole number of seconds from 1 to " + std::to_string(kLongestTimeoutSeconds);
      return false;
    }
    resolved.timeout_seconds = seconds;
    resolved.timeout_source = kTimeoutVariable;
  } else if (global.timeout) {
    resolved.timeout_seconds = *global.timeout;
    resolved.timeout_source = kSettingsFileName;
  }
  resolved.collector = own.collector ? *own.collector : (global.collector ? *global.collector : Collector::Auto);
  resolved.no_data_grace_minutes =
      own.no_data_grace ? *own.no_data_grace : global.no_data_grace.value_or(kDefaultNoDataGraceMinutes);
  *settings = resolved;
  return true;
}

} // namespace quarlane::nwrfc
