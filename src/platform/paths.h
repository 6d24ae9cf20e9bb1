// Path texts keep their Windows form inside the program; only at the moment
// a file is opened does a text become a path of the host.
#ifndef QUARLANE_PLATFORM_PATHS_H
#define QUARLANE_PLATFORM_PATHS_H

#include <string>

namespace quarlane {

// On Linux: backslashes become "/"; a leading drive ("C:") or a leading
// backslash means the drive tree at $QUARLANE_ROOT (or "/"); "\\server\share"
// opens $QUARLANE_ROOT/server/share; anything else is relative to the working
// folder. On Windows the text is used as it is.
std::string HostPath(const std::string &windows_path);

// Same, with the drive tree given instead of read from the environment.
std::string HostPathUnder(const std::string &windows_path, const std::string &root);

// Full path of the running executable, and the folder that holds it (ending
// in the platform's separator).
std::string ExecutablePath();
std::string ExecutableFolder();

} // namespace quarlane

#endif
