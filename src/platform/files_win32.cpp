// The files of files.h on Windows: handles opened with every sharing mode,
// rewrites by ReplaceFile (which keeps the ACL, attributes and streams) or
// MoveFileEx.
#include "platform/files_platform.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include <windows.h>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace quarlane {
namespace files_detail {

namespace {

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

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
  const DWORD refused = FILE_ATTRIBUTE_DIRECTORY | (refuse ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & refused) || (links == Links::kOneName && info.nNumberOfLinks > 1)) {
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

bool WriteWhole(HANDLE file, const std::string &content) {
  std::size_t done = 0;
  while (done < content.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, content.data() + done, chunk, &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  return true;
}

std::uint64_t FileTimeValue(const FILETIME &time) {
  return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
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
    if (MoveFileExA(temporary.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
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
    if (ReplaceFileA(replaced.c_str(), replacement.c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
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

} // namespace

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

char PathSeparator() { return '\\'; }

bool IsRandomDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Windows names are compared without regard to case.
bool SameName(const std::string &a, const std::string &b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldAscii(x) == FoldAscii(y);
         });
}

// Windows keeps no permission bits: *permissions is left as it is.
std::optional<std::string> ReadRegularFile(const std::string &host_path, std::size_t limit,
                                           Links links, unsigned * /*permissions*/) {
  Handle file(OpenRegularForReading(host_path, links));
  if (!file.valid()) return std::nullopt;
  return ReadCapped(file.get(), limit);
}

// The file a symbolic link (or junction) finally names; the path itself
// when it is none or does not exist; nullopt when the link cannot be
// resolved.
std::optional<std::string> ResolveLinks(const std::string &host_path) {
  DWORD attributes = GetFileAttributesA(host_path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return host_path;
  Handle file(CreateFileA(host_path.c_str(), 0,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) return std::nullopt;
  char buffer[MAX_PATH * 4];
  DWORD length = GetFinalPathNameByHandleA(file.get(), buffer, sizeof buffer, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= sizeof buffer) return std::nullopt;
  std::string path(buffer, length);
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
  if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

int RemoveStaleIn(const SplitPath &file, std::chrono::seconds max_age) {
  WIN32_FIND_DATAA found;
  const std::string pattern = Join({file.folder, file.name + ".*.tmp"});
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FILETIME now_time;
  GetSystemTimeAsFileTime(&now_time);
  const std::uint64_t now = FileTimeValue(now_time);
  const std::uint64_t age =
      static_cast<std::uint64_t>(max_age.count()) * 10000000ull; // 100 ns units
  int removed = 0;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
      continue;
    if (!IsTemporaryNameOf(found.cFileName, file.name)) continue;
    const std::uint64_t written = FileTimeValue(found.ftLastWriteTime);
    if (!IsStale(written, now, age)) continue;
    if (DeleteFileA(Join({file.folder, found.cFileName}).c_str())) ++removed;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return removed;
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
  const std::optional<std::string> put_back = MarkToWrite(old_start, content, mark);
  if (!put_back) return false;
  RemoveStaleIn(file, kStaleTemporaryAge);

  std::string temporary;
  Handle created(CreateTemporary(file, random_part, temporary));
  if (!created.valid()) return false;
  bool ok = WriteWhole(created.get(), *put_back) && WriteWhole(created.get(), content);
  ok = ok && FlushFileBuffers(created.get());
  ok = created.Close() && ok;
  if (ok)
    ok = exists ? ReplaceExisting(temporary, *target, attributes) : MoveOver(temporary, *target);
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
}

// A new file on Windows takes its folder's inherited ACL; there are no
// permission bits to narrow.
bool WriteAsNewFile(const std::string &host_path, const std::string &bytes,
                    unsigned /*permissions*/) {
  DWORD attributes = GetFileAttributesA(host_path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    if ((attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return false;
  }
  const SplitPath file = Split(host_path);
  RemoveStaleIn(file, kStaleTemporaryAge);
  std::string temporary;
  Handle created(CreateTemporary(
      file, [] { return RandomHex(kRandomDigits); }, temporary));
  if (!created.valid()) return false;
  bool ok = WriteWhole(created.get(), bytes);
  ok = created.Close() && ok;
  // MoveFileEx replaces a link at the name, never its target.
  ok = ok && MoveOver(temporary, host_path);
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
}

bool CanOpenRegular(const std::string &host_path) {
  Handle file(OpenRegularForReading(host_path));
  return file.valid();
}

bool RemoveHostFile(const std::string &host_path) { return std::remove(host_path.c_str()) == 0; }

const char *NativeLineEnd() { return "\r\n"; }

} // namespace files_detail
} // namespace quarlane
