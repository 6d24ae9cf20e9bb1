// Processing the system or systems of a run: each step yields its value or
// the failure that ends the run; what is found is returned, and what must
// show while the run goes on is handed to a sink.
#ifndef QUARLANE_SENSOR_PROCESSING_H
#define QUARLANE_SENSOR_PROCESSING_H

#include <chrono>
#include <string>

#include "output/report.h"
#include "sensor/profile_location.h"
#include "sensor/sensor_run.h"
#include "util/result.h"

namespace quarlane {

// How long a single-system run waits for its profile's lock ("<profile>.lck"
// beside the profile, or beside its target when it is a link) before it ends
// with the failed rewrite (1016) and the profile untouched. A holder keeps it from before
// the logon to the rewritten history, a fraction of a second on a working
// system; with the wait for "SapRfc.ini" (kDestinationLockWait,
// 10 s) a run still ends well inside the minute PRTG gives a sensor.
constexpr std::chrono::seconds kProfileLockWait{15};

// What a run shows while it goes on, in the order it happens: its progress
// lines (verbose state lines, the announcement of a logon through a
// destination file) and, in an item run, its document's head and each
// system's channel.
class RunSink {
public:
  virtual ~RunSink() = default;
  virtual void Progress(const std::string &lines) = 0; // whole lines, line ends included
  virtual void ItemHead() = 0;
  virtual void ItemChannel(const Channel &channel) = 0;
};

// A single-system run: the report of the interval since the previous run,
// the profile's history rewritten.
Result<Report> ProcessSingleSystem(SensorRun &run, const SingleSystemLocation &location,
                                   RunSink &sink);

// An item run: the head and each listed system's channel go to the sink;
// returns its closing report (ItemRunReport), whose text ends the document.
Result<Report> ProcessServerListing(SensorRun &run, const ItemRunLocation &location, RunSink &sink);

} // namespace quarlane

#endif
