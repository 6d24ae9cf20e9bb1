// Turning the profile name into a profile file, and the server listing of an
// item run.
#ifndef QUARLANE_SENSOR_PROFILE_LOCATION_H
#define QUARLANE_SENSOR_PROFILE_LOCATION_H

#include <optional>
#include <string>
#include <vector>

#include <variant>

#include "output/output_modes.h"
#include "platform/file_system.h"
#include "sensor/options.h"
#include "sensor/server_listing.h"
#include "util/result.h"

namespace quarlane {

// A profile file found: its name without folder (after normalisation), its
// folder (empty: the working folder; otherwise ending in a backslash or
// slash) and folder + name.
struct ProfileFile {
  std::string name;
  std::string folder;
  std::string path;
};

// A single-system run: the profile is the system's; it opened.
struct SingleSystemLocation {
  ProfileFile profile;
};

// An item run: the item profile or global sensor file, the item reported,
// the listed system profiles (files in its folder) and how each system's
// channel is named.
struct ItemRunLocation {
  ProfileFile listing;
  std::string item_name;
  std::vector<std::string> systems;
  SystemLabelKind label_kind = SystemLabelKind::Profile;
};

// Where the profile lies and what kind of run it makes.
using ProfileLocation = std::variant<SingleSystemLocation, ItemRunLocation>;

// The profile file of either kind of run.
const ProfileFile &FileOf(const ProfileLocation &location);

// Where the run's profile lies, and the options in effect: a global
// sensor's allocation takes the place of the command line's parameters.
struct LocatedRun {
  ProfileLocation location;
  Options options;
};

// Where the location looked, for the verbose lines of a run that ends at the
// folder step and for quarlane-passwd, each line without the time.
struct LocationTrail {
  std::vector<std::string> lines;        // the folder search, each folder tried
  std::optional<std::string> path_found; // the profile opened here
  // The run ended at the folder step: Error 1002 or "Sorry, invalid
  // Path-Usage...".
  bool folder_step_failed = false;
};

// Everything from the profile name to the start of processing: the name and
// its folder (the folder given with the name when the mode is not EXEXML or
// the parameters hold "@", otherwise the PRTG folder search), the kind of
// run, and for an item run its systems, item and label kind. Fails with the
// exact message. A single-system run's profile path names a file that
// opened; the caller reads it. The trail, when given, records where the
// profile was looked for.
// In the JSON mode without "@" the profile is looked for in program_folder
// (the program's own folder, as the host names it) alone.
Result<LocatedRun> LocateProfile(const FileSystem &files, const std::string &profile_name_argument,
                                 OutputMode mode, const Options &options,
                                 const std::string &second_argument, LocationTrail *trail = nullptr,
                                 const std::string &program_folder = std::string());

// The naming rules, one by one.

// ".P00" appended unless the fourth character from the end is a full stop.
std::string WithDefaultExtension(const std::string &name);

// Folder part (up to and including the last backslash or slash, when that
// separator is not the first character) and file name. A slash separates
// folders wherever a backslash does, so "../x" is judged exactly as "..\x".
struct ProfileNameParts {
  std::string folder;
  std::string name;
};
ProfileNameParts SplitProfileName(const std::string &name);

// "C:\PRTG_Path.Txt": the last line whose first character is a backslash, or
// whose second is a colon, or whose third is a backslash, taken whole; empty
// when no line counts.
std::string FolderFromPrtgPathLines(const std::vector<std::string> &lines);

// The six characters before the folder's last one read "EXEXML" in any case.
bool PassesPathCheck(const std::string &profile_folder);

} // namespace quarlane

#endif
