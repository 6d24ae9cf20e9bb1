// ItCreate, ItFill, ItGetLine and ItDelete.
#include "rfcsim/call_log.h"
#include "rfcsim/library.h"
#include "rfcsim/text.h"

namespace quarlane::rfcsim {

namespace {

struct TableFailure {
  bool failed = false;
  ErrorEntry error;
  bool call_handler = false;
  std::string handler_text;
};

TableFailure Failed(const std::string &operation, const std::string &key, const std::string &status,
                    const std::string &message, const std::string &intstat) {
  TableFailure failure;
  failure.failed = true;
  failure.error = ErrorEntry{operation, key, status, message, intstat, {}};
  return failure;
}

TableFailure FromFault(const Fault &fault, const std::string &operation, const std::string &table,
                       const std::string &key, const std::string &message) {
  TableFailure failure = Failed(operation, key, operation + " " + table + " failed",
                                fault.message.empty() ? message : fault.message, fault.where);
  failure.call_handler = fault.handler;
  failure.handler_text = fault.handler_text.empty() ? operation + " " + table : fault.handler_text;
  return failure;
}

TableFailure UnknownTable(const std::string &operation, const void *handle) {
  return Failed(operation, "RFC_ERROR_PROGRAM", operation + ": invalid table handle",
                handle == nullptr ? "table handle NULL"
                                  : "table handle not created by ItCreate or already deleted",
                "no such internal table");
}

void Finish(Library &library, const TableFailure &failure, const std::string &log_line) {
  if (failure.failed) RecordFailure(library, failure.error);
  LogCall(library, log_line);
  if (failure.failed && failure.call_handler) CallHandler(library, failure.handler_text);
}

} // namespace

ITAB_H ItCreate(Library &library, char *name, unsigned leng, unsigned occu, unsigned memo) {
  const std::string table_name = FromCString(name);
  const std::string log_line = "ItCreate name=" + TextArgument(name) +
                               " leng=" + std::to_string(leng) + " occu=" + std::to_string(occu) +
                               " memo=" + std::to_string(memo);
  TableFailure failure;
  InternalTable *table = nullptr;
  if (const Fault *fault =
          FindFault(FaultsWithoutConnection(library), FaultSite::ItCreate, table_name)) {
    failure = FromFault(*fault, "ItCreate", table_name, "RFC_ERROR_MEMORY_INSUFFICIENT",
                        "no memory for internal table " + table_name);
  } else if (leng == 0) {
    failure = Failed("ItCreate", "RFC_ERROR_PROGRAM", "ItCreate " + table_name + ": line length 0",
                     "an internal table needs a line length", "leng 0");
  } else {
    table = &CreateTable(library.tables, table_name, leng);
  }
  Finish(library, failure,
         log_line + " -> " + (table == nullptr ? "(null)" : "#" + std::to_string(table->id)));
  return table;
}

unsigned ItFill(Library &library, ITAB_H handle) {
  const InternalTable *table = FindTable(library.tables, handle);
  const unsigned lines = table == nullptr ? 0 : static_cast<unsigned>(table->rows.size());
  Finish(library, table == nullptr ? UnknownTable("ItFill", handle) : TableFailure{},
         "ItFill table=" + DescribeTable(handle, library.tables) + " -> " + std::to_string(lines));
  return lines;
}

void *ItGetLine(Library &library, ITAB_H handle, unsigned line) {
  InternalTable *table = FindTable(library.tables, handle);
  TableFailure failure;
  void *row = nullptr;
  if (table == nullptr) {
    failure = UnknownTable("ItGetLine", handle);
  } else if (const Fault *fault =
                 FindFault(FaultsWithoutConnection(library), FaultSite::ItGetLine, table->name);
             fault != nullptr && line >= fault->from_line) {
    failure =
        FromFault(*fault, "ItGetLine", table->name, "RFC_ERROR_PROGRAM",
                  "line " + std::to_string(line) + " of table " + table->name + " not available");
  } else if (line == 0 || line > table->rows.size()) {
    failure = Failed("ItGetLine", "RFC_ERROR_PROGRAM", "ItGetLine " + table->name + " failed",
                     "line " + std::to_string(line) + " of table " + table->name +
                         " does not exist (" + std::to_string(table->rows.size()) + " lines)",
                     "lines are counted from 1");
  } else {
    row = table->rows[line - 1].data();
  }
  Finish(library, failure,
         "ItGetLine table=" + DescribeTable(handle, library.tables) +
             " line=" + std::to_string(line) + " -> " + (row == nullptr ? "(null)" : "line"));
  return row;
}

int ItDelete(Library &library, ITAB_H handle) {
  const std::string described = DescribeTable(handle, library.tables);
  const InternalTable *table = FindTable(library.tables, handle);
  TableFailure failure;
  if (table == nullptr) {
    failure = UnknownTable("ItDelete", handle);
  } else if (const Fault *fault =
                 FindFault(FaultsWithoutConnection(library), FaultSite::ItDelete, table->name)) {
    failure = FromFault(*fault, "ItDelete", table->name, "RFC_ERROR_PROGRAM",
                        "internal table " + table->name + " could not be deleted");
  } else {
    DeleteTable(library.tables, handle);
  }
  const int result = failure.failed ? 1 : 0;
  Finish(library, failure, "ItDelete table=" + described + " -> " + std::to_string(result));
  return result;
}

} // namespace quarlane::rfcsim
