#include <iostream>
#include <string>
#include <vector>

#include "passwd_tool.h"

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return quarlane::RunPasswdTool(args, std::cin, std::cout, std::cerr);
}
