// Files as the sensor uses them. Every function takes a Windows-form path text
// and turns it into a host path itself.
//
// Readers open without blocking and accept regular files only: a FIFO, a
// device (/dev/zero, CON, NUL), a folder or a socket is a file that does not
// open, so a run never hangs on one nor reads without end. What a reader
// takes is capped at kMaxReadBytes; a larger file does not open either.
#ifndef QUARLANE_PLATFORM_FILES_H
#define QUARLANE_PLATFORM_FILES_H

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quarlane {

// 64 MiB: far above any profile, listing, destination or trace file the
// sensor meets (a profile with years of foreign lines is a few MB), far
// below what would strain a 32-bit process.
constexpr std::size_t kMaxReadBytes = std::size_t{64} << 20;

// Whole lines of any length, each without its line end (LF or CR LF). A file
// ending in a line end yields no extra empty line; a UTF-8 byte order mark
// at the very start is read past. nullopt when the file cannot be opened for
// reading (missing, not a regular file, larger than kMaxReadBytes, no
// permission) or a read fails.
std::optional<std::vector<std::string>> ReadLines(const std::string &path);
// The same for a file of the run's own ("Dev_Rfc.Trc"): a symbolic link (a
// reparse point on Windows) of its name is not read through.
std::optional<std::vector<std::string>> ReadLinesNotThroughLink(const std::string &path);

// The lines of a file's bytes, as ReadLines makes them.
std::vector<std::string> LinesOfBytes(const std::string &bytes);

// The text of a file's bytes, as ReadText gives it: past a leading UTF-8
// byte order mark.
std::string TextOfBytes(std::string bytes);

// The UTF-8 byte order mark the bytes begin with, or "": what a rewrite of
// their text puts back before it.
std::string ByteOrderMarkOf(const std::string &bytes);

// The whole file as bytes (a byte order mark included); nullopt as for
// ReadLines.
std::optional<std::string> ReadBytes(const std::string &path);

// The whole file as text: ReadBytes with a leading UTF-8 byte order mark read
// past, as ReadLines does (the rewrite puts it back).
std::optional<std::string> ReadText(const std::string &path);

// A file read only as a regular file with one name: never through a symbolic
// link (a reparse point on Windows), nor a file with a second name (a hard
// link), whose content may be another account's; otherwise as ReadBytes.
// permissions: the file's permission bits on Linux; 0666 on Windows, which
// keeps none (its files take their folder's ACL).
struct FileWithPermissions {
  std::string bytes;
  unsigned permissions = 0666;
};
std::optional<FileWithPermissions> ReadOneNameFile(const std::string &path);

// True when the path names a regular file that opens for reading.
bool CanOpenForReading(const std::string &path);

// Writes the bytes as a new file that takes the place of path: never
// through a symbolic link (a link at path is itself replaced), never over a
// folder, and a reader sees the old content or the new one whole, never a
// half-written file. The folder must be writable; the file itself is
// replaced whoever owns it, unless it is marked read-only (no write
// permission bit at all on Linux, the read-only attribute on Windows). False
// on any failure, path then as it was.
bool WriteBytes(const std::string &path, const std::string &bytes);

// WriteBytes, the new file's permission bits (Linux) no looser than
// permissions' read and write bits, and narrowed by the umask as any new
// file's: a copy of a file is readable by no account that could not read the
// original. Its owner may always write it (a copy of a read-only file is
// replaced by the next write like any other). On Windows
// the new file takes its folder's ACL, as with WriteBytes.
bool WriteBytesNoLooserThan(const std::string &path, const std::string &bytes,
                            unsigned permissions);

// Opens the file for appending, creating it when missing; nullptr when it
// cannot be opened or is not a regular file: a symbolic link is refused, so
// nothing is ever appended through one (the ",SYSLOG" log), and so is a file
// with more than one name (a hard link).
std::FILE *OpenForAppending(const std::string &path);

bool RemoveFile(const std::string &path);

// The line end that text files written on this platform carry.
const char *PlatformLineEnd(); // "\n" on Linux, "\r\n" on Windows

// Replaces the file's content atomically. A symbolic link is followed: its
// target is rewritten and the link stays. The new content goes into a
// temporary file created exclusively in the target's folder under the name
// "<file name>.<16 hex digits>.tmp" (the digits random), is flushed to disk
// and takes the place of the file; it keeps the file's permissions, owner
// where the system allows, extended attributes (POSIX ACLs included; on
// Windows ReplaceFile keeps ACL, attributes and streams) and a UTF-8 byte
// order mark the old file began with when the new content has none. A file
// or folder that is read-only is not replaced. On any failure the file is
// left exactly as it was, the temporary file is removed, and false is
// returned; so it is when the new file would be larger than kMaxReadBytes
// (a file the sensor wrote is always one it reads again). No other file is
// ever deleted, truncated or renamed, apart from the file's own stale
// temporary files (see RemoveStaleTemporaryFiles), which are removed first.
bool ReplaceFileAtomically(const std::string &path, const std::string &content);

// The same for text as ReadText gave it: the old file's leading byte order
// mark is put back before the text whatever the text begins with, so every
// byte before the first line stays as it was (a second mark belongs to the
// first line).
bool ReplaceTextAtomically(const std::string &path, const std::string &text);

// How old a temporary file of ReplaceFileAtomically must be before another
// run takes it for the leftover of a killed run. A rewrite that is still
// writing touches its file far more often than that.
constexpr std::chrono::minutes kStaleTemporaryAge{10};

// Removes the temporary files that rewrites of path left behind: regular
// files (not links, not folders) in the folder of path's target whose name
// is exactly "<file name>.<16 hex digits a-f0-9>.tmp" (on Windows, where
// names are the same in any case, in any case) and that were last modified
// more than max_age ago, or are stamped more than max_age ahead of now (the
// clock was set back since). Returns how many were removed.
int RemoveStaleTemporaryFiles(const std::string &path,
                              std::chrono::seconds max_age = kStaleTemporaryAge);

// For tests: ReplaceFileAtomically with the random part of each attempted
// temporary name taken from random_part (called again after a clash).
bool ReplaceFileAtomicallyWith(const std::string &path, const std::string &content,
                               const std::function<std::string()> &random_part);

} // namespace quarlane

#endif
