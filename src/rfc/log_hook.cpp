#include "rfc/log_hook.h"

#include "platform/files.h"

namespace quarlane {

void LogStep(StepLog &log, long handle, const std::string &step, const std::string &detail) {
  if (!log.enabled) return;
  if (!log.file) {
    // Never appended through a link, never blocked on a FIFO: a log that is
    // not a regular file of its own does not open. A log that cannot be
    // opened must not end the run: the log is a help, not a result.
    log.file = OpenForAppending("Quarlane.Log");
    if (!log.file) return;
  }
  std::fprintf(log.file, "%ld %s %s\n", handle, step.c_str(), detail.c_str());
  std::fflush(log.file);
}

} // namespace quarlane
