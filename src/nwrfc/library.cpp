// RfcEnvironment, RfcLastError, RfcInstallStructure and the internal tables.
#include "nwrfc/library.h"

#include <ctime>

#include "nwrfc/sdk.h"
#include "nwrfc/text.h"
#include "rfcshared/last_error.h"

namespace quarlane::nwrfc {

namespace {

const RFC_TYPEHANDLE kFirstStructureHandle = 101; // well above the element type codes

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
  static const rfcshared::TraceSignature *const signature = new rfcshared::TraceSignature{
      TimeStamp, "librfc32 NetWeaver RFC bridge", "librfc32, the NetWeaver RFC bridge"};
  return *signature;
}

} // namespace

Library &ProcessLibrary() {
  static Library *const library = new Library();
  return *library;
}

const sapnwrfc::RFC_PARAMETER_DESC *FunctionDescription::Find(const std::string &name) const {
  for (const sapnwrfc::RFC_PARAMETER_DESC &parameter : parameters)
    if (SameText(SdkText(parameter.name, sizeof parameter.name / sizeof parameter.name[0]), name))
      return &parameter;
  return nullptr;
}

std::string SdkText(const char16_t *units, std::size_t size) {
  return ToWindows1252(FromUnits(units, size));
}

void ClosedBySdk(Connection &connection, int code, const std::string &message) {
  connection.sdk_handle = nullptr;
  if (connection.broken) return; // the first cause stays
  connection.broken = true;
  connection.broken_reason = "the connection to " + connection.destination + " was closed after " +
                             RcName(code) + (message.empty() ? std::string() : ": " + message);
}

bool SdkClosed(int code, int group) {
  namespace nw = sapnwrfc;
  switch (code) {
  case nw::RFC_COMMUNICATION_FAILURE:
  case nw::RFC_ABAP_RUNTIME_FAILURE:
  case nw::RFC_ABAP_MESSAGE:
  case nw::RFC_EXTERNAL_FAILURE:
  case nw::RFC_CLOSED:
  case nw::RFC_CANCELED:
  case nw::RFC_INVALID_HANDLE: return true;
  default: break;
  }
  return group == nw::ABAP_RUNTIME_FAILURE || group == nw::LOGON_FAILURE ||
         group == nw::COMMUNICATION_FAILURE || group == nw::EXTERNAL_RUNTIME_FAILURE;
}

void TakeSdkMessage(const sapnwrfc::RFC_ERROR_INFO &info, ErrorEntry *entry) {
  const std::u16string units =
      FromUnits(info.message, sizeof info.message / sizeof info.message[0]);
  const MessageLines message = SplitMessage(ToWindows1252(units));
  entry->message = message.finding;
  for (const std::string &line : message.lines) entry->problems.push_back("SDK: " + line);
  if (FitsWindows1252(units)) return;
  // The boundary's Windows-1252 shows '?' for what it cannot hold; the trace
  // keeps the whole message, in UTF-8, on lines of their own.
  const MessageLines whole = SplitMessage(ToUtf8(units));
  if (whole.lines.empty()) entry->problems.push_back("SDK, UTF-8: " + whole.finding);
  for (const std::string &line : whole.lines) entry->problems.push_back("SDK, UTF-8: " + line);
}

void RecordFailure(Library &library, const ErrorEntry &entry) {
  library.has_error = true;
  library.last_error = entry;
  if (!library.writes_trace) return;
  // What an older SDK lacks is named in every block, beside what failed.
  const Sdk *sdk = LoadedSdk();
  const std::string missing = sdk ? MissingFunctionsText(*sdk) : std::string();
  if (missing.empty()) {
    rfcshared::AppendErrorBlock(rfcshared::kTraceFileName, entry, BridgeTrace(),
                                std::time(nullptr));
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

void Environment(Library &library, RFC_ENV *env) {
  library.handler = env == nullptr ? nullptr : env->errorhandler;
}

int LastError(Library &library, RFC_ERROR_INFO *info) {
  return rfcshared::FillErrorInfo(library.has_error, library.last_error, info);
}

int InstallStructure(Library &library, char *name, RFC_TYPE_ELEMENT *elements, unsigned entries,
                     RFC_TYPEHANDLE *type_handle) {
  const std::string structure_name = Upper(Trim(FromCString(name)));
  if (name == nullptr || type_handle == nullptr || (elements == nullptr && entries > 0)) {
    RecordFailure(library,
                  ErrorEntry{"RfcInstallStructure",
                             "RFC_ERROR_PROGRAM",
                             "RfcInstallStructure " + structure_name + ": incomplete arguments",
                             "name, elements or type handle missing",
                             "argument NULL",
                             {}});
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
    RecordFailure(library, ErrorEntry{"ItCreate",
                                      "RFC_ERROR_PROGRAM",
                                      "ItCreate " + table_name + ": line length 0",
                                      "an internal table needs a line length",
                                      "leng 0",
                                      {}});
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
    RecordFailure(library,
                  ErrorEntry{"ItGetLine",
                             "RFC_ERROR_PROGRAM",
                             "ItGetLine: line " + std::to_string(line) + " not in the table",
                             table == nullptr
                                 ? "invalid table handle"
                                 : "the table has " + std::to_string(table->rows.size()) + " lines",
                             "no such line",
                             {}});
    return nullptr;
  }
  return table->rows[line - 1].data();
}

int ItDelete(Library &library, ITAB_H handle) {
  if (library.tables.erase(handle) > 0) return 0;
  RecordFailure(library, ErrorEntry{"ItDelete",
                                    "RFC_ERROR_PROGRAM",
                                    "ItDelete: invalid table handle",
                                    "table handle not created by ItCreate or already deleted",
                                    "no such internal table",
                                    {}});
  return 1;
}

} // namespace quarlane::nwrfc
