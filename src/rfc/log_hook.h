// Trace lines of the run's steps; written only with ",SYSLOG" in the parameters.
#ifndef QUARLANE_RFC_LOG_HOOK_H
#define QUARLANE_RFC_LOG_HOOK_H

#include <string>

#include "sensor/run_context.h"

namespace quarlane {

// Appends "%d %s %s\n" (handle, step, detail) to "Quarlane.Log" in the working
// folder, flushed, when run.ctx.params contains ",SYSLOG"; otherwise nothing.
void LogStep(Run &run, long handle, const std::string &step, const std::string &detail);

} // namespace quarlane

#endif
