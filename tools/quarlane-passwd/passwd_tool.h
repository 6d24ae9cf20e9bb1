// quarlane-passwd: writes the stored form of a profile password and checks
// stored values and profiles, with the sensor's own key table and reader.
#ifndef QUARLANE_TOOLS_PASSWD_TOOL_H
#define QUARLANE_TOOLS_PASSWD_TOOL_H

#include <iosfwd>
#include <string>
#include <vector>

namespace quarlane {

extern const char *const kPasswdUsage;

// The whole tool: arguments without the program name; returns the exit status
// (0 done or OK, 1 cannot store or a fault found, 2 wrong usage).
int RunPasswdTool(const std::vector<std::string> &args, std::istream &in, std::ostream &out,
                  std::ostream &err);

} // namespace quarlane

#endif
