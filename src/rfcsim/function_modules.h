// The function modules a simulated system answers: GET_CPU_ALL,
// RFC_SYSTEM_INFO and SAPWL_WORKLOAD_GET_SUMMARY.
#ifndef QUARLANE_RFCSIM_FUNCTION_MODULES_H
#define QUARLANE_RFCSIM_FUNCTION_MODULES_H

#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "rfc/rfc_abi.h"
#include "rfcsim/landscape.h"
#include "rfcsim/row_layout.h"

namespace quarlane::rfcsim {

// An exporting parameter as the caller sent it: exactly leng bytes.
struct SentValue {
  RFC_TYPEHANDLE type = RFCTYPE_CHAR;
  unsigned leng = 0;
  std::string bytes;
};
using SentValues = std::map<std::string, SentValue>; // by upper-case name, trailing blanks dropped

// The name of a parameter or table entry: nlen bytes, trailing blanks and
// zero bytes dropped, upper case.
std::string EntryName(const void *name, unsigned nlen);

SentValues ReadExporting(const RFC_PARAMETER *list);

bool IsKnownFunction(const std::string &function);

// The table a function fills and the structure of its rows; table NULL when
// the function has no table.
struct FunctionTable {
  const char *table;
  const RowLayout *layout;
};
FunctionTable TableOf(const std::string &function);

// The rows the system answers into that table, laid out as its structure.
std::vector<Row> AnswerRows(const SapSystem &system, const std::string &function,
                            const SentValues &exporting, std::time_t now);

// The value of an importing parameter as text (numbers in decimal, RFCSI_EXPORT
// as its 200 characters); false when the function has no such parameter.
bool ImportingValue(const SapSystem &system, const std::string &function, const std::string &name,
                    std::time_t now, std::string *value);

// Writes exactly leng bytes at addr: integers (type 8, 9) native, packed
// (type 2) encoded, everything else as text cut or blank-filled to leng.
void WriteImporting(const std::string &value, RFC_TYPEHANDLE type, unsigned leng, void *addr);

} // namespace quarlane::rfcsim

#endif
