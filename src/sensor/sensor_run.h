// What one run of the sensor holds from start to exit status.
#ifndef QUARLANE_SENSOR_SENSOR_RUN_H
#define QUARLANE_SENSOR_SENSOR_RUN_H

#include <cstdio>
#include <string>
#include <vector>

#include "output/render.h"
#include "rfc/log_hook.h"
#include "rfc/session.h"
#include "sensor/options.h"
#include "sensor/server_listing.h"

namespace quarlane {

// Where the profile lies and what kind of run it makes.
struct ProfileLocation {
  std::string profile_name;   // file name without folder, after normalisation
  std::string profile_folder; // empty (working folder) or ending in a backslash or slash
  std::string profile_path;   // profile_folder + profile_name
  bool item_run = false;
  // Item run: the item reported, the listed system profiles (files in
  // profile_folder) and how each system's channel is named.
  std::string item_name;
  std::vector<std::string> systems;
  SystemLabelKind label_kind = SystemLabelKind::Profile;
};

struct SensorRun {
  std::string start_banner;       // "* hh:mm:ss SAP Quarlane Vers ..."
  std::string program_path;       // argv[0], for the log hook
  Options options;                // the parameters in effect
  ProfileLocation location;
  Renderer renderer;              // numbers the channels of the whole run
  RfcSession rfc;
  StepLog log;
  std::FILE *out = stdout;        // the documents, verbose lines and the RFC error block
};

} // namespace quarlane

#endif
