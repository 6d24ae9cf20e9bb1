// An exclusive lock shared by every process that runs the sensor: a lock file
// beside the guarded file, locked with flock on Linux and LockFileEx on
// Windows. The system releases the lock when the holder ends, however it
// ends (a killed run never leaves it held); the lock file itself stays and
// is never removed, since removing it would let two runs lock two files.
#ifndef QUARLANE_PLATFORM_LOCK_FILE_H
#define QUARLANE_PLATFORM_LOCK_FILE_H

#include <chrono>
#include <string>

namespace quarlane {

// The lock file that guards a file: "<file>.lck" beside it. A symbolic link
// is followed first, so every name of one profile shares one lock.
std::string LockFilePathFor(const std::string &guarded_path);

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
  friend FileLock LockExclusively(const std::string &, std::chrono::milliseconds);
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
// platform function takes), waiting at most `wait`: tried at once, then
// again every few milliseconds until the deadline. The result is not held
// when the wait ran out or the lock file cannot be opened (a folder, a FIFO
// or a link of its name, a read-only folder): the caller then ends that
// step as failed.
FileLock LockExclusively(const std::string &guarded_path, std::chrono::milliseconds wait);

} // namespace quarlane

#endif
