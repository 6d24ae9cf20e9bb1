// Finding a system profile exactly as the sensor finds it, for the tools
// (quarlane-passwd, quarlane-nwrfc-check): the sensor's own LocateProfile.
#ifndef QUARLANE_TOOLS_FIND_PROFILE_H
#define QUARLANE_TOOLS_FIND_PROFILE_H

#include <iosfwd>
#include <optional>
#include <string>

namespace quarlane {

// A profile found as the sensor finds it, and the message a sensor started
// here would stop with before it reads the profile (the folder rule).
struct FoundProfile {
  std::string path;
  std::optional<std::string> sensor_stops_with;
};

// The system profile an argument names: a name with a folder part that
// opens there is read from there (the sensor's "@"); otherwise the PRTG
// folder search. Says on err, after "<tool>: ", which file is read, or why
// none. nullopt when none.
std::optional<FoundProfile> FindSystemProfile(const std::string &argument, std::ostream &err,
                                              const std::string &tool);

} // namespace quarlane

#endif
