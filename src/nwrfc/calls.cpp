// RfcCall and RfcReceive: the remote call through the function's description,
// under the time bound; the values are converted between the caller's layouts
// and the SDK in values.cpp, and SAPWL_WORKLOAD_GET_SUMMARY is answered by the
// 7.00+ collector (collector_call.cpp) where the classic module is not the one
// to ask.
#include <cstdint>
#include <cstring>

#include "nwrfc/collector.h"
#include "nwrfc/collector_call.h"
#include "nwrfc/library.h"
#include "nwrfc/sdk.h"
#include "nwrfc/text.h"
#include "nwrfc/values.h"
#include "rfcshared/call_outcome.h"

namespace quarlane::nwrfc {

namespace {

namespace nw = sapnwrfc;

const char kSystemInfo[] = "RFC_SYSTEM_INFO";

using rfcshared::CallOutcome;
using rfcshared::Failed;

std::string IntstatOf(const nw::RFC_ERROR_INFO &info) {
  std::string text =
      "NetWeaver RFC SDK: " + RcName(info.code) + ", error group " + std::to_string(info.group);
  const std::string message_class = SdkText(info.abapMsgClass, sizeof info.abapMsgClass / 2);
  if (!message_class.empty())
    text += ", message " + SdkText(info.abapMsgType, sizeof info.abapMsgType / 2) +
            SdkText(info.abapMsgNumber, sizeof info.abapMsgNumber / 2) + "(" + message_class + ")";
  return text;
}

// The classic code for an SDK failure of a call: ABAP exceptions keep their
// name (code 2), failures inside the ABAP system are SYSTEM_FAILURE (code 3),
// everything else a failure of the call (code 1). Whether the SDK has closed
// the connection is decided by code and error group (SdkClosed, library.h).
CallOutcome FromSdk(Connection &connection, const std::string &operation,
                    const std::string &function, const nw::RFC_ERROR_INFO &info) {
  CallOutcome outcome;
  outcome.error.operation = operation;
  outcome.error.key = SdkText(info.key, sizeof info.key / 2);
  TakeSdkMessage(info, &outcome.error);
  outcome.error.status = operation + " " + function + ": " + RcName(info.code);
  outcome.error.intstat = IntstatOf(info);
  switch (info.code) {
  case nw::RFC_ABAP_EXCEPTION:
    outcome.rc = RFC_EXCEPTION;
    outcome.exception = outcome.error.key;
    if (outcome.error.message.empty())
      outcome.error.message = "Exception " + outcome.exception + " raised by " + function;
    break;
  case nw::RFC_ABAP_MESSAGE:
  case nw::RFC_ABAP_RUNTIME_FAILURE:
    outcome.rc = RFC_SYS_EXCEPTION;
    outcome.exception = "SYSTEM_FAILURE";
    break;
  default: outcome.rc = RFC_FAILURE; break;
  }
  if (SdkClosed(info.code, info.group)) {
    ClosedBySdk(connection, info.code, outcome.error.message);
  } else if (info.code == nw::RFC_TIMEOUT) {
    connection.broken = true;
    connection.broken_reason =
        "the connection to " + connection.destination +
        " was lost: " + (outcome.error.message.empty() ? RcName(info.code) : outcome.error.message);
  }
  if (outcome.error.key.empty()) outcome.error.key = RcName(info.code);
  if (outcome.error.message.empty()) outcome.error.message = RcName(info.code) + " in " + function;
  return outcome;
}

CallOutcome TimedOut(Connection &connection, const std::string &operation,
                     const std::string &function, bool abandoned) {
  connection.broken = true;
  connection.abandoned = abandoned;
  if (!abandoned) connection.sdk_handle = nullptr; // cancelled: the SDK has closed it
  const std::string seconds = std::to_string(connection.settings.timeout_seconds);
  connection.broken_reason =
      "the connection to " + connection.destination + " was cancelled at its time bound";
  return Failed(RFC_FAILURE, operation, "RFC_ERROR_TIMEOUT",
                operation + " " + function + ": time bound reached",
                "Timeout: " + connection.destination + " did not answer " + function + " within " +
                    seconds + " seconds (time bound of the NetWeaver RFC bridge, from " +
                    connection.settings.timeout_source + "); the call was cancelled",
                "time bound " + seconds + " s");
}

// Runs one blocking SDK operation on the connection within its deadline.
// False with *outcome set when the time bound ended it.
template <typename Work>
bool Bounded(Connection &connection, const Sdk &sdk, const std::string &operation,
             const std::string &function, Work work, nw::RFC_RC *code, nw::RFC_ERROR_INFO *info,
             CallOutcome *outcome) {
  // Shared with the worker, which may still write it after an abandoned call.
  struct SdkAnswer {
    nw::RFC_RC code = nw::RFC_OK;
    nw::RFC_ERROR_INFO info{};
  };
  auto result = std::make_shared<SdkAnswer>();
  const Sdk *sdk_pointer = &sdk;
  nw::RFC_CONNECTION_HANDLE handle = connection.sdk_handle;
  const BoundedOutcome bounded = connection.worker->Run(
      [result, work] { result->code = work(result->info); }, connection.deadline,
      // Without RfcCancel (an older SDK) nothing ends the call early: it is
      // left behind at the bound.
      sdk.RfcCancel == nullptr ? std::function<void()>()
                               : std::function<void()>([sdk_pointer, handle] {
                                   nw::RFC_ERROR_INFO ignored{};
                                   sdk_pointer->RfcCancel(handle, &ignored);
                                 }),
      std::chrono::milliseconds(1000));
  if (bounded != BoundedOutcome::Finished) {
    *outcome = TimedOut(connection, operation, function, bounded == BoundedOutcome::Abandoned);
    return false;
  }
  *code = result->code;
  *info = result->info;
  return true;
}

// The function's description, fetched once per connection; found == false
// when the system has no such function. False with *outcome set on failure.
bool Describe(Connection &connection, const Sdk &sdk, const std::string &function,
              std::shared_ptr<FunctionDescription> *description, CallOutcome *outcome) {
  const auto cached = connection.functions.find(function);
  if (cached != connection.functions.end()) {
    *description = cached->second;
    return true;
  }
  auto described = std::make_shared<FunctionDescription>();
  auto name = std::make_shared<std::u16string>(SdkName(function));
  auto handle = std::make_shared<nw::RFC_FUNCTION_DESC_HANDLE>(nullptr);
  nw::RFC_CONNECTION_HANDLE sdk_handle = connection.sdk_handle;
  const Sdk *sdk_pointer = &sdk;
  nw::RFC_RC code = nw::RFC_OK;
  nw::RFC_ERROR_INFO info{};
  if (!Bounded(
          connection, sdk, "RfcReceive", function,
          [sdk_pointer, sdk_handle, name, handle](nw::RFC_ERROR_INFO &error) {
            *handle = sdk_pointer->RfcGetFunctionDesc(sdk_handle, name->c_str(), &error);
            return *handle == nullptr ? (error.code == nw::RFC_OK ? nw::RFC_NOT_FOUND : error.code)
                                      : nw::RFC_OK;
          },
          &code, &info, outcome))
    return false;
  if (code != nw::RFC_OK) {
    const std::string key = SdkText(info.key, sizeof info.key / 2);
    if (code == nw::RFC_NOT_FOUND || key == "FU_NOT_FOUND" || key == "FUNCTION_NOT_FOUND") {
      connection.functions[function] = described; // found == false
      *description = described;
      return true;
    }
    *outcome = FromSdk(connection, "RfcReceive", function, info);
    return false;
  }
  described->found = true;
  described->handle = *handle;
  unsigned count = 0;
  if (sdk.RfcGetParameterCount(*handle, &count, &info) != nw::RFC_OK) {
    *outcome = FromSdk(connection, "RfcReceive", function, info);
    return false;
  }
  for (unsigned i = 0; i < count; ++i) {
    nw::RFC_PARAMETER_DESC parameter{};
    if (sdk.RfcGetParameterDescByIndex(*handle, i, &parameter, &info) != nw::RFC_OK) {
      *outcome = FromSdk(connection, "RfcReceive", function, info);
      return false;
    }
    described->parameters.push_back(parameter);
  }
  connection.functions[function] = described;
  *description = described;
  return true;
}

CallOutcome NotFound(const Connection &connection, const std::string &function) {
  CallOutcome outcome =
      Failed(RFC_EXCEPTION, "RfcReceive", "RFC_ERROR_APPLICATION_EXCEPTION",
             "RfcReceive " + function + ": function module not found",
             "Function module " + function + " not found", connection.destination);
  outcome.exception = "FUNCTION_NOT_FOUND";
  return outcome;
}

// A function handle that is destroyed with the call.
class FunctionCall {
public:
  FunctionCall(const Sdk &sdk, nw::RFC_FUNCTION_DESC_HANDLE description) : sdk_(sdk) {
    nw::RFC_ERROR_INFO info{};
    handle_ = sdk.RfcCreateFunction(description, &info);
    info_ = info;
  }
  ~FunctionCall() {
    // A function left to a worker at the time bound is never destroyed.
    if (handle_ != nullptr && !leave_) {
      nw::RFC_ERROR_INFO info{};
      sdk_.RfcDestroyFunction(handle_, &info);
    }
  }
  FunctionCall(const FunctionCall &) = delete;
  FunctionCall &operator=(const FunctionCall &) = delete;
  nw::RFC_FUNCTION_HANDLE handle() const { return handle_; }
  const nw::RFC_ERROR_INFO &info() const { return info_; }
  void Leave() { leave_ = true; }

private:
  const Sdk &sdk_;
  nw::RFC_FUNCTION_HANDLE handle_ = nullptr;
  nw::RFC_ERROR_INFO info_{};
  bool leave_ = false;
};

// Invokes the created function within the bound; false with *outcome set on
// any failure.
bool Invoke(Connection &connection, const Sdk &sdk, const std::string &function, FunctionCall &call,
            CallOutcome *outcome) {
  nw::RFC_CONNECTION_HANDLE sdk_handle = connection.sdk_handle;
  nw::RFC_FUNCTION_HANDLE function_handle = call.handle();
  const Sdk *sdk_pointer = &sdk;
  nw::RFC_RC code = nw::RFC_OK;
  nw::RFC_ERROR_INFO info{};
  if (!Bounded(
          connection, sdk, "RfcReceive", function,
          [sdk_pointer, sdk_handle, function_handle](nw::RFC_ERROR_INFO &error) {
            return sdk_pointer->RfcInvoke(sdk_handle, function_handle, &error);
          },
          &code, &info, outcome)) {
    if (connection.abandoned) call.Leave();
    return false;
  }
  if (code != nw::RFC_OK) {
    *outcome = FromSdk(connection, "RfcReceive", function, info);
    return false;
  }
  return true;
}

// The caller's importing parameters from the invoked function.
bool ReadImporting(Library &library, Connection &connection, const Sdk &sdk,
                   const std::string &function, const FunctionDescription &description,
                   nw::RFC_FUNCTION_HANDLE function_handle, RFC_PARAMETER *importing,
                   CallOutcome *outcome) {
  for (RFC_PARAMETER *p = importing; p != nullptr && p->name != nullptr; ++p) {
    const std::string name = EntryName(p->name, p->nlen);
    const nw::RFC_PARAMETER_DESC *parameter = description.Find(name);
    if (parameter == nullptr || p->addr == nullptr || p->leng == 0) continue;
    const InstalledStructure *structure = StructureOf(library, p->type);
    nw::RFC_ERROR_INFO info{};
    std::vector<unsigned char> row;
    if (parameter->type == nw::RFCTYPE_STRUCTURE) {
      nw::RFC_STRUCTURE_HANDLE row_handle = nullptr;
      const std::vector<nw::RFC_FIELD_DESC> *fields =
          FieldsOf(connection, sdk, parameter->typeDescHandle);
      if (structure == nullptr || fields == nullptr ||
          sdk.RfcGetStructure(function_handle, SdkName(name).c_str(), &row_handle, &info) !=
              nw::RFC_OK) {
        *outcome =
            ConversionFailure(function, name,
                              structure == nullptr ? "the caller installed no structure for it"
                                                   : "the SDK gives no structure for it");
        return false;
      }
      if (!ReadRow(sdk, row_handle, *fields, structure->layout, function, &row, outcome))
        return false;
      row.resize(p->leng, ' ');
      std::memcpy(p->addr, row.data(), p->leng);
      if (function == kSystemInfo && name == "RFCSI_EXPORT")
        NoteRelease(connection, sdk, row_handle, *fields);
      continue;
    }
    SdkValue value;
    if (GetValue(sdk, function_handle, name, parameter->type, parameter->nucLength, &value,
                 &info) != nw::RFC_OK) {
      *outcome = ConversionFailure(function, name, SdkText(info.message, sizeof info.message / 2));
      return false;
    }
    std::string problem;
    const RFC_TYPEHANDLE type = structure ? static_cast<RFC_TYPEHANDLE>(RFCTYPE_CHAR) : p->type;
    if (!WriteField(value, type, p->leng, 0, static_cast<unsigned char *>(p->addr), &problem)) {
      *outcome = ConversionFailure(function, name, problem);
      return false;
    }
  }
  return true;
}

// The rows of one of the caller's tables from the invoked function.
bool ReadTable(Library &library, Connection &connection, const Sdk &sdk,
               const std::string &function, const nw::RFC_PARAMETER_DESC &parameter,
               nw::RFC_FUNCTION_HANDLE function_handle, const RFC_TABLE &entry,
               CallOutcome *outcome) {
  const std::string name = EntryName(entry.name, entry.nlen);
  InternalTable *table = FindTable(library, entry.ithandle);
  const InstalledStructure *structure = StructureOf(library, entry.type);
  if (table == nullptr)
    *outcome = Failed(RFC_FAILURE, "RfcReceive", "RFC_ERROR_PROGRAM",
                      "RfcReceive " + function + ": table " + name + " has no valid internal table",
                      "invalid internal table for " + name, "ITAB_H not created by ItCreate");
  else if (structure == nullptr)
    *outcome = ConversionFailure(function, "table " + name,
                                 "the caller installed no structure for its rows");
  if (table == nullptr || structure == nullptr) return false;
  nw::RFC_ERROR_INFO info{};
  nw::RFC_TABLE_HANDLE rows = nullptr;
  unsigned count = 0;
  const std::vector<nw::RFC_FIELD_DESC> *fields =
      FieldsOf(connection, sdk, parameter.typeDescHandle);
  if (fields == nullptr ||
      sdk.RfcGetTable(function_handle, SdkName(name).c_str(), &rows, &info) != nw::RFC_OK ||
      sdk.RfcGetRowCount(rows, &count, &info) != nw::RFC_OK) {
    *outcome = ConversionFailure(function, "table " + name,
                                 SdkText(info.message, sizeof info.message / 2));
    return false;
  }
  for (unsigned index = 0; index < count; ++index) {
    std::vector<unsigned char> row;
    if (sdk.RfcMoveTo(rows, index, &info) != nw::RFC_OK) {
      *outcome = ConversionFailure(function, "table " + name,
                                   SdkText(info.message, sizeof info.message / 2));
      return false;
    }
    if (!ReadRow(sdk, rows, *fields, structure->layout, function, &row, outcome)) return false;
    AppendRow(*table, std::move(row));
  }
  return true;
}

// Reads the caller's importing parameters and tables from the invoked function.
bool ReadResults(Library &library, Connection &connection, const Sdk &sdk,
                 const std::string &function, const FunctionDescription &description,
                 nw::RFC_FUNCTION_HANDLE function_handle, RFC_PARAMETER *importing,
                 RFC_TABLE *tables, CallOutcome *outcome) {
  if (!ReadImporting(library, connection, sdk, function, description, function_handle, importing,
                     outcome))
    return false;
  for (RFC_TABLE *t = tables; t != nullptr && t->name != nullptr; ++t) {
    const nw::RFC_PARAMETER_DESC *parameter = description.Find(EntryName(t->name, t->nlen));
    if (parameter != nullptr &&
        !ReadTable(library, connection, sdk, function, *parameter, function_handle, *t, outcome))
      return false;
  }
  return true;
}

// The plain way: the function itself, its parameters by name.
CallOutcome RunFunction(Library &library, Connection &connection, const Sdk &sdk,
                        const std::string &function, RFC_PARAMETER *importing, RFC_TABLE *tables) {
  CallOutcome outcome;
  std::shared_ptr<FunctionDescription> description;
  if (!Describe(connection, sdk, function, &description, &outcome)) return outcome;
  if (!description->found) return NotFound(connection, function);
  FunctionCall call(sdk, description->handle);
  if (call.handle() == nullptr) return FromSdk(connection, "RfcReceive", function, call.info());
  nw::RFC_ERROR_INFO info{};
  for (const SentParameter &parameter : connection.exporting)
    if (!SetValue(sdk, *description, call.handle(), parameter.name, parameter.value, &info))
      return ConversionFailure(function, parameter.name,
                               SdkText(info.message, sizeof info.message / 2));
  if (!Invoke(connection, sdk, function, call, &outcome)) return outcome;
  if (!ReadResults(library, connection, sdk, function, *description, call.handle(), importing,
                   tables, &outcome))
    return outcome;
  return CallOutcome{};
}

// RFC_SYSTEM_INFO on the bridge's own account, for the release.
bool LearnRelease(Connection &connection, const Sdk &sdk, CallOutcome *outcome) {
  std::shared_ptr<FunctionDescription> description;
  if (!Describe(connection, sdk, kSystemInfo, &description, outcome)) return false;
  if (!description->found) return true; // no release to learn: the classic module decides
  FunctionCall call(sdk, description->handle);
  if (call.handle() == nullptr) {
    *outcome = FromSdk(connection, "RfcReceive", kSystemInfo, call.info());
    return false;
  }
  if (!Invoke(connection, sdk, kSystemInfo, call, outcome)) return false;
  const nw::RFC_PARAMETER_DESC *parameter = description->Find("RFCSI_EXPORT");
  const std::vector<nw::RFC_FIELD_DESC> *fields =
      parameter ? FieldsOf(connection, sdk, parameter->typeDescHandle) : nullptr;
  nw::RFC_ERROR_INFO info{};
  nw::RFC_STRUCTURE_HANDLE row = nullptr;
  if (fields != nullptr && sdk.RfcGetStructure(call.handle(), SdkName("RFCSI_EXPORT").c_str(), &row,
                                               &info) == nw::RFC_OK)
    NoteRelease(connection, sdk, row, *fields);
  return true;
}

// SAPWL_WORKLOAD_GET_SUMMARY answered from SWNC_COLLECTOR_GET_AGGREGATES
// (collector_call.h): its parameters, the call, its rows.
CallOutcome RunCollector(Library &library, Connection &connection, const Sdk &sdk,
                         const FunctionDescription &description, RFC_TABLE *tables) {
  FunctionCall call(sdk, description.handle);
  if (call.handle() == nullptr)
    return FromSdk(connection, "RfcReceive", kCollectorFunction, call.info());
  CallOutcome outcome;
  bool selects_nothing = false;
  if (!SendCollectorQuery(connection, sdk, description, call.handle(), &selects_nothing, &outcome))
    return outcome;
  if (selects_nothing) return CallOutcome{}; // no instance named: no rows, as the classic module
  if (!Invoke(connection, sdk, kCollectorFunction, call, &outcome)) return outcome;
  return TakeCollectorAnswer(library, connection, sdk, description, call.handle(), tables);
}

CallOutcome AnySummary(Library &library, Connection &connection, const Sdk &sdk,
                       RFC_PARAMETER *importing, RFC_TABLE *tables) {
  CallOutcome outcome;
  const Collector mode = connection.settings.collector;
  bool collector_first = mode == Collector::New;
  if (mode == Collector::Auto) {
    if (connection.release.empty() && !LearnRelease(connection, sdk, &outcome)) return outcome;
    collector_first = IsRelease700OrLater(connection.release);
  }
  if (!collector_first) {
    std::shared_ptr<FunctionDescription> classic;
    if (!Describe(connection, sdk, kClassicSummary, &classic, &outcome)) return outcome;
    if (classic->found || mode == Collector::Classic)
      return RunFunction(library, connection, sdk, kClassicSummary, importing, tables);
  }
  std::shared_ptr<FunctionDescription> collector;
  if (!Describe(connection, sdk, kCollectorFunction, &collector, &outcome)) return outcome;
  if (collector->found) return RunCollector(library, connection, sdk, *collector, tables);
  if (mode == Collector::New) return NotFound(connection, kCollectorFunction);
  // 7.00 or later without the collector: the classic module is the last resort.
  return RunFunction(library, connection, sdk, kClassicSummary, importing, tables);
}

// NO_DATA_FOUND of either workload module: an empty day shortly after the
// system's midnight, before the hourly collector job has written the day's
// first figures; later the failure it is, with its likely cause in the trace.
CallOutcome NoDataChecked(const Connection &connection, CallOutcome outcome,
                          const std::string &function) {
  if (outcome.rc != RFC_EXCEPTION || outcome.exception != "NO_DATA_FOUND") return outcome;
  const std::string day = SentText(connection, "STARTDATE");
  const unsigned grace = connection.settings.no_data_grace_minutes;
  if (NoDataIsEmptyDay(connection.system_clock, day, grace)) return CallOutcome{};
  // The cause on a line of its own: the "======> " line stays the module's,
  // so the document reads as the classic module's failure.
  outcome.error.problems.push_back(NoDataMessage(function, day, grace));
  return outcome;
}

CallOutcome RunSummary(Library &library, Connection &connection, const Sdk &sdk,
                       RFC_PARAMETER *importing, RFC_TABLE *tables) {
  return NoDataChecked(connection, AnySummary(library, connection, sdk, importing, tables),
                       connection.function);
}

// GET_CPU_ALL's LASTCOLLWRT as the caller received it: the system's clock.
void NoteSystemClock(Connection &connection, const RFC_PARAMETER *importing) {
  for (const RFC_PARAMETER *p = importing; p != nullptr && p->name != nullptr; ++p)
    if (EntryName(p->name, p->nlen) == "LASTCOLLWRT" && p->addr != nullptr)
      connection.system_clock = std::string(static_cast<const char *>(p->addr), p->leng);
}

RFC_RC Finish(Library &library, const CallOutcome &outcome, char **exception) {
  if (outcome.rc != RFC_OK) RecordFailure(library, outcome.error);
  rfcshared::HandOutException(outcome, library.exception, exception);
  return outcome.rc;
}

} // namespace

RFC_RC Call(Library &library, RFC_HANDLE handle, char *function, RFC_PARAMETER *exporting,
            RFC_TABLE *) {
  const std::string name = Upper(Trim(FromCString(function)));
  CallOutcome outcome;
  if (Connection *call_on =
          rfcshared::ConnectionForCall(library.connections, handle, name, &outcome)) {
    Connection &connection = *call_on;
    connection.call_pending = true;
    connection.function = name;
    connection.exporting.clear();
    for (const RFC_PARAMETER *p = exporting; p != nullptr && p->name != nullptr; ++p) {
      const InstalledStructure *structure = StructureOf(library, p->type);
      connection.exporting.push_back(SentParameter{
          EntryName(p->name, p->nlen), p->type, p->leng,
          ReadSentField(structure ? static_cast<RFC_TYPEHANDLE>(RFCTYPE_CHAR) : p->type, p->leng, 0,
                        p->addr)});
    }
  }
  return Finish(library, outcome, nullptr);
}

RFC_RC Receive(Library &library, RFC_HANDLE handle, RFC_PARAMETER *importing, RFC_TABLE *tables,
               char **exception) {
  CallOutcome outcome;
  if (Connection *receive_on =
          rfcshared::ConnectionForReceive(library.connections, handle, &outcome)) {
    Connection &connection = *receive_on;
    const std::string function = connection.function;
    std::string problem;
    const Sdk *sdk = LoadSdk(&problem);
    if (connection.broken || connection.sdk_handle == nullptr) {
      outcome = Failed(RFC_FAILURE, "RfcReceive", "RFC_ERROR_COMMUNICATION",
                       "RfcReceive " + function + ": connection closed", connection.broken_reason,
                       "connection broken");
    } else if (sdk == nullptr) {
      outcome = Failed(RFC_FAILURE, "RfcReceive", "RFC_ERROR_SDK_NOT_LOADED",
                       "RfcReceive " + function, problem, "SDK not loaded");
    } else if (function == kClassicSummary) {
      outcome = RunSummary(library, connection, *sdk, importing, tables);
    } else {
      outcome = RunFunction(library, connection, *sdk, function, importing, tables);
      if (outcome.rc == RFC_OK && function == "GET_CPU_ALL") NoteSystemClock(connection, importing);
    }
  }
  return Finish(library, outcome, exception);
}

} // namespace quarlane::nwrfc
