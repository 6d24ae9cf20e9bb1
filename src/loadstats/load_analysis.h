// The load analysis of one system: summary call, counters and history, report.
#ifndef QUARLANE_LOADSTATS_LOAD_ANALYSIS_H
#define QUARLANE_LOADSTATS_LOAD_ANALYSIS_H

#include "sensor/run_context.h"

namespace quarlane {

// Fetches the day's workload summary on run.rfc.handle, updates the history in
// the sensor profile (single-system run), and builds the report: the whole
// document in a single-system run, the system's one channel written to
// run.out in an item run (setting the found flag). Sets run_status "OK" on
// success; failures leave "ERR" and their message in the document. Returns
// the result code of the summary call.
RFC_RC RunLoadAnalysis(Run &run);

} // namespace quarlane

#endif
