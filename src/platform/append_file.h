// Opening a file that a run appends to (the log "Quarlane.Log", the trace
// "Dev_Rfc.Trc") so that no other file is ever written through its name: a
// symbolic link (or reparse point), a file with more than one name, a FIFO,
// a device or a folder of that name is refused, and opening never waits. A
// missing file is created. It uses only the system's own calls, so that both
// the sensor and the RFC libraries build this one file in.
#ifndef QUARLANE_PLATFORM_APPEND_FILE_H
#define QUARLANE_PLATFORM_APPEND_FILE_H

#include <cstdio>
#include <string>

namespace quarlane {

// The stream, or nullptr when the file is refused or cannot be opened.
// host_path is a path of the host system; on Windows the stream is a text
// stream (lines end in CR LF), as fopen(..., "a") gives.
std::FILE *OpenOwnFileForAppending(const std::string &host_path);

} // namespace quarlane

#endif
