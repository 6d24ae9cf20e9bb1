#include "nwrfc/settings.h"

#include <map>
#include <sstream>

#include "nwrfc/text.h"
#include "platform/bounded_read.h"
#include "platform/byte_order_mark.h"

namespace quarlane::nwrfc {

const char kSettingsFileName[] = "quarlane-nwrfc.ini";
const char kTimeoutVariable[] = "QUARLANE_NWRFC_TIMEOUT";

// SDK connection parameters an administrator may add per system. Sources:
// RfcOpenConnection's SAP documentation (SNC_MODE, MSSERV, TRACE), the
// parameter overview of saprfc.ini/sapnwrfc.ini on help.sap.com (SAPROUTER,
// SNC_LIB, SNC_MYNAME, SNC_PARTNERNAME, SNC_QOP, TRACE), node-rfc's
// doc/authentication.md (WSHOST, WSPORT, TLS_SAPCRYPTOLIB, TLS_CLIENT_PSE);
// CODEPAGE is the classic saprfc.ini's name, for the NetWeaver SDK unconfirmed.
const char *const kConnectionKeys[] = {
    "SAPROUTER",  "MSSERV",  "CODEPAGE", "TRACE",  "SNC_MODE",         "SNC_PARTNERNAME", "SNC_QOP",
    "SNC_MYNAME", "SNC_LIB", "WSHOST",   "WSPORT", "TLS_SAPCRYPTOLIB", "TLS_CLIENT_PSE",  nullptr};

namespace {

struct Scope {
  std::optional<unsigned> timeout;
  std::optional<Collector> collector;
  std::map<std::string, ConnectionSetting> connection;
  std::optional<unsigned> no_data_grace;
  std::optional<CollectorComponent> component;
};

bool IsConnectionKey(const std::string &key) {
  for (const char *const *known = kConnectionKeys; *known != nullptr; ++known)
    if (key == *known) return true;
  return false;
}

std::string KnownKeys() {
  std::string known = "TIMEOUT, COLLECTOR, COLLECTOR_COMPONENT, NO_DATA_GRACE";
  for (const char *const *name = kConnectionKeys; *name != nullptr; ++name)
    known += std::string(", ") + *name;
  return known;
}

// A key other than the bridge's own: a connection parameter, the logon's
// credentials (refused: they belong in the profile) or a mistake.
bool ConnectionKey(const std::string &key, const std::string &value, unsigned line,
                   const std::string &where, Scope *scope, std::string *error) {
  if (key == "USER" || key == "PASSWD" || key == "PASSWORD") {
    *error = where + ": " + key +
             " does not belong in this file: user and password come from the sensor's profile"
             " (quarlane-passwd writes the password)";
    return false;
  }
  if (!IsConnectionKey(key)) {
    *error = where + ": unknown setting " + OneLine(key) + " (known: " + KnownKeys() + ")";
    return false;
  }
  if (value.empty()) {
    *error = where + ": " + key + "= has no value";
    return false;
  }
  scope->connection[key] = ConnectionSetting{key, value, line};
  return true;
}

std::vector<ConnectionSetting> MergedConnection(const Scope &global, const Scope &own) {
  std::map<std::string, ConnectionSetting> merged = global.connection;
  for (const auto &entry : own.connection) merged[entry.first] = entry.second;
  std::vector<ConnectionSetting> list;
  for (const char *const *name = kConnectionKeys; *name != nullptr; ++name) {
    const auto found = merged.find(*name);
    if (found != merged.end()) list.push_back(found->second);
  }
  return list;
}

// NO_DATA_GRACE=<minutes>, 0 to 1440 (0: NO_DATA_FOUND is always a failure).
bool ParseNoDataGrace(const std::string &value, Scope *scope, const std::string &where,
                      std::string *error) {
  const std::string digits = Trim(value);
  unsigned minutes = 0;
  bool ok = !digits.empty() && digits.size() <= 4;
  for (const char c : digits) {
    ok = ok && c >= '0' && c <= '9';
    if (ok) minutes = minutes * 10 + static_cast<unsigned>(c - '0');
  }
  if (!ok || minutes > kLongestNoDataGraceMinutes) {
    *error = where + ": NO_DATA_GRACE=" + OneLine(value) +
             " is not a whole number of minutes from 0 to " +
             std::to_string(kLongestNoDataGraceMinutes);
    return false;
  }
  scope->no_data_grace = minutes;
  return true;
}

bool ParseCollector(const std::string &text, Collector *collector) {
  const std::string word = Upper(Trim(text));
  if (word == "AUTO")
    *collector = Collector::Auto;
  else if (word == "CLASSIC")
    *collector = Collector::Classic;
  else if (word == "COLLECTOR")
    *collector = Collector::New;
  else
    return false;
  return true;
}

// COLLECTOR_COMPONENT=INSTANCE (the logon instance, the default) or TOTAL.
bool ParseComponent(const std::string &value, Scope *scope, const std::string &where,
                    std::string *error) {
  const std::string word = Upper(Trim(value));
  if (word == "INSTANCE") {
    scope->component = CollectorComponent::Instance;
  } else if (word == "TOTAL") {
    scope->component = CollectorComponent::Total;
  } else {
    *error = where + ": COLLECTOR_COMPONENT=" + OneLine(value) +
             " is not INSTANCE (the logon instance) or TOTAL (the whole system)";
    return false;
  }
  return true;
}

// One KEY=value line into its scope: the bridge's own settings, else a
// connection parameter.
bool ParseSetting(const std::string &key, const std::string &value, unsigned line,
                  const std::string &where, Scope *scope, std::string *error) {
  if (key == "TIMEOUT") {
    unsigned seconds = 0;
    if (!ParseTimeout(value, &seconds)) {
      *error = where + ": TIMEOUT=" + OneLine(value) +
               " is not a whole number of seconds from 1 to " +
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
    return ParseNoDataGrace(value, scope, where, error);
  } else if (key == "COLLECTOR_COMPONENT") {
    return ParseComponent(value, scope, where, error);
  } else {
    return ConnectionKey(key, value, line, where, scope, error);
  }
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

bool ResolveSettings(const std::optional<std::string> &file_text,
                     const std::optional<std::string> &environment, const std::string &destination,
                     Settings *settings, std::string *error) {
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
      if (number == 1) line.erase(0, ByteOrderMarkLength(line));
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
      if (!ParseSetting(key, Trim(line.substr(equals + 1)), number, where, scope, error))
        return false;
    }
  }
  Settings resolved;
  if (own.timeout) {
    resolved.timeout_seconds = *own.timeout;
    resolved.timeout_source = std::string(kSettingsFileName) + " [" + Trim(destination) + "]";
  } else if (environment && !Trim(*environment).empty()) {
    unsigned seconds = 0;
    if (!ParseTimeout(*environment, &seconds)) {
      *error = std::string("environment variable ") + kTimeoutVariable + "=" +
               OneLine(*environment) + " is not a whole number of seconds from 1 to " +
               std::to_string(kLongestTimeoutSeconds);
      return false;
    }
    resolved.timeout_seconds = seconds;
    resolved.timeout_source = kTimeoutVariable;
  } else if (global.timeout) {
    resolved.timeout_seconds = *global.timeout;
    resolved.timeout_source = kSettingsFileName;
  }
  resolved.collector =
      own.collector ? *own.collector : (global.collector ? *global.collector : Collector::Auto);
  resolved.connection = MergedConnection(global, own);
  resolved.no_data_grace_minutes = own.no_data_grace
                                       ? *own.no_data_grace
                                       : global.no_data_grace.value_or(kDefaultNoDataGraceMinutes);
  resolved.component =
      own.component ? *own.component : global.component.value_or(CollectorComponent::Instance);
  *settings = resolved;
  return true;
}

bool ReadSettingsFile(const std::string &path, std::optional<std::string> *text,
                      std::string *error) {
  BoundedRead file = ReadRegularFileNoWait(path, kMostSettingsFileBytes);
  switch (file.state) {
  case FileState::Missing: *text = std::nullopt; return true;
  case FileState::Regular: *text = std::move(file.bytes); return true;
  case FileState::Refused: break;
  }
  *error = std::string(kSettingsFileName) + " (" + OneLine(path) +
           "): not read: it is not a regular file (a FIFO, a device or a folder), cannot be read, "
           "or is larger than " +
           std::to_string(kMostSettingsFileBytes >> 20) + " MiB";
  return false;
}

bool CheckConnectionFiles(const Settings &settings, std::string *error) {
  for (const ConnectionSetting &setting : settings.connection) {
    if (setting.name != "SNC_LIB" && setting.name != "TLS_SAPCRYPTOLIB" &&
        setting.name != "TLS_CLIENT_PSE")
      continue;
    // Looked at, never read, and never waited on: the SDK and the crypto
    // library load it later, and a FIFO there would block them for ever.
    const BoundedRead file = ReadRegularFileNoWait(setting.value, kMostConnectionFileBytes, false);
    if (file.state != FileState::Regular || file.size == 0) {
      *error = std::string(kSettingsFileName) + " line " + std::to_string(setting.line) + ": " +
               setting.name + "=" + OneLine(setting.value) +
               " cannot be loaded: the file does not exist, is empty, cannot be read, is not a "
               "regular file (a FIFO, "
               "a device or a folder) or is larger than " +
               std::to_string(kMostConnectionFileBytes >> 20) + " MiB";
      return false;
    }
  }
  return true;
}

} // namespace quarlane::nwrfc
