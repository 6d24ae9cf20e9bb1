#include "rfcshared/trace.h"

#include <cstdio>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

#include "platform/append_file.h"
#include "rfc/rfc_abi.h"
#include "rfcshared/text.h"

namespace quarlane::rfcshared {

using namespace boundary_text;

const char kTraceFileName[] = RFC_TRACE_FILE;

std::tm LocalTime(std::time_t when) {
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &when);
#else
  localtime_r(&when, &local);
#endif
  return local;
}

std::string TimeStampText(std::time_t when) {
  static const char *const weekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::tm local = LocalTime(when);
  char text[64];
  std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %04d", weekdays[local.tm_wday % 7],
                months[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                local.tm_year + 1900);
  return text;
}

long ProcessId() {
#if defined(_WIN32)
  return static_cast<long>(_getpid());
#else
  return static_cast<long>(getpid());
#endif
}

std::string FormatErrorBlock(const ErrorEntry &entry, const TraceSignature &signature,
                             std::time_t now, long pid) {
  std::string block;
  block += "**** ERROR  " + signature.time_stamp(now) + "  pid " + std::to_string(pid) + "  " +
           OneLine(entry.operation) + "  (" + signature.origin + ")\n";
  // Labels fill characters 6 to 16, so no text of these lines can take the
  // place where a reader looks for "======> ".
  block += "     key......: " + OneLine(entry.key) + "\n";
  block += "     intstat..: " + OneLine(entry.intstat) + "\n";
  for (const std::string &problem : entry.problems)
    block += "     problem..: " + OneLine(problem) + "\n";
  block += "ERROR       " + OneLine(entry.status) + "\n";
  block += "       ======> " + OneLine(entry.message) + "\n";
  block += "\n";
  return block;
}

void AppendErrorBlock(const std::string &path, const ErrorEntry &entry,
                      const TraceSignature &signature, std::time_t now) {
  // Never through a link, never waiting on a FIFO: a trace that cannot be
  // opened so must not stop the caller.
  std::FILE *trace = OpenOwnFileForAppending(path);
  if (trace == nullptr) return;
  const bool is_new = std::fseek(trace, 0, SEEK_END) == 0 && std::ftell(trace) == 0;
  if (is_new)
    std::fprintf(trace, "**** Trace file opened at %s by %s\n\n", signature.time_stamp(now).c_str(),
                 signature.opened_by.c_str());
  const std::string block = FormatErrorBlock(entry, signature, now, ProcessId());
  std::fputs(block.c_str(), trace);
  std::fclose(trace);
}

} // namespace quarlane::rfcshared
