#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "check_tool.h"
#include "console_prompt.h"
#include "nwrfc/bounded.h"
#include "platform/process.h"

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::unique_ptr<quarlane::PasswordPrompt> prompt = quarlane::ConsolePromptIfConsole();
  const int status = quarlane::RunCheckTool(args, std::cin, std::cout, std::cerr, prompt.get());
  // A step left inside the SDK at its time bound: no static destructor may
  // run under it (as the sensor ends, sensor/run.h EndSensor).
  if (quarlane::nwrfc::ThreadsLeftBehind()) {
    std::cout.flush();
    std::cerr.flush();
    quarlane::EndProcessAtOnce(status);
  }
  return status;
}
