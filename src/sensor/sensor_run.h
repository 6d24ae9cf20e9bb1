// What one run of the sensor holds from start to exit status.
#ifndef QUARLANE_SENSOR_SENSOR_RUN_H
#define QUARLANE_SENSOR_SENSOR_RUN_H

#include <string>

#include "platform/file_system.h"
#include "rfc/error_report.h"
#include "rfc/log_hook.h"
#include "rfc/session.h"
#include "sensor/options.h"

namespace quarlane {

struct SensorRun {
  std::string start_banner; // "* hh:mm:ss SAP Quarlane Vers ..."
  std::string program_path; // argv[0], for the log hook
  Options options;          // the parameters in effect
  RfcSession rfc;
  StepLog log;
  FileSystem *files = &Disk(); // the profiles, their rewrite, the trace file
  // Where the library's error handler ends the run: it prints the block and
  // ends the process, never returning into the library.
  RfcErrorExit end_inside_library = nullptr;
};

} // namespace quarlane

#endif
