// The library's error block on standard output, and the handler that prints it.
#ifndef QUARLANE_RFC_ERROR_REPORT_H
#define QUARLANE_RFC_ERROR_REPORT_H

#include <cstdio>
#include <string>

#include "rfc/session.h"

namespace quarlane {

// Indent blanks, then the label left-aligned in width columns, " : ", the value
// and a line feed.
void PrintAligned(std::FILE *out, const std::string &label, int indent, int width,
                  const std::string &value);

// The run's one fatal path. The library calls it (as its error handler) when
// it fails inside, and so does the sensor when the library fails at a step
// that cannot fail otherwise (a table it cannot create, a row it cannot
// deliver): prints "RFC error", the operation and the library's last error,
// closes all connections, prints the two abort lines and ends the process
// with status 1. Every other failure is a value that its step returns.
[[noreturn]] void ReportRfcError(const std::string &operation);

// Registers ReportRfcError as the library's error handler (RfcEnvironment, no
// allocator) and remembers the library and output stream it reports through.
// The library calls the handler from C, so these two are the process's only
// global state.
void RegisterRfcErrorHandler(const RfcLibrary &library, std::FILE *out);

} // namespace quarlane

#endif
