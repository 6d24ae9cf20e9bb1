// Time of day, dynamic library loading, and the little the other platform
// functions need of the process: random names and short waits.
#ifndef QUARLANE_PLATFORM_PROCESS_H
#define QUARLANE_PLATFORM_PROCESS_H

#include <cstddef>
#include <string>

namespace quarlane {

// Local time of day as "hh:mm:ss".
std::string LocalTimeOfDay();

// A loaded shared library; Open returns nullptr when it cannot be loaded.
// Libraries are never unloaded: the process ends soon after.
void *OpenSharedLibrary(const std::string &host_path);
void *FindSymbol(void *library, const char *name);

// digits lower-case hex digits from the system's random source (getrandom
// on Linux, rand_s on Windows), mixed with the process id and a clock so
// that two processes never draw the same text even where the source fails.
std::string RandomHex(std::size_t digits);

// Makes a write past the process's file size limit (RLIMIT_FSIZE on Linux)
// fail as a write, instead of ending the process by SIGXFSZ: the rewrite
// then fails cleanly and the run still prints its document. Nothing to do
// on Windows.
void IgnoreFileSizeSignal();

// Ends the process with `status` at once: the C streams flushed first (the
// document and every file written through them), then no atexit handler, no
// static destructor, no library's unloading (_exit; TerminateProcess on
// Windows, where ExitProcess would still run the DLLs' teardown). For a
// process that may have a thread still inside a library that such teardown
// would pull away from under it.
[[noreturn]] void EndProcessAtOnce(int status);

// Suspends the calling thread for about that many milliseconds.
void SleepMilliseconds(unsigned milliseconds);

// An environment variable of the process set for as long as the object
// lives, then as it was (unset when it was unset). On Windows it is set in
// the system's environment of the process, which a library reads with
// GetEnvironmentVariable, and in this module's C runtime.
class ScopedEnvironmentVariable {
public:
  ScopedEnvironmentVariable(std::string name, const std::string &value);
  ~ScopedEnvironmentVariable();
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable &) = delete;
  ScopedEnvironmentVariable &operator=(const ScopedEnvironmentVariable &) = delete;

private:
  std::string name_;
  bool was_set_ = false;
  std::string previous_;
};

// The full path of a file of the host given by a path of the host (a
// relative one is taken from the working folder).
std::string FullHostPath(const std::string &host_path);

} // namespace quarlane

#endif
