#include "platform/file_system.h"

#include <algorithm>
#include <utility>

#include "platform/files.h"
#include "platform/lock_file.h"

namespace quarlane {

namespace {

class DiskFileSystem : public FileSystem {
public:
  std::optional<std::string> ReadBytes(const std::string &path) const override {
    return quarlane::ReadBytes(path);
  }
  bool CanOpenForReading(const std::string &path) const override {
    return quarlane::CanOpenForReading(path);
  }
  bool ReplaceText(const std::string &path, const std::string &text) override {
    return ReplaceTextAtomically(path, text);
  }
  bool Remove(const std::string &path) override { return RemoveFile(path); }
  std::unique_ptr<HeldLock> LockExclusively(const std::string &path,
                                            std::chrono::milliseconds wait) override {
    FileLock lock = quarlane::LockExclusively(path, wait);
    if (!lock) return nullptr;
    return std::make_unique<DiskLock>(std::move(lock));
  }
  std::optional<FileWithPermissions> ReadOneNameFile(const std::string &path) const override {
    return quarlane::ReadOneNameFile(path);
  }
  std::optional<std::vector<std::string>>
  ReadLinesNotThroughLink(const std::string &path) const override {
    return quarlane::ReadLinesNotThroughLink(path);
  }

private:
  struct DiskLock : HeldLock {
    explicit DiskLock(FileLock held) : lock(std::move(held)) {}
    FileLock lock;
  };
};

// A lock in memory: its key in the file system's set while it is held. The
// set is shared, so a lock that outlives its file system harms nothing.
class MemoryLock : public HeldLock {
public:
  MemoryLock(std::shared_ptr<std::set<std::string>> locked, std::string key)
      : locked_(std::move(locked)), key_(std::move(key)) {}
  ~MemoryLock() override { locked_->erase(key_); }

private:
  std::shared_ptr<std::set<std::string>> locked_;
  std::string key_;
};

std::string Key(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

} // namespace

std::optional<std::string> FileSystem::ReadText(const std::string &path) const {
  std::optional<std::string> bytes = ReadBytes(path);
  if (!bytes) return std::nullopt;
  return TextOfBytes(std::move(*bytes));
}

std::optional<std::vector<std::string>> FileSystem::ReadLines(const std::string &path) const {
  const std::optional<std::string> bytes = ReadBytes(path);
  if (!bytes) return std::nullopt;
  return LinesOfBytes(*bytes);
}

FileSystem &Disk() {
  static DiskFileSystem disk;
  return disk;
}

void MemoryFileSystem::Put(const std::string &path, const std::string &bytes) {
  files_[Key(path)] = bytes;
}

void MemoryFileSystem::MakeReadOnly(const std::string &path) { read_only_.insert(Key(path)); }

std::optional<std::string> MemoryFileSystem::ReadBytes(const std::string &path) const {
  const auto file = files_.find(Key(path));
  if (file == files_.end()) return std::nullopt;
  return file->second;
}

bool MemoryFileSystem::CanOpenForReading(const std::string &path) const {
  return files_.count(Key(path)) != 0;
}

bool MemoryFileSystem::ReplaceText(const std::string &path, const std::string &text) {
  const auto file = files_.find(Key(path));
  if (file == files_.end() || read_only_.count(Key(path))) return false;
  file->second = ByteOrderMarkOf(file->second) + text;
  return true;
}

bool MemoryFileSystem::Remove(const std::string &path) { return files_.erase(Key(path)) != 0; }

std::unique_ptr<HeldLock> MemoryFileSystem::LockExclusively(const std::string &path,
                                                            std::chrono::milliseconds) {
  if (!locked_->insert(Key(path)).second) return nullptr;
  return std::make_unique<MemoryLock>(locked_, Key(path));
}

std::optional<FileWithPermissions>
MemoryFileSystem::ReadOneNameFile(const std::string &path) const {
  std::optional<std::string> bytes = ReadBytes(path);
  if (!bytes) return std::nullopt;
  FileWithPermissions file;
  file.bytes = std::move(*bytes);
  return file;
}

std::optional<std::vector<std::string>>
MemoryFileSystem::ReadLinesNotThroughLink(const std::string &path) const {
  return ReadLines(path);
}

bool MemoryFileSystem::Locked(const std::string &path) const {
  return locked_->count(Key(path)) != 0;
}

} // namespace quarlane
