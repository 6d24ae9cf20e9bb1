// The call log for tests: one line per library call with its arguments as
// received, texts in brackets with their blanks, so that a test can see
// exactly what a caller passed. Only written when the landscape names a file.
#ifndef QUARLANE_RFCSIM_CALL_LOG_H
#define QUARLANE_RFCSIM_CALL_LOG_H

#include <string>

#include "rfc/rfc_abi.h"
#include "rfcsim/internal_tables.h"

namespace quarlane::rfcsim {

std::string Bracketed(const std::string &text); // "[" text "]", escaped
std::string TextArgument(const char *text);     // bracketed, or "(null)"

// "destination=[PRD] mode=0 client=[100] user=[MONITOR     ] ..."
std::string DescribeOptions(const RFC_OPTIONS *options);

// "NAME:type:leng=[value] ..." (exporting) or "NAME:type:leng ..." (importing),
// up to the entry without a name.
std::string DescribeParameters(const RFC_PARAMETER *list, bool with_values);

// "NAME:type:leng=#id ..." up to the entry without a name.
std::string DescribeTables(const RFC_TABLE *list, const TableRegistry &tables);

// "#id", "(null)" or "(unknown)".
std::string DescribeTable(const void *handle, const TableRegistry &tables);

// Appends line and a line feed; a log that cannot be written is skipped.
void AppendCallLog(const std::string &path, const std::string &line);

} // namespace quarlane::rfcsim

#endif
