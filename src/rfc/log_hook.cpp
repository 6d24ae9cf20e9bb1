#include "rfc/log_hook.h"

#include "platform/paths.h"

namespace quarlane {

void LogStep(Run &run, long handle, const std::string &step, const std::string &detail) {
  if (run.ctx.params.find(",SYSLOG") == std::string::npos) return;
  if (!run.log) {
    run.log = std::fopen(HostPath("Quarlane.Log").c_str(), "a");
    // A log that cannot be opened must not end the run: the log is a help,
    // not a result.
    if (!run.log) return;
  }
  std::fprintf(run.log, "%ld %s %s\n", handle, step.c_str(), detail.c_str());
  std::fflush(run.log);
}

} // namespace quarlane
