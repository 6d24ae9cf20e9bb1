#include "rfc/log_hook.h"

#include "platform/paths.h"

namespace quarlane {

void LogStep(StepLog &log, long handle, const std::string &step, const std::string &detail) {
  if (!log.enabled) return;
  if (!log.file) {
    log.file = std::fopen(HostPath("Quarlane.Log").c_str(), "a");
    // A log that cannot be opened must not end the run: the log is a help,
    // not a result.
    if (!log.file) return;
  }
  std::fprintf(log.file, "%ld %s %s\n", handle, step.c_str(), detail.c_str());
  std::fflush(log.file);
}

} // namespace quarlane
