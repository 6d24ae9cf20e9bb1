// The library's error block, and the handler that hands the run's end the
// operation that failed.
#ifndef QUARLANE_RFC_ERROR_REPORT_H
#define QUARLANE_RFC_ERROR_REPORT_H

#include <string>

#include "rfc/session.h"

namespace quarlane {

// Indent blanks, then the label left-aligned in width columns, " : ", the value
// and a line feed.
std::string AlignedLine(const std::string &label, int indent, int width, const std::string &value);

// The library's error block, for a run that ends because the library failed
// inside: "RFC error", the operation and the library's last error (asked of
// the library registered below), then, after every connection is closed, the
// two abort lines. The run prints it and ends with status 1.
std::string TakeRfcErrorBlock(const std::string &operation);

// What the run does when the library calls its error handler: print the block
// and end the process with status 1. It must not return into the library.
using RfcErrorExit = void (*)(const std::string &operation);

// Registers the library's error handler (RfcEnvironment, no allocator), which
// hands the operation to end_run, and remembers the library the block is
// taken from. The library calls the handler from C, so these are the
// process's only global state.
void RegisterRfcErrorHandler(const RfcLibrary &library, RfcErrorExit end_run);

} // namespace quarlane

#endif
