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

// Suspends the calling thread for about that many milliseconds.
void SleepMilliseconds(unsigned milliseconds);

} // namespace quarlane

#endif
