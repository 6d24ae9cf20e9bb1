// An exclusive lock shared by every process that runs the sensor: a lock file
// beside the guarded file, locked with flock on Linux and LockFileEx on
// Windows. The system releases the lock when the holder ends, however it
// ends (a killed run never leaves it held); the lock file itself stays and
// is never removed, since removing it would let two runs lock two files.
//
// A lock file is opened for reading only (flock and LockFileEx need no
// write access), so a lock file another account made does not shut this
// one out. On Linux a lock file this run creates takes the read and write
// bits of the file or folder it stands for (see each function), and, when
// the run is root's, that one's owner and group: exactly the accounts that
// may read the guarded file may open, and so hold, its lock. On Windows it
// takes the folder's inherited ACL.
#ifndef QUARLANE_PLATFORM_LOCK_FILE_H
#define QUARLANE_PLATFORM_LOCK_FILE_H

#include <chrono>
#include <string>

namespace quarlane {

// The lock file that guards a file: "<file>.lck" beside it. A symbolic link
// is followed first, so every name of one profile shares one lock.
std::string LockFilePathFor(const std::string &guarded_path);

// The lock file that guards a name in its folder: "<name>.lck" beside the
// name itself, a symbolic link of that name not followed (the file is
// replaced at its name, never at a link's target).
std::string LockFilePathBesideName(const std::string &guarded_path);

// A held lock, released when the object ends (or by Release). Move-only.
class FileLock {
public:
  FileLock() = default;
  ~FileLock() { Release(); }
  FileLock(FileLock &&other) noexcept;
  FileLock &operator=(FileLock &&other) noexcept;
  FileLock(const FileLock &) = delete;
  FileLock &operator=(const FileLock &) = delete;

  bool held() const { return handle_ != kNone; }
  explicit operator bool() const { return held(); }
  void Release();

private:
  friend struct FileLockMaker; // lock_file.cpp
#if defined(_WIN32)
  using Native = void *; // HANDLE
  static constexpr Native kNone = nullptr;
#else
  using Native = int;
  static constexpr Native kNone = -1;
#endif
  explicit FileLock(Native handle) : handle_(handle) {}
  Native handle_ = kNone;
};

// Takes the exclusive lock of guarded_path (a Windows-form path, as every
// platform function takes) in LockFilePathFor, waiting at most `wait`:
// tried at once, then again every few milliseconds until the deadline. A
// new lock file takes the guarded file's permissions (a 0600 profile, a
// 0600 lock). The result is not held when the wait ran out or the lock file
// cannot be opened (a folder, a FIFO or a link of its name, a read-only
// folder, no permission to read it): the caller then ends that step as
// failed.
FileLock LockExclusively(const std::string &guarded_path, std::chrono::milliseconds wait);

// The same in LockFilePathBesideName, for a file that is replaced at its
// name ("SapRfc.ini"): a new lock file takes the folder's read and write
// bits (a 0700 folder, a 0600 lock), whether or not the guarded file exists.
FileLock LockExclusivelyBesideName(const std::string &guarded_path, std::chrono::milliseconds wait);

} // namespace quarlane

#endif
