// Files as the sensor uses them. Every function takes a Windows-form path text
// and turns it into a host path itself.
#ifndef QUARLANE_PLATFORM_FILES_H
#define QUARLANE_PLATFORM_FILES_H

#include <optional>
#include <string>
#include <vector>

namespace quarlane {

// Whole lines of any length, each without its line end (LF or CR LF). A file
// ending in a line end yields no extra empty line. nullopt when the file
// cannot be opened for reading (missing, a folder, no permission).
std::optional<std::vector<std::string>> ReadLines(const std::string &path);

// The whole file as bytes; nullopt when it cannot be opened.
std::optional<std::string> ReadBytes(const std::string &path);

// True when the path names a file that opens for reading.
bool CanOpenForReading(const std::string &path);

// Creates or truncates the file and writes the bytes; false on any failure.
bool WriteBytes(const std::string &path, const std::string &bytes);

bool RemoveFile(const std::string &path);

// The line end that text files written on this platform carry.
const char *PlatformLineEnd(); // "\n" on Linux, "\r\n" on Windows

// Replaces the file's content atomically: the new content goes into a
// temporary file in the same folder, is flushed to disk and renamed over the
// file, keeping its permissions. A file or folder that is read-only is not
// replaced. On any failure the file is left exactly as it was, the temporary
// file is removed, and false is returned.
bool ReplaceFileAtomically(const std::string &path, const std::string &content);

} // namespace quarlane

#endif
