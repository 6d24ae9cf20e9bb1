// The files of files.h on Linux (and any POSIX system): descriptors opened
// without blocking, rewrites by rename with their permissions, owner and
// extended attributes kept.
#include "platform/files_platform.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/process.h"

namespace quarlane {
namespace files_detail {

namespace {

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
  if (fstat(fd, &info) != 0 || static_cast<unsigned long long>(info.st_size) > limit)
    return std::nullopt;
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    if (bytes.size() + static_cast<std::size_t>(got) > limit)
      return std::nullopt; // grew while read
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
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
bool MarkedReadOnly(const struct stat &info) {
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// The run may write it: not marked read-only, and writable to this account.
bool MayWrite(const std::string &host_path, bool must_exist) {
  struct stat info;
  if (stat(host_path.c_str(), &info) != 0) return !must_exist && errno == ENOENT;
  return !MarkedReadOnly(info) && access(host_path.c_str(), W_OK) == 0;
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

// A new file under a fresh temporary name beside the file; O_EXCL, so an
// existing file (or a link) is never opened, let alone truncated.
int CreateTemporary(const SplitPath &file, mode_t mode,
                    const std::function<std::string()> &random_part, std::string &temporary) {
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

} // namespace

bool IsPathSeparator(char c) { return c == '/'; }

char PathSeparator() { return '/'; }

bool IsRandomDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

bool SameName(const std::string &a, const std::string &b) { return a == b; }

std::optional<std::string> ReadRegularFile(const std::string &host_path, std::size_t limit,
                                           Links links, unsigned *permissions) {
  Descriptor file(OpenRegular(host_path, O_RDONLY | (links != Links::kFollow ? O_NOFOLLOW : 0)));
  if (!file.valid()) return std::nullopt;
  struct stat info;
  if (fstat(file.get(), &info) != 0) return std::nullopt;
  if (links == Links::kOneName && info.st_nlink > 1) return std::nullopt;
  if (permissions) *permissions = static_cast<unsigned>(info.st_mode & 0777);
  return ReadCapped(file.get(), limit);
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

int RemoveStaleIn(const SplitPath &file, std::chrono::seconds max_age) {
  DIR *folder = opendir(file.folder.c_str());
  if (!folder) return 0;
  const std::time_t now = std::time(nullptr);
  int removed = 0;
  while (dirent *entry = readdir(folder)) {
    if (!IsTemporaryNameOf(entry->d_name, file.name)) continue;
    struct stat info;
    if (fstatat(dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode))
      continue;
    if (!IsStale(info.st_mtime, now, max_age.count())) continue;
    if (unlinkat(dirfd(folder), entry->d_name, 0) == 0) ++removed;
  }
  closedir(folder);
  return removed;
}

bool ReplaceAtomically(const std::string &host_path, const std::string &content, Mark mark,
                       const std::function<std::string()> &random_part) {
  const std::optional<std::string> target = ResolveLinks(host_path);
  if (!target) return false;
  const SplitPath file = Split(*target);

  Descriptor original(
      open(target->c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
  if (!original.valid() && errno != ENOENT) return false;
  const bool exists = original.valid();
  struct stat info {};
  if (exists && (fstat(original.get(), &info) != 0 || !S_ISREG(info.st_mode))) return false;
  if (!MayWrite(*target, false) || !MayWrite(file.folder, true)) return false;
  std::string old_start;
  if (exists) {
    char start[3];
    ssize_t got = pread(original.get(), start, sizeof start, 0);
    if (got > 0) old_start.assign(start, static_cast<std::size_t>(got));
  }
  const std::optional<std::string> put_back = MarkToWrite(old_start, content, mark);
  if (!put_back) return false;
  RemoveStaleIn(file, kStaleTemporaryAge);

  const mode_t mode = exists ? (info.st_mode & 07777) : 0644;
  std::string temporary;
  Descriptor created(CreateTemporary(file, mode, random_part, temporary));
  if (!created.valid()) return false;
  bool ok = WriteWhole(created.get(), *put_back) && WriteWhole(created.get(), content);
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
  Descriptor created(CreateTemporary(
      file, static_cast<mode_t>((permissions & 0666) | 0200),
      [] { return RandomHex(kRandomDigits); }, temporary));
  if (!created.valid()) return false;
  bool ok = WriteWhole(created.get(), bytes);
  ok = created.Close() && ok;
  // rename replaces a link at the name, never its target.
  ok = ok && rename(temporary.c_str(), host_path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

bool CanOpenRegular(const std::string &host_path) {
  Descriptor file(OpenRegular(host_path, O_RDONLY));
  return file.valid();
}

// unlink, not remove: a folder of that name is never taken away.
bool RemoveHostFile(const std::string &host_path) { return unlink(host_path.c_str()) == 0; }

const char *NativeLineEnd() { return "\n"; }

} // namespace files_detail
} // namespace quarlane
