// quarlane-passwd: writes the stored form of a profile password and checks
// stored values and profiles, with the sensor's own key table and reader.
#ifndef QUARLANE_TOOLS_PASSWD_TOOL_H
#define QUARLANE_TOOLS_PASSWD_TOOL_H

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "password_prompt.h"

namespace quarlane {

extern const char *const kPasswdUsage;

// The whole tool: arguments without the program name; returns the exit status
// (0 done or OK, 1 cannot store or a fault found, 2 wrong usage). prompt is
// given when standard input is a terminal: --stdin then asks for the password
// twice; from a pipe it reads the first line and asks nothing.
int RunPasswdTool(const std::vector<std::string> &args, std::istream &in, std::ostream &out,
                  std::ostream &err, PasswordPrompt *prompt = nullptr);

} // namespace quarlane

#endif
