#include "sensor/run.h"

#include <cstdio>
#include <cstdlib>
#include <variant>

#include "output/json_document.h"
#include "output/open_document.h"
#include "output/plain_text.h"
#include "output/render.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "rfc/connection.h"
#include "rfc/error_report.h"
#include "rfc/library.h"
#include "rfc/trace_scan.h"
#include "sensor/command_line.h"
#include "sensor/console.h"
#include "sensor/json_run.h"
#include "sensor/limits.h"
#include "sensor/processing.h"
#include "sensor/profile_location.h"

namespace quarlane {

namespace {

// The documents, verbose lines and the RFC error block all go to standard
// output, each piece flushed as it is written.
std::FILE *const kOut = stdout;

// The run's output mode, for the end inside the library.
OutputMode run_mode = OutputMode::ExeXml;

// Where progress lines go: standard output, except in the JSON mode, whose
// standard output is its one JSON document (PRTG reads nothing else there).
std::FILE *ProgressStream() { return IsJsonMode(run_mode) ? stderr : kOut; }

// The sink of a run: its progress lines, an item run's head and channels in
// the run's output mode, each channel with its item's limits. Once an item
// run's head is out, everything written is part of its document until the
// closing part.
class ConsoleSink : public RunSink {
public:
  ConsoleSink(Renderer &renderer, const Limits &limits, const std::string &item)
      : renderer_(renderer), limits_(limits), item_(item) {}
  void Progress(const std::string &lines) override {
    Write(ProgressStream(),
          document_open_ ? OpenDocumentText(renderer_.format().mode, lines) : PrintableText(lines));
  }
  void ItemHead() override {
    // The JSON mode writes its whole document at the end.
    if (IsJsonMode(run_mode)) return;
    Write(kOut, renderer_.Head() + "\n");
    document_open_ = true;
  }
  void ItemChannel(const Channel &channel) override {
    Channel limited = channel;
    ApplyLimits(limits_, item_, limited);
    Write(kOut, renderer_.Channels({limited}));
  }
  // An XML document is open: a failure must close it, not start another.
  bool XmlDocumentOpen() const { return document_open_ && IsXmlMode(renderer_.format().mode); }

private:
  Renderer &renderer_;
  const Limits &limits_;
  std::string item_;
  bool document_open_ = false;
};

// The run's sink, for the library's error handler, which is called from C
// with the operation alone.
const ConsoleSink *g_sink = nullptr;

bool XmlDocumentOpen() { return g_sink && g_sink->XmlDocumentOpen(); }

// g_sink names the sink for as long as the sink lives.
struct SinkInUse {
  explicit SinkInUse(const ConsoleSink &sink) { g_sink = &sink; }
  ~SinkInUse() { g_sink = nullptr; }
  SinkInUse(const SinkInUse &) = delete;
  SinkInUse &operator=(const SinkInUse &) = delete;
};

// The library's error block; inside an item run's open XML document it is the
// text of the document's error closing instead, so the document stays
// well-formed and PRTG shows the failure.
std::string LibraryBlock(const std::string &operation) {
  const std::string block = TakeRfcErrorBlock(operation);
  return XmlDocumentOpen() ? ErrorClosing(block) : block;
}

// The JSON mode's whole reason: a logon's failure carries no finding of its
// own, so what the trace says of it follows; a failure inside the library is
// its error block, in the document like any other failure. The sensor's
// runs work on the disk (SensorRun::files).
std::string JsonReason(const Failure &failure) {
  if (IsLibraryFailure(failure)) return TakeRfcErrorBlock(failure.detail);
  if (failure.code == FailureCode::OpenFailed) return failure.text + RfcTraceReason(Disk());
  return failure.text;
}

// The limit lines of the run's profile (or item listing); none when it
// cannot be read. Held as its bytes only: a long profile split into lines
// would cost a string per line.
Limits LimitsOf(const FileSystem &files, const ProfileLocation &location) {
  std::optional<std::string> text = files.ReadText(FileOf(location).path);
  return text ? ReadLimitLines(TextLines(std::move(*text))).limits : Limits();
}

// The end of a run that failed: the error document and status 2, the
// connection closed; or, when the library failed inside, its error block and
// status 1, the library not called again (the block has closed every
// connection).
int Fail(RfcSession &rfc, const Failure &failure) {
  if (IsJsonMode(run_mode)) {
    // Status 0: the document is the answer, its status says it failed
    // (docs/prtg-script-v2.md).
    Write(kOut, JsonErrorDocument(JsonReason(failure)));
    if (!IsLibraryFailure(failure)) CloseRfcConnection(rfc);
    return 0;
  }
  if (IsLibraryFailure(failure)) {
    Write(kOut, LibraryBlock(failure.detail));
    return 1;
  }
  // An item run's document already open (its head and channels written)
  // ends with the error; otherwise the error document stands alone.
  Write(kOut, XmlDocumentOpen() ? ErrorClosing(failure.text) : RenderError(failure.text));
  CloseRfcConnection(rfc);
  return 2;
}

// The end of a run that worked: its last piece, the closing line of verbose
// mode, status 0.
int Succeed(const SensorRun &run, const std::string &last_piece) {
  Write(kOut, last_piece);
  if (run.options.verbose) Write(ProgressStream(), ClosingLine(LocalTimeOfDay()) + "\n");
  return 0;
}

// Where the profile was looked for, when the run ends at the folder step;
// the start banner waits for processing, which does not begin.
void WriteTrail(const Options &options, const LocationTrail &trail) {
  if (!options.verbose || !trail.folder_step_failed) return;
  const std::string now = LocalTimeOfDay();
  for (const std::string &line : trail.lines)
    Write(ProgressStream(), PrintableText("* " + now + " " + line + "\n"));
}

} // namespace

int EndSensor(int status) {
  if (RfcThreadsLeftBehind()) EndProcessAtOnce(status);
  return status;
}

void EndRunInsideLibrary(const std::string &operation) {
  const bool json = IsJsonMode(run_mode);
  Write(kOut, json ? JsonErrorDocument(TakeRfcErrorBlock(operation)) : LibraryBlock(operation));
  std::exit(EndSensor(json ? 0 : 1));
}

int RunSensor(int argc, char **argv) {
  switch (RequestOf(argc, argv)) {
  case CommandLineRequest::Help: Write(stdout, kUsageText); return 0;
  case CommandLineRequest::Version: Write(stdout, VersionLine()); return 0;
  case CommandLineRequest::Run: break;
  }
  SensorRun run;
  run.start_banner = StartBanner(LocalTimeOfDay());
  run.end_inside_library = EndRunInsideLibrary;
  const CommandLine command_line = ReadCommandLine(argc, argv);
  run.program_path = command_line.program_path;
  run.options = ParseOptions(command_line.parameters);
  const OutputMode mode = OutputModeFromProgramName(run.program_path);
  run_mode = mode;
  const bool json = IsJsonMode(mode);
  if (!command_line.profile_name) return Fail(run.rfc, Failure(FailureCode::ProfileNameMissing));

  // A Script v2 sensor runs on the probe's own folders: a path is the
  // host's as written, and the profile lies beside the program.
  if (json) UseHostPathsAsWritten();
  const std::string program_folder = json ? ExecutableFolder() : std::string();
  LocationTrail trail;
  Result<LocatedRun> located =
      LocateProfile(*run.files, *command_line.profile_name, mode, run.options,
                    command_line.second_argument, &trail, program_folder);
  if (!located) {
    WriteTrail(run.options, trail);
    Failure failure = located.failure();
    if (json && failure.code == FailureCode::ProfileMissing && !run.options.folder_given)
      failure.text += JsonSearchAdvice(failure.detail, program_folder);
    return Fail(run.rfc, failure);
  }
  run.options = std::move(located->options);
  run.log.enabled = run.options.syslog;
  if (json) {
    MakeFoldersFull(located->location);
    const Status entered = EnterJsonWorkingFolder();
    if (!entered) return Fail(run.rfc, entered.failure());
    if (const auto *item = std::get_if<ItemRunLocation>(&located->location)) {
      const Status known = CheckItemName(*item, run.options);
      if (!known) return Fail(run.rfc, known.failure());
    }
  }
  const Limits limits = LimitsOf(*run.files, located->location);

  Renderer renderer(OutputFormat{mode, run.options.channel});
  const auto *item_run = std::get_if<ItemRunLocation>(&located->location);
  ConsoleSink sink(renderer, limits, item_run ? item_run->item_name : std::string());
  const SinkInUse sink_in_use(sink);
  if (const auto *single = std::get_if<SingleSystemLocation>(&located->location)) {
    Result<Report> report = ProcessSingleSystem(run, *single, sink);
    if (!report) return Fail(run.rfc, report.failure());
    for (Channel &channel : report->channels) ApplyLimits(limits, channel.name, channel);
    return Succeed(run, renderer.Document(*report));
  }
  const Result<Report> closing = ProcessServerListing(run, *item_run, sink);
  if (!closing) return Fail(run.rfc, closing.failure());
  if (json) return Succeed(run, renderer.ItemRunEnd(*closing));
  return Succeed(run, renderer.Closing(closing->text) + "\n");
}

} // namespace quarlane
