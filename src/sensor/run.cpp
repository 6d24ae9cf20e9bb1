#include "sensor/run.h"

#include <cstdlib>

#include "platform/process.h"
#include "rfc/connection.h"
#include "rfc/error_report.h"
#include "rfc/trace_scan.h"
#include "sensor/command_line.h"
#include "sensor/console.h"
#include "sensor/processing.h"
#include "sensor/profile_location.h"

namespace quarlane {

void EndRunInsideLibrary(const std::string &operation) {
  PrintRfcErrorBlock(operation);
  std::exit(1);
}

int FailRun(SensorRun &run, const Failure &failure) {
  // The library failed inside: its block instead of a document, and the
  // library is not called again (the block has closed every connection).
  if (IsLibraryFailure(failure)) {
    PrintRfcErrorBlock(failure.detail);
    return 1;
  }
  Write(run.out, RenderError(failure.text));
  CloseRfcConnection(run.rfc);
  return 2;
}

int FailedCallExit(SensorRun &run, const Failure &failure) {
  if (IsLibraryFailure(failure)) return FailRun(run, failure);
  Failure with_finding = failure;
  with_finding.text += RfcTraceFinding();
  return FailRun(run, with_finding);
}

void WriteClosingLine(SensorRun &run) {
  if (run.options.verbose) Write(run.out, ClosingLine(LocalTimeOfDay()) + "\n");
}

int RunSensor(int argc, char **argv) {
  switch (RequestOf(argc, argv)) {
  case CommandLineRequest::Help: Write(stdout, kUsageText); return 0;
  case CommandLineRequest::Version: Write(stdout, VersionLine()); return 0;
  case CommandLineRequest::Run: break;
  }
  SensorRun run;
  run.start_banner = StartBanner(LocalTimeOfDay());
  const CommandLine command_line = ReadCommandLine(argc, argv);
  run.program_path = command_line.program_path;
  run.options = ParseOptions(command_line.parameters);
  if (!command_line.profile_name)
    return FailRun(run, Failure(FailureCode::ProfileNameMissing));

  const OutputMode mode = OutputModeFromProgramName(run.program_path);
  LocationTrail trail;
  Result<LocatedRun> located = LocateProfile(*command_line.profile_name, mode, run.options,
                                             command_line.second_argument, &trail);
  if (!located) {
    // Where the profile was looked for; the start banner waits for
    // processing, which does not begin.
    if (run.options.verbose && trail.folder_step_failed) {
      const std::string now = LocalTimeOfDay();
      for (const std::string &line : trail.lines) Write(run.out, "* " + now + " " + line + "\n");
    }
    return FailRun(run, located.failure());
  }
  run.location = std::move(located->location);
  run.options = std::move(located->options);

  run.renderer = Renderer(OutputFormat{mode, run.options.channel});
  run.log.enabled = run.options.syslog;
  return run.location.item_run ? ProcessServerListing(run) : ProcessSingleSystem(run);
}

} // namespace quarlane
