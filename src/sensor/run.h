// The run from start to exit status: command line, location, processing, and
// at the top the one place that renders what was found or the failure, and
// picks the exit status.
#ifndef QUARLANE_SENSOR_RUN_H
#define QUARLANE_SENSOR_RUN_H

#include <string>

namespace quarlane {

// The whole run; returns the exit status: 0 normal end, 2 error document, 1
// the RFC library's error block.
int RunSensor(int argc, char **argv);

// The end of the process with the run's status: returned from main as
// usual, unless the RFC library left a thread inside its SDK at a time bound
// (RfcThreadsLeftBehind); then the process ends at once after flushing
// (EndProcessAtOnce), so that no static destructor (the SDK's own included)
// runs under that thread.
int EndSensor(int status);

// The library's error handler ends the run here: the block, then the process
// ends with status 1 (the library must not be returned into), by the same
// rule as EndSensor. The only place that ends the process early.
[[noreturn]] void EndRunInsideLibrary(const std::string &operation);

} // namespace quarlane

#endif
