// The spine of a run: each step yields its value or the failure that ends
// the run (or, in an item run, the system).
#include "sensor/processing.h"

#include <memory>
#include <optional>
#include <utility>

#include "loadstats/reports.h"
#include "platform/process.h"
#include "rfc/connection.h"
#include "rfc/error_report.h"
#include "rfc/library.h"
#include "rfc/remote_calls.h"
#include "rfc/trace_scan.h"
#include "sensor/command_line.h"
#include "sensor/system_analysis.h"
#include "sensor/system_profile.h"

namespace quarlane {

namespace {

const char *const kTraceFile = RFC_TRACE_FILE;

// The library is needed from here on; it is loaded once and its error handler
// registered before every logon.
Status PrepareRfcEnvironment(SensorRun &run) {
  const Status loaded = EnsureRfcLibrary(run.rfc);
  if (!loaded) return loaded;
  RegisterRfcErrorHandler(*run.rfc.library, run.end_inside_library);
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
    return entry.size() < kProfileExtensionLength
               ? std::string()
               : entry.substr(0, entry.size() - kProfileExtensionLength);
  case SystemLabelKind::Host: return parameters.hostname;
  case SystemLabelKind::Destination: return parameters.destination;
  case SystemLabelKind::Profile: break;
  }
  return entry;
}

// The start time is the time of day that the start banner shows.
std::string StartTime(const SensorRun &run) { return BannerTimeOfDay(run.start_banner); }

// CPU data (the system's clock), then system information, on the open
// connection.
Result<SystemInfo> FetchSystemData(SensorRun &run) {
  Result<SystemClock> clock = FetchCpuData(run.rfc, run.log);
  if (!clock) return clock.failure();
  Result<SystemIdentity> identity = FetchSystemInfo(run.rfc, run.log);
  if (!identity) return identity.failure();
  return SystemInfo{*clock, *identity};
}

std::optional<TextLines> ReadProfileText(const FileSystem &files, const std::string &path) {
  std::optional<std::string> bytes = files.ReadText(path);
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

// After a failed remote call or analysis the trace file's finding follows
// the message; a library failure ends the run with its block as it is.
Failure WithTraceFinding(const FileSystem &files, Failure failure) {
  if (!IsLibraryFailure(failure)) failure.text += RfcTraceFinding(files);
  return failure;
}

// The logon, announced when it goes through the destination's own file.
Result<RFC_HANDLE> LogOn(SensorRun &run, const ConnectionParameters &parameters, RunSink &sink) {
  const std::optional<DestinationFile> destination_file =
      ReadDestinationFile(*run.files, parameters);
  if (destination_file) sink.Progress(DestinationFileLine(parameters));
  return OpenRfcConnection(run.rfc, parameters, destination_file, run.options.overrides, run.log);
}

} // namespace

Result<Report> ProcessSingleSystem(SensorRun &run, const SingleSystemLocation &location,
                                   RunSink &sink) {
  const ProfileFile &profile = location.profile;
  std::optional<TextLines> text = ReadProfileText(*run.files, profile.path);
  if (!text) return Failure(FailureCode::ProfileMissing, profile.path);
  const SystemProfileReading reading = ReadSystemProfile(*text, profile.name);
  if (reading.failure()) return *reading.failure();
  const ConnectionParameters &parameters = reading.parameters;

  LogStep(run.log, 0, "program started", run.program_path);
  const Status ready = PrepareRfcEnvironment(run);
  if (!ready) return ready.failure();
  LogStep(run.log, 0, "RfcEnvironment called", "");

  if (run.options.verbose) {
    const std::string now = LocalTimeOfDay();
    sink.Progress(run.start_banner + "\n" + SystemLine(now, profile.name, parameters) +
                  " State=Processing\n" + "* " + now + " " + kProductWord + " - " +
                  run.options.single_system_text + " State=Executing\n");
  }

  // From the logon to the rewritten history, one run at a time per profile:
  // a run that read the profile, or logged on and fetched its counters,
  // before another run's rewrite would write back an older total, and the
  // next interval would count the difference twice. The lock comes before
  // the logon because a system's figures may be taken as of the logon.
  std::unique_ptr<HeldLock> profile_lock =
      run.files->LockExclusively(profile.path, kProfileLockWait);
  // Not had in time: the same document as a rewrite that failed, and the
  // profile untouched.
  if (!profile_lock)
    return WithTraceFinding(*run.files, Failure(FailureCode::RewriteFailed, profile.path));
  // What was read before the lock may be stale: the history is taken from
  // the profile as it is now (the old text let go first: a long profile is
  // never held twice).
  text.reset();
  text = ReadProfileText(*run.files, profile.path);
  if (!text) return Failure(FailureCode::ProfileMissing, profile.path);

  const Result<RFC_HANDLE> handle = LogOn(run, parameters, sink);
  if (!handle) return handle.failure();
  run.rfc.handle = *handle;

  const Result<SystemInfo> system = FetchSystemData(run);
  if (!system) return WithTraceFinding(*run.files, system.failure());
  const Result<Report> report =
      AnalyseSingleSystem(run.rfc, run.log, *run.files, *system, run.options.analysis,
                          parameters.destination, profile.path, std::move(*text));
  if (!report && IsLibraryFailure(report.failure())) return report.failure();
  profile_lock.reset();
  CloseRfcConnection(run.rfc);
  if (!report) return WithTraceFinding(*run.files, report.failure());
  run.files->Remove(kTraceFile); // a successful run leaves no old failures behind
  return report;
}

Result<Report> ProcessServerListing(SensorRun &run, const ItemRunLocation &location,
                                    RunSink &sink) {
  if (run.options.verbose)
    sink.Progress(run.start_banner + "\n* " + StartTime(run) + " " + run.options.item_run_text +
                  " State=Executing\n");
  sink.ItemHead();

  ItemRunCounts counts;
  for (const std::string &entry : location.systems) {
    ++counts.listed;
    const std::optional<TextLines> text =
        ReadProfileText(*run.files, location.listing.folder + entry);
    if (!text) { // a listed system without a profile is skipped silently
      counts.problems.push_back(entry + ": no profile, skipped");
      continue;
    }

    SystemOutcome outcome;
    const SystemProfileReading reading = ReadSystemProfile(*text, location.listing.name);
    const ConnectionParameters &parameters = reading.parameters;
    outcome.profile_failed = reading.failure().has_value();
    const std::string label = SystemLabel(location.label_kind, entry, parameters);
    const std::string description = SystemLine(LocalTimeOfDay(), entry, parameters);

    const Status ready = PrepareRfcEnvironment(run);
    if (!ready) return ready.failure();
    // The logon is tried even when the profile failed its checks.
    const Result<RFC_HANDLE> handle = LogOn(run, parameters, sink);
    // What failed, for the JSON mode's message: the first failure's text
    // and what the trace says of it.
    std::string problem;
    if (reading.failure()) problem = reading.failure()->text;
    if (!handle) {
      outcome.profile_failed = true;
      if (problem.empty()) problem = handle.failure().text + RfcTraceReason(*run.files);
    } else {
      run.rfc.handle = *handle;
      const Result<SystemInfo> system = FetchSystemData(run);
      if (!system) return WithTraceFinding(*run.files, system.failure()); // ends the whole run
      const Status analysed =
          AnalyseItemSystem(run.rfc, run.log, *system, run.options.analysis, location.item_name,
                            label, [&](const Channel &channel) {
                              sink.ItemChannel(channel);
                              outcome.found = true;
                            });
      if (!analysed && IsLibraryFailure(analysed.failure())) return analysed.failure();
      outcome.analysed = analysed.ok();
      if (!analysed && problem.empty())
        problem = analysed.failure().text + RfcTraceReason(*run.files);
      CloseRfcConnection(run.rfc);
    }

    if (!outcome.profile_failed && outcome.analysed && outcome.found)
      ++counts.processed;
    else {
      ++counts.failed;
      counts.problems.push_back(entry + ": " + (problem.empty() ? StateText(outcome) : problem));
    }
    if (run.options.verbose)
      sink.Progress("\n" + description + " State=" + StateText(outcome) + "\n");
  }

  CloseRfcConnection(run.rfc);
  return ItemRunReport(location.item_name, counts);
}

} // namespace quarlane
