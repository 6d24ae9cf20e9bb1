// The scenario script of one fake SAP system (format: tests/fakesdk/README.md).
#ifndef QUARLANE_FAKESDK_SCRIPT_H
#define QUARLANE_FAKESDK_SCRIPT_H

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "container.h"
#include "variant.h"

namespace fakesdk {

struct Replay; // replay.h

struct Failure {
  enum class Site { kOpen, kDescribe, kInvoke };
  enum class Kind { kLogon, kCommunication, kException, kRuntime, kHang, kError };
  Site site = Site::kOpen;
  std::string function; // kDescribe, kInvoke: the function module, or "*"
  Kind kind = Kind::kCommunication;
  std::string key;         // error key; for kException the exception's name
  std::u16string message;  // empty: the fake's default text
  int seconds = 300;       // kHang: how long the step blocks unless cancelled
  int code = 0, group = 0; // kError: the RFC_RC and error group the step fails with
  int line = 0;
};

// A row of a table the system answers, with the day and the instance (or
// collector component) it belongs to.
struct ScriptRow {
  std::string day = "today"; // "today", "today-N" or YYYYMMDD
  std::string place;         // instance / component; empty: the system's instance
  std::shared_ptr<const Container> row;
  int line = 0;
};

struct Scenario {
  std::string file;  // the script's path as opened
  std::string host;  // the host name it answers for (the file's name)
  std::string sysnr; // two digits
  std::string client, user, passwd, sysid;
  std::vector<std::string> groups; // logon groups, when reached through a message server
  std::set<std::string> modules;   // the function modules that exist
  std::map<std::string, std::u16string> values; // RFCSI fields and scalar exporting values, by name
  std::vector<ScriptRow> cpu, summary, aggregates;
  std::vector<Failure> failures;
  // Behaviours of the SDK no public source pins down (README "Switches").
  bool abap_error_closes = false;          // abap_error = closes
  bool cancel_ignored_in_describe = false; // cancel_in_describe = ignored
  Variant variant;                         // the collector's unconfirmed details
  // A capture file in place of a script (replay.h): the system answers
  // exactly as the captured one did, and nothing above applies.
  std::shared_ptr<const Replay> replay;
};

// Parses a script's text (UTF-8, LF or CR LF, an optional byte order mark).
// False with *problem naming the file and line of the first problem.
bool ParseScenario(const std::string &text, const std::string &file, const std::string &host,
                   Scenario *scenario, std::string *problem);

// The first failure planned for a step; nullptr when none.
const Failure *PlannedFailure(const Scenario &scenario, Failure::Site site,
                              const std::string &function);

// The value of a field of RFCSI or of a scalar exporting parameter.
std::u16string SystemValue(const Scenario &scenario, const std::string &name);

} // namespace fakesdk

#endif
