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
#include "password_prompt.h"

namespace quarlane {

extern const char *const kCheckUsage;

// Every verdict once, with its exit status and the word the report gives it:
// the enum and the report's words (check_report.cpp) are both made from it.
#define QUARLANE_CHECK_VERDICTS(X)                                                                 \
  X(Ok, 0, "ok")                           /* the sensor will work */                              \
  X(Usage, 2, "wrong usage")               /* wrong arguments */                                   \
  X(NoProfile, 3, "profile not usable")    /* the profile cannot be found or read */               \
  X(NoSdk, 4, "SDK not loaded")            /* the SDK cannot be loaded */                          \
  X(LogonFailed, 5, "logon failed")        /* refused, not reached, or the bridge's settings */    \
  X(ModuleMissing, 6, "module missing")    /* a module the sensor needs does not exist */          \
  X(NotAuthorised, 7, "not authorised")    /* a module exists but this user may not call it */     \
  X(CallFailed, 8, "call failed")          /* a call failed otherwise */                           \
  X(NoFiguresToday, 9, "no figures today") /* the summary's module has no figures for today */     \
  X(UnitsDiffer, 10, "units differ")       /* both workload modules answer, far apart */

// The verdict of a run; its value is the exit status.
enum class Verdict {
#define QUARLANE_CHECK_VERDICT(name, status, word) name = status,
  QUARLANE_CHECK_VERDICTS(QUARLANE_CHECK_VERDICT)
#undef QUARLANE_CHECK_VERDICT
};

struct CheckStep {
  std::string name;
  bool ok = false;
  std::string detail;
  double milliseconds = 0;
};

// What the check found of a module, as the report shows it.
namespace module_state {
constexpr char kNotChecked[] = "not checked";
constexpr char kCallable[] = "callable"; // called, and it answered
constexpr char kPresent[] = "present";   // its description was read
constexpr char kMissing[] = "missing";   // the system has no such module
constexpr char kNotAuthorised[] =
    "not authorised";                // this user may not call it or read its description
constexpr char kFailed[] = "failed"; // a call or look-up failed otherwise
} // namespace module_state

struct ModuleCheck {
  std::string name;
  std::string state = module_state::kNotChecked; // one of module_state
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
  DayFigures classic, collector;        // the collector as COLLECTOR_COMPONENT chooses
  bool whole_system = false;            // COLLECTOR_COMPONENT = TOTAL
  DayFigures collector_other;           // the collector for the other COMPONENT, to compare
  Verdict verdict = Verdict::Ok;
  std::string verdict_text;
  std::time_t checked_at = 0; // when the check began
  CaptureNote capture;
};

// The whole tool: arguments without the program name; returns the exit
// status (the verdict). prompt is given when standard input is a terminal.
int RunCheckTool(const std::vector<std::string> &args, std::istream &in, std::ostream &out,
                 std::ostream &err, PasswordPrompt *prompt);

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
