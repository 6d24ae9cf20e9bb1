#include "nwrfc/trace.h"

#include <cstdio>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

#include "nwrfc/text.h"

namespace quarlane::nwrfc {

const char kTraceFileName[] = "Dev_Rfc.Trc";

namespace {

long ProcessId() {
#if defined(_WIN32)
  return static_cast<long>(_getpid());
#else
  return static_cast<long>(getpid());
#endif
}

std::string TimeStamp(std::time_t now) {
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%a %b %d %H:%M:%S %Y", &local);
  return text;
}

} // namespace

std::string FormatErrorBlock(const ErrorEntry &entry, std::time_t now, long pid) {
  std::string block;
  block += "**** ERROR  " + TimeStamp(now) + "  pid " + std::to_string(pid) + "  " + OneLine(entry.operation) +
           "  (librfc32 NetWeaver RFC bridge)\n";
  // Labels fill characters 6 to 16, so that no text of these lines stands
  // where a reader looks for "======> ".
  block += "     key......: " + OneLine(entry.key) + "\n";
  block += "     intstat..: " + OneLine(entry.intstat) + "\n";
  block += "ERROR       " + OneLine(entry.status) + "\n";
  block += "       ======> " + OneLine(entry.message) + "\n";
  block += "\n";
  return block;
}

void AppendErrorBlock(const ErrorEntry &entry) {
  bool is_new = true;
  if (std::FILE *existing = std::fopen(kTraceFileName, "r")) {
    is_new = false;
    std::fclose(existing);
  }
  std::FILE *trace = std::fopen(kTraceFileName, "a");
  if (trace == nullptr) return;
  const std::time_t now = std::time(nullptr);
  if (is_new)
    std::fprintf(trace, "**** Trace file opened at %s by librfc32, the NetWeaver RFC bridge\n\n",
                 TimeStamp(now).c_str());
  const std::string block = FormatErrorBlock(entry, now, ProcessId());
  std::fputs(block.c_str(), trace);
  std::fclose(trace);
}

} // namespace quarlane::nwrfc
