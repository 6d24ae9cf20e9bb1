// The spine of a run: each step yields its value or the failure that ends
// the run (or, in an item run, the system).
#include "sensor/processing.h"

#include <optional>
#include <utility>

#include "platform/files.h"
#include "platform/lock_file.h"
#include "platform/process.h"
#include "rfc/connection.h"
#include "rfc/error_report.h"
#include "rfc/library.h"
#include "rfc/remote_calls.h"
#include "sensor/command_line.h"
#include "sensor/console.h"
#include "sensor/run.h"
#include "sensor/system_analysis.h"
#include "sensor/system_profile.h"

namespace quarlane {

namespace {

const char *const kTraceFile = "Dev_Rfc.Trc";

// The library is needed from here on; it is loaded once and its error handler
// registered before every logon.
Status PrepareRfcEnvironment(SensorRun &run) {
  const Status loaded = EnsureRfcLibrary(run.rfc);
  if (!loaded) return loaded;
  RegisterRfcErrorHandler(*run.rfc.library, run.out, EndRunInsideLibrary);
  return Success();
}

// "* hh:mm:ss <name>, <host>, <destination>, <system number>, <client>"; the
// host is the profile's until the system names its own.
std::string SystemLine(const std::string &time, const std::string &name,
                       const ConnectionParameters &parameters) {
  return "* " + time + " " + name + ", " + parameters.hostname + ", " + parameters.destination +
         ", " + parameters.sysnr + ", " + parameters.client;
}

std::string SystemLabel(SystemLabelKind kind, const std::string &entry,
                        const ConnectionParameters &parameters) {
  switch (kind) {
  case SystemLabelKind::Alias:
    return entry.size() < 4 ? std::string() : entry.substr(0, entry.size() - 4);
  case SystemLabelKind::Host: return parameters.hostname;
  case SystemLabelKind::Destination: return parameters.destination;
  case SystemLabelKind::Profile: break;
  }
  return entry;
}

// The start time is the time of day that the start banner shows.
std::string StartTime(const SensorRun &run) { return run.start_banner.substr(2, 8); }

// CPU data (the system's clock), then system information, on the open
// connection.
Result<SystemInfo> FetchSystemData(SensorRun &run) {
  Result<SystemClock> clock = FetchCpuData(run.rfc, run.log);
  if (!clock) return clock.failure();
  Result<SystemIdentity> identity = FetchSystemInfo(run.rfc, run.log);
  if (!identity) return identity.failure();
  return SystemInfo{*clock, *identity};
}

std::optional<TextLines> ReadProfileText(const std::string &path) {
  std::optional<std::string> bytes = ReadText(path);
  if (!bytes) return std::nullopt;
  return TextLines(std::move(*bytes));
}

// Per system of an item run, in the order the state is decided.
struct SystemOutcome {
  bool profile_failed = false; // the profile's checks or the logon failed
  bool analysed = false;       // the load analysis succeeded
  bool found = false;          // the system's channel was written
};

const char *StateText(const SystemOutcome &outcome) {
  const char *state = "Processed";
  if (!outcome.found) state = "Not Found";
  if (outcome.profile_failed || !outcome.analysed) state = "Rfc Failure";
  return state;
}

struct SystemCounts {
  std::uint32_t no_systems = 0, processed = 0, failed = 0;
};

} // namespace

int ProcessSingleSystem(SensorRun &run) {
  const ProfileLocation &location = run.location;
  std::optional<TextLines> text = ReadProfileText(location.profile_path);
  if (!text)
    return FailRun(run, Failure(FailureCode::ProfileMissing, location.profile_path));
  const SystemProfileReading reading = ReadSystemProfile(*text, location.profile_name);
  if (reading.failure()) return FailRun(run, *reading.failure());
  const ConnectionParameters &parameters = reading.parameters;

  LogStep(run.log, 0, "program started", run.program_path);
  const Status ready = PrepareRfcEnvironment(run);
  if (!ready) return FailRun(run, ready.failure());
  LogStep(run.log, 0, "RfcEnvironment called", "");

  if (run.options.verbose) {
    Write(run.out, run.start_banner + "\n");
    const std::string now = LocalTimeOfDay();
    Write(run.out, SystemLine(now, location.profile_name, parameters) + " State=Processing\n");
    Write(run.out, "* " + now + " " + kProductWord + " - " + run.options.single_system_text +
                       " State=Executing\n");
  }

  // From the logon to the rewritten history, one run at a time per profile:
  // a run that read the profile, or logged on and fetched its counters,
  // before another run's rewrite would write back an older total, and the
  // next interval would count the difference twice. The lock comes before
  // the logon because a system's figures may be taken as of the logon.
  FileLock profile_lock = LockExclusively(location.profile_path, kProfileLockWait);
  // Not had in time: the same document as a rewrite that failed, and the
  // profile untouched.
  if (!profile_lock)
    return FailedCallExit(run, Failure(FailureCode::RewriteFailed, location.profile_path));
  // What was read before the lock may be stale: the history is taken from
  // the profile as it is now.
  text = ReadProfileText(location.profile_path);
  if (!text)
    return FailRun(run, Failure(FailureCode::ProfileMissing, location.profile_path));

  run.rfc.handle =
      OpenRfcConnection(run.rfc, parameters, run.options.overrides, run.log, run.out);
  if (run.rfc.handle == 0)
    return FailRun(run, Failure(FailureCode::OpenFailed, parameters.destination));

  const Result<SystemInfo> system = FetchSystemData(run);
  if (!system) return FailedCallExit(run, system.failure());
  const Result<Report> report =
      AnalyseSingleSystem(run.rfc, run.log, *system, run.options.analysis, parameters.destination,
                          location.profile_path, std::move(*text));
  if (!report && IsLibraryFailure(report.failure())) return FailRun(run, report.failure());
  profile_lock.Release();
  CloseRfcConnection(run.rfc);
  if (!report) return FailedCallExit(run, report.failure());

  Write(run.out, run.renderer.Document(*report));
  RemoveFile(kTraceFile); // a successful run leaves no old failures behind
  WriteClosingLine(run);
  return 0;
}

int ProcessServerListing(SensorRun &run) {
  const ProfileLocation &location = run.location;
  if (run.options.verbose) {
    Write(run.out, run.start_banner + "\n");
    Write(run.out, "* " + StartTime(run) + " " + run.options.item_run_text + " State=Executing\n");
  }
  Write(run.out, run.renderer.Head() + "\n");

  SystemCounts counts;
  for (const std::string &entry : location.systems) {
    ++counts.no_systems;
    const std::optional<TextLines> text = ReadProfileText(location.profile_folder + entry);
    if (!text) continue; // a listed system without a profile is skipped silently

    SystemOutcome outcome;
    const SystemProfileReading reading = ReadSystemProfile(*text, location.profile_name);
    const ConnectionParameters &parameters = reading.parameters;
    outcome.profile_failed = reading.failure().has_value();
    const std::string label = SystemLabel(location.label_kind, entry, parameters);
    const std::string description = SystemLine(LocalTimeOfDay(), entry, parameters);

    const Status ready = PrepareRfcEnvironment(run);
    if (!ready) return FailRun(run, ready.failure());
    // The logon is tried even when the profile failed its checks.
    run.rfc.handle =
        OpenRfcConnection(run.rfc, parameters, run.options.overrides, run.log, run.out);
    if (run.rfc.handle == 0) {
      outcome.profile_failed = true;
    } else {
      const Result<SystemInfo> system = FetchSystemData(run);
      if (!system) return FailedCallExit(run, system.failure()); // ends the whole run
      const Status analysed = AnalyseItemSystem(
          run.rfc, run.log, *system, run.options.analysis, location.item_name, label,
          [&](const Channel &channel) {
            Write(run.out, run.renderer.Channels({channel}));
            outcome.found = true;
          });
      if (!analysed && IsLibraryFailure(analysed.failure())) return FailRun(run, analysed.failure());
      outcome.analysed = analysed.ok();
      CloseRfcConnection(run.rfc);
    }

    if (!outcome.profile_failed && outcome.analysed && outcome.found)
      ++counts.processed;
    else
      ++counts.failed;
    if (run.options.verbose)
      Write(run.out, "\n" + description + " State=" + StateText(outcome) + "\n");
  }

  const std::string summary = "(***) " + location.item_name +
                              ": NoSystems=" + std::to_string(counts.no_systems) +
                              ", Processed=" + std::to_string(counts.processed) +
                              ", Failed=" + std::to_string(counts.failed);
  Write(run.out, run.renderer.Closing(summary) + "\n");
  CloseRfcConnection(run.rfc);
  WriteClosingLine(run);
  return 0;
}

} // namespace quarlane
