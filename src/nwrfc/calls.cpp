// RfcCall and RfcReceive: the remote call through the function's description,
// under the time bound, with the values converted between the caller's
// layouts and the SDK; SAPWL_WORKLOAD_GET_SUMMARY answered by the 7.00+
// collector where the classic module is not the one to ask.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>

#include "nwrfc/collector.h"
#include "nwrfc/library.h"
#include "nwrfc/sdk.h"
#include "nwrfc/text.h"
#include "rfcshared/call_outcome.h"

namespace quarlane::nwrfc {

namespace {

namespace nw = sapnwrfc;

const char kSystemInfo[] = "RFC_SYSTEM_INFO";

using rfcshared::CallOutcome;
using rfcshared::Failed;

std::u16string Name(const std::string &text) { return FromWindows1252(text); }

std::string IntstatOf(const nw::RFC_ERROR_INFO &info) {
  std::string text = "NetWeaver RFC SDK: " + RcName(info.code) + ", error group " + std::to_string(info.group);
  const std::string message_class = SdkText(info.abapMsgClass, sizeof info.abapMsgClass / 2);
  if (!message_class.empty())
    text += ", message " + SdkText(info.abapMsgType, sizeof info.abapMsgType / 2) +
            SdkText(info.abapMsgNumber, sizeof info.abapMsgNumber / 2) + "(" + message_class + ")";
  return text;
}

// The classic code for an SDK failure of a call: ABAP exceptions keep their
// name (code 2), failures inside the ABAP system are SYSTEM_FAILURE (code 3),
// everything else a failure of the call (code 1).
CallOutcome FromSdk(Connection &connection, const std::string &operation, const std::string &function,
                    const nw::RFC_ERROR_INFO &info) {
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
    if (outcome.error.message.empty()) outcome.error.message = "Exception " + outcome.exception + " raised by " + function;
    break;
  case nw::RFC_ABAP_MESSAGE:
  case nw::RFC_ABAP_RUNTIME_FAILURE:
    outcome.rc = RFC_SYS_EXCEPTION;
    outcome.exception = "SYSTEM_FAILURE";
    ClosedBySdk(connection, info.code, outcome.error.message);
    break;
  case nw::RFC_CANCELED:
  case nw::RFC_COMMUNICATION_FAILURE:
  case nw::RFC_CLOSED:
  case nw::RFC_INVALID_HANDLE:
    ClosedBySdk(connection, info.code, outcome.error.message);
    outcome.rc = RFC_FAILURE;
    break;
  case nw::RFC_TIMEOUT:
    connection.broken = true;
    connection.broken_reason = "the connection to " + connection.destination + " was lost: " +
                               (outcome.error.message.empty() ? RcName(info.code) : outcome.error.message);
    outcome.rc = RFC_FAILURE;
    break;
  default:
    outcome.rc = RFC_FAILURE;
    break;
  }
  if (outcome.error.key.empty()) outcome.error.key = RcName(info.code);
  if (outcome.error.message.empty()) outcome.error.message = RcName(info.code) + " in " + function;
  return outcome;
}

CallOutcome TimedOut(Connection &connection, const std::string &operation, const std::string &function,
                     bool abandoned) {
  connection.broken = true;
  connection.abandoned = abandoned;
  if (!abandoned) connection.sdk_handle = nullptr; // cancelled: the SDK has closed it
  const std::string seconds = std::to_string(connection.settings.timeout_seconds);
  connection.broken_reason = "the connection to " + connection.destination + " was cancelled at its time bound";
  return Failed(RFC_FAILURE, operation, "RFC_ERROR_TIMEOUT", operation + " " + function + ": time bound reached",
                "Timeout: " + connection.destination + " did not answer " + function + " within " + seconds +
                    " seconds (time bound of the NetWeaver RFC bridge, from " + connection.settings.timeout_source +
                    "); the call was cancelled",
                "time bound " + seconds + " s");
}

// Runs one blocking SDK operation on the connection within its deadline.
// False with *outcome set when the time bound ended it.
template <typename Work>
bool Bounded(Connection &connection, const Sdk &sdk, const std::string &operation, const std::string &function,
             Work work, nw::RFC_RC *code, nw::RFC_ERROR_INFO *info, CallOutcome *outcome) {
  struct Result {
    nw::RFC_RC code = nw::RFC_OK;
    nw::RFC_ERROR_INFO info{};
  };
  auto result = std::make_shared<Result>();
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

const std::vector<nw::RFC_FIELD_DESC> *FieldsOf(Connection &connection, const Sdk &sdk, nw::RFC_TYPE_DESC_HANDLE type) {
  const auto cached = connection.types.find(type);
  if (cached != connection.types.end()) return &cached->second;
  std::vector<nw::RFC_FIELD_DESC> fields;
  nw::RFC_ERROR_INFO info{};
  unsigned count = 0;
  if (type == nullptr || sdk.RfcGetFieldCount(type, &count, &info) != nw::RFC_OK) return nullptr;
  for (unsigned i = 0; i < count; ++i) {
    nw::RFC_FIELD_DESC field{};
    if (sdk.RfcGetFieldDescByIndex(type, i, &field, &info) != nw::RFC_OK) return nullptr;
    fields.push_back(field);
  }
  return &(connection.types[type] = fields);
}

// Compared as UTF-16 in place: a row's every field is looked up by name, and
// converting every name of the description at each lookup cost more than
// the SDK calls themselves (bench/README.md).
const nw::RFC_FIELD_DESC *FindField(const std::vector<nw::RFC_FIELD_DESC> &fields, const std::string &name) {
  const std::u16string wanted = FromWindows1252(name);
  for (const nw::RFC_FIELD_DESC &field : fields)
    if (SameUnits(field.name, sizeof field.name / 2, wanted)) return &field;
  return nullptr;
}

std::string Hex(const unsigned char *bytes, std::size_t length) {
  std::string text;
  char pair[3];
  for (std::size_t i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned>(bytes[i]));
    text += pair;
  }
  return text;
}

bool IsNumeric(nw::RFCTYPE type) {
  return type == nw::RFCTYPE_BCD || type == nw::RFCTYPE_INT || type == nw::RFCTYPE_INT1 || type == nw::RFCTYPE_INT2 ||
         type == nw::RFCTYPE_INT8 || type == nw::RFCTYPE_FLOAT || type == nw::RFCTYPE_NUM || type == nw::RFCTYPE_DECF16 ||
         type == nw::RFCTYPE_DECF34;
}

// One value of a function, structure or table row, by its SDK type.
nw::RFC_RC GetValue(const Sdk &sdk, nw::DATA_CONTAINER_HANDLE container, const std::string &name, nw::RFCTYPE type,
                unsigned byte_length, SdkValue *value, nw::RFC_ERROR_INFO *info) {
  const std::u16string field = Name(name);
  *value = SdkValue{};
  if (type == nw::RFCTYPE_INT || type == nw::RFCTYPE_INT2 || type == nw::RFCTYPE_INT1) {
    nw::RFC_RC code = nw::RFC_OK;
    if (type == nw::RFCTYPE_INT) {
      nw::RFC_INT number = 0;
      code = sdk.RfcGetInt(container, field.c_str(), &number, info);
      value->integer = number;
    } else if (type == nw::RFCTYPE_INT2) {
      nw::RFC_INT2 number = 0;
      code = sdk.RfcGetInt2(container, field.c_str(), &number, info);
      value->integer = number;
    } else {
      nw::RFC_INT1 number = 0;
      code = sdk.RfcGetInt1(container, field.c_str(), &number, info);
      value->integer = number;
    }
    value->is_integer = true;
    return code;
  }
  // Without RfcGetInt8 (an older SDK) an INT8 comes as decimal text through
  // RfcGetString below, as a packed number does.
  if (type == nw::RFCTYPE_INT8 && sdk.RfcGetInt8 != nullptr) {
    nw::RFC_INT8 number = 0;
    const nw::RFC_RC code = sdk.RfcGetInt8(container, field.c_str(), &number, info);
    value->integer = number;
    value->is_integer = true;
    return code;
  }
  if (type == nw::RFCTYPE_FLOAT) {
    // As a double, never as text: the SDK documents no text form of a FLOAT
    // (exponent or fixed). 17 significant digits give the double back exactly.
    nw::RFC_FLOAT number = 0;
    const nw::RFC_RC code = sdk.RfcGetFloat(container, field.c_str(), &number, info);
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", number);
    value->text = FromWindows1252(text);
    return code;
  }
  if (type == nw::RFCTYPE_BYTE) {
    std::vector<nw::SAP_RAW> bytes(byte_length == 0 ? 1 : byte_length, 0);
    const nw::RFC_RC code =
        sdk.RfcGetBytes(container, field.c_str(), bytes.data(), static_cast<unsigned>(bytes.size()), info);
    value->text = FromWindows1252(Hex(bytes.data(), byte_length));
    return code;
  }
  if (type == nw::RFCTYPE_DATE) {
    nw::RFC_DATE date;
    const nw::RFC_RC code = sdk.RfcGetDate(container, field.c_str(), date, info);
    value->text.assign(date, 8);
    return code;
  }
  // Any other type as text; packed numbers come as decimal text. A buffer
  // too small is retried once with the length the SDK asks for.
  std::vector<nw::SAP_UC> buffer(256, 0);
  unsigned length = 0;
  nw::RFC_RC code = sdk.RfcGetString(container, field.c_str(), buffer.data(), static_cast<unsigned>(buffer.size()),
                                 &length, info);
  if (code == nw::RFC_BUFFER_TOO_SMALL && length + 1 > buffer.size() && length < (1u << 24)) {
    buffer.assign(length + 1, 0);
    code = sdk.RfcGetString(container, field.c_str(), buffer.data(), static_cast<unsigned>(buffer.size()), &length,
                            info);
  }
  if (code == nw::RFC_OK) value->text.assign(buffer.data(), length < buffer.size() ? length : buffer.size());
  return code;
}

CallOutcome ConversionFailure(const std::string &function, const std::string &what, const std::string &problem) {
  return Failed(RFC_FAILURE, "RfcReceive", "RFC_ERROR_CONVERSION", "RfcReceive " + function + ": " + what,
                what + ": " + problem, "conversion");
}

// One row of the caller's layout from an SDK structure or table row; fields
// the SDK does not have stay blank (character, date) or zero (numbers).
bool ReadRow(const Sdk &sdk, nw::DATA_CONTAINER_HANDLE container, const std::vector<nw::RFC_FIELD_DESC> &fields,
             const RowLayout &layout, const std::string &function, std::vector<unsigned char> *row,
             CallOutcome *outcome) {
  row->assign(layout.length, 0);
  for (const FieldLayout &field : layout.fields) {
    unsigned char *at = row->data() + field.offset;
    const nw::RFC_FIELD_DESC *source = FindField(fields, field.name);
    SdkValue value;
    if (source != nullptr) {
      nw::RFC_ERROR_INFO info{};
      if (GetValue(sdk, container, field.name, source->type, source->nucLength, &value, &info) != nw::RFC_OK) {
        *outcome = ConversionFailure(function, layout.name + "-" + field.name,
                                     SdkText(info.message, sizeof info.message / 2));
        return false;
      }
    } else if (field.type == RFCTYPE_BCD || field.type == RFCTYPE_INT || field.type == RFCTYPE_INT2) {
      value.is_integer = true;
    }
    std::string problem;
    if (!WriteField(value, field.type, field.length, field.decimals, at, &problem)) {
      *outcome = ConversionFailure(function, layout.name + "-" + field.name, problem);
      return false;
    }
  }
  return true;
}

void AppendRow(InternalTable &table, std::vector<unsigned char> row) {
  row.resize(table.row_length, 0);
  table.rows.push_back(std::move(row));
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
  auto name = std::make_shared<std::u16string>(Name(function));
  auto handle = std::make_shared<nw::RFC_FUNCTION_DESC_HANDLE>(nullptr);
  nw::RFC_CONNECTION_HANDLE sdk_handle = connection.sdk_handle;
  const Sdk *sdk_pointer = &sdk;
  nw::RFC_RC code = nw::RFC_OK;
  nw::RFC_ERROR_INFO info{};
  if (!Bounded(
          connection, sdk, "RfcReceive", function,
          [sdk_pointer, sdk_handle, name, handle](nw::RFC_ERROR_INFO &error) {
            *handle = sdk_pointer->RfcGetFunctionDesc(sdk_handle, name->c_str(), &error);
            return *handle == nullptr ? (error.code == nw::RFC_OK ? nw::RFC_NOT_FOUND : error.code) : nw::RFC_OK;
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
  CallOutcome outcome = Failed(RFC_EXCEPTION, "RfcReceive", "RFC_ERROR_APPLICATION_EXCEPTION",
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

// Sets one of the function's IMPORT (or CHANGING) parameters; a name the
// function does not have is left out, as the classic libraries do.
bool SetValue(const Sdk &sdk, const FunctionDescription &description, nw::RFC_FUNCTION_HANDLE function_handle,
              const std::string &name, const SdkValue &value, nw::RFC_ERROR_INFO *info) {
  const nw::RFC_PARAMETER_DESC *parameter = description.Find(name);
  if (parameter == nullptr) return true;
  const std::u16string field = Name(name);
  // INT with RfcSetInt; INT2 and INT1 with their own setters where the SDK
  // has them, otherwise with RfcSetInt, as PyRFC and node-rfc set all three
  // (sapnwrfc_api.h). A value outside the type's range is sent as text, so
  // the SDK refuses it instead of the bridge wrapping it.
  const std::int64_t number = value.integer;
  const bool fits = (parameter->type == nw::RFCTYPE_INT && number >= INT32_MIN && number <= INT32_MAX) ||
                    (parameter->type == nw::RFCTYPE_INT2 && number >= INT16_MIN && number <= INT16_MAX) ||
                    (parameter->type == nw::RFCTYPE_INT1 && number >= 0 && number <= 255);
  if (value.is_integer && fits) {
    if (parameter->type == nw::RFCTYPE_INT2 && sdk.RfcSetInt2 != nullptr)
      return sdk.RfcSetInt2(function_handle, field.c_str(), static_cast<nw::RFC_INT2>(number), info) == nw::RFC_OK;
    if (parameter->type == nw::RFCTYPE_INT1 && sdk.RfcSetInt1 != nullptr)
      return sdk.RfcSetInt1(function_handle, field.c_str(), static_cast<nw::RFC_INT1>(number), info) == nw::RFC_OK;
    return sdk.RfcSetInt(function_handle, field.c_str(), static_cast<nw::RFC_INT>(number), info) == nw::RFC_OK;
  }
  const std::u16string text = value.is_integer ? Name(std::to_string(value.integer)) : value.text;
  return sdk.RfcSetString(function_handle, field.c_str(), text.c_str(), static_cast<unsigned>(text.size()),
                          info) == nw::RFC_OK;
}

SdkValue TextValue(const std::string &text) {
  SdkValue value;
  value.text = FromWindows1252(text);
  return value;
}

const SentParameter *Sent(const Connection &connection, const char *name) {
  for (const SentParameter &parameter : connection.exporting)
    if (parameter.name == name) return &parameter;
  return nullptr;
}

std::string SentText(const Connection &connection, const char *name) {
  const SentParameter *parameter = Sent(connection, name);
  return parameter == nullptr ? std::string() : ToWindows1252(parameter->value.text);
}

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

// Reads the caller's importing parameters and tables from the invoked function.
bool ReadResults(Library &library, Connection &connection, const Sdk &sdk, const std::string &function,
                 const FunctionDescription &description, nw::RFC_FUNCTION_HANDLE function_handle,
                 RFC_PARAMETER *importing, RFC_TABLE *tables, CallOutcome *outcome) {
  for (RFC_PARAMETER *p = importing; p != nullptr && p->name != nullptr; ++p) {
    const std::string name = EntryName(p->name, p->nlen);
    const nw::RFC_PARAMETER_DESC *parameter = description.Find(name);
    if (parameter == nullptr || p->addr == nullptr || p->leng == 0) continue;
    const InstalledStructure *structure = StructureOf(library, p->type);
    nw::RFC_ERROR_INFO info{};
    if (parameter->type == nw::RFCTYPE_STRUCTURE) {
      nw::RFC_STRUCTURE_HANDLE row_handle = nullptr;
      const std::vector<nw::RFC_FIELD_DESC> *fields = FieldsOf(connection, sdk, parameter->typeDescHandle);
      if (structure == nullptr || fields == nullptr ||
          sdk.RfcGetStructure(function_handle, Name(name).c_str(), &row_handle, &info) != nw::RFC_OK) {
        *outcome = ConversionFailure(function, name,
                                     structure == nullptr ? "the caller installed no structure for it"
                                                          : "the SDK gives no structure for it");
        return false;
      }
      std::vector<unsigned char> row;
      if (!ReadRow(sdk, row_handle, *fields, structure->layout, function, &row, outcome)) return false;
      row.resize(p->leng, ' ');
      std::memcpy(p->addr, row.data(), p->leng);
      if (function == kSystemInfo && name == "RFCSI_EXPORT") {
        SdkValue release;
        const nw::RFC_FIELD_DESC *field = FindField(*fields, "RFCSAPRL");
        if (field != nullptr &&
            GetValue(sdk, row_handle, "RFCSAPRL", field->type, field->nucLength, &release, &info) == nw::RFC_OK)
          connection.release = ToWindows1252(release.text);
      }
      continue;
    }
    SdkValue value;
    if (GetValue(sdk, function_handle, name, parameter->type, parameter->nucLength, &value, &info) != nw::RFC_OK) {
      *outcome = ConversionFailure(function, name, SdkText(info.message, sizeof info.message / 2));
      return false;
    }
    std::string problem;
    const unsigned decimals = 0;
    if (!WriteField(value, structure ? static_cast<RFC_TYPEHANDLE>(RFCTYPE_CHAR) : p->type, p->leng, decimals,
                    static_cast<unsigned char *>(p->addr), &problem)) {
      *outcome = ConversionFailure(function, name, problem);
      return false;
    }
  }
  for (RFC_TABLE *t = tables; t != nullptr && t->name != nullptr; ++t) {
    const std::string name = EntryName(t->name, t->nlen);
    const nw::RFC_PARAMETER_DESC *parameter = description.Find(name);
    if (parameter == nullptr) continue;
    InternalTable *table = FindTable(library, t->ithandle);
    const InstalledStructure *structure = StructureOf(library, t->type);
    if (table == nullptr)
      *outcome = Failed(RFC_FAILURE, "RfcReceive", "RFC_ERROR_PROGRAM",
                        "RfcReceive " + function + ": table " + name + " has no valid internal table",
                        "invalid internal table for " + name, "ITAB_H not created by ItCreate");
    else if (structure == nullptr)
      *outcome = ConversionFailure(function, "table " + name, "the caller installed no structure for its rows");
    if (table == nullptr || structure == nullptr) return false;
    nw::RFC_ERROR_INFO info{};
    nw::RFC_TABLE_HANDLE rows = nullptr;
    unsigned count = 0;
    const std::vector<nw::RFC_FIELD_DESC> *fields = FieldsOf(connection, sdk, parameter->typeDescHandle);
    if (fields == nullptr || sdk.RfcGetTable(function_handle, Name(name).c_str(), &rows, &info) != nw::RFC_OK ||
        sdk.RfcGetRowCount(rows, &count, &info) != nw::RFC_OK) {
      *outcome = ConversionFailure(function, "table " + name, SdkText(info.message, sizeof info.message / 2));
      return false;
    }
    for (unsigned index = 0; index < count; ++index) {
      std::vector<unsigned char> row;
      if (sdk.RfcMoveTo(rows, index, &info) != nw::RFC_OK) {
        *outcome = ConversionFailure(function, "table " + name, SdkText(info.message, sizeof info.message / 2));
        return false;
      }
      if (!ReadRow(sdk, rows, *fields, structure->layout, function, &row, outcome)) return false;
      AppendRow(*table, std::move(row));
    }
  }
  return true;
}

// The plain way: the function itself, its parameters by name.
CallOutcome RunFunction(Library &library, Connection &connection, const Sdk &sdk, const std::string &function,
                        RFC_PARAMETER *importing, RFC_TABLE *tables) {
  CallOutcome outcome;
  std::shared_ptr<FunctionDescription> description;
  if (!Describe(connection, sdk, function, &description, &outcome)) return outcome;
  if (!description->found) return NotFound(connection, function);
  FunctionCall call(sdk, description->handle);
  if (call.handle() == nullptr) return FromSdk(connection, "RfcReceive", function, call.info());
  nw::RFC_ERROR_INFO info{};
  for (const SentParameter &parameter : connection.exporting)
    if (!SetValue(sdk, *description, call.handle(), parameter.name, parameter.value, &info))
      return ConversionFailure(function, parameter.name, SdkText(info.message, sizeof info.message / 2));
  if (!Invoke(connection, sdk, function, call, &outcome)) return outcome;
  if (!ReadResults(library, connection, sdk, function, *description, call.handle(), importing, tables, &outcome))
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
  nw::RFC_ERROR_INFO info{};
  nw::RFC_STRUCTURE_HANDLE row = nullptr;
  const std::vector<nw::RFC_FIELD_DESC> *fields =
      parameter ? FieldsOf(connection, sdk, parameter->typeDescHandle) : nullptr;
  const nw::RFC_FIELD_DESC *field = fields ? FindField(*fields, "RFCSAPRL") : nullptr;
  SdkValue release;
  if (field != nullptr && sdk.RfcGetStructure(call.handle(), Name("RFCSI_EXPORT").c_str(), &row, &info) == nw::RFC_OK &&
      GetValue(sdk, row, "RFCSAPRL", field->type, field->nucLength, &release, &info) == nw::RFC_OK)
    connection.release = ToWindows1252(release.text);
  return true;
}

// The caller's SUMMARY table and its row layout; both null when the caller
// passed no SUMMARY. False with *outcome set when it passed an unusable one.
bool SummaryTarget(Library &library, RFC_TABLE *tables, InternalTable **table,
                   const InstalledStructure **structure, CallOutcome *outcome) {
  *table = nullptr;
  *structure = nullptr;
  for (RFC_TABLE *t = tables; t != nullptr && t->name != nullptr; ++t) {
    if (EntryName(t->name, t->nlen) != "SUMMARY") continue;
    *table = FindTable(library, t->ithandle);
    *structure = StructureOf(library, t->type);
    if (*table != nullptr && *structure != nullptr) return true;
    *outcome = ConversionFailure(kClassicSummary, "table SUMMARY",
                                 *table == nullptr ? "no valid internal table"
                                                   : "no installed row structure");
    return false;
  }
  return true;
}

// One TASKTYPE row: the fields in `read` as text, numbers checked.
bool ReadTaskTypeRow(const Sdk &sdk, nw::RFC_TABLE_HANDLE rows,
                     const std::vector<nw::RFC_FIELD_DESC> &fields, const std::set<std::string> &read,
                     FieldValues *row, CallOutcome *outcome) {
  const std::string function = kCollectorFunction;
  for (const nw::RFC_FIELD_DESC &field : fields) {
    const std::string name = SdkText(field.name, sizeof field.name / 2);
    if (read.count(name) == 0) continue;
    SdkValue value;
    nw::RFC_ERROR_INFO info{};
    if (GetValue(sdk, rows, name, field.type, field.nucLength, &value, &info) != nw::RFC_OK) {
      *outcome = ConversionFailure(function, "TASKTYPE-" + name,
                                   SdkText(info.message, sizeof info.message / 2));
      return false;
    }
    const bool numeric = IsNumeric(field.type) || value.is_integer;
    const std::string text =
        value.is_integer ? std::to_string(value.integer) : ToWindows1252(value.text);
    const std::string problem = numeric ? NumberProblem(name, text) : std::string();
    if (!problem.empty()) {
      *outcome = ConversionFailure(function, function + " TASKTYPE-" + name, problem);
      return false;
    }
    (*row)[name] = RowField{numeric, text};
  }
  return true;
}

// The TASKTYPE rows of the invoked collector, read as far as `wanted` (the
// classic row's fields) needs them (FieldsToRead).
bool ReadTaskTypeRows(Connection &connection, const Sdk &sdk, const FunctionDescription &description,
                      nw::RFC_FUNCTION_HANDLE handle, const std::vector<std::string> &wanted,
                      std::vector<FieldValues> *collected, CallOutcome *outcome) {
  const std::string function = kCollectorFunction;
  const nw::RFC_PARAMETER_DESC *parameter = description.Find("TASKTYPE");
  const std::vector<nw::RFC_FIELD_DESC> *fields =
      parameter ? FieldsOf(connection, sdk, parameter->typeDescHandle) : nullptr;
  nw::RFC_ERROR_INFO info{};
  nw::RFC_TABLE_HANDLE rows = nullptr;
  unsigned count = 0;
  if (fields == nullptr ||
      sdk.RfcGetTable(handle, Name("TASKTYPE").c_str(), &rows, &info) != nw::RFC_OK ||
      sdk.RfcGetRowCount(rows, &count, &info) != nw::RFC_OK) {
    *outcome = ConversionFailure(function, "table TASKTYPE",
                                 parameter ? SdkText(info.message, sizeof info.message / 2)
                                           : "the system has no TASKTYPE");
    return false;
  }
  std::vector<std::string> described;
  for (const nw::RFC_FIELD_DESC &field : *fields)
    described.push_back(SdkText(field.name, sizeof field.name / 2));
  const std::set<std::string> read = FieldsToRead(wanted, described);
  for (unsigned index = 0; index < count; ++index) {
    if (sdk.RfcMoveTo(rows, index, &info) != nw::RFC_OK) {
      *outcome = ConversionFailure(function, "table TASKTYPE",
                                   SdkText(info.message, sizeof info.message / 2));
      return false;
    }
    FieldValues row;
    if (!ReadTaskTypeRow(sdk, rows, *fields, read, &row, outcome)) return false;
    collected->push_back(row);
  }
  return true;
}

// The classic rows into the caller's SUMMARY table, field by field of its layout.
bool WriteClassicRows(const std::vector<FieldValues> &classic, const InstalledStructure &structure,
                      InternalTable &table, CallOutcome *outcome) {
  for (const FieldValues &values : classic) {
    std::vector<unsigned char> row(structure.layout.length, 0);
    for (const FieldLayout &field : structure.layout.fields) {
      SdkValue value;
      const auto found = values.find(field.name);
      if (found != values.end()) {
        value.text = FromWindows1252(found->second.text);
      } else if (field.type == RFCTYPE_BCD || field.type == RFCTYPE_INT || field.type == RFCTYPE_INT2) {
        value.is_integer = true;
      }
      std::string problem;
      if (!WriteField(value, field.type, field.length, field.decimals, row.data() + field.offset,
                      &problem)) {
        *outcome = ConversionFailure(kClassicSummary,
                                     "SAPWLSUMRY-" + field.name + " from " + kCollectorFunction, problem);
        return false;
      }
    }
    AppendRow(table, std::move(row));
  }
  return true;
}

// The collector's query for the classic call's values, for the instance or,
// with COLLECTOR_COMPONENT = TOTAL, for the whole system.
CollectorQuery QueryOf(const Connection &connection) {
  const CollectorQuery query =
      QueryFromClassic(SentText(connection, "HOSTID"), SentText(connection, "INSTANCE"),
                       SentText(connection, "PERIODTYPE"), SentText(connection, "STARTDATE"));
  return connection.settings.component == CollectorComponent::Total ? WholeSystem(query) : query;
}

// SAPWL_WORKLOAD_GET_SUMMARY answered from SWNC_COLLECTOR_GET_AGGREGATES.
CallOutcome RunCollector(Library &library, Connection &connection, const Sdk &sdk,
                         const FunctionDescription &description, RFC_TABLE *tables) {
  const std::string function = kCollectorFunction;
  FunctionCall call(sdk, description.handle);
  if (call.handle() == nullptr) return FromSdk(connection, "RfcReceive", function, call.info());
  const CollectorQuery query = QueryOf(connection);
  SdkValue factor;
  factor.is_integer = true;
  factor.integer = 1000;
  nw::RFC_ERROR_INFO info{};
  const nw::RFC_FUNCTION_HANDLE handle = call.handle();
  if (!SetValue(sdk, description, handle, "COMPONENT", TextValue(query.component), &info) ||
      !SetValue(sdk, description, handle, "PERIODTYPE", TextValue(query.periodtype), &info) ||
      !SetValue(sdk, description, handle, "PERIODSTRT", TextValue(query.periodstrt), &info) ||
      !SetValue(sdk, description, handle, "SUMMARY_ONLY", TextValue("X"), &info) ||
      !SetValue(sdk, description, handle, "FACTOR", factor, &info))
    return ConversionFailure(function, "parameters", SdkText(info.message, sizeof info.message / 2));
  if (query.selects_nothing) return CallOutcome{}; // no instance named: no rows, as the classic module
  CallOutcome outcome;
  InternalTable *table = nullptr;
  const InstalledStructure *structure = nullptr;
  if (!Invoke(connection, sdk, function, call, &outcome) ||
      !SummaryTarget(library, tables, &table, &structure, &outcome))
    return outcome;
  std::vector<std::string> wanted;
  if (structure != nullptr)
    for (const FieldLayout &field : structure->layout.fields) wanted.push_back(field.name);
  std::vector<FieldValues> collected;
  if (!ReadTaskTypeRows(connection, sdk, description, handle, wanted, &collected, &outcome))
    return outcome;
  if (table != nullptr && !WriteClassicRows(MapTaskTypeRows(collected), *structure, *table, &outcome))
    return outcome;
  return CallOutcome{};
}

CallOutcome AnySummary(Library &library, Connection &connection, const Sdk &sdk, RFC_PARAMETER *importing,
                       RFC_TABLE *tables) {
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
CallOutcome NoDataChecked(const Connection &connection, CallOutcome outcome, const std::string &function) {
  if (outcome.rc != RFC_EXCEPTION || outcome.exception != "NO_DATA_FOUND") return outcome;
  const std::string day = SentText(connection, "STARTDATE");
  const unsigned grace = connection.settings.no_data_grace_minutes;
  if (NoDataIsEmptyDay(connection.system_clock, day, grace)) return CallOutcome{};
  // The cause on a line of its own: the "======> " line stays the module's,
  // so the document reads as the classic module's failure.
  outcome.error.problems.push_back(NoDataMessage(function, day, grace));
  return outcome;
}

CallOutcome RunSummary(Library &library, Connection &connection, const Sdk &sdk, RFC_PARAMETER *importing,
                       RFC_TABLE *tables) {
  return NoDataChecked(connection, AnySummary(library, connection, sdk, importing, tables), connection.function);
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

RFC_RC Call(Library &library, RFC_HANDLE handle, char *function, RFC_PARAMETER *exporting, RFC_TABLE *) {
  return rfcshared::Guarded(library, "RfcCall", RFC_FAILURE, [&]() -> RFC_RC {
    const std::string name = Upper(Trim(FromCString(function)));
    CallOutcome outcome;
    if (Connection *call_on = rfcshared::ConnectionForCall(library.connections, handle, name, &outcome)) {
      Connection &connection = *call_on;
      connection.call_pending = true;
      connection.function = name;
      connection.exporting.clear();
      for (const RFC_PARAMETER *p = exporting; p != nullptr && p->name != nullptr; ++p) {
        const InstalledStructure *structure = StructureOf(library, p->type);
        connection.exporting.push_back(SentParameter{
            EntryName(p->name, p->nlen), p->type, p->leng,
            ReadSentField(structure ? static_cast<RFC_TYPEHANDLE>(RFCTYPE_CHAR) : p->type, p->leng, 0, p->addr)});
      }
    }
    return Finish(library, outcome, nullptr);
  });
}

RFC_RC Receive(Library &library, RFC_HANDLE handle, RFC_PARAMETER *importing, RFC_TABLE *tables,
               char **exception) {
  return rfcshared::Guarded(library, "RfcReceive", RFC_FAILURE, [&]() -> RFC_RC {
    CallOutcome outcome;
    if (Connection *receive_on = rfcshared::ConnectionForReceive(library.connections, handle, &outcome)) {
      Connection &connection = *receive_on;
      const std::string function = connection.function;
      std::string problem;
      const Sdk *sdk = LoadSdk(&problem);
      if (connection.broken || connection.sdk_handle == nullptr) {
        outcome = Failed(RFC_FAILURE, "RfcReceive", "RFC_ERROR_COMMUNICATION",
                         "RfcReceive " + function + ": connection closed", connection.broken_reason,
                         "connection broken");
      } else if (sdk == nullptr) {
        outcome = Failed(RFC_FAILURE, "RfcReceive", "RFC_ERROR_SDK_NOT_LOADED", "RfcReceive " + function, problem,
                         "SDK not loaded");
      } else if (function == kClassicSummary) {
        outcome = RunSummary(library, connection, *sdk, importing, tables);
      } else {
        outcome = RunFunction(library, connection, *sdk, function, importing, tables);
        if (outcome.rc == RFC_OK && function == "GET_CPU_ALL") NoteSystemClock(connection, importing);
      }
    }
    return Finish(library, outcome, exception);
  });
}

} // namespace quarlane::nwrfc
