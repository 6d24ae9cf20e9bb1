// The bridge's own settings: the time bound of a system and which workload
// collector answers SAPWL_WORKLOAD_GET_SUMMARY. Read from
// "quarlane-nwrfc.ini" beside the bridge and the environment variable
// QUARLANE_NWRFC_TIMEOUT (docs/nwrfc.md).
#ifndef QUARLANE_NWRFC_SETTINGS_H
#define QUARLANE_NWRFC_SETTINGS_H

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quarlane::nwrfc {

extern const char kSettingsFileName[]; // "quarlane-nwrfc.ini"
extern const char kTimeoutVariable[];  // "QUARLANE_NWRFC_TIMEOUT"
constexpr unsigned kDefaultTimeoutSeconds = 20;
constexpr unsigned kLongestTimeoutSeconds = 3600;

enum class Collector { Auto, Classic, New };

// Whose figures the collector is asked for: the logon instance's (the
// sensor's own INSTANCE / HOSTID) or the whole system's (COMPONENT TOTAL).
enum class CollectorComponent { Instance, Total };

// A connection parameter of the SDK given by name in the file (an allowlist:
// kConnectionKeys), handed to RfcOpenConnection beside the logon's own.
struct ConnectionSetting {
  std::string name; // upper case, as in the file
  std::string value;
  unsigned line = 0; // for messages
};

// The allowed names, NULL-terminated; docs/nwrfc.md gives each one's source.
extern const char *const kConnectionKeys[];
// Minutes after the system's midnight in which the collector's NO_DATA_FOUND
// for today is an empty day (its hourly job has not written today's first
// figures yet); later it is the failure it is (docs/nwrfc.md).
constexpr unsigned kDefaultNoDataGraceMinutes = 90;
constexpr unsigned kLongestNoDataGraceMinutes = 1440;

struct Settings {
  unsigned timeout_seconds = kDefaultTimeoutSeconds;
  Collector collector = Collector::Auto;
  std::string timeout_source = "default";    // where the bound came from, for messages
  std::vector<ConnectionSetting> connection; // the section's, else the file's global ones
  unsigned no_data_grace_minutes = kDefaultNoDataGraceMinutes;
  CollectorComponent component = CollectorComponent::Instance;
};

// The settings of `destination` from the file's text (nullopt: no file) and
// the environment value (nullopt: unset). False with *error set (naming the
// file, line and value) when a line or value cannot be used.
bool ResolveSettings(const std::optional<std::string> &file_text,
                     const std::optional<std::string> &environment, const std::string &destination,
                     Settings *settings, std::string *error);

// The most a settings file may hold (far above any real one), and the
// largest file a connection setting may name (an SNC or crypto library).
constexpr std::size_t kMostSettingsFileBytes = std::size_t{1} << 20;
constexpr std::size_t kMostConnectionFileBytes = std::size_t{256} << 20;

// The settings file at path, read by the sensor's rules (a regular file
// only, never waiting, at most kMostSettingsFileBytes): *text nullopt when
// there is none; false with *error set (naming the file) when something else
// stands at that name, so a FIFO or a link to /dev/zero never blocks or
// floods the logon.
bool ReadSettingsFile(const std::string &path, std::optional<std::string> *text,
                      std::string *error);

// False with *error set (naming the file and line) when a setting names a
// file the SDK must load or read (SNC_LIB, TLS_SAPCRYPTOLIB, TLS_CLIENT_PSE)
// and that file is missing, empty, not a regular file (a FIFO, a device, a
// folder) or larger than kMostConnectionFileBytes: better said here than as
// the SDK's own vaguer failure at logon, and checked without reading or
// waiting.
bool CheckConnectionFiles(const Settings &settings, std::string *error);

// "20" -> 20; false unless a whole number from 1 to kLongestTimeoutSeconds.
bool ParseTimeout(const std::string &text, unsigned *seconds);

} // namespace quarlane::nwrfc

#endif
