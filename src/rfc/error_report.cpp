#include "rfc/error_report.h"

#include <cstring>

namespace quarlane {
namespace {

// The library calls its error handler from C with nothing but the operation
// text, so the handler cannot be given the run: the library it reports
// through and the run's end are the process's only global state.
const RfcLibrary *g_reporting_library = nullptr;
RfcErrorExit g_end_run = nullptr;

// Set while the block is being taken: the library may fail again inside
// RfcLastError or RfcClose and call the handler once more.
bool g_reporting = false;

// A character field of the error record as text: up to its first zero byte,
// never past the end of the array, even when the library left no terminator.
template <std::size_t N> std::string FieldText(const char (&field)[N]) {
  const void *zero = std::memchr(field, '\0', N);
  std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char *>(zero) - field) : N;
  return std::string(field, length);
}

} // namespace
} // namespace quarlane

extern "C" {
static void RFC_CALL QuarlaneRfcErrorHandler(char *operation) {
  // A failure while the block is already being printed adds nothing to it.
  if (quarlane::g_reporting || !quarlane::g_end_run) return;
  quarlane::g_end_run(operation ? operation : "");
}
}

namespace quarlane {

std::string AlignedLine(const std::string &label, int indent, int width, const std::string &value) {
  std::string line(static_cast<std::size_t>(indent > 0 ? indent : 0), ' ');
  line += label;
  if (width > 0 && line.size() < static_cast<std::size_t>(indent) + width)
    line.resize(static_cast<std::size_t>(indent) + width, ' ');
  return line + " : " + value + "\n";
}

std::string TakeRfcErrorBlock(const std::string &operation) {
  g_reporting = true;
  const RfcLibrary *library = g_reporting_library;

  std::string block = "RFC error\n" + AlignedLine("operation/code", 0, 15, operation);
  RFC_ERROR_INFO info;
  std::memset(&info, 0, sizeof info);
  if (library && library->RfcLastError) library->RfcLastError(&info);
  block += AlignedLine("key", 0, 15, FieldText(info.key));
  block += AlignedLine("status", 0, 15, FieldText(info.status));
  block += AlignedLine("message", 0, 15, FieldText(info.message));
  block += AlignedLine("internal status", 0, 15, FieldText(info.intstat));
  block += "\n";

  if (library && library->RfcClose) library->RfcClose(0);

  // The run keeps no end-of-output file, so its abort line and the failure to
  // open it both close the block.
  return block + "* Programm aborted...\n* Error at EoXput-File...\n";
}

void RegisterRfcErrorHandler(const RfcLibrary &library, RfcErrorExit end_run) {
  g_reporting_library = &library;
  g_reporting = false;
  g_end_run = end_run;
  RFC_ENV environment;
  environment.errorhandler = QuarlaneRfcErrorHandler;
  environment.allocate = nullptr;
  if (library.RfcEnvironment) library.RfcEnvironment(&environment);
}

} // namespace quarlane
