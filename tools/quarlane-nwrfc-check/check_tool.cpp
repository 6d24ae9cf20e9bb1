#include "check_tool.h"
#include "check_steps.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <istream>
#include <optional>
#include <ostream>

#include "find_profile.h"
#include "nwrfc/capture.h"
#include "nwrfc/collector.h"
#include "nwrfc/in_process.h"
#include "nwrfc/library.h"
#include "nwrfc/sdk.h"
#include "nwrfc/text.h"
#include "output/plain_text.h"
#include "platform/files.h"
#include "rfc/connection.h"
#include "rfc/remote_calls.h"
#include "rfc/workload_summary.h"
#include "sensor/profile_location.h"
#include "sensor/system_profile.h"
#include "util/text_lines.h"
#include "util/version.h"

namespace quarlane {

const char *const kCheckUsage =
    "usage: quarlane-nwrfc-check [--json] [--capture FILE [--capture-keep-names]] PROFILE\n"
    "       quarlane-nwrfc-check [--json] [--capture FILE [--capture-keep-names]]\n"
    "                            --host HOST --sysnr NN --client CCC --user USER [--lang EN] "
    "[--dest NAME]\n"
    "       quarlane-nwrfc-check --help | -h | /?\n"
    "       quarlane-nwrfc-check --version\n"
    "\n"
    "Checks once, before a sensor is set up, whether and why the sensor will work against an SAP\n"
    "system through the NetWeaver RFC bridge: the SDK loaded and its version, the logon with the\n"
    "SDK's own message, the system's release and kernel, the four function modules (present, "
    "callable\n"
    "by this user, which one serves today's workload summary), the collector's row fields (those "
    "the\n"
    "sensor does not use are skipped), today's figures per task type as the sensor computes them "
    "(both\n"
    "workload modules side by side where both answer, the collector's figures for the logon "
    "instance\n"
    "beside the whole system's, the task types the sensor does not list), and the time of each "
    "step.\n"
    "\n"
    "PROFILE is found and read as the sensor finds it (the PRTG folder search, or the folder "
    "given\n"
    "with the name). With --host the password is asked for (without echo at a terminal; otherwise\n"
    "the first line of standard input). quarlane-nwrfc.ini and the SDK are taken from this "
    "program's\n"
    "folder, as the bridge beside the sensor takes them. The check writes no file: not the "
    "profile,\n"
    "not SapRfc.ini, not the trace Dev_Rfc.Trc (the SDK's own trace follows the SDK's settings);\n"
    "only the capture file, when --capture asks for one.\n"
    "Control characters in what it shows become \"?\"; its text is UTF-8.\n"
    "\n"
    "  --json     the same as one JSON document (for a support request), with the tool's version\n"
    "             and the time of the check (UTC)\n"
    "  --version  the tool's version\n"
    "  --capture FILE\n"
    "             also write FILE: what the bridge asked the SDK and what the system answered\n"
    "             (descriptions, rows, errors, times), to send to Quarlane's developers; it holds "
    "no\n"
    "             password, and user, host and system names are replaced by placeholders\n"
    "  --capture-keep-names\n"
    "             keep the user, host and system names in the capture\n"
    "\n"
    "Exit status (the verdict): 0 ok, the sensor will work; 2 wrong usage; 3 profile not found or "
    "not\n"
    "usable; 4 SDK not loaded; 5 logon failed; 6 module missing; 7 not authorised; 8 a call "
    "failed;\n"
    "9 no figures today; 10 the two workload modules' figures differ (units).\n";

using Clock = std::chrono::steady_clock;

namespace {

using nwrfc::ProcessLibrary;
using nwrfc::Upper;

struct Arguments {
  bool json = false;
  std::string capture; // --capture FILE
  bool keep_names = false;
  std::string profile;
  ConnectionParameters given; // with --host
  bool by_host = false;
};

// A word that looks like an option is never taken as a value: "--host
// --client 100" names no host.
bool LooksLikeOption(const std::string &word) {
  return (word.size() > 1 && word[0] == '-') || word == "/?";
}

// What is wrong with the arguments, or "" when they make a check.
std::string ParseArguments(const std::vector<std::string> &args, Arguments *parsed) {
  parsed->given.language = "EN";
  struct ValueOption {
    const char *name;
    std::string ConnectionParameters::*field;
  };
  const ValueOption kValueOptions[] = {
      {"--host", &ConnectionParameters::hostname}, {"--sysnr", &ConnectionParameters::sysnr},
      {"--client", &ConnectionParameters::client}, {"--user", &ConnectionParameters::user},
      {"--lang", &ConnectionParameters::language}, {"--dest", &ConnectionParameters::destination},
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string &a = args[i];
    const ValueOption *option = nullptr;
    for (const ValueOption &candidate : kValueOptions)
      if (a == candidate.name) option = &candidate;
    if (a == "--json") {
      parsed->json = true;
    } else if (a == "--capture") {
      if (i + 1 >= args.size() || LooksLikeOption(args[i + 1]) || args[i + 1].empty())
        return a + " needs a file name";
      parsed->capture = args[++i];
    } else if (a == "--capture-keep-names") {
      parsed->keep_names = true;
    } else if (option) {
      if (i + 1 >= args.size() || LooksLikeOption(args[i + 1]) || args[i + 1].empty())
        return a + " needs a value";
      parsed->given.*(option->field) = args[++i];
      if (a == "--host") parsed->by_host = true;
    } else if (LooksLikeOption(a)) {
      return "unknown option " + a;
    } else if (parsed->profile.empty()) {
      parsed->profile = a;
    } else {
      return "one profile only (" + parsed->profile + ", then " + a + ")";
    }
  }
  if (parsed->keep_names && parsed->capture.empty())
    return "--capture-keep-names goes with --capture FILE";
  const ConnectionParameters &g = parsed->given;
  if (parsed->by_host) {
    if (!parsed->profile.empty()) return "a profile (" + parsed->profile + ") or --host, not both";
    std::string missing;
    for (const auto &[value, name] :
         {std::pair<const std::string *, const char *>{&g.sysnr, "--sysnr"},
          {&g.client, "--client"},
          {&g.user, "--user"}})
      if (value->empty()) missing += std::string(missing.empty() ? "" : ", ") + name;
    if (!missing.empty()) return "--host needs " + missing + " as well";
    if (parsed->given.destination.empty()) parsed->given.destination = g.hostname;
    return "";
  }
  if (parsed->profile.empty()) return "a profile or --host is needed";
  // Logon words without --host would be silently ignored beside a profile.
  if (!g.sysnr.empty() || !g.client.empty() || !g.user.empty() || !g.destination.empty())
    return "--sysnr, --client, --user and --dest go with --host, not with a profile";
  return "";
}

bool IsMissingModule(const std::string &text) {
  const std::string upper = Upper(text);
  return upper.find("FU_NOT_FOUND") != std::string::npos ||
         upper.find("FUNCTION_NOT_FOUND") != std::string::npos ||
         upper.find("RFC_NOT_FOUND") != std::string::npos;
}

std::optional<ConnectionParameters> ProfileParameters(const std::string &argument,
                                                      CheckResult &result, std::ostream &err) {
  const Clock::time_point started = Clock::now();
  const std::optional<FoundProfile> found =
      FindSystemProfile(argument, err, "quarlane-nwrfc-check");
  const std::optional<std::string> path = found ? std::make_optional(found->path) : std::nullopt;
  std::optional<std::string> bytes = path ? ReadText(*path) : std::nullopt;
  if (!bytes) {
    AddStep(result, "profile", false, "cannot read the profile " + argument, started);
    Conclude(result, Verdict::NoProfile, "the profile " + argument + " cannot be found or read");
    return std::nullopt;
  }
  const TextLines lines(std::move(*bytes));
  const SystemProfileReading reading = ReadSystemProfile(lines, SplitProfileName(*path).name);
  if (reading.failure()) {
    AddStep(result, "profile", false, *path + ": " + reading.failure()->text, started);
    Conclude(result, Verdict::NoProfile,
             "the sensor cannot use the profile: " + reading.failure()->text);
    return std::nullopt;
  }
  AddStep(result, "profile", true, *path, started);
  return reading.parameters;
}

// A destination file the sensor would copy to SapRfc.ini and log on through
// (RfcOpenEx): the check never writes SapRfc.ini, so it says so and logs on
// with the profile's host and system number.
void NoteDestinationFile(const ConnectionParameters &parameters, CheckResult &result) {
  const Clock::time_point started = Clock::now();
  if (!ReadDestinationFile(Disk(), parameters)) return;
  AddStep(result, "SapRfc." + parameters.destination, true,
          "the sensor logs on through this destination file here; the check uses the profile's "
          "host and system "
          "number instead (it never writes SapRfc.ini)",
          started);
}

std::optional<std::string> AskPassword(std::istream &in, PasswordPrompt *prompt) {
  if (prompt != nullptr) return prompt->Ask("Password: ");
  std::string line;
  if (!std::getline(in, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// The bridge's own last message: the SDK's text of a failed logon or call.
std::string LastMessage() {
  const nwrfc::ErrorEntry &error = ProcessLibrary().last_error;
  if (!ProcessLibrary().has_error) return std::string();
  return error.key.empty() ? error.message : error.key + ": " + error.message;
}

// The SDK, then the logon as the sensor makes it through the profile's
// fields (OpenRfcConnection); the handle goes into the session.
bool LoadAndLogOn(const ConnectionParameters &parameters, RfcSession &session,
                  CheckResult &result) {
  Clock::time_point started = Clock::now();
  std::string problem;
  const nwrfc::Sdk *sdk = nwrfc::LoadSdk(&problem);
  if (sdk == nullptr) {
    AddStep(result, "SDK", false, problem, started);
    Conclude(result, Verdict::NoSdk, "the SAP NetWeaver RFC SDK cannot be loaded");
    return false;
  }
  result.sdk_path = sdk->path;
  result.sdk_version = nwrfc::SdkVersionText(*sdk);
  const std::string missing = nwrfc::MissingFunctionsText(*sdk);
  AddStep(result, "SDK", true,
          sdk->path + (result.sdk_version.empty() ? "" : ", version " + result.sdk_version) +
              (missing.empty() ? "" : "; " + missing),
          started);
  started = Clock::now();
  StepLog log; // not enabled: the check writes no log
  const Result<RFC_HANDLE> handle =
      OpenRfcConnection(session, parameters, std::nullopt, LogonOverrides(), log);
  const std::string who = "client " + parameters.client + " user " + parameters.user + " at " +
                          parameters.hostname + " system number " + parameters.sysnr;
  if (!handle) {
    AddStep(result, "logon", false, who + ": " + LastMessage(), started);
    const std::string reason = ProcessLibrary().last_error.message;
    Conclude(result, Verdict::LogonFailed, reason.empty() ? "the SDK gave no reason" : reason);
    return false;
  }
  session.handle = *handle;
  AddStep(result, "logon", true, who, started);
  return true;
}

// Writes the capture file whole; the reason when it cannot.
std::string WriteCapture(const std::string &path, const std::string &text) {
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return std::strerror(errno);
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed ? std::string() : std::string("writing failed");
}

} // namespace

bool IsAuthorisationProblem(const std::string &text) {
  // How the SDK reports a missing S_RFC authorisation is unconfirmed: a key
  // or message naming an authorisation.
  const std::string upper = Upper(text);
  return upper.find("AUTHORI") != std::string::npos || upper.find("S_RFC") != std::string::npos;
}

void AddStep(CheckResult &result, const std::string &name, bool ok, const std::string &detail,
             Clock::time_point started) {
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
  result.steps.push_back(CheckStep{name, ok, detail, ms});
}

void Conclude(CheckResult &result, Verdict verdict, const std::string &text) {
  if (result.verdict != Verdict::Ok) return; // the first problem found is the verdict
  result.verdict = verdict;
  result.verdict_text = text;
}

// What a failed call of a module says about it.
void ClassifyFailure(ModuleCheck &module, const Failure &failure, CheckResult &result) {
  const std::string said = LastMessage();
  module.detail = failure.text + (said.empty() ? "" : " (" + said + ")");
  if (IsAuthorisationProblem(said) && Upper(said).find("RFC_METADATA_GET") != std::string::npos) {
    // The description of the module could not be read: the authorisation
    // missing is the one for the metadata module, not for this module.
    module.state = module_state::kNotAuthorised;
    Conclude(result, Verdict::NotAuthorised,
             "RFC_METADATA_GET: this user may not read function module descriptions (S_RFC), so " +
                 module.name + " cannot be called: " + said);
  } else if (IsAuthorisationProblem(said)) {
    module.state = module_state::kNotAuthorised;
    Conclude(result, Verdict::NotAuthorised,
             module.name + ": not authorised for this user (S_RFC)");
  } else if (IsMissingModule(said)) {
    module.state = module_state::kMissing;
    Conclude(result, Verdict::ModuleMissing, module.name + " does not exist in this system");
  } else {
    module.state = module_state::kFailed;
    Conclude(result, Verdict::CallFailed, module.name + " failed: " + module.detail);
  }
}

ModuleCheck &Module(CheckResult &result, const std::string &name) {
  for (ModuleCheck &module : result.modules)
    if (module.name == name) return module;
  result.modules.push_back(ModuleCheck{name, module_state::kNotChecked, ""});
  return result.modules.back();
}

int RunCheckTool(const std::vector<std::string> &args, std::istream &in, std::ostream &out,
                 std::ostream &err, PasswordPrompt *prompt) {
  Arguments arguments;
  for (const std::string &a : args) {
    if (a == "--help" || a == "-h" || a == "/?") {
      out << kCheckUsage;
      return 0;
    }
    if (a == "--version") {
      out << "quarlane-nwrfc-check " << BuildVersion() << "\n";
      return 0;
    }
  }
  const std::string wrong = ParseArguments(args, &arguments);
  if (!wrong.empty()) {
    err << "quarlane-nwrfc-check: " << PrintableUtf8Text(wrong) << "\n\n" << kCheckUsage;
    return static_cast<int>(Verdict::Usage);
  }
  // The check writes no file: the bridge's failures go to its last error
  // only, not to the trace "Dev_Rfc.Trc".
  ProcessLibrary().writes_trace = false;
  CheckResult result;
  result.checked_at = std::time(nullptr);
  if (!arguments.capture.empty()) {
    // A capture file that cannot be written is wrong usage, found before the
    // logon rather than after it.
    const std::string problem = WriteCapture(arguments.capture, std::string());
    if (!problem.empty()) {
      err << "quarlane-nwrfc-check: "
          << PrintableUtf8Text("the capture file " + arguments.capture +
                               " cannot be written: " + problem)
          << "\n";
      return static_cast<int>(Verdict::Usage);
    }
    result.capture.file = arguments.capture;
    result.capture.keep_names = arguments.keep_names;
    nwrfc::StartCapture();
  }
  std::optional<ConnectionParameters> parameters = arguments.given;
  if (arguments.by_host) {
    std::optional<std::string> password = AskPassword(in, prompt);
    if (!password) {
      err << "quarlane-nwrfc-check: no password given\n";
      return static_cast<int>(Verdict::Usage);
    }
    parameters->password = *password;
    parameters->user = Upper(parameters->user);
  } else {
    parameters = ProfileParameters(arguments.profile, result, err);
  }
  if (parameters) {
    result.destination = parameters->destination;
    NoteDestinationFile(*parameters, result);
    RfcLibrary library;
    nwrfc::FillInProcessLibrary(library);
    RfcSession session;
    session.library = &library;
    if (LoadAndLogOn(*parameters, session, result)) {
      CheckSystem(session, result);
      CloseRfcConnection(session);
    }
  }
  if (!result.capture.file.empty()) {
    nwrfc::CaptureHeader header;
    header.tool = std::string("quarlane-nwrfc-check ") + BuildVersion();
    header.captured_at = IsoUtc(result.checked_at);
    header.sdk = result.sdk_version;
    header.verdict = VerdictWord(result.verdict);
    header.exit_status = static_cast<int>(result.verdict);
    header.keep_names = arguments.keep_names;
    result.capture.problem = WriteCapture(result.capture.file, nwrfc::CaptureText(header));
  }
  if (arguments.json)
    WriteJsonReport(result, out);
  else
    WriteTextReport(result, out);
  return static_cast<int>(result.verdict);
}

} // namespace quarlane
