// The files a run reads and writes, by their path texts: the disk, or, for
// the unit tests of the run's steps, files held in memory. The path rules,
// locks and atomic rewrites of the disk are files.h's and lock_file.h's;
// this is the seam the run's steps are given.
#ifndef QUARLANE_PLATFORM_FILE_SYSTEM_H
#define QUARLANE_PLATFORM_FILE_SYSTEM_H

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"

namespace quarlane {

// A lock taken through a FileSystem; released when it ends.
class HeldLock {
public:
  virtual ~HeldLock() = default;
};

class FileSystem {
public:
  virtual ~FileSystem() = default;

  // The whole file as bytes; nullopt when it does not open for reading.
  virtual std::optional<std::string> ReadBytes(const std::string &path) const = 0;
  virtual bool CanOpenForReading(const std::string &path) const = 0;
  // Replaces the file's text whole, its leading byte order mark kept; false
  // with the file as it was.
  virtual bool ReplaceText(const std::string &path, const std::string &text) = 0;
  virtual bool Remove(const std::string &path) = 0;
  // The exclusive lock of a file that a run reads and then rewrites, shared
  // by every run (on the disk lock_file.h's LockExclusively: "<file>.lck"
  // beside it, released by the system however the holder ends); null when
  // not had within wait.
  virtual std::unique_ptr<HeldLock> LockExclusively(const std::string &path,
                                                    std::chrono::milliseconds wait) = 0;
  // A file read only as a regular file with one name, with its permission
  // bits, as files.h's ReadOneNameFile.
  virtual std::optional<FileWithPermissions> ReadOneNameFile(const std::string &path) const = 0;
  // The lines of a file of the run's own ("Dev_Rfc.Trc"), never read through
  // a link, as files.h's ReadLinesNotThroughLink.
  virtual std::optional<std::vector<std::string>>
  ReadLinesNotThroughLink(const std::string &path) const = 0;

  // Past a leading UTF-8 byte order mark, as files.h's ReadText.
  std::optional<std::string> ReadText(const std::string &path) const;
  // Whole lines without their line ends, as files.h's ReadLines.
  std::optional<std::vector<std::string>> ReadLines(const std::string &path) const;
};

// The disk, through files.h.
FileSystem &Disk();

// Files in memory. A path text names the same file with slashes or
// backslashes, as on the disk; nothing else is mapped. A lock is held until
// its HeldLock ends; a lock already held is not had (nothing else could
// release it while a test waits), and no lock file shows among the files.
class MemoryFileSystem : public FileSystem {
public:
  void Put(const std::string &path, const std::string &bytes);
  // A file that reads but whose rewrite fails, as a read-only file on disk.
  void MakeReadOnly(const std::string &path);

  std::optional<std::string> ReadBytes(const std::string &path) const override;
  bool CanOpenForReading(const std::string &path) const override;
  bool ReplaceText(const std::string &path, const std::string &text) override;
  bool Remove(const std::string &path) override;
  std::unique_ptr<HeldLock> LockExclusively(const std::string &path,
                                            std::chrono::milliseconds wait) override;
  std::optional<FileWithPermissions> ReadOneNameFile(const std::string &path) const override;
  std::optional<std::vector<std::string>>
  ReadLinesNotThroughLink(const std::string &path) const override;

  bool Locked(const std::string &path) const;

private:
  std::map<std::string, std::string> files_;
  std::set<std::string> read_only_;
  std::shared_ptr<std::set<std::string>> locked_ = std::make_shared<std::set<std::string>>();
};

} // namespace quarlane

#endif
