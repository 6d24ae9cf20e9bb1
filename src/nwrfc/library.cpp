// RfcEnvironment, RfcLastError, RfcInstallStructure and the internal tables.
#include "nwrfc/library.h"

#include <ctime>

#include "nwrfc/sdk.h"
#include "nwrfc/text.h"
#include "rfcshared/last_error.h"

namespace quarlane::nwrfc {

namespace {

const RFC_TYPEHANDLE kFirstStructureHandle = 101; // well above the element type codes

const char *const kRcNames[] = {"RFC_OK",
                                "RFC_COMMUNICATION_FAILURE",
                                "RFC_LOGON_FAILURE",
                                "RFC_ABAP_RUNTIME_FAILURE",
                                "RFC_ABAP_MESSAGE",
                                "RFC_ABAP_EXCEPTION",
                                "RFC_CLOSED",
                                "RFC_CANCELED",
                                "RFC_TIMEOUT",
                                "RFC_MEMORY_INSUFFICIENT",
                                "RFC_VERSION_MISMATCH",
                                "RFC_INVALID_PROTOCOL",
                                "RFC_SERIALIZATION_FAILURE",
                                "RFC_INVALID_HANDLE",
                                "RFC_RETRY",
                                "RFC_EXTERNAL_FAILURE",
                                "RFC_EXECUTED",
                                "RFC_NOT_FOUND",
                                "RFC_NOT_SUPPORTED",
                                "RFC_ILLEGAL_STATE",
                                "RFC_INVALID_PARAMETER",
                                "RFC_CODEPAGE_CONVERSION_FAILURE",
                                "RFC_CONVERSION_FAILURE",
                                "RFC_BUFFER_TOO_SMALL",
                                "RFC_TABLE_MOVE_BOF",
                                "RFC_TABLE_MOVE_EOF",
                                "RFC_START_SAPGUI_FAILURE",
                                "RFC_ABAP_CLASS_EXCEPTION",
                                "RFC_UNKNOWN_ERROR",
                                "RFC_AUTHORIZATION_FAILURE",
                                // 30-33: PyRFC's csapnwrfc.pxd and node-rfc's
                                // src/ts/sapnwrfc.ts list these after 29.
                                "RFC_AUTHENTICATION_FAILURE",
                                "RFC_CRYPTOLIB_FAILURE",
                                "RFC_IO_FAILURE",
                                "RFC_LOCKING_FAILURE"};

// The SDK's type codes with their names, as sapnwrfc_api.h declares them
// (explicit values of [NETRFC] and [DRFC]); codes between them are unused.
struct TypeCode {
  int code;
  const char *name;
};
const TypeCode kTypeNames[] = {{0, "CHAR"},      {1, "DATE"},        {2, "BCD"},        {3, "TIME"},
                               {4, "BYTE"},      {5, "TABLE"},       {6, "NUM"},        {7, "FLOAT"},
                               {8, "INT"},       {9, "INT2"},        {10, "INT1"},      {14, "NULL"},
                               {16, "ABAPOBJECT"}, {17, "STRUCTURE"}, {23, "DECF16"},   {24, "DECF34"},
                               {28, "XMLDATA"},  {29, "STRING"},     {30, "XSTRING"},   {31, "INT8"},
                               {32, "UTCLONG"}};

// The bridge's time stamp: the C library's, the day of the month with two digits.
std::string TimeStamp(std::time_t now) {
  const std::tm local = rfcshared::LocalTime(now);
  char text[32];
  std::strftime(text, sizeof text, "%a %b %d %H:%M:%S %Y", &local);
  return text;
}

// How the bridge signs its trace "Dev_Rfc.Trc" in the working folder.
const rfcshared::TraceSignature &BridgeTrace() {
  // Never destroyed, like the library: a caller may end the process from
  // inside its error handler and still meet a failure on the way out.
  static const rfcshared::TraceSignature *const signature =
      new rfcshared::TraceSignature{TimeStamp, "librfc32 NetWeaver RFC bridge", "librfc32, the NetWeaver RFC bridge"};
  return *signature;
}

} // namespace

Library &ProcessLibrary() {
  static Library *const library = new Library();
  return *library;
}

const sapnwrfc::RFC_PARAMETER_DESC *FunctionDescription::Find(const std::string &name) const {
  for (const sapnwrfc::RFC_PARAMETER_DESC &parameter : parameters)
    if (SameText(SdkText(parameter.name, sizeof parameter.name / sizeof parameter.name[0]), name)) return &parameter;
  return nullptr;
}

std::string SdkText(const char16_t *units, std::size_t size) { return ToWindows1252(FromUnits(units, size)); }

std::string RcName(int rc) {
  if (rc >= 0 && rc < static_cast<int>(sizeof kRcNames / sizeof kRcNames[0])) return kRcNames[rc];
  return "RFC_RC " + std::to_string(rc);
}

std::string TypeName(int type) {
  for (const TypeCode &known : kTypeNames)
    if (known.code == type) return known.name;
  return "type " + std::to_string(type);
}

void ClosedBySdk(Connection &connection, int code, const std::string &message) {
  connection.sdk_handle = nullptr;
  if (connection.broken) return; // the first cause stays
  connection.broken = true;
  connection.broken_reason = "the connection to " + connection.destination + " was closed after " + RcName(code) +
                             (message.empty() ? std::string() : ": " + message);
}

void TakeSdkMessage(const sapnwrfc::RFC_ERROR_INFO &info, ErrorEntry *entry) {
  const MessageLines message = SplitMessage(SdkText(info.message, sizeof info.message / sizeof info.message[0]));
  entry->message = message.finding;
  for (const std::string &line : message.lines) entry->problems.push_back("SDK: " + line);
}

void RecordFailure(Library &library, const ErrorEntry &entry) {
  library.has_error = true;
  library.last_error = entry;
  if (!library.writes_trace) return;
  // What an older SDK lacks is named in every block, beside what failed.
  const Sdk *sdk = LoadedSdk();
  const std::string missing = sdk ? MissingFunctionsText(*sdk) : std::string();
  if (missing.empty()) {
    rfcshared::AppendErrorBlock(rfcshared::kTraceFileName, entry, BridgeTrace(), std::time(nullptr));
    return;
  }
  ErrorEntry traced = entry;
  traced.problems.push_back(missing);
  rfcshared::AppendErrorBlock(rfcshared::kTraceFileName, traced, BridgeTrace(), std::time(nullptr));
}

void RecordInternalFailure(Library &library, const char *operation) noexcept {
  try {
    RecordFailure(library, rfcshared::MemoryExhaustedEntry(operation, "the NetWeaver RFC bridge"));
  } catch (...) {
    library.has_error = true;
  }
}

const InstalledStructure *StructureOf(const Library &library, RFC_TYPEHANDLE handle) {
  for (const InstalledStructure &structure : library.structures)
    if (structure.handle == handle) return &structure;
  return nullptr;
}

InternalTable *FindTable(const Library &library, const void *handle) {
  const auto found = library.tables.find(handle);
  return found == library.tables.end() ? nullptr : found->second.get();
}

void Environment(Library &library, RFC_ENV *env) { library.handler = env == nullptr ? nullptr : env->errorhandler; }

int LastError(Library &library, RFC_ERROR_INFO *info) {
  return rfcshared::FillErrorInfo(library.has_error, library.last_error, info);
}

int InstallStructure(Library &library, char *name, RFC_TYPE_ELEMENT *elements, unsigned entries,
                     RFC_TYPEHANDLE *type_handle) {
  const std::string structure_name = Upper(Trim(FromCString(name)));
  if (name == nullptr || type_handle == nullptr || (elements == nullptr && entries > 0)) {
    RecordFailure(library, ErrorEntry{"RfcInstallStructure", "RFC_ERROR_PROGRAM",
                                      "RfcInstallStructure " + structure_name + ": incomplete arguments",
                                      "name, elements or type handle missing", "argument NULL", {}});
    return RFC_FAILURE;
  }
  std::vector<FieldLayout> fields;
  for (unsigned i = 0; i < entries; ++i) {
    FieldLayout field;
    field.name = Upper(Trim(FromCString(elements[i].name)));
    field.type = elements[i].type;
    field.length = elements[i].length;
    field.decimals = elements[i].decimals;
    fields.push_back(field);
  }
  InstalledStructure *structure = nullptr;
  for (InstalledStructure &candidate : library.structures)
    if (candidate.layout.name == structure_name) structure = &candidate;
  if (structure == nullptr) {
    InstalledStructure added;
    added.handle = kFirstStructureHandle + static_cast<RFC_TYPEHANDLE>(library.structures.size());
    library.structures.push_back(added);
    structure = &library.structures.back();
  }
  structure->layout = LayOutRow(structure_name, fields);
  *type_handle = structure->handle;
  return RFC_OK;
}

ITAB_H ItCreate(Library &library, char *name, unsigned leng, unsigned, unsigned) {
  const std::string table_name = FromCString(name);
  if (leng == 0) {
    RecordFailure(library, ErrorEntry{"ItCreate", "RFC_ERROR_PROGRAM", "ItCreate " + table_name + ": line length 0",
                                      "an internal table needs a line length", "leng 0", {}});
    return nullptr;
  }
  auto table = std::make_unique<InternalTable>();
  table->name = table_name;
  table->row_length = leng;
  InternalTable *handle = table.get();
  library.tables[handle] = std::move(table);
  return handle;
}

unsigned ItFill(Library &library, ITAB_H handle) {
  const InternalTable *table = FindTable(library, handle);
  return table == nullptr ? 0 : static_cast<unsigned>(table->rows.size());
}

void *ItGetLine(Library &library, ITAB_H handle, unsigned line) {
  InternalTable *table = FindTable(library, handle);
  if (table == nullptr || line == 0 || line > table->rows.size()) {
    RecordFailure(library, ErrorEntry{"ItGetLine", "RFC_ERROR_PROGRAM",
                                      "ItGetLine: line " + std::to_string(line) + " not in the table",
                                      table == nullptr ? "invalid table handle"
                                                       : "the table has " + std::to_string(table->rows.size()) +
                                                             " lines",
                                      "no such line", {}});
    return nullptr;
  }
  return table->rows[line - 1].data();
}

int ItDelete(Library &library, ITAB_H handle) {
  if (library.tables.erase(handle) > 0) return 0;
  RecordFailure(library, ErrorEntry{"ItDelete", "RFC_ERROR_PROGRAM", "ItDelete: invalid table handle",
                                    "table handle not created by ItCreate or already deleted",
                                    "no such internal table", {}});
  return 1;
}

} // namespace quarlane::nwrfc
