// What files.cpp shares with each platform's half (files_posix.cpp,
// files_win32.cpp): the rules both follow, and what each half does its own
// way. Private to the platform part; files.h is the interface.
#ifndef QUARLANE_PLATFORM_FILES_PLATFORM_H
#define QUARLANE_PLATFORM_FILES_PLATFORM_H

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace quarlane {
namespace files_detail {

// Whether a symbolic link (a reparse point on Windows) is followed when a
// file is opened for reading.
// kFollow: a link is read through; kRefuse: a symbolic link (a reparse
// point) is not; kOneName: neither is a file with a second name (a hard link).
enum class Links { kFollow, kRefuse, kOneName };

// How a rewrite treats the old file's leading byte order mark.
enum class Mark {
  kWhenMissing, // put back when the new content does not begin with one
  kAlways,      // put back before the content (text as ReadText gave it)
};

constexpr std::size_t kRandomDigits = 16;
// Attempts at a temporary name before a rewrite gives up: a clash means a
// file of that name exists, which is never touched; another name is drawn.
constexpr int kTemporaryNameAttempts = 16;

// Folder and name of a host path, split at its last separator.
struct SplitPath {
  std::string folder; // "." for a bare name
  std::string name;
};

// ---------------------------------------------------------- files.cpp

// What a rewrite writes before the content: the old file's byte order mark
// as `mark` says, or ""; nullopt when the whole would be more than a reader
// takes, so that a file the sensor wrote is always one it reads again. The
// content itself is written as it is, never copied behind the mark.
std::optional<std::string> MarkToWrite(const std::string &old_start, const std::string &content,
                                       Mark mark);

// "<base>.<16 hex digits>.tmp", exactly (names compared as the platform does).
bool IsTemporaryNameOf(const std::string &name, const std::string &base);

SplitPath Split(const std::string &host_path);
std::string Join(const SplitPath &parts);
std::string TemporaryPath(const SplitPath &file, const std::string &random_part);

// A temporary file last written more than max_age away from now, either
// way: one stamped far ahead (a clock set back since) is no live rewrite
// either, or it would stay for ever.
template <typename Time, typename Span> bool IsStale(Time written, Time now, Span max_age) {
  const auto age = written > now ? written - now : now - written;
  return age > static_cast<decltype(age)>(max_age);
}

// ---------------------------------- files_posix.cpp or files_win32.cpp

// Names and separators as the platform has them.
bool IsPathSeparator(char c);
char PathSeparator();
// The random part of a temporary name: written in lower case; on Windows,
// where names are the same in any case, a file may show it in upper case.
bool IsRandomDigit(char c);
bool SameName(const std::string &a, const std::string &b);

// A regular file's bytes, at most limit of them; permissions (when given)
// receives its permission bits where the platform keeps them.
std::optional<std::string> ReadRegularFile(const std::string &host_path, std::size_t limit,
                                           Links links, unsigned *permissions);
bool CanOpenRegular(const std::string &host_path);
// The file a symbolic link finally names; the path itself when it is no
// link or does not exist; nullopt for a link that cannot be resolved.
std::optional<std::string> ResolveLinks(const std::string &host_path);
int RemoveStaleIn(const SplitPath &file, std::chrono::seconds max_age);
bool ReplaceAtomically(const std::string &host_path, const std::string &content, Mark mark,
                       const std::function<std::string()> &random_part);
bool WriteAsNewFile(const std::string &host_path, const std::string &bytes, unsigned permissions);
bool RemoveHostFile(const std::string &host_path);
const char *NativeLineEnd();

} // namespace files_detail
} // namespace quarlane

#endif
