// The terminal's (or Windows console's) password prompt without echo, shared
// by quarlane-passwd and quarlane-nwrfc-check.
#ifndef QUARLANE_TOOLS_CONSOLE_PROMPT_H
#define QUARLANE_TOOLS_CONSOLE_PROMPT_H

#include <memory>

#include "password_prompt.h"

namespace quarlane {

// A prompt when standard input is a terminal; NULL when it is not (a pipe,
// a file): the caller then reads the line as it is.
std::unique_ptr<PasswordPrompt> ConsolePromptIfConsole();

} // namespace quarlane

#endif
