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

// From now on a path is the host's as it is written: no drive tree below
// $QUARLANE_ROOT (Linux; nothing changes on Windows). The JSON mode runs on
// a probe whose folders are the host's own.
void UseHostPathsAsWritten();

// The full path of a folder of the host, ending in its separator; a relative
// one is taken from the working folder.
std::string FullHostFolder(const std::string &host_folder);

// The JSON mode's working folder (docs/prtg-script-v2.md): $QUARLANE_WORK
// when set; else on Linux $XDG_STATE_HOME/quarlane, $HOME/.local/state/quarlane
// or /var/tmp/quarlane-<uid>; on Windows %LOCALAPPDATA%\Quarlane, else
// %TEMP%\Quarlane. Ends in the separator.
std::string DefaultWorkingFolder();

// Makes the folder (and its parents) when missing, with access for the
// account alone on Linux, and makes it the process's working folder. A
// folder that is a symbolic link, or on Linux one of another account, is
// refused. Returns why it failed, empty when it worked.
std::string EnterWorkingFolder(const std::string &host_folder);

} // namespace quarlane

#endif
