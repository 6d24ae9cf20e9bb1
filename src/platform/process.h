// Time of day and dynamic library loading.
#ifndef QUARLANE_PLATFORM_PROCESS_H
#define QUARLANE_PLATFORM_PROCESS_H

#include <string>

namespace quarlane {

// Local time of day as "hh:mm:ss".
std::string LocalTimeOfDay();

// A loaded shared library; Open returns nullptr when it cannot be loaded.
// Libraries are never unloaded: the process ends soon after.
void *OpenSharedLibrary(const std::string &host_path);
void *FindSymbol(void *library, const char *name);

} // namespace quarlane

#endif
