#include "rfc/error_report.h"

#include <cstring>

namespace quarlane {
namespace {

// The library calls its error handler from C with nothing but the operation
// text, so the handler cannot be given the run: the library it reports
// through and the stream it prints to are the process's only global state.
const RfcLibrary *g_reporting_library = nullptr;
std::FILE *g_report_stream = nullptr;
RfcErrorExit g_end_run = nullptr;

// Set while the block is being printed: the library may fail again inside
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

void PrintAligned(std::FILE *out, const std::string &label, int indent, int width,
                  const std::string &value) {
  std::fprintf(out, "%*.0s", indent, label.c_str());
  std::fprintf(out, "%-*s : %s\n", width, label.c_str(), value.c_str());
}

void PrintRfcErrorBlock(const std::string &operation) {
  g_reporting = true;
  std::FILE *out = g_report_stream ? g_report_stream : stdout;
  const RfcLibrary *library = g_reporting_library;

  std::fputs("RFC error\n", out);
  PrintAligned(out, "operation/code", 0, 15, operation);

  RFC_ERROR_INFO info;
  std::memset(&info, 0, sizeof info);
  if (library && library->RfcLastError) library->RfcLastError(&info);
  PrintAligned(out, "key", 0, 15, FieldText(info.key));
  PrintAligned(out, "status", 0, 15, FieldText(info.status));
  PrintAligned(out, "message", 0, 15, FieldText(info.message));
  PrintAligned(out, "internal status", 0, 15, FieldText(info.intstat));
  std::fputs("\n", out);

  if (library && library->RfcClose) library->RfcClose(0);

  // The run keeps no end-of-output file, so its abort line and the failure to
  // open it are both printed here.
  std::fputs("* Programm aborted...\n", out);
  std::fputs("* Error at EoXput-File...\n", out);
  std::fflush(out);
  std::fflush(stdout);
}

void RegisterRfcErrorHandler(const RfcLibrary &library, std::FILE *out, RfcErrorExit end_run) {
  g_reporting_library = &library;
  g_report_stream = out;
  g_reporting = false;
  g_end_run = end_run;
  RFC_ENV environment;
  environment.errorhandler = QuarlaneRfcErrorHandler;
  environment.allocate = nullptr;
  if (library.RfcEnvironment) library.RfcEnvironment(&environment);
}

} // namespace quarlane
