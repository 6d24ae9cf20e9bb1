// RfcInstallStructure, RfcCall and RfcReceive: the remote calls and the
// structures their rows are described by.
#include "rfcsim/call_log.h"
#include "rfcsim/library.h"
#include "rfcsim/text.h"
#include "rfcshared/call_outcome.h"

namespace quarlane::rfcsim {

namespace {

const RFC_TYPEHANDLE kFirstStructureHandle = 101; // well above the element type codes

// A call's outcome, and whether an injected fault calls the caller's handler.
struct CallOutcome : rfcshared::CallOutcome {
  CallOutcome() = default;
  CallOutcome(rfcshared::CallOutcome outcome) : rfcshared::CallOutcome(std::move(outcome)) {}
  bool call_handler = false;
  std::string handler_text;
};

using rfcshared::Failed;

// The effect of an injected call or receive fault.
CallOutcome FromFault(const Fault &fault, const std::string &operation,
                      const std::string &function) {
  CallOutcome outcome;
  outcome.rc = fault.rc;
  outcome.error.operation = operation;
  outcome.error.intstat = fault.where;
  outcome.error.status = operation + " " + function + ": return code " + std::to_string(fault.rc);
  if (fault.rc == RFC_EXCEPTION) {
    outcome.exception = fault.exception.empty() ? "SIMULATED_EXCEPTION" : fault.exception;
    outcome.error.key = "RFC_ERROR_APPLICATION_EXCEPTION";
    outcome.error.message = "Exception " + outcome.exception + " raised by " + function;
  } else if (fault.rc == RFC_SYS_EXCEPTION) {
    outcome.exception = fault.exception.empty() ? "SYSTEM_FAILURE" : fault.exception;
    outcome.error.key = "RFC_ERROR_SYSTEM_FAILURE";
    outcome.error.message = "System failure " + outcome.exception + " in " + function;
  } else if (fault.rc == RFC_FAILURE) {
    outcome.error.key = "RFC_ERROR_COMMUNICATION";
    outcome.error.message = "connection to partner broken during " + function;
  } else {
    outcome.exception = fault.exception;
    outcome.error.key = "RFC_ERROR_PROGRAM";
    outcome.error.message = function + " ended with return code " + std::to_string(fault.rc);
  }
  if (!fault.message.empty()) outcome.error.message = fault.message;
  outcome.call_handler = fault.handler;
  outcome.handler_text =
      fault.handler_text.empty() ? operation + " " + function : fault.handler_text;
  return outcome;
}

const InstalledStructure *StructureOf(const Library &library, RFC_TYPEHANDLE handle) {
  for (const InstalledStructure &structure : library.structures)
    if (structure.handle == handle) return &structure;
  return nullptr;
}

// A row type that names an installed structure must be the one the rows are of.
bool RowTypeMismatch(const Library &library, RFC_TYPEHANDLE type, const std::string &expected,
                     std::string *installed) {
  const InstalledStructure *structure = StructureOf(library, type);
  if (structure == nullptr || SameText(structure->name, expected)) return false;
  *installed = structure->name;
  return true;
}

RFC_RC Finish(Library &library, const CallOutcome &outcome, const std::string &log_line,
              char **exception) {
  if (outcome.rc != RFC_OK) RecordFailure(library, outcome.error);
  rfcshared::HandOutException(outcome, library.exception, exception);
  LogCall(library, log_line + " -> " + std::to_string(outcome.rc) +
                       (outcome.exception.empty() ? std::string()
                                                  : " exception=" + Bracketed(outcome.exception)));
  if (outcome.rc != RFC_OK && outcome.call_handler) CallHandler(library, outcome.handler_text);
  return outcome.rc;
}

CallOutcome Answer(Library &library, Connection &connection, RFC_PARAMETER *importing,
                   RFC_TABLE *tables) {
  const std::string &function = connection.function;
  if (!IsKnownFunction(function)) {
    CallOutcome outcome =
        Failed(RFC_EXCEPTION, "RfcReceive", "RFC_ERROR_APPLICATION_EXCEPTION",
               "RfcReceive " + function + ": function module not found",
               "Function module " + function + " not found", connection.system.name);
    outcome.exception = "FUNCTION_NOT_FOUND";
    return outcome;
  }
  const std::time_t now = library.clock();
  const FunctionTable answer = TableOf(function);
  std::string installed;
  for (RFC_TABLE *t = tables; answer.table != nullptr && t != nullptr && t->name != nullptr; ++t) {
    if (EntryName(t->name, t->nlen) != answer.table) continue;
    InternalTable *table = FindTable(library.tables, t->ithandle);
    if (table == nullptr)
      return Failed(RFC_FAILURE, "RfcReceive", "RFC_ERROR_PROGRAM",
                    "RfcReceive " + function + ": table " + answer.table +
                        " has no valid internal table",
                    std::string("invalid internal table for ") + answer.table,
                    "ITAB_H not created by ItCreate");
    if (RowTypeMismatch(library, t->type, answer.layout->name, &installed))
      return Failed(RFC_FAILURE, "RfcReceive", "RFC_ERROR_CONVERSION",
                    "RfcReceive " + function + ": table " + answer.table + " typed " + installed,
                    std::string("rows of ") + answer.table + " are " + answer.layout->name +
                        ", not " + installed,
                    "row type mismatch");
    for (const Row &row : AnswerRows(connection.system, function, connection.exporting, now))
      AppendRow(*table, row);
  }
  for (RFC_PARAMETER *p = importing; p != nullptr && p->name != nullptr; ++p) {
    const std::string name = EntryName(p->name, p->nlen);
    std::string value;
    if (!ImportingValue(connection.system, function, name, now, &value)) continue;
    if (name == "RFCSI_EXPORT" && RowTypeMismatch(library, p->type, "RFCSI", &installed))
      return Failed(RFC_FAILURE, "RfcReceive", "RFC_ERROR_CONVERSION",
                    "RfcReceive " + function + ": RFCSI_EXPORT typed " + installed,
                    "RFCSI_EXPORT is RFCSI, not " + installed, "parameter type mismatch");
    WriteImporting(value, p->type, p->leng, p->addr);
  }
  return CallOutcome{};
}

} // namespace

int InstallStructure(Library &library, char *name, RFC_TYPE_ELEMENT *elements, unsigned entries,
                     RFC_TYPEHANDLE *type_handle) {
  const std::string structure_name = FromCString(name);
  std::string log_line =
      "RfcInstallStructure name=" + TextArgument(name) + " entries=" + std::to_string(entries);
  CallOutcome outcome;
  if (name == nullptr || type_handle == nullptr || (elements == nullptr && entries > 0)) {
    outcome = Failed(RFC_FAILURE, "RfcInstallStructure", "RFC_ERROR_PROGRAM",
                     "RfcInstallStructure " + structure_name + ": incomplete arguments",
                     "name, elements or type handle missing", "argument NULL");
  } else if (const Fault *fault =
                 FindFault(FaultsWithoutConnection(library), FaultSite::Install, structure_name)) {
    outcome =
        Failed(RFC_FAILURE, "RfcInstallStructure", "RFC_ERROR_PROGRAM",
               "RfcInstallStructure " + structure_name + " failed",
               fault->message.empty() ? "structure " + structure_name + " could not be installed"
                                      : fault->message,
               fault->where);
    outcome.call_handler = fault->handler;
    outcome.handler_text =
        fault->handler_text.empty() ? "RfcInstallStructure" : fault->handler_text;
  } else {
    std::vector<FieldLayout> fields(entries);
    for (unsigned i = 0; i < entries; ++i) {
      fields[i].type = elements[i].type;
      fields[i].length = elements[i].length;
    }
    const unsigned length = LayOutRow(structure_name, fields).length;
    InstalledStructure *structure = nullptr;
    for (InstalledStructure &candidate : library.structures)
      if (SameText(candidate.name, structure_name)) structure = &candidate;
    if (structure == nullptr) {
      const RFC_TYPEHANDLE handle =
          kFirstStructureHandle + static_cast<RFC_TYPEHANDLE>(library.structures.size());
      library.structures.push_back(InstalledStructure{handle, structure_name, entries, length});
      structure = &library.structures.back();
    }
    structure->entries = entries;
    structure->length = length;
    *type_handle = structure->handle;
    log_line += " size=" + std::to_string(length) + " handle=" + std::to_string(structure->handle);
  }
  return Finish(library, outcome, log_line, nullptr);
}

RFC_RC Call(Library &library, RFC_HANDLE handle, char *function, RFC_PARAMETER *exporting,
            RFC_TABLE *tables) {
  const std::string name = Upper(Trim(FromCString(function)));
  const std::string log_line = "RfcCall handle=" + std::to_string(handle) +
                               " function=" + TextArgument(function) +
                               " exporting: " + DescribeParameters(exporting, true) +
                               " tables: " + DescribeTables(tables, library.tables);
  CallOutcome outcome;
  if (Connection *call_on =
          rfcshared::ConnectionForCall(library.connections, handle, name, &outcome)) {
    Connection &connection = *call_on;
    connection.call_pending = false;
    if (const Fault *fault = FindFault(connection.faults, FaultSite::Call, name)) {
      outcome = FromFault(*fault, "RfcCall", name);
    } else {
      connection.call_pending = true;
      connection.function = name;
      connection.exporting = ReadExporting(exporting);
    }
  }
  return Finish(library, outcome, log_line, nullptr);
}

RFC_RC Receive(Library &library, RFC_HANDLE handle, RFC_PARAMETER *importing, RFC_TABLE *tables,
               char **exception) {
  std::string log_line = "RfcReceive handle=" + std::to_string(handle) +
                         " importing: " + DescribeParameters(importing, false) +
                         " tables: " + DescribeTables(tables, library.tables);
  CallOutcome outcome;
  if (Connection *receive_on =
          rfcshared::ConnectionForReceive(library.connections, handle, &outcome)) {
    Connection &connection = *receive_on;
    log_line += " function=" + Bracketed(connection.function);
    if (const Fault *fault =
            FindFault(connection.faults, FaultSite::Receive, connection.function)) {
      outcome = FromFault(*fault, "RfcReceive", connection.function);
    } else {
      outcome = Answer(library, connection, importing, tables);
    }
  }
  return Finish(library, outcome, log_line, exception);
}

} // namespace quarlane::rfcsim
