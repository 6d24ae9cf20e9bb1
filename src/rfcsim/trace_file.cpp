#include "rfcsim/trace_file.h"

#include <cstdio>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

#include "rfcsim/landscape.h"
#include "rfcsim/sim_time.h"
#include "rfcsim/text.h"

namespace quarlane::rfcsim {

const char kTraceFileName[] = "Dev_Rfc.Trc";

namespace {

long ProcessId() {
#if defined(_WIN32)
  return static_cast<long>(_getpid());
#else
  return static_cast<long>(getpid());
#endif
}

} // namespace

std::string FormatErrorBlock(const ErrorEntry &entry, std::time_t now, long pid) {
  std::string block;
  block += "**** ERROR  " + TimeStampText(now) + "  pid " + std::to_string(pid) + "  " + OneLine(entry.operation) +
           "  (librfc32 simulator: no real SAP system)\n";
  // Labels fill characters 6 to 16, so no text of these lines can take the
  // place where a reader looks for "======> ".
  block += "     key......: " + OneLine(entry.key) + "\n";
  block += "     intstat..: " + OneLine(entry.intstat) + "\n";
  for (const std::string &problem : entry.problems) block += "     problem..: " + OneLine(problem) + "\n";
  block += "ERROR       " + OneLine(entry.status) + "\n";
  block += "       ======> " + OneLine(entry.message) + "\n";
  block += "\n";
  return block;
}

void AppendErrorBlock(const std::string &folder, const ErrorEntry &entry, std::time_t now) {
  const std::string path = InFolder(folder, kTraceFileName);
  bool is_new = true;
  if (std::FILE *existing = std::fopen(path.c_str(), "r")) {
    is_new = false;
    std::fclose(existing);
  }
  std::FILE *trace = std::fopen(path.c_str(), "a");
  if (trace == nullptr) return; // a trace that cannot be written must not stop the caller
  if (is_new)
    std::fprintf(trace, "**** Trace file opened at %s by librfc32, the simulated RFC library (landscape file %s)\n\n",
                 TimeStampText(now).c_str(), kLandscapeFileName);
  const std::string block = FormatErrorBlock(entry, now, ProcessId());
  std::fputs(block.c_str(), trace);
  std::fclose(trace);
}

} // namespace quarlane::rfcsim
