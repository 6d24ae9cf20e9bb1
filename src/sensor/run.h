// The run from start to exit status: command line, location, processing, end.
#ifndef QUARLANE_SENSOR_RUN_H
#define QUARLANE_SENSOR_RUN_H

#include "sensor/run_context.h"

namespace quarlane {

// The whole run; returns the exit status (0 normal end, 2 error document; the
// RFC error block ends the process with 1 on its own).
int RunSensor(int argc, char **argv);

// The error exit: the document becomes the error document carrying text, is
// written, the connection is closed. Returns the exit status 2.
int FailRun(Run &run, const std::string &text);

// After a failed remote call: the trace file's finding is appended to the
// document and the whole text becomes the error document.
int FailedCallExit(Run &run);

// The normal end (or, for a single-system run left at "ERR", the failed call
// exit). Returns the exit status.
int FinishRun(Run &run);

} // namespace quarlane

#endif
