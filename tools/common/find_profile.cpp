#include "find_profile.h"

#include <cstdlib>
#include <ostream>
#include <variant>

#include "output/output_modes.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "sensor/options.h"
#include "sensor/profile_location.h"

namespace quarlane {

namespace {

// On Linux, a host path that already lies below $QUARLANE_ROOT becomes the
// drive path it stands for, so that opening it does not put it below the
// root a second time.
std::string AsDrivePath(const std::string &argument) {
#if defined(_WIN32)
  return argument;
#else
  const char *variable = std::getenv("QUARLANE_ROOT");
  std::string root = variable ? variable : "";
  while (!root.empty() && root.back() == '/') root.pop_back();
  if (root.empty() || argument.size() <= root.size() + 1 ||
      argument.compare(0, root.size(), root) != 0 || argument[root.size()] != '/')
    return argument;
  return argument.substr(root.size());
#endif
}

void WriteTrail(const LocationTrail &trail, std::ostream &err) {
  for (const std::string &line : trail.lines) err << "  " << line << "\n";
}

} // namespace

std::optional<FoundProfile> FindSystemProfile(const std::string &argument, std::ostream &err,
                                              const std::string &tool) {
  const std::string name = AsDrivePath(argument);
  const auto located_as = [&](const char *params, LocationTrail &trail) {
    return LocateProfile(Disk(), name, OutputMode::ExeXml, ParseOptions(params), "", &trail);
  };
  LocationTrail given_trail;
  if (!SplitProfileName(WithDefaultExtension(name)).folder.empty()) {
    Result<LocatedRun> given = located_as("@", given_trail);
    if (given && std::holds_alternative<SingleSystemLocation>(given->location)) {
      const std::string &path = FileOf(given->location).path;
      err << tool << ": reading " << path
          << " from the folder given with the name, as the sensor does with \"@\" (opened as "
          << HostPath(path) << ")\n";
      return FoundProfile{path, std::nullopt};
    }
  }
  LocationTrail trail;
  Result<LocatedRun> searched = located_as("", trail);
  if (searched && std::holds_alternative<SingleSystemLocation>(searched->location)) {
    const std::string &path = FileOf(searched->location).path;
    err << tool << ": reading " << path << ", found by the sensor's folder search (opened as "
        << HostPath(path) << ")\n";
    return FoundProfile{path, std::nullopt};
  }
  if (!searched && trail.folder_step_failed && trail.path_found) {
    err << tool << ": reading " << *trail.path_found
        << ", found by the sensor's folder search (opened as " << HostPath(*trail.path_found)
        << "); a sensor started here would stop with \"" << searched.failure().text << "\":\n";
    WriteTrail(trail, err);
    return FoundProfile{*trail.path_found, searched.failure().text};
  }
  err << tool << ": cannot read the profile " << argument << ": "
      << (searched ? "it names the global sensor file, no system profile" : searched.failure().text)
      << "\n";
  WriteTrail(trail, err);
  return std::nullopt;
}

} // namespace quarlane
