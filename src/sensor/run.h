// The run from start to exit status: command line, location, processing, end.
#ifndef QUARLANE_SENSOR_RUN_H
#define QUARLANE_SENSOR_RUN_H

#include <string>

#include "sensor/sensor_run.h"
#include "util/result.h"

namespace quarlane {

// The whole run; returns the exit status: 0 normal end, 2 error document, 1
// the RFC library's error block.
int RunSensor(int argc, char **argv);

// The error exit: the error document carrying the failure is written and the
// connection closed; returns 2. A library failure prints the library's error
// block instead and returns 1.
int FailRun(SensorRun &run, const Failure &failure);

// The library's error handler ends the run here: the block, then the process
// ends with status 1 (the library must not be returned into). The only place
// that ends the process early.
[[noreturn]] void EndRunInsideLibrary(const std::string &operation);

// After a failed remote call: the trace file's finding is added to the
// failure's text, which then ends the run as FailRun does.
int FailedCallExit(SensorRun &run, const Failure &failure);

// The closing line of verbose mode, when verbose.
void WriteClosingLine(SensorRun &run);

} // namespace quarlane

#endif
