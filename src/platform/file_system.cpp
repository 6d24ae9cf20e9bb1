#include "platform/file_system.h"

#include <algorithm>
#include <utility>

#include "platform/files.h"

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

} // namespace quarlane
