#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "check_tool.h"
#include "console_prompt.h"

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::unique_ptr<quarlane::PasswordPrompt> prompt = quarlane::ConsolePromptIfConsole();
  return quarlane::RunCheckTool(args, std::cin, std::cout, std::cerr, prompt.get());
}
