// Processing the system or systems of a run, with their states.
#ifndef QUARLANE_SENSOR_PROCESSING_H
#define QUARLANE_SENSOR_PROCESSING_H

#include "sensor/sensor_run.h"

namespace quarlane {

// Both return the exit status.
int ProcessSingleSystem(SensorRun &run);
int ProcessServerListing(SensorRun &run);

} // namespace quarlane

#endif
