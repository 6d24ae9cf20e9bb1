// The fake NetWeaver RFC SDK's exported functions: exactly the subset the
// bridge declares in src/nwrfc/sapnwrfc_api.h (the compiler checks every
// definition against those prototypes). Behaviour follows SAP's public API
// documentation of each function (help.sap.com, "SAP NetWeaver RFC SDK"
// function pages: RfcGetChars fills the rest of the buffer with blanks,
// RfcGetString returns RFC_BUFFER_TOO_SMALL when the text and its
// terminator do not fit, ...); where the documentation is silent the choice
// is marked in tests/fakesdk/README.md.
#define SAPNWRFC_API_PROTOTYPES
#include "nwrfc/sapnwrfc_api.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "nwrfc/sdk_words.h"
#include "catalog.h"
#include "container.h"
#include "replay.h"
#include "script.h"
#include "server.h"
#include "text.h"
#include "variant.h"

using namespace sapnwrfc;

// Only the SDK's functions leave the library (not the C++ runtime it carries).
#if defined(_WIN32)
#define FAKESDK_EXPORT __declspec(dllexport)
#else
#define FAKESDK_EXPORT __attribute__((visibility("default")))
#endif

static_assert(RFCTYPE_CHAR == static_cast<int>(fakesdk::kChar) &&
                  RFCTYPE_DATE == static_cast<int>(fakesdk::kDate) &&
                  RFCTYPE_BCD == static_cast<int>(fakesdk::kBcd) &&
                  RFCTYPE_BYTE == static_cast<int>(fakesdk::kByte) &&
                  RFCTYPE_TABLE == static_cast<int>(fakesdk::kTable) &&
                  RFCTYPE_NUM == static_cast<int>(fakesdk::kNum) &&
                  RFCTYPE_INT == static_cast<int>(fakesdk::kInt) &&
                  RFCTYPE_INT8 == static_cast<int>(fakesdk::kInt8) &&
                  RFCTYPE_INT2 == static_cast<int>(fakesdk::kInt2) &&
                  RFCTYPE_INT1 == static_cast<int>(fakesdk::kInt1) &&
                  RFCTYPE_STRUCTURE == static_cast<int>(fakesdk::kStructure),
              "the catalogue's type codes are the SDK's");
static_assert(RFC_IMPORT == static_cast<int>(fakesdk::kImport) &&
                  RFC_EXPORT == static_cast<int>(fakesdk::kExport) &&
                  RFC_TABLES == static_cast<int>(fakesdk::kTables),
              "the catalogue's directions are the SDK's");

namespace {

using fakesdk::Container;
using fakesdk::ContainerKind;
using fakesdk::Failure;
using fakesdk::Scenario;
using fakesdk::Value;

struct Connection {
  std::shared_ptr<const Scenario> scenario;
  int number = 0;      // for the call log
  std::string partner; // "host:sapgwNN", for messages
  std::mutex mutex;
  std::condition_variable wake;
  bool closed = false; // cancelled, closed, or broken by a failure
  bool cancelled = false;
  bool describing = false; // in RfcGetFunctionDesc (cancel_in_describe)
};

// Everything the library hands out, so that a stale or foreign handle gives
// RFC_INVALID_HANDLE instead of a crash. Never destroyed: a thread left
// blocked in a hang may still look at it while the process ends.
struct Registry {
  std::mutex mutex;
  std::map<const void *, std::shared_ptr<Connection>> connections;
  std::map<const void *, std::unique_ptr<Container>> functions;
  int opened = 0;
};

Registry &TheRegistry() {
  static Registry *registry = new Registry;
  return *registry;
}

// ------------------------------------------------------------------ call log

std::mutex &LogMutex() {
  static std::mutex *mutex = new std::mutex;
  return *mutex;
}

std::string Shown(const std::u16string &text) {
  std::string out;
  for (char16_t unit : text) {
    if (unit >= 0x20 && unit < 0x7F && unit != '[' && unit != ']' && unit != '\\') {
      out.push_back(static_cast<char>(unit));
    } else {
      char escaped[16];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
      out += escaped;
    }
  }
  return "[" + out + "]";
}

// One line per call into QUARLANE_FAKESDK_LOG (a file name) when it is set.
void Log(const std::string &line) {
  const char *path = std::getenv("QUARLANE_FAKESDK_LOG");
  if (path == nullptr || *path == '\0') return;
  std::lock_guard<std::mutex> lock(LogMutex());
  if (std::FILE *file = std::fopen(path, "ab")) {
    std::fputs((line + "\n").c_str(), file);
    std::fclose(file);
  }
}

// ------------------------------------------------------------- error info

void CopyUnits(SAP_UC *target, std::size_t size, const std::u16string &text) {
  const std::size_t count = text.size() < size - 1 ? text.size() : size - 1;
  for (std::size_t i = 0; i < count; ++i) target[i] = text[i];
  target[count] = 0;
}

RFC_RC Fail(RFC_ERROR_INFO *info, RFC_RC code, RFC_ERROR_GROUP group, const std::u16string &key,
            const std::u16string &message) {
  if (info) {
    std::memset(info, 0, sizeof *info);
    info->code = code;
    info->group = group;
    CopyUnits(info->key, 128, key);
    CopyUnits(info->message, 512, message);
  }
  return code;
}

RFC_RC Fail(RFC_ERROR_INFO *info, RFC_RC code, RFC_ERROR_GROUP group, const std::string &key,
            const std::string &message) {
  return Fail(info, code, group, fakesdk::FromUtf8(key), fakesdk::FromUtf8(message));
}

RFC_RC Succeed(RFC_ERROR_INFO *info) {
  if (info) {
    std::memset(info, 0, sizeof *info);
    info->code = RFC_OK;
    info->group = OK;
  }
  return RFC_OK;
}

RFC_RC InvalidHandle(RFC_ERROR_INFO *info, const char *what) {
  return Fail(info, RFC_INVALID_HANDLE, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_HANDLE",
              std::string("An invalid handle was passed to the API call (") + what + ")");
}

// --------------------------------------------------------------- lookups

std::shared_ptr<Connection> FindConnection(RFC_CONNECTION_HANDLE handle) {
  Registry &registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  const auto found = registry.connections.find(handle);
  return found == registry.connections.end() ? nullptr : found->second;
}

bool Holds(const Container &container, const void *handle) {
  if (&container == handle) return true;
  for (const Value &value : container.values)
    if (value.nested && Holds(*value.nested, handle)) return true;
  for (const auto &row : container.rows)
    if (Holds(*row, handle)) return true;
  return false;
}

// A data container handed out by this library (a function, or a structure
// or table inside one); nullptr otherwise. The caller owns the function
// while it uses it, as the SDK's documentation requires of one thread per
// function handle.
Container *FindContainer(DATA_CONTAINER_HANDLE handle) {
  if (handle == nullptr) return nullptr;
  Registry &registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  for (const auto &entry : registry.functions)
    if (Holds(*entry.second, handle)) return reinterpret_cast<Container *>(handle);
  return nullptr;
}

const fakesdk::FunctionDesc *FindFunctionDesc(RFC_FUNCTION_DESC_HANDLE handle) {
  for (const std::string &name : fakesdk::KnownFunctions()) {
    const fakesdk::FunctionDesc *function = fakesdk::FindFunction(name);
    if (static_cast<const void *>(function) == static_cast<const void *>(handle)) return function;
  }
  if (const fakesdk::FunctionDesc *replayed = fakesdk::FindReplayFunction(handle)) return replayed;
  return fakesdk::FindVariantFunction(handle);
}

const fakesdk::TypeDesc *FindTypeDesc(RFC_TYPE_DESC_HANDLE handle) {
  for (const char *name : {"CPU_ALL", "RFCSI", "SAPWLSUMRY", "SWNCAGGTASKTYPE"}) {
    const fakesdk::TypeDesc *type = fakesdk::FindType(name);
    if (static_cast<const void *>(type) == static_cast<const void *>(handle)) return type;
  }
  if (const fakesdk::TypeDesc *replayed = fakesdk::FindReplayType(handle)) return replayed;
  return fakesdk::FindVariantType(handle);
}

std::string NameOf(const SAP_UC *name) {
  return name ? fakesdk::ToUtf8(fakesdk::FromUnits(name)) : std::string();
}

// The value a getter or setter addresses: a table handle means its current row.
Value *Addressed(DATA_CONTAINER_HANDLE handle, const SAP_UC *name, RFC_ERROR_INFO *info,
                 RFC_RC *failure) {
  Container *container = FindContainer(handle);
  if (container == nullptr) {
    *failure = InvalidHandle(info, "data container");
    return nullptr;
  }
  if (container->kind == ContainerKind::kTable) {
    if (container->current >= container->rows.size()) {
      *failure = Fail(info, RFC_ILLEGAL_STATE, EXTERNAL_RUNTIME_FAILURE, "RFC_ILLEGAL_STATE",
                      "The table has no current row");
      return nullptr;
    }
    container = container->rows[container->current].get();
  }
  const std::string wanted = NameOf(name);
  for (std::size_t i = 0; i < container->names.size(); ++i)
    if (container->names[i] == wanted) return &container->values[i];
  *failure = Fail(info, RFC_INVALID_PARAMETER, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_PARAMETER",
                  "Field " + wanted + " not found");
  return nullptr;
}

RFC_RC ConversionFailure(RFC_ERROR_INFO *info, const std::string &why) {
  return Fail(info, RFC_CONVERSION_FAILURE, EXTERNAL_RUNTIME_FAILURE, "RFC_CONVERSION_FAILURE",
              why);
}

// ------------------------------------------------------------ scenarios

std::string ScriptFolder() {
  const char *folder = std::getenv("QUARLANE_FAKESDK_DIR");
  return folder && *folder ? std::string(folder) : std::string();
}

bool IsHostName(const std::string &host) {
  if (host.empty() || host[0] == '.' || host.size() > 100) return false;
  for (char c : host)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
          c == '-' || c == '_'))
      return false;
  return true;
}

enum class Loaded { kFound, kMissing, kBroken };

Loaded LoadScenario(const std::string &host, Scenario *scenario, std::string *problem) {
  std::string lower = host;
  for (char &c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  const std::string folder = ScriptFolder();
  const std::string path = (folder.empty() ? std::string() : folder + "/") + lower + ".nwrfc";
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return Loaded::kMissing;
  std::string text;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  std::fclose(file);
  if (fakesdk::IsCapture(text)) {
    // A capture file stands for the captured system (replay.h).
    scenario->file = path;
    scenario->host = lower;
    scenario->replay = fakesdk::LoadCapture(text, path, problem);
    return scenario->replay ? Loaded::kFound : Loaded::kBroken;
  }
  return fakesdk::ParseScenario(text, path, lower, scenario, problem) ? Loaded::kFound
                                                                      : Loaded::kBroken;
}

// Blocks like a partner that does not answer: until the connection is
// cancelled or closed, or the seconds have passed. True when cancelled.
bool Hang(Connection &connection, int seconds) {
  std::unique_lock<std::mutex> lock(connection.mutex);
  return connection.wake.wait_for(lock, std::chrono::seconds(seconds),
                                  [&] { return connection.closed; });
}

void Break(Connection &connection) {
  std::lock_guard<std::mutex> lock(connection.mutex);
  connection.closed = true;
  connection.wake.notify_all();
}

bool IsClosed(Connection &connection) {
  std::lock_guard<std::mutex> lock(connection.mutex);
  return connection.closed;
}

// The switch abap_error = closes: after RFC_ABAP_MESSAGE or
// RFC_ABAP_RUNTIME_FAILURE the connection is gone, as SAP's documentation of
// RfcInvoke says; every later call with its handle, RfcCloseConnection
// included, gets RFC_INVALID_HANDLE.
void CloseAfterAbapError(RFC_CONNECTION_HANDLE handle, RFC_RC code) {
  if (code != RFC_ABAP_MESSAGE && code != RFC_ABAP_RUNTIME_FAILURE) return;
  std::shared_ptr<Connection> connection = FindConnection(handle);
  if (!connection || !connection->scenario->abap_error_closes) return;
  Log("  connection " + std::to_string(connection->number) + " closed after the ABAP error");
  Break(*connection);
  Registry &registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.connections.erase(handle);
}

// The switch cancel_in_describe = ignored: RfcCancel does not reach a
// metadata lookup in progress. True when this cancel is ignored.
[[maybe_unused]] bool CancelIgnored(Connection &connection) {
  std::lock_guard<std::mutex> lock(connection.mutex);
  return connection.scenario->cancel_ignored_in_describe && connection.describing;
}

void SetDescribing(Connection &connection, bool describing) {
  std::lock_guard<std::mutex> lock(connection.mutex);
  connection.describing = describing;
}

// What the SDK says when the partner cannot be reached: several labelled
// lines, the ERROR line saying what happened (the form open bindings' users
// report, e.g. PyRFC's issues; the lines after TIME are left out here).
std::u16string CpicMessage(const std::string &what) {
  return fakesdk::FromUtf8(
      "LOCATION    CPIC (TCP/IP) on local host with Unicode\nERROR       " + what +
      "\nTIME        " + fakesdk::TimeStampText(std::time(nullptr)) +
      "\nRELEASE     753\nCOMPONENT   NI (network interface)\nVERSION     40\nRC          -10"
      "\nDETAIL      NiPConnect2\nCOUNTER     1");
}

// A planned failure of a describe or invoke step. Returns RFC_OK when the
// step may go on.
RFC_RC PlannedStepFailure(Connection &connection, const Failure *failure,
                          const std::string &function, RFC_ERROR_INFO *info) {
  if (failure == nullptr) return RFC_OK;
  switch (failure->kind) {
  case Failure::Kind::kHang:
    if (Hang(connection, failure->seconds)) {
      Log("  blocked call ended by RfcCancel or RfcCloseConnection");
      return Fail(info, RFC_CANCELED, COMMUNICATION_FAILURE, u"RFC_CANCELED",
                  failure->message.empty()
                      ? fakesdk::FromUtf8("Connection was canceled by RfcCancel")
                      : failure->message);
    }
    Break(connection);
    return Fail(
        info, RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE, u"RFC_COMMUNICATION_FAILURE",
        fakesdk::FromUtf8("connection to partner '" + connection.partner + "' timed out after " +
                          std::to_string(failure->seconds) + " seconds"));
  case Failure::Kind::kCommunication:
    Break(connection);
    return Fail(
        info, RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE,
        failure->key.empty() ? u"RFC_COMMUNICATION_FAILURE" : fakesdk::FromUtf8(failure->key),
        failure->message.empty() ? CpicMessage("connection to partner '" + connection.partner +
                                               "' broken during " + function)
                                 : failure->message);
  case Failure::Kind::kException:
    return Fail(info, RFC_ABAP_EXCEPTION, ABAP_APPLICATION_FAILURE, fakesdk::FromUtf8(failure->key),
                failure->message.empty() ? fakesdk::FromUtf8(failure->key) : failure->message);
  case Failure::Kind::kRuntime:
    return Fail(info, RFC_ABAP_RUNTIME_FAILURE, ABAP_RUNTIME_FAILURE,
                failure->key.empty() ? u"SYSTEM_FAILURE" : fakesdk::FromUtf8(failure->key),
                failure->message.empty() ? fakesdk::FromUtf8("ABAP runtime error in " + function)
                                         : failure->message);
  case Failure::Kind::kError:
    // Exactly the code and group the script names; the fake keeps the
    // connection open, so the call log shows whether the caller goes on
    // using the handle.
    return Fail(info, static_cast<RFC_RC>(failure->code),
                static_cast<RFC_ERROR_GROUP>(failure->group),
                failure->key.empty() ? fakesdk::FromUtf8(quarlane::nwrfc::RcName(failure->code))
                                     : fakesdk::FromUtf8(failure->key),
                failure->message.empty()
                    ? fakesdk::FromUtf8(quarlane::nwrfc::RcName(failure->code) + " in " + function)
                    : failure->message);
  case Failure::Kind::kLogon: break;
  }
  return RFC_OK;
}

std::string Upper(const std::string &text) { return fakesdk::Upper(text); }

// ------------------------------------------------------------- replay

// The captured error, the ABAP message's parts included.
RFC_RC Replayed(RFC_ERROR_INFO *info, const fakesdk::ReplayError &error) {
  Fail(info, static_cast<RFC_RC>(error.code), static_cast<RFC_ERROR_GROUP>(error.group), error.key,
       error.message);
  if (info) {
    CopyUnits(info->abapMsgClass, 21, error.abap[0]);
    CopyUnits(info->abapMsgType, 2, error.abap[1]);
    CopyUnits(info->abapMsgNumber, 4, error.abap[2]);
    CopyUnits(info->abapMsgV1, 51, error.abap[3]);
    CopyUnits(info->abapMsgV2, 51, error.abap[4]);
    CopyUnits(info->abapMsgV3, 51, error.abap[5]);
    CopyUnits(info->abapMsgV4, 51, error.abap[6]);
  }
  return static_cast<RFC_RC>(error.code);
}

// What the capture cannot answer is the replay's own failure, never a guess.
RFC_RC NotInCapture(RFC_ERROR_INFO *info, const std::string &problem) {
  Log("  -> not in the capture: " + problem);
  return Fail(info, RFC_EXTERNAL_FAILURE, EXTERNAL_RUNTIME_FAILURE, "FAKESDK_NOT_IN_CAPTURE",
              "fake NetWeaver RFC SDK: " + problem);
}

// A replayed error that ends the connection ends it here too.
void AfterReplayedError(Connection &connection, int code) {
  if (code == RFC_COMMUNICATION_FAILURE || code == RFC_CLOSED || code == RFC_CANCELED ||
      code == RFC_INVALID_HANDLE)
    Break(connection);
}

RFC_FUNCTION_DESC_HANDLE ReplayedDescription(Connection &connection, const std::string &name,
                                             RFC_ERROR_INFO *info) {
  const fakesdk::FunctionDesc *function = nullptr;
  const fakesdk::ReplayError *error = nullptr;
  std::string problem;
  switch (
      fakesdk::ReplayDescribe(*connection.scenario->replay, name, &function, &error, &problem)) {
  case fakesdk::ReplayOutcome::kOk:
    Succeed(info);
    return reinterpret_cast<RFC_FUNCTION_DESC_HANDLE>(
        const_cast<fakesdk::FunctionDesc *>(function));
  case fakesdk::ReplayOutcome::kError:
    Replayed(info, *error);
    AfterReplayedError(connection, error->code);
    return nullptr;
  case fakesdk::ReplayOutcome::kUnknown: break;
  }
  NotInCapture(info, problem);
  return nullptr;
}

RFC_RC ReplayedCall(Connection &connection, Container &function, RFC_ERROR_INFO *info) {
  const fakesdk::ReplayError *error = nullptr;
  std::string problem;
  switch (fakesdk::ReplayInvoke(*connection.scenario->replay, function, &error, &problem)) {
  case fakesdk::ReplayOutcome::kOk: return Succeed(info);
  case fakesdk::ReplayOutcome::kError:
    Log("  -> replayed error " + std::to_string(error->code));
    AfterReplayedError(connection, error->code);
    return Replayed(info, *error);
  case fakesdk::ReplayOutcome::kUnknown: break;
  }
  return NotInCapture(info, problem);
}

// A new connection to the scenario's system.
RFC_CONNECTION_HANDLE Connected(const std::shared_ptr<Scenario> &scenario,
                                const std::string &partner, const std::string &shown,
                                RFC_ERROR_INFO *errorInfo) {
  auto connection = std::make_shared<Connection>();
  connection->scenario = scenario;
  connection->partner = partner;
  Registry &registry = TheRegistry();
  {
    std::lock_guard<std::mutex> lock(registry.mutex);
    connection->number = ++registry.opened;
    registry.connections[connection.get()] = connection;
  }
  Log("RfcOpenConnection" + shown + " -> connection " + std::to_string(connection->number) + " (" +
      scenario->file + ")");
  Succeed(errorInfo);
  return reinterpret_cast<RFC_CONNECTION_HANDLE>(connection.get());
}

} // namespace

extern "C" int fakesdk_ucum_ready(); // tests/fakesdk/ucum.cpp, the fake's libsapucum
#ifdef FAKESDK_NEEDS_DECNUMBER
extern "C" int fakesdk_decnumber_ready(); // tests/fakesdk/decnumber.cpp, its libicudecnumber
#endif

namespace sapnwrfc {

// ------------------------------------------------------------ connections

FAKESDK_EXPORT RFC_CONNECTION_HANDLE SAP_API
RfcOpenConnection(const RFC_CONNECTION_PARAMETER *connectionParams, unsigned paramCount,
                  RFC_ERROR_INFO *errorInfo) {
  std::map<std::string, std::u16string> given;
  std::string shown;
  if (!fakesdk_ucum_ready())
    return nullptr; // the SDK's own library, needed like SAP's needs libsapucum
#ifdef FAKESDK_NEEDS_DECNUMBER
  if (!fakesdk_decnumber_ready()) return nullptr; // an SDK linked with its libicudecnumber
#endif
  for (unsigned i = 0; connectionParams && i < paramCount; ++i) {
    const std::string name = Upper(NameOf(connectionParams[i].name));
    const std::u16string value = fakesdk::FromUnits(connectionParams[i].value);
    given[name] = value;
    shown += " " + name + "=" + Shown(value);
  }
  auto text = [&](const char *name) {
    const auto found = given.find(name);
    return found == given.end() ? std::string() : fakesdk::ToUtf8(found->second);
  };
  auto fail = [&](RFC_RC code, RFC_ERROR_GROUP group, const std::string &key,
                  const std::u16string &message) {
    Log("RfcOpenConnection" + shown + " -> " + key + " " + Shown(message));
    Fail(errorInfo, code, group, fakesdk::FromUtf8(key), message);
    return static_cast<RFC_CONNECTION_HANDLE>(nullptr);
  };

  const std::string ashost = text("ASHOST"), mshost = text("MSHOST");
  if (ashost.empty() == mshost.empty())
    return fail(RFC_INVALID_PARAMETER, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_PARAMETER",
                fakesdk::FromUtf8(
                    ashost.empty() ? "Parameter ASHOST, GWHOST, MSHOST or SERVER_PORT is missing."
                                   : "Parameters ASHOST and MSHOST exclude each other."));
  const std::string host = ashost.empty() ? mshost : ashost;
  const std::string sysnr = text("SYSNR");
  const std::string sysid = text("SYSID").empty() ? text("R3NAME") : text("SYSID");
  const std::string partner = ashost.empty()
                                  ? host + ":sapms" + sysid
                                  : host + ":sapgw" + (sysnr.empty() ? std::string("??") : sysnr);
  const std::u16string unreachable = CpicMessage("partner '" + partner + "' not reached");
  if (!IsHostName(host))
    return fail(RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE, "RFC_COMMUNICATION_FAILURE",
                unreachable);

  auto scenario = std::make_shared<Scenario>();
  std::string problem;
  switch (LoadScenario(host, scenario.get(), &problem)) {
  case Loaded::kMissing:
    return fail(RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE, "RFC_COMMUNICATION_FAILURE",
                unreachable);
  case Loaded::kBroken:
    return fail(RFC_EXTERNAL_FAILURE, EXTERNAL_RUNTIME_FAILURE, "FAKESDK_SCRIPT_ERROR",
                fakesdk::FromUtf8("fake NetWeaver RFC SDK: " + problem));
  case Loaded::kFound: break;
  }
  if (scenario->replay) {
    // The captured logon's outcome; the capture holds no password, so any
    // logon to the captured host is taken.
    if (scenario->replay->open_ok) return Connected(scenario, partner, shown, errorInfo);
    const fakesdk::ReplayError &error = scenario->replay->open_error;
    Log("RfcOpenConnection" + shown + " -> " + fakesdk::ToUtf8(error.key) + " " +
        Shown(error.message) + " (replayed)");
    Replayed(errorInfo, error);
    return nullptr;
  }

  // The address: an application server by its system number, or a message
  // server by the system's ID and one of its logon groups.
  if (!ashost.empty()) {
    if (sysnr.size() != 2 || sysnr != scenario->sysnr)
      return fail(RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE, "RFC_COMMUNICATION_FAILURE",
                  unreachable);
  } else {
    if (scenario->groups.empty() || !fakesdk::SameText(sysid, scenario->sysid))
      return fail(RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE, "RFC_COMMUNICATION_FAILURE",
                  unreachable);
    const std::string group = Upper(text("GROUP").empty() ? std::string("SPACE") : text("GROUP"));
    bool served = false;
    for (const std::string &known : scenario->groups) served = served || known == group;
    if (!served)
      return fail(RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE, "RFC_COMMUNICATION_FAILURE",
                  fakesdk::FromUtf8("Group " + group + " not found"));
  }

  if (const Failure *failure = fakesdk::PlannedFailure(*scenario, Failure::Site::kOpen, "")) {
    if (failure->kind == Failure::Kind::kHang) {
      // Nothing can cancel an open: there is no connection handle yet.
      std::this_thread::sleep_for(std::chrono::seconds(failure->seconds));
      return fail(RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE, "RFC_COMMUNICATION_FAILURE",
                  fakesdk::FromUtf8("partner '" + partner + "' not reached: timed out after " +
                                    std::to_string(failure->seconds) + " seconds"));
    }
    if (failure->kind == Failure::Kind::kLogon)
      return fail(RFC_LOGON_FAILURE, LOGON_FAILURE,
                  failure->key.empty() ? "RFC_LOGON_FAILURE" : failure->key,
                  failure->message.empty() ? u"Name or password is incorrect (repeat logon)"
                                           : failure->message);
    return fail(RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE,
                failure->key.empty() ? "RFC_COMMUNICATION_FAILURE" : failure->key,
                failure->message.empty() ? unreachable : failure->message);
  }

  // Logon: the client as given, the user without regard to case, the
  // password exactly (trailing blanks are part of it).
  const std::string client = fakesdk::Trim(text("CLIENT"));
  if (client != scenario->client)
    return fail(RFC_LOGON_FAILURE, LOGON_FAILURE, "RFC_LOGON_FAILURE",
                fakesdk::FromUtf8("Client " + client + " is not available in this system"));
  std::string user = text("USER");
  while (!user.empty() && user.back() == ' ') user.pop_back();
  if (!fakesdk::SameText(user, scenario->user) || given.count("PASSWD") == 0 ||
      text("PASSWD") != scenario->passwd)
    return fail(RFC_LOGON_FAILURE, LOGON_FAILURE, "RFC_LOGON_FAILURE",
                u"Name or password is incorrect (repeat logon)");

  return Connected(scenario, partner, shown, errorInfo);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcCloseConnection(RFC_CONNECTION_HANDLE rfcHandle,
                                                 RFC_ERROR_INFO *errorInfo) {
  std::shared_ptr<Connection> connection;
  {
    Registry &registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    const auto found = registry.connections.find(rfcHandle);
    if (found != registry.connections.end()) {
      connection = found->second;
      registry.connections.erase(found);
    }
  }
  if (!connection) {
    Log("RfcCloseConnection unknown handle");
    return InvalidHandle(errorInfo, "connection");
  }
  Log("RfcCloseConnection connection " + std::to_string(connection->number));
  Break(*connection);
  return Succeed(errorInfo);
}

#ifndef FAKESDK_WITHOUT_RFCCANCEL
FAKESDK_EXPORT RFC_RC SAP_API RfcCancel(RFC_CONNECTION_HANDLE rfcHandle,
                                        RFC_ERROR_INFO *errorInfo) {
  std::shared_ptr<Connection> connection = FindConnection(rfcHandle);
  if (!connection) {
    Log("RfcCancel unknown handle");
    return InvalidHandle(errorInfo, "connection");
  }
  if (CancelIgnored(*connection)) {
    Log("RfcCancel connection " + std::to_string(connection->number) +
        " ignored during RfcGetFunctionDesc");
    return Succeed(errorInfo);
  }
  Log("RfcCancel connection " + std::to_string(connection->number));
  {
    std::lock_guard<std::mutex> lock(connection->mutex);
    connection->cancelled = true;
    connection->closed = true;
    connection->wake.notify_all();
  }
  return Succeed(errorInfo);
}
#endif

#ifndef FAKESDK_WITHOUT_RFCLOADCRYPTOLIBRARY
// Takes any path and loads nothing (the fake has no TLS); logged.
FAKESDK_EXPORT RFC_RC SAP_API RfcLoadCryptoLibrary(const SAP_UC *pathName,
                                                   RFC_ERROR_INFO *errorInfo) {
  Log("RfcLoadCryptoLibrary [" +
      (pathName ? fakesdk::ToUtf8(std::u16string(pathName)) : std::string()) + "]");
  return Succeed(errorInfo);
}
#endif

// ------------------------------------------------------------ metadata

FAKESDK_EXPORT RFC_FUNCTION_DESC_HANDLE SAP_API RfcGetFunctionDesc(RFC_CONNECTION_HANDLE rfcHandle,
                                                                   const SAP_UC *funcName,
                                                                   RFC_ERROR_INFO *errorInfo) {
  std::shared_ptr<Connection> connection = FindConnection(rfcHandle);
  const std::string name = NameOf(funcName);
  if (!connection) {
    InvalidHandle(errorInfo, "connection");
    return nullptr;
  }
  Log("RfcGetFunctionDesc connection " + std::to_string(connection->number) + " " +
      Shown(fakesdk::FromUtf8(name)));
  if (IsClosed(*connection)) {
    Fail(errorInfo, RFC_INVALID_HANDLE, COMMUNICATION_FAILURE, "RFC_INVALID_HANDLE",
         "The connection is closed");
    return nullptr;
  }
  if (connection->scenario->replay) return ReplayedDescription(*connection, name, errorInfo);
  const Failure *failure =
      fakesdk::PlannedFailure(*connection->scenario, Failure::Site::kDescribe, name);
  SetDescribing(*connection, true);
  const RFC_RC planned = PlannedStepFailure(*connection, failure, name, errorInfo);
  SetDescribing(*connection, false);
  if (planned != RFC_OK) return nullptr;
  const fakesdk::FunctionDesc *function = fakesdk::FindFunction(name);
  if (function == nullptr || function->name != name ||
      connection->scenario->modules.count(name) == 0) {
    // Inferred from open bindings' reports of metadata lookups: an ABAP
    // exception of the repository (message class FL, number 046).
    Fail(errorInfo, RFC_ABAP_EXCEPTION, ABAP_APPLICATION_FAILURE, "FU_NOT_FOUND",
         "ID:FL Type:E Number:046 " + name);
    return nullptr;
  }
  if (name == fakesdk::kCollectorAggregates)
    function = &fakesdk::CollectorDescription(connection->scenario->variant);
  Succeed(errorInfo);
  return reinterpret_cast<RFC_FUNCTION_DESC_HANDLE>(const_cast<fakesdk::FunctionDesc *>(function));
}

FAKESDK_EXPORT RFC_RC SAP_API RfcGetParameterCount(RFC_FUNCTION_DESC_HANDLE funcDesc,
                                                   unsigned *count, RFC_ERROR_INFO *errorInfo) {
  const fakesdk::FunctionDesc *function = FindFunctionDesc(funcDesc);
  if (function == nullptr) return InvalidHandle(errorInfo, "function description");
  if (count == nullptr)
    return Fail(errorInfo, RFC_INVALID_PARAMETER, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_PARAMETER",
                "count is NULL");
  *count = static_cast<unsigned>(function->parameters.size());
  return Succeed(errorInfo);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcGetParameterDescByIndex(RFC_FUNCTION_DESC_HANDLE funcDesc,
                                                         unsigned index,
                                                         RFC_PARAMETER_DESC *paramDesc,
                                                         RFC_ERROR_INFO *errorInfo) {
  const fakesdk::FunctionDesc *function = FindFunctionDesc(funcDesc);
  if (function == nullptr) return InvalidHandle(errorInfo, "function description");
  if (paramDesc == nullptr || index >= function->parameters.size())
    return Fail(errorInfo, RFC_INVALID_PARAMETER, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_PARAMETER",
                "Parameter index " + std::to_string(index) + " out of range");
  const fakesdk::ParameterDesc &parameter = function->parameters[index];
  std::memset(paramDesc, 0, sizeof *paramDesc);
  CopyUnits(paramDesc->name, 31, fakesdk::FromUtf8(parameter.name));
  paramDesc->type = static_cast<RFCTYPE>(parameter.type);
  paramDesc->direction = static_cast<RFC_DIRECTION>(parameter.direction);
  paramDesc->nucLength = parameter.nuc_length;
  paramDesc->ucLength = parameter.uc_length;
  paramDesc->decimals = parameter.decimals;
  paramDesc->typeDescHandle =
      reinterpret_cast<RFC_TYPE_DESC_HANDLE>(const_cast<fakesdk::TypeDesc *>(parameter.type_desc));
  CopyUnits(paramDesc->defaultValue, 31, fakesdk::FromUtf8(parameter.default_value));
  CopyUnits(paramDesc->parameterText, 80, fakesdk::FromUtf8(parameter.text));
  paramDesc->optional = parameter.optional ? 1 : 0;
  paramDesc->extendedDescription = nullptr;
  return Succeed(errorInfo);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcGetFieldCount(RFC_TYPE_DESC_HANDLE typeHandle, unsigned *count,
                                               RFC_ERROR_INFO *errorInfo) {
  const fakesdk::TypeDesc *type = FindTypeDesc(typeHandle);
  if (type == nullptr) return InvalidHandle(errorInfo, "type description");
  if (count == nullptr)
    return Fail(errorInfo, RFC_INVALID_PARAMETER, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_PARAMETER",
                "count is NULL");
  *count = static_cast<unsigned>(type->fields.size());
  return Succeed(errorInfo);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcGetFieldDescByIndex(RFC_TYPE_DESC_HANDLE typeHandle,
                                                     unsigned index, RFC_FIELD_DESC *fieldDescr,
                                                     RFC_ERROR_INFO *errorInfo) {
  const fakesdk::TypeDesc *type = FindTypeDesc(typeHandle);
  if (type == nullptr) return InvalidHandle(errorInfo, "type description");
  if (fieldDescr == nullptr || index >= type->fields.size())
    return Fail(errorInfo, RFC_INVALID_PARAMETER, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_PARAMETER",
                "Field index " + std::to_string(index) + " out of range");
  const fakesdk::FieldDesc &field = type->fields[index];
  std::memset(fieldDescr, 0, sizeof *fieldDescr);
  CopyUnits(fieldDescr->name, 31, fakesdk::FromUtf8(field.name));
  fieldDescr->type = static_cast<RFCTYPE>(field.type);
  fieldDescr->nucLength = field.nuc_length;
  fieldDescr->nucOffset = field.nuc_offset;
  fieldDescr->ucLength = field.uc_length;
  fieldDescr->ucOffset = field.uc_offset;
  fieldDescr->decimals = field.decimals;
  fieldDescr->typeDescHandle = nullptr;
  fieldDescr->extendedDescription = nullptr;
  return Succeed(errorInfo);
}

// ------------------------------------------------------------ functions

FAKESDK_EXPORT RFC_FUNCTION_HANDLE SAP_API
RfcCreateFunction(RFC_FUNCTION_DESC_HANDLE funcDescHandle, RFC_ERROR_INFO *errorInfo) {
  const fakesdk::FunctionDesc *function = FindFunctionDesc(funcDescHandle);
  if (function == nullptr) {
    InvalidHandle(errorInfo, "function description");
    return nullptr;
  }
  std::unique_ptr<Container> container = fakesdk::NewFunction(*function);
  Container *handle = container.get();
  {
    Registry &registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.functions[handle] = std::move(container);
  }
  Succeed(errorInfo);
  return reinterpret_cast<RFC_FUNCTION_HANDLE>(handle);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcDestroyFunction(RFC_FUNCTION_HANDLE funcHandle,
                                                 RFC_ERROR_INFO *errorInfo) {
  std::unique_ptr<Container> gone;
  {
    Registry &registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    const auto found = registry.functions.find(funcHandle);
    if (found == registry.functions.end()) return InvalidHandle(errorInfo, "function");
    gone = std::move(found->second);
    registry.functions.erase(found);
  }
  return Succeed(errorInfo);
}

namespace {
RFC_RC Invoke(RFC_CONNECTION_HANDLE rfcHandle, RFC_FUNCTION_HANDLE funcHandle,
              RFC_ERROR_INFO *errorInfo);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcInvoke(RFC_CONNECTION_HANDLE rfcHandle,
                                        RFC_FUNCTION_HANDLE funcHandle, RFC_ERROR_INFO *errorInfo) {
  const RFC_RC code = Invoke(rfcHandle, funcHandle, errorInfo);
  CloseAfterAbapError(rfcHandle, code);
  return code;
}

namespace {
RFC_RC Invoke(RFC_CONNECTION_HANDLE rfcHandle, RFC_FUNCTION_HANDLE funcHandle,
              RFC_ERROR_INFO *errorInfo) {
  std::shared_ptr<Connection> connection = FindConnection(rfcHandle);
  if (!connection) return InvalidHandle(errorInfo, "connection");
  Container *function = FindContainer(funcHandle);
  if (function == nullptr || function->kind != ContainerKind::kFunction)
    return InvalidHandle(errorInfo, "function");
  const std::string &name = function->function->name;
  std::string sent;
  for (std::size_t i = 0; i < function->values.size(); ++i)
    if (function->values[i].set)
      sent += " " + function->names[i] + "=" + Shown(fakesdk::ValueText(function->values[i]));
  Log("RfcInvoke connection " + std::to_string(connection->number) + " " + name + sent);
  if (IsClosed(*connection))
    return Fail(errorInfo, RFC_INVALID_HANDLE, COMMUNICATION_FAILURE, "RFC_INVALID_HANDLE",
                "The connection is closed");
  if (connection->scenario->replay) return ReplayedCall(*connection, *function, errorInfo);
  const Failure *failure =
      fakesdk::PlannedFailure(*connection->scenario, Failure::Site::kInvoke, name);
  const RFC_RC planned = PlannedStepFailure(*connection, failure, name, errorInfo);
  if (planned != RFC_OK) {
    Log("  -> " + std::to_string(planned));
    return planned;
  }
  if (connection->scenario->modules.count(name) == 0)
    return Fail(errorInfo, RFC_ABAP_RUNTIME_FAILURE, ABAP_RUNTIME_FAILURE,
                "CALL_FUNCTION_NOT_FOUND", "Function module \"" + name + "\" not found");
  const fakesdk::Answer answer =
      fakesdk::Execute(*connection->scenario, *function, std::time(nullptr));
  if (!answer.runtime.empty()) {
    Log("  -> ABAP runtime error " + answer.runtime);
    return Fail(errorInfo, RFC_ABAP_RUNTIME_FAILURE, ABAP_RUNTIME_FAILURE, answer.runtime,
                "ABAP runtime error " + answer.runtime + " in " + name);
  }
  if (!answer.ok) {
    Log("  -> exception " + answer.exception);
    return Fail(errorInfo, RFC_ABAP_EXCEPTION, ABAP_APPLICATION_FAILURE, answer.exception,
                answer.exception);
  }
  return Succeed(errorInfo);
}
} // namespace

// ------------------------------------------------------------ setters

FAKESDK_EXPORT RFC_RC SAP_API RfcSetChars(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                          const RFC_CHAR *charValue, unsigned valueLength,
                                          RFC_ERROR_INFO *errorInfo) {
  RFC_RC failure = RFC_OK;
  Value *value = Addressed(dataHandle, name, errorInfo, &failure);
  if (value == nullptr) return failure;
  if (charValue == nullptr && valueLength > 0) return ConversionFailure(errorInfo, "value is NULL");
  std::string why;
  if (!fakesdk::AssignText(*value, fakesdk::FromUnits(charValue, valueLength), &why))
    return ConversionFailure(errorInfo, NameOf(name) + ": " + why);
  return Succeed(errorInfo);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcSetString(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                           const SAP_UC *stringValue, unsigned valueLength,
                                           RFC_ERROR_INFO *errorInfo) {
  return RfcSetChars(dataHandle, name, stringValue, valueLength, errorInfo);
}

namespace {

// An integer setter: `refused` lists the field types this one does not take.
// RfcSetInt takes INT, INT1 and INT2 (PyRFC's fillVariable and node-rfc's
// fillVariable set all three with it; the value must fit the field);
// RfcSetInt1/2 only their own type.
RFC_RC SetInteger(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, std::int64_t value,
                  std::initializer_list<fakesdk::Type> refused, RFC_ERROR_INFO *errorInfo) {
  RFC_RC failure = RFC_OK;
  Value *target = Addressed(dataHandle, name, errorInfo, &failure);
  if (target == nullptr) return failure;
  for (const fakesdk::Type type : refused)
    if (target->type == type)
      return ConversionFailure(errorInfo, NameOf(name) +
                                              ": this setter does not take a field of type " +
                                              std::to_string(static_cast<int>(type)));
  std::string why;
  if (!fakesdk::AssignNumber(*target, value, &why))
    return ConversionFailure(errorInfo, NameOf(name) + ": " + why);
  return Succeed(errorInfo);
}

} // namespace

FAKESDK_EXPORT RFC_RC SAP_API RfcSetInt(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                        RFC_INT value, RFC_ERROR_INFO *errorInfo) {
  return SetInteger(dataHandle, name, value, {}, errorInfo);
}

#ifndef FAKESDK_WITHOUT_RFCSETINT1
FAKESDK_EXPORT RFC_RC SAP_API RfcSetInt1(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                         RFC_INT1 value, RFC_ERROR_INFO *errorInfo) {
  return SetInteger(dataHandle, name, value, {fakesdk::kInt, fakesdk::kInt2, fakesdk::kInt8},
                    errorInfo);
}
#endif

#ifndef FAKESDK_WITHOUT_RFCSETINT2
FAKESDK_EXPORT RFC_RC SAP_API RfcSetInt2(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                         RFC_INT2 value, RFC_ERROR_INFO *errorInfo) {
  return SetInteger(dataHandle, name, value, {fakesdk::kInt, fakesdk::kInt1, fakesdk::kInt8},
                    errorInfo);
}
#endif

// ------------------------------------------------------------ getters

FAKESDK_EXPORT RFC_RC SAP_API RfcGetChars(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                          RFC_CHAR *charBuffer, unsigned bufferLength,
                                          RFC_ERROR_INFO *errorInfo) {
  RFC_RC failure = RFC_OK;
  Value *value = Addressed(dataHandle, name, errorInfo, &failure);
  if (value == nullptr) return failure;
  if (value->type == fakesdk::kByte || value->type == fakesdk::kStructure ||
      value->type == fakesdk::kTable)
    return ConversionFailure(errorInfo, "Field " + NameOf(name) + " cannot be read as characters");
  const std::u16string text = fakesdk::ValueText(*value);
  if (charBuffer == nullptr || bufferLength < text.size())
    return Fail(errorInfo, RFC_BUFFER_TOO_SMALL, EXTERNAL_RUNTIME_FAILURE, "RFC_BUFFER_TOO_SMALL",
                "Buffer of " + std::to_string(bufferLength) + " characters too small for field " +
                    NameOf(name));
  for (unsigned i = 0; i < bufferLength; ++i) charBuffer[i] = i < text.size() ? text[i] : u' ';
  return Succeed(errorInfo);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcGetString(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                           SAP_UC *stringBuffer, unsigned bufferLength,
                                           unsigned *stringLength, RFC_ERROR_INFO *errorInfo) {
  RFC_RC failure = RFC_OK;
  Value *value = Addressed(dataHandle, name, errorInfo, &failure);
  if (value == nullptr) return failure;
  if (value->type == fakesdk::kByte || value->type == fakesdk::kStructure ||
      value->type == fakesdk::kTable || value->type == fakesdk::kAbapObject)
    return ConversionFailure(errorInfo, "Field " + NameOf(name) + " cannot be read as a string");
  const std::u16string text = fakesdk::ValueText(*value);
  if (stringLength) *stringLength = static_cast<unsigned>(text.size());
  if (stringBuffer == nullptr || bufferLength < text.size() + 1)
    return Fail(errorInfo, RFC_BUFFER_TOO_SMALL, EXTERNAL_RUNTIME_FAILURE, "RFC_BUFFER_TOO_SMALL",
                "Buffer of " + std::to_string(bufferLength) + " characters too small for field " +
                    NameOf(name));
  for (std::size_t i = 0; i < text.size(); ++i) stringBuffer[i] = text[i];
  stringBuffer[text.size()] = 0;
  return Succeed(errorInfo);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcGetBytes(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                          SAP_RAW *byteBuffer, unsigned bufferLength,
                                          RFC_ERROR_INFO *errorInfo) {
  RFC_RC failure = RFC_OK;
  Value *value = Addressed(dataHandle, name, errorInfo, &failure);
  if (value == nullptr) return failure;
  if (value->type != fakesdk::kByte)
    return ConversionFailure(errorInfo, "Field " + NameOf(name) + " is not raw");
  if (byteBuffer == nullptr || bufferLength < value->bytes.size())
    return Fail(errorInfo, RFC_BUFFER_TOO_SMALL, EXTERNAL_RUNTIME_FAILURE, "RFC_BUFFER_TOO_SMALL",
                "Buffer of " + std::to_string(bufferLength) + " bytes too small for field " +
                    NameOf(name));
  for (unsigned i = 0; i < bufferLength; ++i)
    byteBuffer[i] = i < value->bytes.size() ? static_cast<SAP_RAW>(value->bytes[i]) : 0;
  return Succeed(errorInfo);
}

namespace {

RFC_RC ReadInteger(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name, std::int64_t low,
                   std::int64_t high, std::int64_t *out, RFC_ERROR_INFO *errorInfo) {
  RFC_RC failure = RFC_OK;
  Value *value = Addressed(dataHandle, name, errorInfo, &failure);
  if (value == nullptr) return failure;
  if (value->type != fakesdk::kInt && value->type != fakesdk::kInt2 &&
      value->type != fakesdk::kInt1 && value->type != fakesdk::kInt8)
    return ConversionFailure(errorInfo, "Field " + NameOf(name) + " is not an integer");
  if (value->number < low || value->number > high)
    return ConversionFailure(errorInfo,
                             "Field " + NameOf(name) + " does not fit the requested integer");
  *out = value->number;
  return Succeed(errorInfo);
}

} // namespace

FAKESDK_EXPORT RFC_RC SAP_API RfcGetInt(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                        RFC_INT *value, RFC_ERROR_INFO *errorInfo) {
  std::int64_t number = 0;
  const RFC_RC rc = ReadInteger(dataHandle, name, -2147483648LL, 2147483647LL, &number, errorInfo);
  if (rc == RFC_OK && value) *value = static_cast<RFC_INT>(number);
  return rc;
}

FAKESDK_EXPORT RFC_RC SAP_API RfcGetInt1(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                         RFC_INT1 *value, RFC_ERROR_INFO *errorInfo) {
  std::int64_t number = 0;
  const RFC_RC rc = ReadInteger(dataHandle, name, 0, 255, &number, errorInfo);
  if (rc == RFC_OK && value) *value = static_cast<RFC_INT1>(number);
  return rc;
}

FAKESDK_EXPORT RFC_RC SAP_API RfcGetInt2(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                         RFC_INT2 *value, RFC_ERROR_INFO *errorInfo) {
  std::int64_t number = 0;
  const RFC_RC rc = ReadInteger(dataHandle, name, -32768, 32767, &number, errorInfo);
  if (rc == RFC_OK && value) *value = static_cast<RFC_INT2>(number);
  return rc;
}

#ifndef FAKESDK_WITHOUT_RFCGETINT8
FAKESDK_EXPORT RFC_RC SAP_API RfcGetInt8(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                         RFC_INT8 *value, RFC_ERROR_INFO *errorInfo) {
  std::int64_t number = 0;
  const RFC_RC rc = ReadInteger(dataHandle, name, INT64_MIN, INT64_MAX, &number, errorInfo);
  if (rc == RFC_OK && value) *value = number;
  return rc;
}
#endif

// FLOAT fields only, as the fake's other getters are strict about types.
FAKESDK_EXPORT RFC_RC SAP_API RfcGetFloat(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                          RFC_FLOAT *value, RFC_ERROR_INFO *errorInfo) {
  RFC_RC failure = RFC_OK;
  Value *field = Addressed(dataHandle, name, errorInfo, &failure);
  if (field == nullptr) return failure;
  if (field->type != fakesdk::kFloat)
    return ConversionFailure(errorInfo, "Field " + NameOf(name) + " is not a FLOAT");
  if (value) *value = field->real;
  return Succeed(errorInfo);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcGetDate(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                         RFC_DATE emptyDate, RFC_ERROR_INFO *errorInfo) {
  RFC_RC failure = RFC_OK;
  Value *value = Addressed(dataHandle, name, errorInfo, &failure);
  if (value == nullptr) return failure;
  if (value->type != fakesdk::kDate)
    return ConversionFailure(errorInfo, "Field " + NameOf(name) + " is not a date");
  for (int i = 0; i < 8; ++i) emptyDate[i] = value->text[i];
  return Succeed(errorInfo);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcGetStructure(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                              RFC_STRUCTURE_HANDLE *structHandle,
                                              RFC_ERROR_INFO *errorInfo) {
  RFC_RC failure = RFC_OK;
  Value *value = Addressed(dataHandle, name, errorInfo, &failure);
  if (value == nullptr) return failure;
  if (value->type != fakesdk::kStructure)
    return ConversionFailure(errorInfo, "Field " + NameOf(name) + " is not a structure");
  if (structHandle) *structHandle = reinterpret_cast<RFC_STRUCTURE_HANDLE>(value->nested.get());
  return Succeed(errorInfo);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcGetTable(DATA_CONTAINER_HANDLE dataHandle, const SAP_UC *name,
                                          RFC_TABLE_HANDLE *tableHandle,
                                          RFC_ERROR_INFO *errorInfo) {
  RFC_RC failure = RFC_OK;
  Value *value = Addressed(dataHandle, name, errorInfo, &failure);
  if (value == nullptr) return failure;
  if (value->type != fakesdk::kTable)
    return ConversionFailure(errorInfo, "Parameter " + NameOf(name) + " is not a table");
  if (tableHandle) *tableHandle = reinterpret_cast<RFC_TABLE_HANDLE>(value->nested.get());
  return Succeed(errorInfo);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcGetRowCount(RFC_TABLE_HANDLE tableHandle, unsigned *rowCount,
                                             RFC_ERROR_INFO *errorInfo) {
  Container *table = FindContainer(tableHandle);
  if (table == nullptr || table->kind != ContainerKind::kTable)
    return InvalidHandle(errorInfo, "table");
  if (rowCount) *rowCount = static_cast<unsigned>(table->rows.size());
  return Succeed(errorInfo);
}

FAKESDK_EXPORT RFC_RC SAP_API RfcMoveTo(RFC_TABLE_HANDLE tableHandle, unsigned index,
                                        RFC_ERROR_INFO *errorInfo) {
  Container *table = FindContainer(tableHandle);
  if (table == nullptr || table->kind != ContainerKind::kTable)
    return InvalidHandle(errorInfo, "table");
  if (index >= table->rows.size())
    return Fail(errorInfo, RFC_TABLE_MOVE_EOF, EXTERNAL_RUNTIME_FAILURE, "RFC_TABLE_MOVE_EOF",
                "Row " + std::to_string(index) + " is past the end of the table");
  table->current = index;
  return Succeed(errorInfo);
}

// The SDK's version, as PyRFC's get_nwrfclib_version reads it; the text says
// that this is the fake.
FAKESDK_EXPORT const SAP_UC *SAP_API RfcGetVersion(unsigned *majorVersion, unsigned *minorVersion,
                                                   unsigned *patchLevel) {
  static const SAP_UC kVersion[] = u"7500.0.0 (fake NetWeaver RFC SDK, tests only)";
  if (majorVersion) *majorVersion = 7500;
  if (minorVersion) *minorVersion = 0;
  if (patchLevel) *patchLevel = 0;
  Log("RfcGetVersion");
  return kVersion;
}

} // namespace sapnwrfc
