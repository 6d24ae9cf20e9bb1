// Processing the system or systems of a run, with their states.
#ifndef QUARLANE_SENSOR_PROCESSING_H
#define QUARLANE_SENSOR_PROCESSING_H

#include "sensor/run_context.h"

namespace quarlane {

// Both return the exit status through FinishRun; fatal errors throw RunFailure.
int ProcessSingleSystem(Run &run);
int ProcessServerListing(Run &run);

} // namespace quarlane

#endif
