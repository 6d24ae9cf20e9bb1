// Processing the system or systems of a run, with their states.
#ifndef QUARLANE_SENSOR_PROCESSING_H
#define QUARLANE_SENSOR_PROCESSING_H

#include <chrono>

#include "sensor/sensor_run.h"

namespace quarlane {

// How long a single-system run waits for its profile's lock ("<profile>.lck"
// beside the profile, or beside its target when it is a link) before it ends
// with the failed rewrite (1016) and the profile untouched. A holder keeps it from before
// the logon to the rewritten history, a fraction of a second on a working
// system; with the wait for "SapRfc.ini" (kDestinationLockWait,
// 10 s) a run still ends well inside the minute PRTG gives a sensor.
constexpr std::chrono::seconds kProfileLockWait{15};

// Both return the exit status.
int ProcessSingleSystem(SensorRun &run);
int ProcessServerListing(SensorRun &run);

} // namespace quarlane

#endif
