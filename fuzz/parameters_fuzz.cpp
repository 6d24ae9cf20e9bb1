// The parameter string of the command line and the options read from it:
// "CH=" through a channel emission in Kelbrun mode, "Item=", the task-type
// selection and exclusion words, the key of the global sensor file, and
// ",HOST=" / ",NO=" as the logon hands them to the RFC library (a fake one
// here, which only records what it was given).
// The input is the second and, after the first LF, the third argument.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "loadstats/task_types.h"
#include "output/document.h"
#include "output/formatting.h"
#include "rfc/connection.h"
#include "rfc/session.h"
#include "sensor/command_line.h"
#include "sensor/server_listing.h"

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

// The logon with the parameters of ctx, against the fake library.
void CheckLogonOptions(const RunContext &ctx, bool gateway_mode) {
  static RfcLibrary library;
  library.RfcOpen = FakeRfcOpen;
  Run run;
  run.ctx = ctx;
  run.rfc.library = &library;
  run.conn.Destination = "FUZZ-NO-DESTINATION-FILE";
  run.conn.Hostname = "profilehost";
  run.conn.Sysnr = "00";
  run.conn.Mode = gateway_mode ? "R/2" : "R/3";
  last_open = OpenRecord{};
  FUZZ_EXPECT(OpenRfcConnection(run) == 0);
  if (run.log) std::fclose(run.log);
  FUZZ_EXPECT(last_open.called);
  FUZZ_EXPECT(last_open.mode == (gateway_mode ? 1 : 0));
  if (gateway_mode) return;
  const std::size_t host_at = ctx.params.find(",HOST=");
  if (host_at == std::string::npos) {
    FUZZ_EXPECT(last_open.hostname == "profilehost");
    return;
  }
  // The host option's value: a piece of the raw parameters, up to a comma or blank.
  const std::string &host = last_open.hostname;
  FUZZ_EXPECT(last_open.hostname_null == host.empty());
  FUZZ_EXPECT(host.find_first_of(", ") == std::string::npos);
  FUZZ_EXPECT(ctx.params_raw.compare(host_at + 6, host.size(), host) == 0);
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

  RunContext ctx;
  const CommandLine command_line = ReadCommandLine(ctx, argc, argv);
  FUZZ_EXPECT(command_line.has_profile_name && command_line.profile_name == "Fuzz.P00");
  FUZZ_EXPECT(ctx.params == UpperAscii(ctx.params_raw));
  FUZZ_EXPECT(ctx.params_raw.compare(0, second.size(), second) == 0);

  // "CH=": the selected channel's value alone, or every channel as a line.
  OutputDocument doc;
  doc.mode = OutputMode::Kelbrun;
  const ChannelOptions options = ChannelOptionsOf(ctx);
  const bool selects = ctx.params.find("CH=") != std::string::npos;
  int values_written = 0;
  // A selection names at most channel 999; without one a few channels show the lines.
  const int channels = selects ? 1001 : 20;
  for (int channel = 1; channel <= channels; ++channel) {
    const std::size_t before = doc.text.size();
    EmitChannel(doc, options, "Channel", "7", "#");
    if (doc.text.size() != before) {
      ++values_written;
      if (selects) FUZZ_EXPECT(doc.text.size() == before + 1);
    }
  }
  FUZZ_EXPECT(doc.channel_counter == channels);
  FUZZ_EXPECT(selects ? values_written <= 1 : values_written == channels);
  EndText(doc, options);
  for (OutputMode mode : {OutputMode::Mistrane, OutputMode::ExeXml}) {
    OutputDocument other;
    other.mode = mode;
    BeginDocument(other);
    BeginText(other);
    AppendText(other, ctx.params_raw);
    EndText(other, options);
    EmitChannel(other, options, ctx.params_raw, ctx.params_raw, ctx.params_raw);
    EndDocument(other);
  }

  // "Item="
  for (std::size_t at = ctx.params.find("ITEM="); at != std::string::npos;
       at = ctx.params.find("ITEM=", at + 1)) {
    const std::string name = ItemNameAt(ctx.params_raw, at + 5);
    FUZZ_EXPECT(name.size() <= 90);
  }
  FUZZ_EXPECT(GlobalSensorKey(ctx.params).size() == 10);

  // Task types: a selection names a type, and never with a "-" about.
  const std::optional<std::size_t> selected = SelectedTaskType(ctx.params);
  if (selected) {
    FUZZ_EXPECT(*selected < kTaskTypeCount);
    FUZZ_EXPECT(ctx.params.find('-') == std::string::npos);
  }
  for (std::size_t type = 0; type < kTaskTypeCount; ++type) IsExcludedType(ctx.params, type);

  CheckLogonOptions(ctx, size % 2 == 1);
  return 0;
}
