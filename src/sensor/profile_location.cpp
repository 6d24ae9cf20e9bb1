#include "sensor/profile_location.h"

#include <cstddef>
#include <optional>

#include "platform/files.h"
#include "platform/paths.h"
#include "sensor/server_listing.h"
#include "util/text.h"

namespace quarlane {

namespace {

const char kDefaultExtension[] = ".P00";
const char kGlobalProfileName[] = "GLOBAL.P00";
const char kGlobalSensorFile[] = "SAP Corvanta.Gbl";
const char kItemProfile[] = "Corvanta.Prf";
const char kPrtgPathFile[] = "C:\\PRTG_Path.Txt";
const char kPrtgSubFolder[] = "PRTG Network Monitor\\Custom Sensors\\ExeXml\\";
const char kCustomSensorsSubFolder[] = "Custom Sensors\\ExeXml\\";
const char *const kFixedFolders[] = {
    "", // the working folder
    "\\Programme\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\",
    "\\Program Files\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\",
    "\\Program Files (x86)\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\",
};

Failure ProfileMissing(const std::string &what) {
  return Failure(FailureCode::ProfileMissing, what);
}

// A folder as the trail names it: quoted, and where the host opens it when
// that differs (Linux, below $QUARLANE_ROOT).
std::string ShownFolder(const std::string &folder) {
  if (folder.empty()) return "the working folder";
  const std::string host = HostPath(folder);
  return "\"" + folder + "\"" + (host == folder ? std::string() : " (" + host + ")");
}

// The profile tried in a folder of the search. A name that would leave the
// folder (a leading separator, a drive prefix "C:") is kept inside it by
// ".\": what a run says never depends on a file outside the folders
// searched. Any other name, and every folder that passes the path check,
// opens as before.
std::string TriedPath(const std::string &folder, const std::string &profile_name) {
  const bool rooted = (!profile_name.empty() && (profile_name[0] == '\\' || profile_name[0] == '/')) ||
                      (profile_name.size() > 1 && profile_name[1] == ':');
  return folder + (rooted ? ".\\" : "") + profile_name;
}

// Tries the profile in one folder of the search and notes a miss.
bool OpensIn(const std::string &folder, const std::string &profile_name, LocationTrail &trail) {
  if (CanOpenForReading(TriedPath(folder, profile_name))) return true;
  trail.lines.push_back(profile_name + " not found in " + ShownFolder(folder));
  return false;
}

// The folder in which the PRTG installation keeps the profile: below the
// folder named in "C:\PRTG_Path.Txt", or else one of the usual places.
Result<std::string> SearchPrtgFolder(const std::string &profile_name, LocationTrail &trail) {
  if (std::optional<std::vector<std::string>> lines = ReadLines(kPrtgPathFile)) {
    std::string folder = FolderFromPrtgPathLines(*lines);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    trail.lines.push_back(std::string("\"") + kPrtgPathFile + "\" names the folder " +
                          ShownFolder(folder));
    if (OpensIn(folder + kPrtgSubFolder, profile_name, trail)) folder += kPrtgSubFolder;
    if (OpensIn(folder + kCustomSensorsSubFolder, profile_name, trail))
      folder += kCustomSensorsSubFolder;
    if (OpensIn(folder, profile_name, trail)) return folder;
    // The named installation decides: the usual places are not tried.
    return ProfileMissing(profile_name);
  }
  trail.lines.push_back(std::string("\"") + kPrtgPathFile +
                        "\" cannot be read: the usual folders are searched");
  for (const char *folder : kFixedFolders)
    if (OpensIn(folder, profile_name, trail)) return std::string(folder);
  return ProfileMissing(profile_name);
}

Status ResolveItemMode(ProfileLocation &location) {
  std::optional<std::vector<std::string>> lines = ReadLines(location.profile_path);
  if (!lines) return Failure(FailureCode::ItemProfileMissing, location.profile_name);
  location.systems = SplitServerListing(ServerListingFromItemProfile(*lines));
  return Success();
}

Status ResolveGlobalMode(LocatedRun &run, const std::string &second_argument) {
  ProfileLocation &location = run.location;
  std::optional<std::vector<std::string>> lines = ReadLines(location.profile_path);
  if (!lines) return Failure(FailureCode::GlobalFileMissing, location.profile_name);
  Result<GlobalAllocation> allocation = ReadGlobalSensorFile(*lines, run.options.global_key);
  if (!allocation) return allocation.failure();
  location.systems = SplitServerListing(allocation->server_listing);
  location.item_name = allocation->item_name;
  location.label_kind = allocation->label_kind;
  if (!allocation->allocation_found)
    return Failure(FailureCode::GlobalSensorNotFound, second_argument);
  // From here on the options are those of the allocation.
  run.options = AllocationOptions(run.options, allocation->allocation_text, allocation->item_name);
  return Success();
}

} // namespace

std::string WithDefaultExtension(const std::string &name) {
  if (name.size() < 4 || name[name.size() - 4] != '.') return name + kDefaultExtension;
  return name;
}

ProfileNameParts SplitProfileName(const std::string &name) {
  // The system treats "/" as a folder separator as well (Windows too), so a
  // name split only at backslashes could climb out of the PRTG folders.
  const std::size_t last = name.find_last_of("\\/");
  if (last == std::string::npos || last == 0) return {std::string(), name};
  return {name.substr(0, last + 1), name.substr(last + 1)};
}

std::string FolderFromPrtgPathLines(const std::vector<std::string> &lines) {
  std::string folder;
  for (const std::string &line : lines) {
    const bool counts = (line.size() > 0 && line[0] == '\\') ||
                        (line.size() > 1 && line[1] == ':') ||
                        (line.size() > 2 && line[2] == '\\');
    if (counts) folder = line;
  }
  return folder;
}

bool PassesPathCheck(const std::string &profile_folder) {
  if (profile_folder.size() < 7) return false;
  return UpperAscii(profile_folder.substr(profile_folder.size() - 7, 6)) == "EXEXML";
}

Result<LocatedRun> LocateProfile(const std::string &profile_name_argument, OutputMode mode,
                                 const Options &options, const std::string &second_argument,
                                 LocationTrail *trail_out) {
  LocationTrail ignored;
  LocationTrail &trail = trail_out ? *trail_out : ignored;
  trail = LocationTrail();
  LocatedRun run{ProfileLocation(), options};
  ProfileLocation &location = run.location;
  std::string name = profile_name_argument;

  if (options.item) {
    location.item_run = true;
    location.item_name = *options.item;
    name = kItemProfile;
  }

  const ProfileNameParts parts = SplitProfileName(WithDefaultExtension(name));
  location.profile_folder = parts.folder;
  location.profile_name = parts.name;

  bool global_mode = false;
  if (UpperAscii(location.profile_name) == kGlobalProfileName) {
    location.item_run = true;
    global_mode = true;
    location.profile_name = kGlobalSensorFile;
  }

  if (!FormsOf(mode).searches_prtg_folders || options.folder_given) {
    // The message names the one path tried; the trail adds nothing to it.
    location.profile_path = location.profile_folder + location.profile_name;
    if (!CanOpenForReading(location.profile_path)) {
      trail.folder_step_failed = true;
      return ProfileMissing(location.profile_path);
    }
    trail.path_found = location.profile_path;
  } else {
    Result<std::string> folder = SearchPrtgFolder(location.profile_name, trail);
    if (!folder) {
      trail.folder_step_failed = true;
      return folder.failure();
    }
    location.profile_folder = *folder;
    location.profile_path = location.profile_folder + location.profile_name;
    trail.path_found = location.profile_path;
    if (!PassesPathCheck(location.profile_folder)) {
      trail.lines.push_back(location.profile_name + " found in " +
                            ShownFolder(location.profile_folder) +
                            ", which does not end in \"ExeXml\\\"");
      trail.folder_step_failed = true;
      return Failure(FailureCode::InvalidPathUsage);
    }
  }

  if (!location.item_run) return run;

  const Status resolved =
      global_mode ? ResolveGlobalMode(run, second_argument) : ResolveItemMode(location);
  if (!resolved) return resolved.failure();

  if (location.systems.empty()) return Failure(FailureCode::ServerListingMissing);
  if (location.item_name.empty()) return Failure(FailureCode::ItemNameMissing);
  return run;
}

} // namespace quarlane
