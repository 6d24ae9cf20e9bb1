// RfcOpen, RfcOpenEx and RfcClose: the logon through the SDK, under the time
// bound, and every way it can fail.
#include <cstdlib>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "nwrfc/library.h"
#include "nwrfc/logon.h"
#include "nwrfc/sdk.h"
#include "nwrfc/settings.h"
#include "nwrfc/text.h"
#include "platform/bounded_read.h"
#include "rfcshared/last_error.h"

namespace quarlane::nwrfc {

namespace {

namespace nw = sapnwrfc;

// The group reported in RFC_ERROR_INFO_EX, as the simulated library has it.
enum OpenGroup { kGroupLibrary = 1, kGroupCommunication = 2, kGroupLogon = 3 };

struct OpenOutcome {
  RFC_HANDLE handle = 0;
  int group = 0;
  ErrorEntry error;
};

OpenOutcome Failed(OpenGroup group, ErrorEntry error) {
  OpenOutcome outcome;
  outcome.group = group;
  outcome.error = std::move(error);
  return outcome;
}

// A destination file as the sensor reads its files: a regular file only,
// never waiting, at most 64 MiB; anything else is a file that does not open.
constexpr std::size_t kMostDestinationFileBytes = std::size_t{64} << 20;

std::optional<std::string> ReadFile(const std::string &path) {
  BoundedRead file = ReadRegularFileNoWait(path, kMostDestinationFileBytes);
  if (file.state != FileState::Regular) return std::nullopt;
  return std::move(file.bytes);
}

// What a blocked logon leaves behind: the worker and the waiting caller share
// it; whoever comes last closes a connection nobody will use.
struct OpenJob {
  std::vector<std::u16string> texts; // names and values, kept alive for the SDK
  std::vector<nw::RFC_CONNECTION_PARAMETER> parameters;
  nw::RFC_CONNECTION_HANDLE handle = nullptr;
  nw::RFC_ERROR_INFO info{};
  std::mutex mutex;
  bool finished = false;
  bool abandoned = false;
};

void CloseInBackground(const Sdk *sdk, nw::RFC_CONNECTION_HANDLE handle) {
  NoteThreadLeftBehind();
  try {
    std::thread([sdk, handle] {
      nw::RFC_ERROR_INFO ignored{};
      sdk->RfcCloseConnection(handle, &ignored);
    }).detach();
  } catch (...) {
    // Without a thread the connection stays open until the process ends.
  }
}

std::string UserShown(const Logon &logon) { return logon.Value("user"); }

OpenOutcome SdkFailure(const std::string &operation, const Logon &logon,
                       const nw::RFC_ERROR_INFO &info) {
  ErrorEntry error;
  error.operation = operation;
  error.key = SdkText(info.key, sizeof info.key / sizeof info.key[0]);
  if (error.key.empty()) error.key = RcName(info.code);
  TakeSdkMessage(info, &error);
  if (error.message.empty()) error.message = RcName(info.code);
  error.intstat =
      "NetWeaver RFC SDK: " + RcName(info.code) + ", error group " + std::to_string(info.group);
  OpenGroup group = kGroupLibrary;
  if (info.code == nw::RFC_LOGON_FAILURE || info.group == nw::LOGON_FAILURE) {
    group = kGroupLogon;
    error.status = "Logon to " + logon.destination + " client " + logon.Value("client") + " user " +
                   UserShown(logon) + " refused";
  } else if (info.code == nw::RFC_COMMUNICATION_FAILURE ||
             info.group == nw::COMMUNICATION_FAILURE) {
    group = kGroupCommunication;
    error.status = "CONNECT to " + logon.destination + " failed";
  } else {
    error.status = operation + " " + logon.destination + " failed";
  }
  return Failed(group, error);
}

OpenOutcome OpenThroughSdk(Library &library, const std::string &operation, const Logon &logon) {
  std::string problem;
  const auto settings_unusable = [&] {
    return Failed(kGroupLibrary,
                  ErrorEntry{operation,
                             "RFC_ERROR_PROGRAM",
                             operation + " " + logon.destination + ": settings not usable",
                             problem,
                             "NetWeaver RFC bridge settings",
                             {}});
  };
  std::optional<std::string> settings_text;
  if (!ReadSettingsFile(BridgeFolder() + kSettingsFileName, &settings_text, &problem))
    return settings_unusable();
  const char *environment = std::getenv(kTimeoutVariable);
  Settings settings;
  if (!ResolveSettings(settings_text,
                       environment ? std::optional<std::string>(environment) : std::nullopt,
                       logon.destination, &settings, &problem) ||
      !CheckConnectionFiles(settings, &problem))
    return settings_unusable();

  Logon full = logon;
  AddConnectionSettings(settings.connection, &full);

  const Sdk *sdk = LoadSdk(&problem);
  if (sdk == nullptr)
    return Failed(kGroupLibrary,
                  ErrorEntry{operation,
                             "RFC_ERROR_SDK_NOT_LOADED",
                             operation + " " + logon.destination + ": no SAP NetWeaver RFC SDK",
                             problem,
                             "SDK not loaded",
                             {}});

  auto job = std::make_shared<OpenJob>();
  for (const LogonParameter &parameter : full.parameters) {
    job->texts.push_back(FromWindows1252(parameter.name));
    job->texts.push_back(FromWindows1252(parameter.value));
  }
  for (std::size_t i = 0; i + 1 < job->texts.size(); i += 2)
    job->parameters.push_back(
        nw::RFC_CONNECTION_PARAMETER{job->texts[i].c_str(), job->texts[i + 1].c_str()});

  const Clock::time_point started = Clock::now();
  const Clock::time_point deadline = started + std::chrono::seconds(settings.timeout_seconds);
  // The logon's worker stays the connection's (bounded.h).
  auto worker = std::make_shared<BoundedWorker>();
  const BoundedOutcome outcome = worker->Run(
      [job, sdk] {
        nw::RFC_ERROR_INFO info{};
        nw::RFC_CONNECTION_HANDLE handle = sdk->RfcOpenConnection(
            job->parameters.data(), static_cast<unsigned>(job->parameters.size()), &info);
        bool close = false;
        {
          std::lock_guard<std::mutex> lock(job->mutex);
          job->handle = handle;
          job->info = info;
          job->finished = true;
          close = job->abandoned && handle != nullptr;
        }
        if (close) {
          nw::RFC_ERROR_INFO ignored{};
          sdk->RfcCloseConnection(handle, &ignored);
        }
      },
      deadline, nullptr, std::chrono::milliseconds(0));

  if (outcome != BoundedOutcome::Finished) {
    nw::RFC_CONNECTION_HANDLE late = nullptr;
    {
      std::lock_guard<std::mutex> lock(job->mutex);
      job->abandoned = true;
      if (job->finished) late = job->handle; // finished just after the deadline
    }
    if (late != nullptr) CloseInBackground(sdk, late);
    return Failed(kGroupCommunication,
                  ErrorEntry{operation,
                             "RFC_ERROR_TIMEOUT",
                             "CONNECT to " + logon.destination + " failed",
                             "Timeout: no connection to " + logon.destination + " within " +
                                 std::to_string(settings.timeout_seconds) +
                                 " seconds (time bound of the NetWeaver RFC bridge, from " +
                                 settings.timeout_source + ")",
                             "time bound " + std::to_string(settings.timeout_seconds) + " s",
                             {}});
  }
  if (job->handle == nullptr) return SdkFailure(operation, logon, job->info);

  OpenOutcome opened;
  opened.handle = library.next_handle++;
  Connection &connection = library.connections[opened.handle];
  connection.destination = logon.destination;
  connection.sdk_handle = job->handle;
  connection.settings = settings;
  connection.deadline = deadline;
  connection.worker = std::move(worker);
  return opened;
}

RFC_HANDLE Finish(Library &library, const OpenOutcome &outcome) {
  if (outcome.handle == 0) RecordFailure(library, outcome.error);
  return outcome.handle;
}

std::optional<std::string> Optional(const char *text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

ErrorEntry ProblemEntry(const std::string &operation, const LogonProblem &problem) {
  return ErrorEntry{operation,       problem.key,          problem.status,
                    problem.message, "no logon attempted", {}};
}

} // namespace

RFC_HANDLE Open(Library &library, RFC_OPTIONS *options) {
  if (options == nullptr)
    return Finish(library, Failed(kGroupLibrary, ErrorEntry{"RfcOpen",
                                                            "RFC_ERROR_PROGRAM",
                                                            "RfcOpen without options",
                                                            "no options given",
                                                            "options NULL",
                                                            {}}));
  HostRecord record;
  record.destination = FromCString(options->destination);
  record.client = FromCString(options->client);
  record.user = FromCString(options->user);
  record.password = FromCString(options->password);
  record.language = FromCString(options->language);
  if (options->mode == 1)
    return Finish(
        library,
        Failed(kGroupLibrary, ProblemEntry("RfcOpen", GatewayRecordProblem(record.destination))));
  if (options->mode != 0)
    return Finish(library, Failed(kGroupLibrary,
                                  ErrorEntry{"RfcOpen",
                                             "RFC_ERROR_PROGRAM",
                                             "RfcOpen with mode " + std::to_string(options->mode),
                                             "mode " + std::to_string(options->mode) +
                                                 " unknown (0 host, 1 gateway)",
                                             "mode",
                                             {}}));
  if (const auto *host = static_cast<const RFC_CONNOPT_HOST *>(options->connopt)) {
    record.hostname = Optional(host->hostname);
    record.sysnr = host->sysnr;
    record.gateway_host = Optional(host->gateway_host);
    record.gateway_service = Optional(host->gateway_service);
  }
  Logon logon;
  LogonProblem problem;
  if (!LogonFromHostRecord(record, &logon, &problem))
    return Finish(library, Failed(problem.communication ? kGroupCommunication : kGroupLibrary,
                                  ProblemEntry("RfcOpen", problem)));
  return Finish(library, OpenThroughSdk(library, "RfcOpen", logon));
}

RFC_HANDLE OpenEx(Library &library, char *connect_string, RFC_ERROR_INFO_EX *error_info) {
  OpenOutcome outcome;
  if (connect_string == nullptr) {
    outcome = Failed(kGroupLibrary, ErrorEntry{"RfcOpenEx",
                                               "RFC_ERROR_PROGRAM",
                                               "RfcOpenEx without connect string",
                                               "no connect string given",
                                               "connect string NULL",
                                               {}});
  } else {
    Logon logon;
    LogonProblem problem;
    // The file the sensor named (QuarlaneDestinationFile), else the one
    // RFC_INI names, in place of "SapRfc.ini".
    const std::string named = library.destination_file.empty()
                                  ? rfcshared::DestinationFileNamedByEnvironment()
                                  : library.destination_file;
    const std::string file = named.empty() ? std::string(kDestinationFileName) : named;
    if (!LogonFromConnectString(connect_string, ReadFile(file), &logon, &problem)) {
      outcome = Failed(problem.communication ? kGroupCommunication : kGroupLibrary,
                       ProblemEntry("RfcOpenEx", problem));
    } else {
      outcome = OpenThroughSdk(library, "RfcOpenEx", logon);
    }
  }
  rfcshared::FillOpenErrorInfo(outcome.handle, outcome.group, outcome.error, error_info);
  return Finish(library, outcome);
}

void Close(Library &library, RFC_HANDLE handle) {
  std::vector<RFC_HANDLE> closing;
  if (handle == 0) {
    for (const auto &entry : library.connections) closing.push_back(entry.first);
  } else if (library.connections.count(handle) > 0) {
    closing.push_back(handle);
  }
  std::string ignored;
  const Sdk *sdk = closing.empty() ? nullptr : LoadSdk(&ignored);
  for (RFC_HANDLE each : closing) {
    Connection &connection = library.connections[each];
    // A connection the SDK still works on (a call left behind at the time
    // bound) is not touched again; closing it could block.
    if (sdk != nullptr && connection.sdk_handle != nullptr && !connection.abandoned &&
        connection.worker) {
      nw::RFC_CONNECTION_HANDLE sdk_handle = connection.sdk_handle;
      connection.worker->Run(
          [sdk, sdk_handle] {
            nw::RFC_ERROR_INFO info{};
            sdk->RfcCloseConnection(sdk_handle, &info);
          },
          Clock::now() + std::chrono::seconds(2), nullptr, std::chrono::milliseconds(0));
    }
    library.connections.erase(each); // joins its worker, unless one is left behind
  }
}

} // namespace quarlane::nwrfc
