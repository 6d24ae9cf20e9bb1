#include "sensor/run.h"

#include "output/document.h"
#include "platform/files.h"
#include "platform/process.h"
#include "rfc/connection.h"
#include "rfc/trace_scan.h"
#include "sensor/command_line.h"
#include "sensor/console.h"
#include "sensor/processing.h"
#include "sensor/profile_location.h"

namespace quarlane {

namespace {

const char *const kTraceFile = "Dev_Rfc.Trc";

void WriteClosingLine(Run &run) {
  if (run.ctx.verbose) Write(run, ClosingLine(LocalTimeOfDay()) + "\n");
}

} // namespace

int FailRun(Run &run, const std::string &text) {
  BuildErrorDocument(run.doc, text);
  Write(run, run.doc.text);
  CloseRfcConnection(run);
  return 2;
}

int FailedCallExit(Run &run) {
  ScanRfcTrace(run.doc);
  const std::string text = run.doc.text; // the error document replaces the document
  return FailRun(run, text);
}

int FinishRun(Run &run) {
  if (run.ctx.item_run) {
    Write(run, run.doc.text + "\n");
    CloseRfcConnection(run);
    WriteClosingLine(run);
    return 0;
  }
  if (run.ctx.run_status != "OK") return FailedCallExit(run);
  Write(run, run.doc.text);
  RemoveFile(kTraceFile); // a successful run leaves no old failures behind
  WriteClosingLine(run);
  return 0;
}

int RunSensor(int argc, char **argv) {
  Run run;
  run.ctx.start_banner = StartBanner(LocalTimeOfDay());
  try {
    CommandLine command_line = ReadCommandLine(run.ctx, argc, argv);
    if (!command_line.has_profile_name)
      throw RunFailure{"Error 1001: Parameter for Profile-Name is missing !"};
    run.doc.mode = OutputModeFromProgramName(run.ctx.program_path);
    LocateProfile(run, command_line.profile_name);
    return run.ctx.item_run ? ProcessServerListing(run) : ProcessSingleSystem(run);
  } catch (const RunFailure &failure) {
    return FailRun(run, failure.text);
  }
}

} // namespace quarlane
