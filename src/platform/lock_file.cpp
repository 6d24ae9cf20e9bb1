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
// create, and refuse anything but a plain file on a disk.
Native OpenLockFile(const std::string &host_path) {
  HANDLE file = CreateFileA(host_path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
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
  HANDLE file = CreateFileA(host_path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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

Native OpenLockFile(const std::string &host_path) {
  int fd = open(host_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
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

} // namespace

std::string LockFilePathFor(const std::string &guarded_path) {
  return ResolvedForLock(HostPath(guarded_path)) + kLockSuffix;
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
  const Native file = OpenLockFile(LockFilePathFor(guarded_path));
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
