// A password asked of a person at a terminal, for the tools that read or
// store a profile's password (quarlane-passwd, quarlane-nwrfc-check).
#ifndef QUARLANE_TOOLS_PASSWORD_PROMPT_H
#define QUARLANE_TOOLS_PASSWORD_PROMPT_H

#include <optional>
#include <string>

namespace quarlane {

// A person at a terminal: the prompt is shown and one line read without
// echo; nullopt at the end of input.
class PasswordPrompt {
public:
  virtual ~PasswordPrompt() = default;
  virtual std::optional<std::string> Ask(const std::string &prompt) = 0;
};

} // namespace quarlane

#endif
