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

// The library's error block, for a run that ends because the library failed
// inside: "RFC error", the operation and the library's last error, all
// connections closed, the two abort lines; through the library and stream
// registered below. The run then ends with status 1.
void PrintRfcErrorBlock(const std::string &operation);

// What the run does when the library calls its error handler: print the block
// and end the process with status 1. It must not return into the library.
using RfcErrorExit = void (*)(const std::string &operation);

// Registers the library's error handler (RfcEnvironment, no allocator), which
// hands the operation to end_run, and remembers the library and output stream
// the block is printed through. The library calls the handler from C, so
// these are the process's only global state.
void RegisterRfcErrorHandler(const RfcLibrary &library, std::FILE *out, RfcErrorExit end_run);

} // namespace quarlane

#endif
