#include "sensor/profile_location.h"

#include <cstddef>
#include <optional>

#include "output/formatting.h"
#include "platform/files.h"
#include "sensor/server_listing.h"

namespace quarlane {

namespace {

const char kDefaultExtension[] = ".P00";
const char kGlobalProfileName[] = "GLOBAL.P00";
const char kGlobalSensorFile[] = "SAP Corvanta.Gbl";
const char kItemProfile[] = "Corvanta.Prf";
const char kItemOption[] = "ITEM=";
const char kPrtgPathFile[] = "C:\\PRTG_Path.Txt";
const char kPrtgSubFolder[] = "PRTG Network Monitor\\Custom Sensors\\ExeXml\\";
const char kCustomSensorsSubFolder[] = "Custom Sensors\\ExeXml\\";
const char *const kFixedFolders[] = {
    "", // the working folder
    "\\Programme\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\",
    "\\Program Files\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\",
    "\\Program Files (x86)\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\",
};

RunFailure ProfileMissing(const std::string &what) {
  return RunFailure{"Error 1002: Profile " + what + " is missing..."};
}

std::string LowerAscii(std::string text) {
  for (char &c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// The folder in which the PRTG installation keeps the profile: below the
// folder named in "C:\PRTG_Path.Txt", or else one of the usual places.
std::string SearchPrtgFolder(const std::string &profile_name) {
  if (std::optional<std::vector<std::string>> lines = ReadLines(kPrtgPathFile)) {
    std::string folder = FolderFromPrtgPathLines(*lines);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    if (CanOpenForReading(folder + kPrtgSubFolder + profile_name)) folder += kPrtgSubFolder;
    if (CanOpenForReading(folder + kCustomSensorsSubFolder + profile_name))
      folder += kCustomSensorsSubFolder;
    if (CanOpenForReading(folder + profile_name)) return folder;
    // The named installation decides: the usual places are not tried.
    throw ProfileMissing(profile_name);
  }
  for (const char *folder : kFixedFolders)
    if (CanOpenForReading(folder + profile_name)) return folder;
  throw ProfileMissing(profile_name);
}

void ResolveItemMode(RunContext &ctx) {
  std::optional<std::vector<std::string>> lines = ReadLines(ctx.profile_path);
  if (!lines) throw RunFailure{"Error 1024: ProFile " + ctx.profile_name + " is missing..."};
  ctx.server_listing = ServerListingFromItemProfile(*lines);
}

void ResolveGlobalMode(RunContext &ctx) {
  std::optional<std::vector<std::string>> lines = ReadLines(ctx.profile_path);
  if (!lines) throw RunFailure{"Error 10x1: ProFile " + ctx.profile_name + " is missing..."};
  GlobalAllocation allocation = ReadGlobalSensorFile(*lines, GlobalSensorKey(ctx.params));
  ctx.server_listing = allocation.server_listing;
  ctx.item_name = allocation.item_name;
  ctx.ident_kind = allocation.ident_kind;
  if (!allocation.allocation_found)
    throw RunFailure{"Error 1030: Global Sensor " + ctx.second_argument + " not found..."};
  // From here on the options are those of the allocation.
  ctx.params_raw = allocation.allocation_text;
  ctx.params = UpperAscii(allocation.allocation_text);
}

} // namespace

OutputMode OutputModeFromProgramName(const std::string &argv0) {
  std::string name = argv0.substr(argv0.find_last_of("/\\") + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  name = LowerAscii(name);

  struct ModeWord {
    const char *word;
    OutputMode mode;
  };
  const ModeWord words[] = {{"dornvik", OutputMode::Dornvik},
                            {"mistrane", OutputMode::Mistrane},
                            {"kelbrun", OutputMode::Kelbrun},
                            {"pallvex", OutputMode::Pallvex}};
  OutputMode mode = OutputMode::ExeXml;
  for (const ModeWord &w : words)
    if (name.find(w.word) != std::string::npos) mode = w.mode;
  return mode;
}

std::string WithDefaultExtension(const std::string &name) {
  if (name.size() < 4 || name[name.size() - 4] != '.') return name + kDefaultExtension;
  return name;
}

ProfileNameParts SplitProfileName(const std::string &name) {
  const std::size_t last = name.find_last_of('\\');
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

void LocateProfile(Run &run, const std::string &profile_name_argument) {
  RunContext &ctx = run.ctx;
  std::string name = profile_name_argument;

  const std::size_t item_option = ctx.params.find(kItemOption);
  const bool item_mode = item_option != std::string::npos;
  if (item_mode) {
    ctx.item_run = true;
    ctx.item_name = ItemNameAt(ctx.params_raw, item_option + sizeof kItemOption - 1);
    name = kItemProfile;
  }

  const ProfileNameParts parts = SplitProfileName(WithDefaultExtension(name));
  ctx.profile_folder = parts.folder;
  ctx.profile_name = parts.name;

  bool global_mode = false;
  if (UpperAscii(ctx.profile_name) == kGlobalProfileName) {
    ctx.item_run = true;
    global_mode = true;
    ctx.profile_name = kGlobalSensorFile;
  }

  if (run.doc.mode != OutputMode::ExeXml || ctx.params.find('@') != std::string::npos) {
    ctx.profile_path = ctx.profile_folder + ctx.profile_name;
    if (!CanOpenForReading(ctx.profile_path)) throw ProfileMissing(ctx.profile_path);
  } else {
    ctx.profile_folder = SearchPrtgFolder(ctx.profile_name);
    ctx.profile_path = ctx.profile_folder + ctx.profile_name;
    if (!PassesPathCheck(ctx.profile_folder)) throw RunFailure{"Sorry, invalid Path-Usage..."};
  }

  if (!ctx.item_run) return;

  ctx.server_listing.clear();
  ctx.ident_kind = '1';
  run.item.no_systems = run.item.processed = run.item.failed = 0;
  if (global_mode)
    ResolveGlobalMode(ctx);
  else
    ResolveItemMode(ctx);

  if (ctx.server_listing.empty()) throw RunFailure{"Error 1025: Global Server Listing missing..."};
  if (ctx.item_name.empty()) throw RunFailure{"Error 1026: Global Item Idenification missing..."};
}

} // namespace quarlane
