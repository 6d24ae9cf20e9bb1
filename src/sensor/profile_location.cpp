#include "sensor/profile_location.h"

#include <cstddef>
#include <optional>

#include "platform/files.h"
#include "platform/paths.h"
#include "sensor/server_listing.h"
#include "util/text.h"

namespace quarlane {

namespace {

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
  const bool rooted =
      (!profile_name.empty() && (profile_name[0] == '\\' || profile_name[0] == '/')) ||
      (profile_name.size() > 1 && profile_name[1] == ':');
  return folder + (rooted ? ".\\" : "") + profile_name;
}

// Tries the profile in one folder of the search and notes a miss.
bool OpensIn(const FileSystem &files, const std::string &folder, const std::string &profile_name,
             LocationTrail &trail) {
  if (files.CanOpenForReading(TriedPath(folder, profile_name))) return true;
  trail.lines.push_back(profile_name + " not found in " + ShownFolder(folder));
  return false;
}

// The folder in which the PRTG installation keeps the profile: below the
// folder named in "C:\PRTG_Path.Txt", or else one of the usual places.
Result<std::string> SearchPrtgFolder(const FileSystem &files, const std::string &profile_name,
                                     LocationTrail &trail) {
  if (std::optional<std::vector<std::string>> lines = files.ReadLines(kPrtgPathFile)) {
    std::string folder = FolderFromPrtgPathLines(*lines);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    trail.lines.push_back(std::string("\"") + kPrtgPathFile + "\" names the folder " +
                          ShownFolder(folder));
    if (OpensIn(files, folder + kPrtgSubFolder, profile_name, trail)) folder += kPrtgSubFolder;
    if (OpensIn(files, folder + kCustomSensorsSubFolder, profile_name, trail))
      folder += kCustomSensorsSubFolder;
    if (OpensIn(files, folder, profile_name, trail)) return folder;
    // The named installation decides: the usual places are not tried.
    return ProfileMissing(profile_name);
  }
  trail.lines.push_back(std::string("\"") + kPrtgPathFile +
                        "\" cannot be read: the usual folders are searched");
  for (const char *folder : kFixedFolders)
    if (OpensIn(files, folder, profile_name, trail)) return std::string(folder);
  return ProfileMissing(profile_name);
}

Status ResolveItemMode(const FileSystem &files, ItemRunLocation &location) {
  std::optional<std::vector<std::string>> lines = files.ReadLines(location.listing.path);
  if (!lines) return Failure(FailureCode::ItemProfileMissing, location.listing.name);
  location.systems = SplitServerListing(ServerListingFromItemProfile(*lines));
  return Success();
}

Status ResolveGlobalMode(const FileSystem &files, ItemRunLocation &location, Options &options,
                         const std::string &second_argument) {
  std::optional<std::vector<std::string>> lines = files.ReadLines(location.listing.path);
  if (!lines) return Failure(FailureCode::GlobalFileMissing, location.listing.name);
  Result<GlobalAllocation> allocation = ReadGlobalSensorFile(*lines, options.global_key);
  if (!allocation) return allocation.failure();
  location.systems = SplitServerListing(allocation->server_listing);
  location.item_name = allocation->item_name;
  location.label_kind = allocation->label_kind;
  if (!allocation->allocation_found)
    return Failure(FailureCode::GlobalSensorNotFound, second_argument);
  // From here on the options are those of the allocation.
  options = AllocationOptions(options, allocation->allocation_text, allocation->item_name);
  return Success();
}

// The profile file's folder: the one given with the name, or PRTG's folder
// search and its path check.
Status FindFolder(const FileSystem &files, OutputMode mode, const Options &options,
                  ProfileFile &file, LocationTrail &trail, const std::string &program_folder) {
  if (IsJsonMode(mode) && !options.folder_given) {
    // PRTG's scripts folder holds the program; the profile lies beside it.
    // A folder given with the name counts only with "@".
    file.folder = program_folder;
    file.path = file.folder + file.name;
    if (!files.CanOpenForReading(file.path)) {
      trail.lines.push_back(file.name + " not found in " + ShownFolder(file.folder));
      trail.folder_step_failed = true;
      return ProfileMissing(file.name);
    }
    trail.path_found = file.path;
    return Success();
  }
  if (!FormsOf(mode).searches_prtg_folders || options.folder_given) {
    // The message names the one path tried; the trail adds nothing to it.
    file.path = file.folder + file.name;
    if (!files.CanOpenForReading(file.path)) {
      trail.folder_step_failed = true;
      return ProfileMissing(file.path);
    }
    trail.path_found = file.path;
    return Success();
  }
  Result<std::string> folder = SearchPrtgFolder(files, file.name, trail);
  if (!folder) {
    trail.folder_step_failed = true;
    return folder.failure();
  }
  file.folder = *folder;
  file.path = file.folder + file.name;
  trail.path_found = file.path;
  if (!PassesPathCheck(file.folder)) {
    trail.lines.push_back(file.name + " found in " + ShownFolder(file.folder) +
                          ", which does not end in \"ExeXml\\\"");
    trail.folder_step_failed = true;
    return Failure(FailureCode::InvalidPathUsage);
  }
  return Success();
}

} // namespace

std::string WithDefaultExtension(const std::string &name) {
  if (name.size() < kProfileExtensionLength || name[name.size() - kProfileExtensionLength] != '.')
    return name + kDefaultProfileExtension;
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
                        (line.size() > 1 && line[1] == ':') || (line.size() > 2 && line[2] == '\\');
    if (counts) folder = line;
  }
  return folder;
}

bool PassesPathCheck(const std::string &profile_folder) {
  if (profile_folder.size() < 7) return false;
  return UpperAscii(profile_folder.substr(profile_folder.size() - 7, 6)) == "EXEXML";
}

const ProfileFile &FileOf(const ProfileLocation &location) {
  if (const auto *item = std::get_if<ItemRunLocation>(&location)) return item->listing;
  return std::get<SingleSystemLocation>(location).profile;
}

Result<LocatedRun> LocateProfile(const FileSystem &files, const std::string &profile_name_argument,
                                 OutputMode mode, const Options &options,
                                 const std::string &second_argument, LocationTrail *trail_out,
                                 const std::string &program_folder) {
  LocationTrail ignored;
  LocationTrail &trail = trail_out ? *trail_out : ignored;
  trail = LocationTrail();
  const bool item_mode = options.item.has_value();
  const ProfileNameParts parts =
      SplitProfileName(WithDefaultExtension(item_mode ? kItemProfile : profile_name_argument));
  ProfileFile file{parts.name, parts.folder, std::string()};

  const bool global_mode = UpperAscii(file.name) == kGlobalProfileName;
  if (global_mode) file.name = kGlobalSensorFile;

  const Status found = FindFolder(files, mode, options, file, trail, program_folder);
  if (!found) return found.failure();
  if (!item_mode && !global_mode) return LocatedRun{SingleSystemLocation{file}, options};

  ItemRunLocation item;
  item.listing = file;
  if (item_mode) item.item_name = *options.item;
  Options options_in_effect = options;
  const Status resolved = global_mode
                              ? ResolveGlobalMode(files, item, options_in_effect, second_argument)
                              : ResolveItemMode(files, item);
  if (!resolved) return resolved.failure();

  if (item.systems.empty()) return Failure(FailureCode::ServerListingMissing);
  if (item.item_name.empty()) return Failure(FailureCode::ItemNameMissing);
  return LocatedRun{std::move(item), std::move(options_in_effect)};
}

} // namespace quarlane
