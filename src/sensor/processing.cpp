#include "sensor/processing.h"

#include "loadstats/load_analysis.h"
#include "platform/files.h"
#include "platform/process.h"
#include "rfc/connection.h"
#include "rfc/error_report.h"
#include "rfc/library.h"
#include "rfc/log_hook.h"
#include "rfc/remote_calls.h"
#include "sensor/command_line.h"
#include "sensor/console.h"
#include "sensor/run.h"
#include "sensor/system_profile.h"

namespace quarlane {

namespace {

// The library is needed from here on; it is loaded once and its error handler
// registered before every logon.
void PrepareRfcEnvironment(Run &run) {
  RegisterRfcErrorHandler(EnsureRfcLibrary(run.rfc), run.out);
}

// "#..." and "@..." only switch modes; what stands before them is shown.
std::string SingleSystemParameterText(const std::string &params_raw) {
  std::string text = params_raw.substr(0, params_raw.find('#'));
  text = text.substr(0, text.find('@'));
  if (text == "(Parameters " || text == "(No ") text.clear();
  return text.empty() ? "(No Parameters)" : text;
}

std::string ItemRunParameterText(const std::string &params_raw) {
  std::string text = params_raw;
  for (char &c : text)
    if (c == ':') c = ' ';
  std::size_t blank_at = text.find(" @");
  return blank_at == std::string::npos ? text : text.substr(0, blank_at);
}

std::string SystemLine(const std::string &time, const std::string &name, const Run &run) {
  return "* " + time + " " + name + ", " + run.sap.SystemHost + ", " + run.conn.Destination + ", " +
         run.conn.Sysnr + ", " + run.conn.Client;
}

std::string SystemLabel(const Run &run, const std::string &entry) {
  switch (run.ctx.ident_kind) {
  case '2': return entry.size() < 4 ? std::string() : entry.substr(0, entry.size() - 4);
  case '3': return run.conn.Hostname;
  case '4': return run.conn.Destination;
  default: return entry;
  }
}

// The start time is the time of day that the start banner shows.
std::string StartTime(const RunContext &ctx) { return ctx.start_banner.substr(2, 8); }

std::string TakeNextEntry(std::string &server_listing) {
  std::size_t end = server_listing.find('#');
  std::string entry = server_listing.substr(0, end);
  server_listing.erase(0, end == std::string::npos ? std::string::npos : end + 1);
  return entry;
}

// The remote work on the open connection: CPU data, system information, then
// the load analysis, after which the connection is closed. False when one of
// the first two calls failed: that ends the whole run, with the connection
// still open for the error exit to close.
bool AnalyseOpenSystem(Run &run) {
  run.ctx.run_status = "ERR";
  FetchCpuData(run);
  if (run.ctx.run_status != "OK") return false;
  run.ctx.run_status = "ERR";
  FetchSystemInfo(run);
  if (run.ctx.run_status != "OK") return false;
  run.ctx.run_status = "ERR";
  RunLoadAnalysis(run);
  CloseRfcConnection(run);
  return true;
}

} // namespace

int ProcessSingleSystem(Run &run) {
  std::optional<std::vector<std::string>> lines = ReadLines(run.ctx.profile_path);
  if (!lines) throw RunFailure{"Error 1002: Profile " + run.ctx.profile_path + " is missing..."};
  ReadSystemProfile(run, *lines);
  CheckConnectionParameters(run);

  LogStep(run, 0, "program started", run.ctx.program_path);
  PrepareRfcEnvironment(run);
  LogStep(run, 0, "RfcEnvironment called", "");

  run.doc.text.clear();
  run.ctx.run_status = "ERR";
  if (run.ctx.verbose) {
    Write(run, run.ctx.start_banner + "\n");
    const std::string now = LocalTimeOfDay();
    Write(run, SystemLine(now, run.ctx.profile_name, run) + " State=Processing\n");
    Write(run, "* " + now + " " + kProductWord + " - " +
                   SingleSystemParameterText(run.ctx.params_raw) + " State=Executing\n");
  }

  RFC_HANDLE handle = OpenRfcConnection(run);
  if (handle == 0)
    throw RunFailure{"Error 1011: RFC-Open for " + run.conn.Destination + " failed !"};
  run.rfc.handle = handle;

  if (!AnalyseOpenSystem(run)) return FailedCallExit(run);
  return FinishRun(run);
}

int ProcessServerListing(Run &run) {
  const std::string parameter_text = ItemRunParameterText(run.ctx.params_raw);
  if (run.ctx.verbose) {
    Write(run, run.ctx.start_banner + "\n");
    Write(run, "* " + StartTime(run.ctx) + " " + parameter_text + " State=Executing\n");
  }
  BeginDocument(run.doc);
  Write(run, run.doc.text + "\n");
  run.doc.text.clear();

  ItemRunState &item = run.item;
  while (!run.ctx.server_listing.empty()) {
    item.found_flag = '.';
    ++item.no_systems;
    const std::string entry = TakeNextEntry(run.ctx.server_listing);
    item.system_label = entry;
    run.ctx.profile_path = run.ctx.profile_folder + entry;
    std::optional<std::vector<std::string>> lines = ReadLines(run.ctx.profile_path);
    if (!lines) continue; // a listed system without a profile is skipped silently

    item.profile_check_flag = '.';
    ReadSystemProfile(run, *lines);
    CheckConnectionParameters(run);
    item.system_label = SystemLabel(run, entry);
    const std::string description = SystemLine(LocalTimeOfDay(), entry, run);

    PrepareRfcEnvironment(run);
    run.doc.text.clear();
    run.ctx.run_status = "ERR";
    RFC_HANDLE handle = OpenRfcConnection(run);
    if (handle == 0) {
      item.profile_check_flag = 'X';
    } else {
      run.rfc.handle = handle;
      if (!AnalyseOpenSystem(run)) return FailedCallExit(run);
    }

    const char *state = "Processed";
    if (item.found_flag == '.') state = "Not Found";
    if (item.profile_check_flag == 'X' || run.ctx.run_status != "OK") state = "Rfc Failure";
    if (item.profile_check_flag == '.' && run.ctx.run_status == "OK" && item.found_flag == 'X')
      ++item.processed;
    else
      ++item.failed;
    if (run.ctx.verbose) Write(run, "\n" + description + " State=" + state + "\n");
  }

  // A failure text of the last system does not belong in the summary.
  run.doc.text.clear();
  BeginText(run.doc);
  AppendText(run.doc, "(***) " + run.ctx.item_name + ": NoSystems=" + std::to_string(item.no_systems) +
                          ", Processed=" + std::to_string(item.processed) +
                          ", Failed=" + std::to_string(item.failed));
  EndText(run.doc, ChannelOptionsOf(run.ctx));
  EndDocument(run.doc);
  return FinishRun(run);
}

} // namespace quarlane
