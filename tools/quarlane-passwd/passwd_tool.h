// quarlane-passwd: writes the stored form of a profile password and checks
// stored values and profiles, with the sensor's own key table and reader.
#ifndef QUARLANE_TOOLS_PASSWD_TOOL_H
#define QUARLANE_TOOLS_PASSWD_TOOL_H

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quarlane {

extern const char *const kPasswdUsage;

// A person at a terminal: the prompt is shown and one line read without
// echo; nullopt at the end of input.
class PasswordPrompt {
public:
  virtual ~PasswordPrompt() = default;
  virtual std::optional<std::string> Ask(const std::string &prompt) = 0;
};

// The whole tool: arguments without the program name; returns the exit status
// (0 done or OK, 1 cannot store or a fault found, 2 wrong usage). prompt is
// given when standard input is a terminal: --stdin then asks for the password
// twice; from a pipe it reads the first line and asks nothing.
int RunPasswdTool(const std::vector<std::string> &args, std::istream &in, std::ostream &out,
                  std::ostream &err, PasswordPrompt *prompt = nullptr);

// The system profile an argument names, found as the sensor finds it (the
// folder given with the name, else the PRTG folder search); says on err,
// after "<tool>: ", which file is read, or why none. nullopt when none.
std::optional<std::string> FindSystemProfile(const std::string &argument, std::ostream &err,
                                             const std::string &tool);

} // namespace quarlane

#endif
