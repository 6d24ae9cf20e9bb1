// The rules of files.h that hold on every platform; what each platform does
// its own way is in files_posix.cpp or files_win32.cpp (files_platform.h).
#include "platform/files.h"

#include <algorithm>
#include <utility>

#include "platform/append_file.h"
#include "platform/byte_order_mark.h"
#include "platform/files_platform.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace quarlane {

namespace files_detail {

namespace {

bool StartsWithByteOrderMark(const std::string &bytes) { return ByteOrderMarkLength(bytes) != 0; }

} // namespace

std::optional<std::string> MarkToWrite(const std::string &old_start, const std::string &content,
                                       Mark mark) {
  const bool put_back = StartsWithByteOrderMark(old_start) &&
                        (mark == Mark::kAlways || !StartsWithByteOrderMark(content));
  if (content.size() + (put_back ? kUtf8ByteOrderMarkLength : 0) > kMaxReadBytes)
    return std::nullopt;
  return put_back ? std::string(kUtf8ByteOrderMark) : std::string();
}

bool IsTemporaryNameOf(const std::string &name, const std::string &base) {
  const std::size_t length = base.size() + 1 + kRandomDigits + 4;
  if (name.size() != length || !SameName(name.substr(0, base.size()), base)) return false;
  if (name[base.size()] != '.' || name.compare(length - 4, 4, ".tmp") != 0) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(base.size() + 1), name.end() - 4,
                     IsRandomDigit);
}

SplitPath Split(const std::string &host_path) {
  const auto last = std::find_if(host_path.rbegin(), host_path.rend(), IsPathSeparator);
  if (last == host_path.rend()) return {".", host_path};
  const std::size_t slash = static_cast<std::size_t>(host_path.rend() - last) - 1;
  if (slash == 0) return {host_path.substr(0, 1), host_path.substr(1)};
  return {host_path.substr(0, slash), host_path.substr(slash + 1)};
}

std::string Join(const SplitPath &parts) {
  if (parts.folder == ".") return parts.name;
  if (!parts.folder.empty() && (parts.folder.back() == '/' || parts.folder.back() == '\\'))
    return parts.folder + parts.name;
  return parts.folder + PathSeparator() + parts.name;
}

std::string TemporaryPath(const SplitPath &file, const std::string &random_part) {
  return Join({file.folder, file.name + "." + random_part + ".tmp"});
}

} // namespace files_detail

using namespace files_detail;

namespace {

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
  return ReadRegularFile(HostPath(path), kMaxReadBytes, Links::kFollow, nullptr);
}

std::string TextOfBytes(std::string bytes) {
  if (StartsWithByteOrderMark(bytes)) bytes.erase(0, 3);
  return bytes;
}

std::string ByteOrderMarkOf(const std::string &bytes) {
  return StartsWithByteOrderMark(bytes) ? kUtf8ByteOrderMark : "";
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
  return LinesOf(ReadRegularFile(HostPath(path), kMaxReadBytes, Links::kRefuse, nullptr));
}

bool CanOpenForReading(const std::string &path) { return CanOpenRegular(HostPath(path)); }

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

bool WriteBytesNoLooserThan(const std::string &path, const std::string &bytes,
                            unsigned permissions) {
  return WriteAsNewFile(HostPath(path), bytes, permissions);
}

std::FILE *OpenForAppending(const std::string &path) {
  return OpenOwnFileForAppending(HostPath(path));
}

bool RemoveFile(const std::string &path) { return RemoveHostFile(HostPath(path)); }

const char *PlatformLineEnd() { return NativeLineEnd(); }

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
