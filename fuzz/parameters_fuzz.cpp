// The parameter string of the command line and the options read from it
// once: "CH=" through the channels of a Kelbrun document, "Item=", the
// task-type selection and exclusion words, the key of the global sensor file,
// and ",HOST=" / ",NO=" as the logon hands them to the RFC library (a fake
// one here, which only records what it was given).
// The input is the second and, after the first LF, the third argument.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "loadstats/task_types.h"
#include "output/render.h"
#include "rfc/connection.h"
#include "rfc/session.h"
#include "sensor/command_line.h"
#include "sensor/options.h"
#include "util/text.h"

using namespace quarlane;

namespace {

// What the fake library's RfcOpen was given.
struct OpenRecord {
  bool called = false;
  int mode = -1;
  std::string hostname;
  bool hostname_null = false;
};
OpenRecord last_open;

RFC_HANDLE RFC_CALL FakeRfcOpen(RFC_OPTIONS *options) {
  last_open.called = true;
  last_open.mode = options->mode;
  if (options->mode == 0) {
    const RFC_CONNOPT_HOST *host = static_cast<const RFC_CONNOPT_HOST *>(options->connopt);
    last_open.hostname_null = host->hostname == nullptr;
    last_open.hostname = host->hostname ? host->hostname : "";
  }
  return 0; // no connection: nothing to close
}

// The logon with the options of the parameters, against the fake library.
void CheckLogonOptions(const std::string &params_raw, const Options &options, bool gateway_mode) {
  static RfcLibrary library;
  library.RfcOpen = FakeRfcOpen;
  RfcSession session;
  session.library = &library;
  ConnectionParameters profile;
  profile.destination = "FUZZ-NO-DESTINATION-FILE";
  profile.hostname = "profilehost";
  profile.sysnr = "00";
  profile.mode = gateway_mode ? "R/2" : "R/3";
  StepLog log; // not enabled: the fuzzer writes no log
  last_open = OpenRecord{};
  // No destination file: the logon through the profile's fields, which the
  // fake refuses.
  FUZZ_EXPECT(!OpenRfcConnection(session, profile, std::nullopt, options.overrides, log).ok());
  FUZZ_EXPECT(last_open.called);
  FUZZ_EXPECT(last_open.mode == (gateway_mode ? 1 : 0));
  if (gateway_mode) return;
  const std::size_t host_at = UpperAscii(params_raw).find(",HOST=");
  if (host_at == std::string::npos) {
    FUZZ_EXPECT(last_open.hostname == "profilehost");
    return;
  }
  // The host option's value: a piece of the raw parameters, up to a comma or blank.
  const std::string &host = last_open.hostname;
  FUZZ_EXPECT(last_open.hostname_null == host.empty());
  FUZZ_EXPECT(host.find_first_of(", ") == std::string::npos);
  FUZZ_EXPECT(params_raw.compare(host_at + 6, host.size(), host) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string text = quarlane_fuzz::AsText(data, size);
  const std::size_t cut = text.find('\n');
  // Arguments are C strings: a zero byte ends them, as it would on the command line.
  std::string second = text.substr(0, cut);
  std::string third = cut == std::string::npos ? std::string() : text.substr(cut + 1);
  second = second.c_str();
  third = third.c_str();
  char program[] = "/opt/prtg/Kelbrun.exe";
  char profile[] = "Fuzz.P00";
  char *argv[] = {program, profile, &second[0], &third[0], nullptr};
  const int argc = cut == std::string::npos ? 3 : 4;

  const CommandLine command_line = ReadCommandLine(argc, argv);
  FUZZ_EXPECT(command_line.profile_name == std::optional<std::string>("Fuzz.P00"));
  const std::string &raw = command_line.parameters;
  FUZZ_EXPECT(raw.compare(0, second.size(), second) == 0);
  const std::string params = UpperAscii(raw);
  const Options options = ParseOptions(raw);

  // "CH=": the selected channel's value alone, or every channel as a line.
  const bool selects = params.find("CH=") != std::string::npos;
  FUZZ_EXPECT(options.channel.has_value() == selects);
  if (options.channel) FUZZ_EXPECT(*options.channel >= -99 && *options.channel <= 999);
  Renderer renderer(OutputFormat{OutputMode::Kelbrun, options.channel});
  int values_written = 0;
  // A selection names at most channel 999; without one a few channels show the lines.
  const int channels = selects ? 1001 : 20;
  for (int channel = 1; channel <= channels; ++channel) {
    const std::string written = renderer.Channels({{"Channel", "7", "#"}});
    if (!written.empty()) {
      ++values_written;
      if (selects) FUZZ_EXPECT(written == "7");
    }
  }
  FUZZ_EXPECT(renderer.channels_rendered() == channels);
  FUZZ_EXPECT(selects ? values_written <= 1 : values_written == channels);
  Report report;
  report.text = raw;
  report.channels = {{raw, raw, raw}};
  for (OutputMode mode : {OutputMode::Mistrane, OutputMode::ExeXml, OutputMode::Kelbrun}) {
    Renderer other(OutputFormat{mode, options.channel});
    other.Document(report);
    other.Closing(raw);
  }

  // "Item=": the name is what follows the first "ITEM=", at most 90 characters.
  const std::size_t item_at = params.find("ITEM=");
  FUZZ_EXPECT(options.item.has_value() == (item_at != std::string::npos));
  if (options.item) {
    FUZZ_EXPECT(options.item->size() <= 90);
    FUZZ_EXPECT(options.item->find_first_of(":,") == std::string::npos);
  }
  FUZZ_EXPECT(options.global_key.size() == 10);
  // The report and task-type words are searched without the item names.
  const std::string words = WithoutItemOption(params);
  FUZZ_EXPECT(words.size() == params.size());
  FUZZ_EXPECT(words.find("ITEM=") == std::string::npos);

  // Task types: a selection names a type, and never with a "-" about.
  if (options.analysis.task_type) {
    FUZZ_EXPECT(*options.analysis.task_type < kTaskTypeCount);
    FUZZ_EXPECT(words.find('-') == std::string::npos);
  }
  for (std::size_t type = 0; type < kTaskTypeCount; ++type)
    if (options.analysis.excluded[type]) FUZZ_EXPECT(words.find('-') != std::string::npos);

  CheckLogonOptions(raw, options, size % 2 == 1);
  return 0;
}
