// What a run in the JSON mode (PRTG's Script v2 sensor) does besides the
// others: it finds the profile beside the program, works in a folder of its
// own instead of whatever the current folder is, and refuses an item name
// that names no value. docs/prtg-script-v2.md.
#ifndef QUARLANE_SENSOR_JSON_RUN_H
#define QUARLANE_SENSOR_JSON_RUN_H

#include <string>

#include "sensor/options.h"
#include "sensor/profile_location.h"
#include "util/result.h"

namespace quarlane {

// The located files' folders made full paths of the host, so that they
// still name the same files once the run works in its own folder.
void MakeFoldersFull(ProfileLocation &location);

// Makes the run's working folder (DefaultWorkingFolder) and enters it:
// "SapRfc.ini", its lock, the trace "Dev_Rfc.Trc" and "Quarlane.Log" go
// there. Fails with the folder, why, and what to do.
Status EnterJsonWorkingFolder();

// An item run's item must name a value of the chosen report; otherwise the
// run fails with the item and every name it may take.
Status CheckItemName(const ItemRunLocation &location, const Options &options);

// What to do when the profile is not beside the program: " - looked in
// <folder>; ...". Added to the JSON mode's Error 1002.
std::string JsonSearchAdvice(const std::string &profile_name, const std::string &program_folder);

} // namespace quarlane

#endif
