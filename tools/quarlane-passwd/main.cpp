#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "console_prompt.h"
#include "passwd_tool.h"

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::unique_ptr<quarlane::PasswordPrompt> prompt = quarlane::ConsolePromptIfConsole();
  return quarlane::RunPasswdTool(args, std::cin, std::cout, std::cerr, prompt.get());
}
