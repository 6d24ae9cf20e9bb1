// quarlane-nwrfc-check: the first contact with a real SAP system. One run
// says whether and why the sensor will work through the NetWeaver RFC
// bridge: the SDK, the logon, the partner, the four function modules, the
// collector's row fields and today's figures, each step timed. It links the
// bridge (src/nwrfc) and runs the sensor's own calls through it; it writes
// no file (not the profile, not SapRfc.ini, not the trace), only the capture
// file when asked for one (--capture).
#ifndef QUARLANE_TOOLS_CHECK_TOOL_H
#define QUARLANE_TOOLS_CHECK_TOOL_H

#include <ctime>
#include <iosfwd>
#include <set>
#include <string>
#include <vector>

#include "loadstats/counters.h"
#include "nwrfc/probe.h"
#include "passwd_tool.h"

namespace quarlane {

extern const char *const kCheckUsage;

// The verdict of a run; its value is the exit status.
enum class Verdict {
  Ok = 0,            // the sensor will work
  Usage = 2,         // wrong arguments
  NoProfile = 3,     // the profile cannot be found or read
  NoSdk = 4,         // the SDK cannot be loaded
  LogonFailed = 5,   // refused, not reached, or the bridge's settings
  ModuleMissing = 6, // a module the sensor needs does not exist
  NotAuthorised = 7, // a module exists but this user may not call it
  CallFailed = 8,    // a call failed otherwise
  NoFiguresToday = 9, // the module that serves the summary has no figures for today
  UnitsDiffer = 10,  // both workload modules answer, with figures far apart
};

struct CheckStep {
  std::string name;
  bool ok = false;
  std::string detail;
  double milliseconds = 0;
};

struct ModuleCheck {
  std::string name;
  std::string state = "not checked"; // "callable", "present", "missing", "not authorised", "failed", ...
  std::string detail;
};

struct DayFigures {
  bool answered = false;
  std::vector<SummaryRow> rows;
};

// Where --capture wrote the capture file (docs/capture-format.md).
struct CaptureNote {
  std::string file; // empty: no capture asked for
  bool keep_names = false;
  std::string problem; // why it could not be written; empty when written
};

struct CheckResult {
  std::string destination, sdk_path, sdk_version;
  std::string release, kernel, host, instance, system_date;
  std::vector<CheckStep> steps;
  std::vector<ModuleCheck> modules;
  std::string serving; // the module that serves today's summary
  std::vector<nwrfc::FieldShape> collector_fields;
  std::set<std::string> collector_read; // the fields the bridge reads; the others it skips
  DayFigures classic, collector; // the collector as COLLECTOR_COMPONENT chooses
  bool whole_system = false;     // COLLECTOR_COMPONENT = TOTAL
  DayFigures collector_other;    // the collector for the other COMPONENT, to compare
  Verdict verdict = Verdict::Ok;
  std::string verdict_text;
  std::time_t checked_at = 0; // when the check began
  CaptureNote capture;
};

// The whole tool: arguments without the program name; returns the exit
// status (the verdict). prompt is given when standard input is a terminal.
int RunCheckTool(const std::vector<std::string> &args, std::istream &in, std::ostream &out, std::ostream &err,
                 PasswordPrompt *prompt);

// The report of a result, for a person or as JSON. The text is UTF-8 with
// control characters shown as "?" (PrintableUtf8Text); the JSON is ASCII,
// every other character a \u escape of its code point.
void WriteTextReport(const CheckResult &result, std::ostream &out);
void WriteJsonReport(const CheckResult &result, std::ostream &out);

// The verdict's word ("ok", "logon failed", ...).
std::string VerdictWord(Verdict verdict);

// The time as ISO 8601 in UTC: "2026-03-05T09:04:00Z".
std::string IsoUtc(std::time_t time);

// The report's line on the capture file: where it went, or why not.
std::string CaptureLine(const CaptureNote &capture);

} // namespace quarlane

#endif
