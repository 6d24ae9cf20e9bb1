#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <utility>

#include "platform/append_file.h"
#include "platform/paths.h"
#include "platform/process.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace quarlane {

namespace {

// Whether a symbolic link (a reparse point on Windows) is followed when a
// file is opened for reading.
// kFollow: a link is read through; kRefuse: a symbolic link (a reparse
// point) is not; kOneName: neither is a file with a second name (a hard link).
enum class Links { kFollow, kRefuse, kOneName };

const char kByteOrderMark[] = "\xEF\xBB\xBF";
const std::size_t kRandomDigits = 16;
// Attempts at a temporary name before a rewrite gives up: a clash means a
// file of that name exists, which is never touched; another name is drawn.
const int kTemporaryNameAttempts = 16;

bool StartsWithByteOrderMark(const std::string &bytes) { return bytes.compare(0, 3, kByteOrderMark) == 0; }

// How a rewrite treats the old file's leading byte order mark.
enum class Mark {
  kWhenMissing, // put back when the new content does not begin with one
  kAlways,      // put back before the content (text as ReadText gave it)
};

// The bytes a rewrite writes: the content behind the old file's byte order
// mark as `mark` says; nullopt when they would be more than a reader takes,
// so that a file the sensor wrote is always one it reads again.
std::optional<std::string> NewFileBytes(const std::string &old_start, const std::string &content, Mark mark) {
  const bool put_back = StartsWithByteOrderMark(old_start) &&
                        (mark == Mark::kAlways || !StartsWithByteOrderMark(content));
  if (content.size() + (put_back ? 3 : 0) > kMaxReadBytes) return std::nullopt;
  return put_back ? kByteOrderMark + content : content;
}

// The random part is written in lower case; on Windows, where names are the
// same in any case, a file may show it in upper case.
bool IsRandomDigit(char c) {
#if defined(_WIN32)
  if (c >= 'A' && c <= 'F') return true;
#endif
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

#if defined(_WIN32)
char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
#endif

bool SameName(const std::string &a, const std::string &b) {
#if defined(_WIN32)
  // Windows names are compared without regard to case.
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
#else
  return a == b;
#endif
}

// "<base>.<16 hex digits>.tmp", exactly.
bool IsTemporaryNameOf(const std::string &name, const std::string &base) {
  const std::size_t length = base.size() + 1 + kRandomDigits + 4;
  if (name.size() != length || !SameName(name.substr(0, base.size()), base)) return false;
  if (name[base.size()] != '.' || name.compare(length - 4, 4, ".tmp") != 0) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(base.size() + 1),
                     name.end() - 4, IsRandomDigit);
}

// Folder and name of a host path, split at its last separator.
struct SplitPath {
  std::string folder; // "." for a bare name
  std::string name;
};

SplitPath Split(const std::string &host_path) {
#if defined(_WIN32)
  std::size_t slash = host_path.find_last_of("\\/");
#else
  std::size_t slash = host_path.find_last_of('/');
#endif
  if (slash == std::string::npos) return {".", host_path};
  if (slash == 0) return {host_path.substr(0, 1), host_path.substr(1)};
  return {host_path.substr(0, slash), host_path.substr(slash + 1)};
}

std::string Join(const SplitPath &parts) {
#if defined(_WIN32)
  const char separator = '\\';
#else
  const char separator = '/';
#endif
  if (parts.folder == ".") return parts.name;
  if (!parts.folder.empty() && (parts.folder.back() == '/' || parts.folder.back() == '\\'))
    return parts.folder + parts.name;
  return parts.folder + separator + parts.name;
}

// A temporary file last written more than max_age away from now, either
// way: one stamped far ahead (a clock set back since) is no live rewrite
// either, or it would stay for ever.
template <typename Time, typename Span> bool IsStale(Time written, Time now, Span max_age) {
  const auto age = written > now ? written - now : now - written;
  return age > static_cast<decltype(age)>(max_age);
}

std::string TemporaryPath(const SplitPath &file, const std::string &random_part) {
  return Join({file.folder, file.name + "." + random_part + ".tmp"});
}

#if defined(_WIN32)

// ------------------------------------------------------------------ Windows

class Handle {
public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle &) = delete;
  Handle &operator=(const Handle &) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    if (!valid()) return true;
    bool ok = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

private:
  HANDLE handle_;
};

// A regular file on a disk, opened for reading; a folder, a pipe, a console
// or another device does not count. Opening never waits.
HANDLE OpenRegularForReading(const std::string &host_path, Links links = Links::kFollow) {
  const bool refuse = links != Links::kFollow;
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | (refuse ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  HANDLE file = CreateFileA(host_path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  BY_HANDLE_FILE_INFORMATION info;
  const DWORD refused =
      FILE_ATTRIBUTE_DIRECTORY | (refuse ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & refused) ||
      (links == Links::kOneName && info.nNumberOfLinks > 1)) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

std::optional<std::string> ReadCapped(HANDLE file, std::size_t limit) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || static_cast<unsigned long long>(size.QuadPart) > limit)
    return std::nullopt;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    if (bytes.size() + got > limit) return std::nullopt; // grew while read
    bytes.append(buffer, got);
  }
  return bytes;
}

// Windows keeps no permission bits: *permissions is left as it is.
std::optional<std::string> ReadRegularFile(const std::string &host_path, std::size_t limit,
                                           Links links = Links::kFollow,
                                           unsigned * /*permissions*/ = nullptr) {
  Handle file(OpenRegularForReading(host_path, links));
  if (!file.valid()) return std::nullopt;
  return ReadCapped(file.get(), limit);
}

bool WriteWhole(HANDLE file, const std::string &content) {
  std::size_t done = 0;
  while (done < content.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, content.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

// The file a symbolic link (or junction) finally names; the path itself
// when it is none or does not exist; nullopt when the link cannot be
// resolved.
std::optional<std::string> ResolveLinks(const std::string &host_path) {
  DWORD attributes = GetFileAttributesA(host_path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return host_path;
  Handle file(CreateFileA(host_path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) return std::nullopt;
  char buffer[MAX_PATH * 4];
  DWORD length = GetFinalPathNameByHandleA(file.get(), buffer, sizeof buffer, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= sizeof buffer) return std::nullopt;
  std::string path(buffer, length);
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
  if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

std::uint64_t FileTimeValue(const FILETIME &time) {
  return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

int RemoveStaleIn(const SplitPath &file, std::chrono::seconds max_age) {
  WIN32_FIND_DATAA found;
  const std::string pattern = Join({file.folder, file.name + ".*.tmp"});
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FILETIME now_time;
  GetSystemTimeAsFileTime(&now_time);
  const std::uint64_t now = FileTimeValue(now_time);
  const std::uint64_t age = static_cast<std::uint64_t>(max_age.count()) * 10000000ull; // 100 ns units
  int removed = 0;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    if (!IsTemporaryNameOf(found.cFileName, file.name)) continue;
    const std::uint64_t written = FileTimeValue(found.ftLastWriteTime);
    if (!IsStale(written, now, age)) continue;
    if (DeleteFileA(Join({file.folder, found.cFileName}).c_str())) ++removed;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return removed;
}

// A new file under a fresh temporary name beside the file; CREATE_NEW, so
// an existing file is never opened, let alone truncated.
HANDLE CreateTemporary(const SplitPath &file, const std::function<std::string()> &random_part,
                       std::string &temporary) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temporary = TemporaryPath(file, random_part());
    HANDLE handle = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return handle;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  temporary.clear();
  return INVALID_HANDLE_VALUE;
}

bool IsPassingSharingError(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
         error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

// Moves the temporary file over the target, retried for a moment while a
// reader holds the target open.
bool MoveOver(const std::string &temporary, const std::string &target) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    if (!IsPassingSharingError(GetLastError())) return false;
    Sleep(20);
  }
  return false;
}

// ReplaceFile keeps what the administrator set on the profile: its ACL,
// attributes and alternate streams. Where the file system does not support
// it, the replace falls back to MoveFileEx, which keeps the content atomic
// but gives the new file the folder's inherited ACL.
bool ReplaceExisting(const std::string &temporary, const std::string &target, DWORD attributes) {
  // ReplaceFile under Wine refuses relative paths (ERROR_DIRECTORY); Windows
  // takes both alike.
  const std::string replaced = FullHostPath(target), replacement = FullHostPath(temporary);
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (ReplaceFileA(replaced.c_str(), replacement.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr))
      return true;
    DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
      // The old file has already been moved aside: the name is free.
      return MoveOver(temporary, target);
    }
    if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_PARAMETER ||
        error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED) {
      SetFileAttributesA(temporary.c_str(), attributes);
      return MoveOver(temporary, target);
    }
    if (!IsPassingSharingError(error)) return false;
    Sleep(20);
  }
  return false;
}

bool ReplaceAtomically(const std::string &host_path, const std::string &content, Mark mark,
                       const std::function<std::string()> &random_part) {
  const std::optional<std::string> target = ResolveLinks(host_path);
  if (!target) return false;
  const SplitPath file = Split(*target);
  DWORD attributes = GetFileAttributesA(target->c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  std::string old_start;
  if (exists) {
    Handle old_file(OpenRegularForReading(*target));
    if (!old_file.valid()) return false;
    char start[3];
    DWORD got = 0;
    if (ReadFile(old_file.get(), start, sizeof start, &got, nullptr)) old_start.assign(start, got);
  }
  const std::optional<std::string> bytes = NewFileBytes(old_start, content, mark);
  if (!bytes) return false;
  RemoveStaleIn(file, kStaleTemporaryAge);

  std::string temporary;
  Handle created(CreateTemporary(file, random_part, temporary));
  if (!created.valid()) return false;
  bool ok = WriteWhole(created.get(), *bytes);
  ok = ok && FlushFileBuffers(created.get());
  ok = created.Close() && ok;
  if (ok) ok = exists ? ReplaceExisting(temporary, *target, attributes) : MoveOver(temporary, *target);
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
}

// A new file on Windows takes its folder's inherited ACL; there are no
// permission bits to narrow.
bool WriteAsNewFile(const std::string &host_path, const std::string &bytes, unsigned /*permissions*/) {
  DWORD attributes = GetFileAttributesA(host_path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    if ((attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  }
  const SplitPath file = Split(host_path);
  RemoveStaleIn(file, kStaleTemporaryAge);
  std::string temporary;
  Handle created(CreateTemporary(file, [] { return RandomHex(kRandomDigits); }, temporary));
  if (!created.valid()) return false;
  bool ok = WriteWhole(created.get(), bytes);
  ok = created.Close() && ok;
  // MoveFileEx replaces a link at the name, never its target.
  ok = ok && MoveOver(temporary, host_path);
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
}

#else

// -------------------------------------------------------------------- Linux

class Descriptor {
public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor &) = delete;
  Descriptor &operator=(const Descriptor &) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  bool Close() {
    if (fd_ < 0) return true;
    bool ok = close(fd_) == 0;
    fd_ = -1;
    return ok;
  }

private:
  int fd_;
};

// Opens without blocking (a FIFO without a writer would wait for ever) and
// keeps the descriptor only for a regular file; blocking reads again after.
int OpenRegular(const std::string &host_path, int flags) {
  int fd = open(host_path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    errno = EINVAL;
    return -1;
  }
  int status = fcntl(fd, F_GETFL);
  if (status != -1) fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  return fd;
}

std::optional<std::string> ReadCapped(int fd, std::size_t limit) {
  struct stat info;
  if (fstat(fd, &info) != 0 || static_cast<unsigned long long>(info.st_size) > limit) return std::nullopt;
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    if (bytes.size() + static_cast<std::size_t>(got) > limit) return std::nullopt; // grew while read
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}

std::optional<std::string> ReadRegularFile(const std::string &host_path, std::size_t limit,
                                           Links links = Links::kFollow,
                                           unsigned *permissions = nullptr) {
  Descriptor file(OpenRegular(host_path, O_RDONLY | (links != Links::kFollow ? O_NOFOLLOW : 0)));
  if (!file.valid()) return std::nullopt;
  struct stat info;
  if (fstat(file.get(), &info) != 0) return std::nullopt;
  if (links == Links::kOneName && info.st_nlink > 1) return std::nullopt;
  if (permissions) *permissions = static_cast<unsigned>(info.st_mode & 0777);
  return ReadCapped(file.get(), limit);
}

bool WriteWhole(int fd, const std::string &content) {
  std::size_t done = 0;
  while (done < content.size()) {
    ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A file or folder without any write permission bit is marked read-only,
// as Windows marks it with an attribute: the run leaves it alone even where
// the system would let it (root), that is the administrator's say.
bool MarkedReadOnly(const struct stat &info) { return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

// The run may write it: not marked read-only, and writable to this account.
bool MayWrite(const std::string &host_path, bool must_exist) {
  struct stat info;
  if (stat(host_path.c_str(), &info) != 0) return !must_exist && errno == ENOENT;
  return !MarkedReadOnly(info) && access(host_path.c_str(), W_OK) == 0;
}

// The file a symbolic link finally names; the path itself when it is no
// link or does not exist; nullopt for a link that leads nowhere.
std::optional<std::string> ResolveLinks(const std::string &host_path) {
  struct stat info;
  if (lstat(host_path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return host_path;
  char resolved[PATH_MAX];
  if (!realpath(host_path.c_str(), resolved)) return std::nullopt;
  return std::string(resolved);
}

// Copies every extended attribute (POSIX ACLs are held in two of them). A
// file system without them has none to copy; an attribute this user may not
// set (a "trusted." or "security." one) is left out, as the system would
// not let the run keep it anyway. Any other failure fails the copy.
bool CopyExtendedAttributes(int from, int to) {
  ssize_t size = flistxattr(from, nullptr, 0);
  if (size < 0) return errno == ENOTSUP || errno == ENOSYS;
  if (size == 0) return true;
  std::string names(static_cast<std::size_t>(size), '\0');
  size = flistxattr(from, &names[0], names.size());
  if (size < 0) return false;
  names.resize(static_cast<std::size_t>(size));
  for (std::size_t at = 0; at < names.size();) {
    const char *name = names.c_str() + at;
    at += std::strlen(name) + 1;
    ssize_t length = fgetxattr(from, name, nullptr, 0);
    if (length < 0) return false;
    std::string value(static_cast<std::size_t>(length), '\0');
    length = fgetxattr(from, name, length > 0 ? &value[0] : nullptr, value.size());
    if (length < 0) return false;
    if (fsetxattr(to, name, value.data(), static_cast<std::size_t>(length), 0) != 0 &&
        errno != ENOTSUP && errno != EPERM && errno != EACCES)
      return false;
  }
  return true;
}

int RemoveStaleIn(const SplitPath &file, std::chrono::seconds max_age) {
  DIR *folder = opendir(file.folder.c_str());
  if (!folder) return 0;
  const std::time_t now = std::time(nullptr);
  int removed = 0;
  while (dirent *entry = readdir(folder)) {
    if (!IsTemporaryNameOf(entry->d_name, file.name)) continue;
    struct stat info;
    if (fstatat(dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
      continue;
    if (!IsStale(info.st_mtime, now, max_age.count())) continue;
    if (unlinkat(dirfd(folder), entry->d_name, 0) == 0) ++removed;
  }
  closedir(folder);
  return removed;
}

// A new file under a fresh temporary name beside the file; O_EXCL, so an
// existing file (or a link) is never opened, let alone truncated.
int CreateTemporary(const SplitPath &file, mode_t mode, const std::function<std::string()> &random_part,
                    std::string &temporary) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temporary = TemporaryPath(file, random_part());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  temporary.clear();
  return -1;
}

void FlushFolder(const std::string &folder) {
  int folder_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd >= 0) {
    fsync(folder_fd);
    close(folder_fd);
  }
}

bool ReplaceAtomically(const std::string &host_path, const std::string &content, Mark mark,
                       const std::function<std::string()> &random_part) {
  const std::optional<std::string> target = ResolveLinks(host_path);
  if (!target) return false;
  const SplitPath file = Split(*target);

  Descriptor original(open(target->c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
  if (!original.valid() && errno != ENOENT) return false;
  const bool exists = original.valid();
  struct stat info{};
  if (exists && (fstat(original.get(), &info) != 0 || !S_ISREG(info.st_mode))) return false;
  if (!MayWrite(*target, false) || !MayWrite(file.folder, true)) return false;
  std::string old_start;
  if (exists) {
    char start[3];
    ssize_t got = pread(original.get(), start, sizeof start, 0);
    if (got > 0) old_start.assign(start, static_cast<std::size_t>(got));
  }
  const std::optional<std::string> bytes = NewFileBytes(old_start, content, mark);
  if (!bytes) return false;
  RemoveStaleIn(file, kStaleTemporaryAge);

  const mode_t mode = exists ? (info.st_mode & 07777) : 0644;
  std::string temporary;
  Descriptor created(CreateTemporary(file, mode, random_part, temporary));
  if (!created.valid()) return false;
  bool ok = WriteWhole(created.get(), *bytes);
  if (ok && exists) {
    if (fchown(created.get(), info.st_uid, info.st_gid) != 0) {
      // Only root may hand a file to another owner; anyone else keeps their own.
    }
    ok = fchmod(created.get(), mode) == 0;
    ok = ok && CopyExtendedAttributes(original.get(), created.get());
  }
  ok = ok && fsync(created.get()) == 0;
  ok = created.Close() && ok;
  ok = ok && rename(temporary.c_str(), target->c_str()) == 0;
  if (!ok) {
    unlink(temporary.c_str()); // this run's own file, created above
    return false;
  }
  FlushFolder(file.folder); // makes the rename itself durable
  return true;
}

// The new file's permission bits: permissions' read and write bits and the
// owner's write, narrowed by the umask as any new file's are.
bool WriteAsNewFile(const std::string &host_path, const std::string &bytes, unsigned permissions) {
  struct stat info;
  if (lstat(host_path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return false;
    // Replaced by a rename, which needs the folder only: a file of another
    // account is replaced like one's own, unless marked read-only.
    if (S_ISREG(info.st_mode) && MarkedReadOnly(info)) return false;
  }
  const SplitPath file = Split(host_path);
  if (!MayWrite(file.folder, true)) return false;
  RemoveStaleIn(file, kStaleTemporaryAge);
  std::string temporary;
  // The owner may always write it: a copy marked read-only would never be
  // replaced again.
  Descriptor created(CreateTemporary(file, static_cast<mode_t>((permissions & 0666) | 0200),
                                     [] { return RandomHex(kRandomDigits); }, temporary));
  if (!created.valid()) return false;
  bool ok = WriteWhole(created.get(), bytes);
  ok = created.Close() && ok;
  // rename replaces a link at the name, never its target.
  ok = ok && rename(temporary.c_str(), host_path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

#endif

std::function<std::string()> SystemRandomPart() {
  return [] { return RandomHex(kRandomDigits); };
}

std::optional<std::vector<std::string>> LinesOf(const std::optional<std::string> &bytes) {
  if (!bytes) return std::nullopt;
  return LinesOfBytes(*bytes);
}

} // namespace

std::vector<std::string> LinesOfBytes(const std::string &text) {
  std::vector<std::string> lines;
  std::size_t start = StartsWithByteOrderMark(text) ? 3 : 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    std::size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos) end = text.size();
    std::size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines.emplace_back(text, start, stop - start);
    start = next;
  }
  return lines;
}

std::optional<std::string> ReadBytes(const std::string &path) {
  return ReadRegularFile(HostPath(path), kMaxReadBytes);
}

std::string TextOfBytes(std::string bytes) {
  if (StartsWithByteOrderMark(bytes)) bytes.erase(0, 3);
  return bytes;
}

std::string ByteOrderMarkOf(const std::string &bytes) {
  return StartsWithByteOrderMark(bytes) ? kByteOrderMark : "";
}

std::optional<std::string> ReadText(const std::string &path) {
  std::optional<std::string> bytes = ReadBytes(path);
  if (!bytes) return std::nullopt;
  return TextOfBytes(std::move(*bytes));
}

std::optional<std::vector<std::string>> ReadLines(const std::string &path) {
  return LinesOf(ReadBytes(path));
}

std::optional<std::vector<std::string>> ReadLinesNotThroughLink(const std::string &path) {
  return LinesOf(ReadRegularFile(HostPath(path), kMaxReadBytes, Links::kRefuse));
}

bool CanOpenForReading(const std::string &path) {
#if defined(_WIN32)
  Handle file(OpenRegularForReading(HostPath(path)));
#else
  Descriptor file(OpenRegular(HostPath(path), O_RDONLY));
#endif
  return file.valid();
}

bool WriteBytes(const std::string &path, const std::string &bytes) {
  return WriteAsNewFile(HostPath(path), bytes, 0666);
}

std::optional<FileWithPermissions> ReadOneNameFile(const std::string &path) {
  FileWithPermissions file;
  std::optional<std::string> bytes =
      ReadRegularFile(HostPath(path), kMaxReadBytes, Links::kOneName, &file.permissions);
  if (!bytes) return std::nullopt;
  file.bytes = std::move(*bytes);
  return file;
}

bool WriteBytesNoLooserThan(const std::string &path, const std::string &bytes, unsigned permissions) {
  return WriteAsNewFile(HostPath(path), bytes, permissions);
}

std::FILE *OpenForAppending(const std::string &path) { return OpenOwnFileForAppending(HostPath(path)); }

bool RemoveFile(const std::string &path) {
#if defined(_WIN32)
  return std::remove(HostPath(path).c_str()) == 0;
#else
  // unlink, not remove: a folder of that name is never taken away.
  return unlink(HostPath(path).c_str()) == 0;
#endif
}

const char *PlatformLineEnd() {
#if defined(_WIN32)
  return "\r\n";
#else
  return "\n";
#endif
}

bool ReplaceFileAtomically(const std::string &path, const std::string &content) {
  return ReplaceAtomically(HostPath(path), content, Mark::kWhenMissing, SystemRandomPart());
}

bool ReplaceTextAtomically(const std::string &path, const std::string &text) {
  return ReplaceAtomically(HostPath(path), text, Mark::kAlways, SystemRandomPart());
}

bool ReplaceFileAtomicallyWith(const std::string &path, const std::string &content,
                               const std::function<std::string()> &random_part) {
  return ReplaceAtomically(HostPath(path), content, Mark::kWhenMissing, random_part);
}

int RemoveStaleTemporaryFiles(const std::string &path, std::chrono::seconds max_age) {
  const std::optional<std::string> target = ResolveLinks(HostPath(path));
  if (!target) return 0;
  return RemoveStaleIn(Split(*target), max_age);
}

} // namespace quarlane
