// RfcOpen and RfcOpenEx: choosing the system, checking the address and the
// logon, and every way an open can fail.
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <system_error>
#include <thread>

#include "rfcshared/last_error.h"
#include "rfcsim/call_log.h"
#include "rfcsim/destinations.h"
#include "rfcsim/library.h"
#include "rfcsim/text.h"

namespace quarlane::rfcsim {

namespace {

// The group reported in RFC_ERROR_INFO_EX.
enum ErrorGroup { kGroupLibrary = 1, kGroupCommunication = 2, kGroupLogon = 3 };

const char kLogonRefused[] = "Name or password is incorrect (repeat logon)";

struct OpenRequest {
  std::string operation; // "RfcOpen" or "RfcOpenEx"
  std::string destination;
  bool via_destination_file = false; // RfcOpenEx: the address comes from "SapRfc.ini"
  std::string client, user, password;
  std::optional<std::string> hostname; // absent: not given (NULL)
  int sysnr = 0;
  std::optional<std::string> gateway_host, gateway_service;
};

struct OpenOutcome {
  RFC_HANDLE handle = 0;
  int group = 0;
  ErrorEntry error;
  bool call_handler = false;
  std::string handler_text;
};

std::optional<std::string> Optional(const char *text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

OpenOutcome Failed(ErrorGroup group, const OpenRequest &request, const std::string &key,
                   const std::string &status, const std::string &message,
                   const std::string &intstat) {
  OpenOutcome outcome;
  outcome.group = group;
  outcome.error.operation = request.operation;
  outcome.error.key = key;
  outcome.error.status = status;
  outcome.error.message = message;
  outcome.error.intstat = intstat;
  return outcome;
}

OpenOutcome CommunicationFailure(const OpenRequest &request, const std::string &message,
                                 const std::string &intstat) {
  return Failed(kGroupCommunication, request, "RFC_ERROR_COMMUNICATION",
                "CONNECT to " + request.destination + " failed", message, intstat);
}

OpenOutcome LogonFailure(const OpenRequest &request, const std::string &message,
                         const std::string &intstat) {
  return Failed(kGroupLogon, request, "RFC_ERROR_LOGON_FAILURE",
                "Logon to " + request.destination + " client " + request.client + " user " +
                    TrimRight(request.user) + " refused",
                message, intstat);
}

// The folder shown in full, so that nobody wonders which one was meant.
std::string FolderShown(const std::string &folder) {
  std::error_code error;
  const std::filesystem::path absolute =
      std::filesystem::absolute(folder.empty() ? "." : folder, error);
  return error ? folder : absolute.lexically_normal().string();
}

OpenOutcome NoLandscape(Library &library, const OpenRequest &request) {
  return Failed(kGroupLibrary, request, "RFC_ERROR_NO_LANDSCAPE",
                "librfc32 is the simulated RFC library: no landscape file " +
                    std::string(kLandscapeFileName),
                "This RFC library is a simulator and serves no SAP system: " +
                    std::string(kLandscapeFileName) + " not found in the working folder " +
                    FolderShown(library.folder),
                "simulator without " + std::string(kLandscapeFileName));
}

OpenOutcome BadLandscape(const Landscape &landscape, const OpenRequest &request) {
  const std::size_t count = landscape.problems.size();
  std::string message = landscape.problems.front();
  if (count > 1)
    message += " (and " + std::to_string(count - 1) + " more problems, see " + kTraceFileName + ")";
  OpenOutcome outcome =
      Failed(kGroupLibrary, request, "RFC_ERROR_LANDSCAPE",
             std::string(kLandscapeFileName) + " of the simulated RFC library has " +
                 std::to_string(count) +
                 (count == 1 ? " problem; no system is served" : " problems; no system is served"),
             message, std::string("simulator: ") + kLandscapeFileName + " not usable");
  const std::size_t shown = count < 100 ? count : 100;
  outcome.error.problems.assign(landscape.problems.begin(),
                                landscape.problems.begin() + static_cast<std::ptrdiff_t>(shown));
  return outcome;
}

// The address checks: a system that names its host, number or gateway is
// only reached through them; an address not given is taken as "any".
std::optional<OpenOutcome> CheckAddress(const SapSystem &system, const OpenRequest &request) {
  if (request.hostname && !system.host.empty() && !SameText(Trim(*request.hostname), system.host))
    return CommunicationFailure(request, "partner " + Trim(*request.hostname) + " not reached",
                                "host " + Trim(*request.hostname) + " is not the host of " +
                                    system.name);
  if (request.hostname && system.sysnr_given && request.sysnr != system.sysnr)
    return CommunicationFailure(request,
                                "partner " + Trim(*request.hostname) + ":sapgw" +
                                    (request.sysnr >= 0 && request.sysnr < 10 ? "0" : "") +
                                    std::to_string(request.sysnr) + " not reached",
                                "system number " + std::to_string(request.sysnr) +
                                    " is not that of " + system.name);
  if (request.gateway_host && !system.gwhost.empty() &&
      !SameText(Trim(*request.gateway_host), system.gwhost))
    return CommunicationFailure(request, "gateway " + Trim(*request.gateway_host) + " not reached",
                                "gateway host is not that of " + system.name);
  if (request.gateway_service && !system.gwservice.empty() &&
      !SameText(Trim(*request.gateway_service), system.gwservice))
    return CommunicationFailure(request,
                                "gateway service " + Trim(*request.gateway_service) + " unknown",
                                "gateway service is not that of " + system.name);
  return std::nullopt;
}

OpenOutcome TryOpen(Library &library, OpenRequest request) {
  const Landscape &landscape = ReloadLandscape(library);
  if (!landscape.found) return NoLandscape(library, request);
  if (!landscape.problems.empty()) return BadLandscape(landscape, request);
  if (Trim(request.destination).empty())
    return Failed(kGroupLibrary, request, "RFC_ERROR_PROGRAM",
                  request.operation + ": no destination given", "no destination given",
                  "destination empty");

  if (request.via_destination_file) {
    DestinationEntry entry;
    std::string error;
    if (!FindDestination(library.folder, request.destination, &entry, &error))
      return CommunicationFailure(request, error, "DEST=" + request.destination);
    if (!entry.Value("ASHOST").empty()) request.hostname = entry.Value("ASHOST");
    std::int64_t sysnr = 0;
    if (ParseInteger(Trim(entry.Value("SYSNR")), &sysnr) && sysnr >= 0 && sysnr <= 99)
      request.sysnr = static_cast<int>(sysnr);
    if (!entry.Value("GWHOST").empty()) request.gateway_host = entry.Value("GWHOST");
    if (!entry.Value("GWSERV").empty()) request.gateway_service = entry.Value("GWSERV");
  }

  const SapSystem *system = FindSystem(landscape, request.destination);
  if (system == nullptr)
    return CommunicationFailure(request, "partner " + Trim(request.destination) + " not reached",
                                "destination " + Trim(request.destination) + " not in " +
                                    kLandscapeFileName);

  std::vector<Fault> faults = landscape.faults;
  faults.insert(faults.end(), system->faults.begin(), system->faults.end());
  const Fault *fault = FindFault(faults, FaultSite::Open, "");
  // A slow partner: the logon is answered late, then as it would be.
  if (fault && fault->delay_ms > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(fault->delay_ms));
  if (fault && (fault->open_failure != OpenFailure::None || fault->handler)) {
    OpenOutcome outcome;
    if (fault->open_failure == OpenFailure::Logon) {
      outcome = LogonFailure(request, fault->message.empty() ? kLogonRefused : fault->message,
                             fault->where);
    } else if (fault->open_failure == OpenFailure::Communication) {
      outcome = CommunicationFailure(
          request,
          fault->message.empty() ? "partner " + system->name + " not reached" : fault->message,
          fault->where);
    } else {
      outcome =
          Failed(kGroupLibrary, request, "RFC_ERROR_PROGRAM",
                 request.operation + " " + system->name + " failed",
                 fault->message.empty() ? "internal error in " + request.operation : fault->message,
                 fault->where);
    }
    outcome.call_handler = fault->handler;
    outcome.handler_text = fault->handler_text.empty() ? request.operation : fault->handler_text;
    return outcome;
  }

  if (std::optional<OpenOutcome> unreachable = CheckAddress(*system, request)) return *unreachable;

  if (Trim(request.client) != system->client)
    return LogonFailure(request,
                        "Client " + Trim(request.client) + " is not available in this system",
                        "client " + Trim(request.client) + " is not " + system->client);
  // Callers fill user and password with blanks (to 12 and 10 characters).
  if (!SameText(TrimRight(request.user), TrimRight(system->user)) ||
      TrimRight(request.password) != TrimRight(system->password))
    return LogonFailure(request, kLogonRefused, "user or password not that of " + system->name);

  OpenOutcome opened;
  opened.handle = library.next_handle++;
  Connection &connection = library.connections[opened.handle];
  connection.system = *system;
  connection.faults = faults;
  library.recent_faults = faults;
  library.opened_any = true;
  return opened;
}

// Records the failure, logs the call and, last, calls the handler.
RFC_HANDLE Finish(Library &library, const OpenOutcome &outcome, const std::string &log_line) {
  if (outcome.handle == 0) RecordFailure(library, outcome.error);
  LogCall(library, log_line + " -> " + std::to_string(outcome.handle) +
                       (outcome.handle == 0 ? " " + outcome.error.key : std::string()));
  if (outcome.handle == 0 && outcome.call_handler) CallHandler(library, outcome.handler_text);
  return outcome.handle;
}

} // namespace

RFC_HANDLE Open(Library &library, RFC_OPTIONS *options) {
  OpenRequest request;
  request.operation = "RfcOpen";
  const std::string log_line = "RfcOpen " + DescribeOptions(options);
  if (options == nullptr)
    return Finish(library,
                  Failed(kGroupLibrary, request, "RFC_ERROR_PROGRAM", "RfcOpen without options",
                         "no options given", "options NULL"),
                  log_line);
  request.destination = FromCString(options->destination);
  request.client = FromCString(options->client);
  request.user = FromCString(options->user);
  request.password = FromCString(options->password);
  if (options->mode == 0) {
    if (const auto *host = static_cast<const RFC_CONNOPT_HOST *>(options->connopt)) {
      request.hostname = Optional(host->hostname);
      request.sysnr = host->sysnr;
      request.gateway_host = Optional(host->gateway_host);
      request.gateway_service = Optional(host->gateway_service);
    }
  } else if (options->mode == 1) {
    if (const auto *gateway = static_cast<const RFC_CONNOPT_GATEWAY *>(options->connopt)) {
      request.gateway_host = Optional(gateway->gateway_host);
      request.gateway_service = Optional(gateway->gateway_service);
    }
  } else {
    return Finish(library,
                  Failed(kGroupLibrary, request, "RFC_ERROR_PROGRAM",
                         "RfcOpen with mode " + std::to_string(options->mode),
                         "mode " + std::to_string(options->mode) + " unknown (0 host, 1 gateway)",
                         "mode"),
                  log_line);
  }
  return Finish(library, TryOpen(library, request), log_line);
}

RFC_HANDLE OpenEx(Library &library, char *connect_string, RFC_ERROR_INFO_EX *error_info) {
  OpenRequest request;
  request.operation = "RfcOpenEx";
  const std::string log_line = "RfcOpenEx connect=" + TextArgument(connect_string) +
                               " error_info=" + (error_info == nullptr ? "(null)" : "set");
  OpenOutcome outcome;
  if (connect_string == nullptr) {
    outcome =
        Failed(kGroupLibrary, request, "RFC_ERROR_PROGRAM", "RfcOpenEx without connect string",
               "no connect string given", "connect string NULL");
  } else {
    const std::map<std::string, std::string> words = SplitConnectString(connect_string);
    const auto word = [&](const char *key) {
      const auto found = words.find(key);
      return found == words.end() ? std::string() : found->second;
    };
    request.destination = word("DEST");
    request.client = word("CLIENT");
    request.user = word("USER");
    request.password = word("PASSWD");
    request.via_destination_file = true;
    outcome = TryOpen(library, request);
  }
  rfcshared::FillOpenErrorInfo(outcome.handle, outcome.group, outcome.error, error_info);
  return Finish(library, outcome, log_line);
}

} // namespace quarlane::rfcsim
