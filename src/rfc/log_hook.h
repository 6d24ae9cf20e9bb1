// Trace lines of the run's steps, written only when the run asks for them
// (",SYSLOG" in the parameters).
#ifndef QUARLANE_RFC_LOG_HOOK_H
#define QUARLANE_RFC_LOG_HOOK_H

#include <cstdio>
#include <string>

namespace quarlane {

struct StepLog {
  bool enabled = false;
  std::FILE *file = nullptr; // "Quarlane.Log" in the working folder, opened on first use
};

// Appends "%d %s %s\n" (handle, step, detail), flushed, when the log is
// enabled; otherwise nothing. A log that cannot be opened is no failure.
void LogStep(StepLog &log, long handle, const std::string &step, const std::string &detail);

} // namespace quarlane

#endif
