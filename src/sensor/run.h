// The run from start to exit status: command line, location, processing, end.
#ifndef QUARLANE_SENSOR_RUN_H
#define QUARLANE_SENSOR_RUN_H

#include <string>

#include "sensor/sensor_run.h"
#include "util/result.h"

namespace quarlane {

// The whole run; returns the exit status (0 normal end, 2 error document; the
// RFC error block ends the process with 1 on its own).
int RunSensor(int argc, char **argv);

// The error exit: the error document carrying the failure is written and the
// connection closed. Returns the exit status 2.
int FailRun(SensorRun &run, const Failure &failure);

// After a failed remote call: the trace file's finding is added to the
// failure's text, which then ends the run as FailRun does.
int FailedCallExit(SensorRun &run, const Failure &failure);

// The closing line of verbose mode, when verbose.
void WriteClosingLine(SensorRun &run);

} // namespace quarlane

#endif
