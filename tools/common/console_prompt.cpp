#include "console_prompt.h"

#include <iostream>
#include <memory>
#include <optional>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <csignal>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

#if defined(_WIN32)

// The console's input without echo (SetConsoleMode) while one line is read.
class ConsolePrompt : public quarlane::PasswordPrompt {
public:
  static std::unique_ptr<ConsolePrompt> IfConsole() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode)) return nullptr;
    return std::unique_ptr<ConsolePrompt>(new ConsolePrompt(input, mode));
  }
  std::optional<std::string> Ask(const std::string &prompt) override {
    // Echo off before the prompt shows, so nothing typed after it is echoed.
    SetConsoleMode(input_, mode_ & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    std::cerr << prompt << std::flush;
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    SetConsoleMode(input_, mode_);
    std::cerr << "\n";
    if (!read) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }

private:
  ConsolePrompt(HANDLE input, DWORD mode) : input_(input), mode_(mode) {}
  HANDLE input_;
  DWORD mode_;
};

#else

// The terminal's settings to restore when the user interrupts a prompt, so
// the shell does not stay without echo.
struct termios saved_terminal;

extern "C" void RestoreTerminalAndStop(int signal_number) {
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_terminal);
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

// The terminal without echo (termios) while one line is read.
class ConsolePrompt : public quarlane::PasswordPrompt {
public:
  static std::unique_ptr<ConsolePrompt> IfConsole() {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved_terminal) != 0) return nullptr;
    return std::unique_ptr<ConsolePrompt>(new ConsolePrompt());
  }
  std::optional<std::string> Ask(const std::string &prompt) override {
    struct termios quiet = saved_terminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    const auto old_int = std::signal(SIGINT, RestoreTerminalAndStop);
    const auto old_term = std::signal(SIGTERM, RestoreTerminalAndStop);
    const auto old_hup = std::signal(SIGHUP, RestoreTerminalAndStop);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    // Echo off before the prompt shows, so nothing typed after it is echoed.
    std::cerr << prompt << std::flush;
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_terminal);
    std::signal(SIGINT, old_int);
    std::signal(SIGTERM, old_term);
    std::signal(SIGHUP, old_hup);
    if (!read) {
      std::cerr << "\n";
      return std::nullopt;
    }
    return line;
  }
};

#endif

} // namespace

namespace quarlane {

std::unique_ptr<PasswordPrompt> ConsolePromptIfConsole() { return ConsolePrompt::IfConsole(); }

} // namespace quarlane
