#include "platform/lock_file.h"

#include <cerrno>

#include "platform/paths.h"
#include "platform/process.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quarlane {

namespace {

const unsigned kPollMilliseconds = 10;
const char kLockSuffix[] = ".lck";

#if defined(_WIN32)

using Native = void *;

// A lock file is opened by every run at once: share everything, open or
// create, and refuse anything but a plain file on a disk. Reading is all
// LockFileEx needs (GENERIC_READ or GENERIC_WRITE); a new file takes the
// folder's inherited ACL.
Native OpenLockFile(const std::string &host_path, const std::string &) {
  HANDLE file = CreateFileA(
      host_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    CloseHandle(file);
    return nullptr;
  }
  return file;
}

bool TryLock(Native file) {
  OVERLAPPED at{};
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

void CloseLockFile(Native file) { CloseHandle(file); } // releases the lock with it

std::string ResolvedForLock(const std::string &host_path) {
  DWORD attributes = GetFileAttributesA(host_path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return host_path;
  HANDLE file =
      CreateFileA(host_path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return host_path;
  char buffer[MAX_PATH * 4];
  DWORD length = GetFinalPathNameByHandleA(file, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
  CloseHandle(file);
  if (length == 0 || length >= sizeof buffer) return host_path;
  std::string path(buffer, length);
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
  if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

#else

using Native = int;

// Never through a link of the lock file's name, never waiting on a FIFO.
const int kOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

// A lock file this run has just created takes the model's read and write
// bits and, in root's run, its owner and group: the accounts that may read
// the guarded file may hold its lock, no others. An existing lock file is
// never changed (it may be a hard link to anything).
void TakeModelsPermissions(int fd, const std::string &model_host_path) {
  struct stat model;
  if (stat(model_host_path.c_str(), &model) != 0) return; // stays 0600
  if (geteuid() == 0 && fchown(fd, model.st_uid, model.st_gid) != 0) {
    // Stays root's: the mode below still lets the model's readers in.
  }
  if (fchmod(fd, model.st_mode & 0666) != 0) {
    // Stays 0600: the lock still works for this account.
  }
}

// flock needs no write access: an existing lock file is opened for
// reading, or for writing where only that is allowed. Refused, it is tried
// once more a moment later: another account's run may have just created it
// and not yet given it its owner and mode.
int OpenExisting(const std::string &host_path) {
  for (int attempt = 0;; ++attempt) {
    int fd = open(host_path.c_str(), O_RDONLY | kOpenFlags);
    if (fd < 0 && errno == EACCES) fd = open(host_path.c_str(), O_WRONLY | kOpenFlags);
    if (fd >= 0 || errno != EACCES || attempt == 1) return fd;
    SleepMilliseconds(kPollMilliseconds);
  }
}

Native OpenLockFile(const std::string &host_path, const std::string &model_host_path) {
  int fd = open(host_path.c_str(), O_RDONLY | O_CREAT | O_EXCL | kOpenFlags, 0600);
  if (fd >= 0)
    TakeModelsPermissions(fd, model_host_path);
  else if (errno == EEXIST)
    fd = OpenExisting(host_path);
  if (fd < 0) return -1;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

bool TryLock(Native fd) {
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

void CloseLockFile(Native fd) { close(fd); } // releases the lock with it

std::string ResolvedForLock(const std::string &host_path) {
  struct stat info;
  if (lstat(host_path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return host_path;
  char resolved[PATH_MAX];
  if (!realpath(host_path.c_str(), resolved)) return host_path;
  return resolved;
}

#endif

// The folder that holds a host path ("." for a bare name).
std::string FolderOf(const std::string &host_path) {
#if defined(_WIN32)
  const std::size_t slash = host_path.find_last_of("\\/");
#else
  const std::size_t slash = host_path.find_last_of('/');
#endif
  if (slash == std::string::npos) return ".";
  return host_path.substr(0, slash == 0 ? 1 : slash);
}

} // namespace

struct FileLockMaker {
  static FileLock Lock(const std::string &lock_host_path, const std::string &model_host_path,
                       std::chrono::milliseconds wait);
};

std::string LockFilePathFor(const std::string &guarded_path) {
  return ResolvedForLock(HostPath(guarded_path)) + kLockSuffix;
}

std::string LockFilePathBesideName(const std::string &guarded_path) {
  return HostPath(guarded_path) + kLockSuffix;
}

FileLock::FileLock(FileLock &&other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }

FileLock &FileLock::operator=(FileLock &&other) noexcept {
  if (this != &other) {
    Release();
    handle_ = other.handle_;
    other.handle_ = kNone;
  }
  return *this;
}

void FileLock::Release() {
  if (handle_ == kNone) return;
  CloseLockFile(handle_);
  handle_ = kNone;
}

FileLock LockExclusively(const std::string &guarded_path, std::chrono::milliseconds wait) {
  return FileLockMaker::Lock(LockFilePathFor(guarded_path), ResolvedForLock(HostPath(guarded_path)),
                             wait);
}

FileLock LockExclusivelyBesideName(const std::string &guarded_path,
                                   std::chrono::milliseconds wait) {
  return FileLockMaker::Lock(LockFilePathBesideName(guarded_path), FolderOf(HostPath(guarded_path)),
                             wait);
}

FileLock FileLockMaker::Lock(const std::string &lock_host_path, const std::string &model_host_path,
                             std::chrono::milliseconds wait) {
  const Native file = OpenLockFile(lock_host_path, model_host_path);
  if (file == FileLock::kNone) return FileLock();
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (TryLock(file)) return FileLock(file);
    if (std::chrono::steady_clock::now() >= deadline) break;
    SleepMilliseconds(kPollMilliseconds);
  }
  CloseLockFile(file);
  return FileLock();
}

} // namespace quarlane
