#if defined(_WIN32)
#define _CRT_RAND_S // rand_s, which draws from the system's random source
#endif

#include "platform/process.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <limits.h>
#include <signal.h>
#include <sys/random.h>
#include <time.h>
#include <unistd.h>
#endif

namespace quarlane {

namespace {

// splitmix64: spreads every input bit over the whole word.
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

std::uint64_t SystemRandom64() {
  std::uint64_t value = 0;
#if defined(_WIN32)
  unsigned int low = 0, high = 0;
  if (rand_s(&low) == 0 && rand_s(&high) == 0) value = (std::uint64_t{high} << 32) | low;
#else
  if (getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) value = 0;
#endif
  return value;
}

std::uint64_t ProcessId() {
#if defined(_WIN32)
  return GetCurrentProcessId();
#else
  return static_cast<std::uint64_t>(getpid());
#endif
}

} // namespace

std::string LocalTimeOfDay() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

void *OpenSharedLibrary(const std::string &host_path) {
#if defined(_WIN32)
  return reinterpret_cast<void *>(LoadLibraryA(host_path.c_str()));
#else
  return dlopen(host_path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
}

void *FindSymbol(void *library, const char *name) {
  if (!library) return nullptr;
#if defined(_WIN32)
  FARPROC address = GetProcAddress(reinterpret_cast<HMODULE>(library), name);
  void *symbol = nullptr;
  static_assert(sizeof symbol == sizeof address, "function and data pointers differ in size");
  __builtin_memcpy(&symbol, &address, sizeof symbol);
  return symbol;
#else
  return dlsym(library, name);
#endif
}

std::string RandomHex(std::size_t digits) {
  static std::uint64_t calls = 0;
  static std::uint64_t last_word = 0;
  std::string text;
  while (text.size() < digits) {
    // Without a working system source, the process id, the clock and a
    // count of calls still keep the texts of two runs apart.
    const std::uint64_t fallback =
        Mix(ProcessId() ^
            Mix(static_cast<std::uint64_t>(
                std::chrono::steady_clock::now().time_since_epoch().count())) ^
            Mix(++calls));
    const std::uint64_t drawn = SystemRandom64();
    // A source that fails, or gives the same word twice, is not random.
    std::uint64_t word = drawn == 0 || drawn == last_word ? drawn ^ fallback : drawn;
    last_word = drawn;
    for (int i = 0; i < 16 && text.size() < digits; ++i, word >>= 4)
      text += "0123456789abcdef"[word & 0xF];
  }
  return text;
}

void EndProcessAtOnce(int status) {
  std::fflush(nullptr);
#if defined(_WIN32)
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
#endif
  _exit(status);
}

void IgnoreFileSizeSignal() {
#if !defined(_WIN32)
  signal(SIGXFSZ, SIG_IGN); // write then fails with EFBIG
#endif
}

void SleepMilliseconds(unsigned milliseconds) {
#if defined(_WIN32)
  Sleep(milliseconds);
#else
  timespec wait{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0) {
  }
#endif
}

namespace {

void SetVariable(const std::string &name, const std::string *value) {
#if defined(_WIN32)
  SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
  _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
  if (value)
    setenv(name.c_str(), value->c_str(), 1);
  else
    unsetenv(name.c_str());
#endif
}

} // namespace

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name, const std::string &value)
    : name_(std::move(name)) {
  if (const char *previous = std::getenv(name_.c_str())) {
    was_set_ = true;
    previous_ = previous;
  }
  SetVariable(name_, &value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  SetVariable(name_, was_set_ ? &previous_ : nullptr);
}

std::string FullHostPath(const std::string &host_path) {
#if defined(_WIN32)
  char full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(host_path.c_str(), sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? std::string(full, length) : host_path;
#else
  if (!host_path.empty() && host_path[0] == '/') return host_path;
  char folder[PATH_MAX];
  if (getcwd(folder, sizeof folder) == nullptr) return host_path;
  return std::string(folder) + "/" + host_path;
#endif
}

} // namespace quarlane
