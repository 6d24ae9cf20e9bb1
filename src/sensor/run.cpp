#include "sensor/run.h"

#include <cstdio>
#include <cstdlib>
#include <variant>

#include "output/open_document.h"
#include "output/plain_text.h"
#include "output/render.h"
#include "platform/process.h"
#include "rfc/connection.h"
#include "rfc/error_report.h"
#include "sensor/command_line.h"
#include "sensor/console.h"
#include "sensor/processing.h"
#include "sensor/profile_location.h"

namespace quarlane {

namespace {

// The documents, verbose lines and the RFC error block all go to standard
// output, each piece flushed as it is written.
std::FILE *const kOut = stdout;

// The sink of a run: its progress lines, an item run's head and channels in
// the run's output mode. Once an item run's head is out, everything written
// is part of its document until the closing part.
class ConsoleSink : public RunSink {
public:
  explicit ConsoleSink(Renderer &renderer) : renderer_(renderer) {}
  void Progress(const std::string &lines) override {
    Write(kOut, document_open_ ? OpenDocumentText(renderer_.format().mode, lines)
                               : PrintableText(lines));
  }
  void ItemHead() override {
    Write(kOut, renderer_.Head() + "\n");
    document_open_ = true;
  }
  void ItemChannel(const Channel &channel) override {
    Write(kOut, renderer_.Channels({channel}));
  }
  // An XML document is open: a failure must close it, not start another.
  bool XmlDocumentOpen() const { return document_open_ && IsXmlMode(renderer_.format().mode); }

private:
  Renderer &renderer_;
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

// The end of a run that failed: the error document and status 2, the
// connection closed; or, when the library failed inside, its error block and
// status 1, the library not called again (the block has closed every
// connection).
int Fail(RfcSession &rfc, const Failure &failure) {
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
  if (run.options.verbose) Write(kOut, ClosingLine(LocalTimeOfDay()) + "\n");
  return 0;
}

// Where the profile was looked for, when the run ends at the folder step;
// the start banner waits for processing, which does not begin.
void WriteTrail(const Options &options, const LocationTrail &trail) {
  if (!options.verbose || !trail.folder_step_failed) return;
  const std::string now = LocalTimeOfDay();
  for (const std::string &line : trail.lines)
    Write(kOut, PrintableText("* " + now + " " + line + "\n"));
}

} // namespace

void EndRunInsideLibrary(const std::string &operation) {
  Write(kOut, LibraryBlock(operation));
  std::exit(1);
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
  if (!command_line.profile_name) return Fail(run.rfc, Failure(FailureCode::ProfileNameMissing));

  const OutputMode mode = OutputModeFromProgramName(run.program_path);
  LocationTrail trail;
  Result<LocatedRun> located = LocateProfile(*run.files, *command_line.profile_name, mode,
                                             run.options, command_line.second_argument, &trail);
  if (!located) {
    WriteTrail(run.options, trail);
    return Fail(run.rfc, located.failure());
  }
  run.options = std::move(located->options);
  run.log.enabled = run.options.syslog;

  Renderer renderer(OutputFormat{mode, run.options.channel});
  ConsoleSink sink(renderer);
  const SinkInUse sink_in_use(sink);
  if (const auto *single = std::get_if<SingleSystemLocation>(&located->location)) {
    const Result<Report> report = ProcessSingleSystem(run, *single, sink);
    if (!report) return Fail(run.rfc, report.failure());
    return Succeed(run, renderer.Document(*report));
  }
  const Result<Report> closing =
      ProcessServerListing(run, std::get<ItemRunLocation>(located->location), sink);
  if (!closing) return Fail(run.rfc, closing.failure());
  return Succeed(run, renderer.Closing(closing->text) + "\n");
}

} // namespace quarlane
