#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/paths.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quarlane {

namespace {

// Opens a regular file for binary reading; a folder does not count as a file
// that opens (on Linux fopen would accept one).
std::FILE *OpenRegularFileForReading(const std::string &host_path) {
#if !defined(_WIN32)
  struct stat info;
  if (stat(host_path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return nullptr;
#endif
  return std::fopen(host_path.c_str(), "rb");
}

std::optional<std::string> ReadAll(std::FILE *file) {
  std::string bytes;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  return bytes;
}

std::string TemporaryNameFor(const std::string &host_path) {
#if defined(_WIN32)
  unsigned long pid = GetCurrentProcessId();
#else
  unsigned long pid = static_cast<unsigned long>(getpid());
#endif
  return host_path + "." + std::to_string(pid) + ".tmp";
}

#if defined(_WIN32)

bool ReplaceAtomically(const std::string &host_path, const std::string &content) {
  DWORD attributes = GetFileAttributesA(host_path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  const std::string temporary = TemporaryNameFor(host_path);
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) {
    // Left by a killed run that had our process id: no living process owns it.
    DeleteFileA(temporary.c_str());
    file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  std::size_t written_total = 0;
  while (ok && written_total < content.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - written_total, 1u << 20));
    DWORD written = 0;
    ok = WriteFile(file, content.data() + written_total, chunk, &written, nullptr) && written > 0;
    written_total += written;
  }
  ok = ok && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  if (ok && attributes != INVALID_FILE_ATTRIBUTES) {
    // Keep what the administrator set on the profile (hidden, archive, ...).
    SetFileAttributesA(temporary.c_str(), attributes);
  }
  if (ok) {
    // A reader that has the profile open makes the replace fail for a moment.
    ok = false;
    for (int attempt = 0; attempt < 50 && !ok; ++attempt) {
      ok = MoveFileExA(temporary.c_str(), host_path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
      if (!ok) {
        DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
        Sleep(20);
      }
    }
  }
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
}

#else

std::string FolderOf(const std::string &host_path) {
  std::size_t slash = host_path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return host_path.substr(0, 1);
  return host_path.substr(0, slash);
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

// The run may not write a file or folder without any write permission bit,
// even where the system would let it (root): that is the administrator's say.
bool MayWrite(const std::string &host_path, bool must_exist) {
  struct stat info;
  if (stat(host_path.c_str(), &info) != 0) return !must_exist && errno == ENOENT;
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return access(host_path.c_str(), W_OK) == 0;
}

bool ReplaceAtomically(const std::string &host_path, const std::string &content) {
  const std::string folder = FolderOf(host_path);
  struct stat original;
  bool exists = stat(host_path.c_str(), &original) == 0;
  if (exists && !S_ISREG(original.st_mode)) return false;
  if (!MayWrite(host_path, false) || !MayWrite(folder, true)) return false;

  const std::string temporary = TemporaryNameFor(host_path);
  mode_t mode = exists ? (original.st_mode & 07777) : 0644;
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0 && errno == EEXIST) {
    // Left by a killed run that had our process id: no living process owns it.
    unlink(temporary.c_str());
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  }
  if (fd < 0) return false;
  bool ok = WriteWhole(fd, content);
  if (ok && exists) {
    ok = fchmod(fd, mode) == 0;
    if (ok && fchown(fd, original.st_uid, original.st_gid) != 0) {
      // Only root may hand a file to another owner; anyone else keeps their own.
    }
  }
  ok = ok && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && rename(temporary.c_str(), host_path.c_str()) == 0;
  if (!ok) {
    unlink(temporary.c_str());
    return false;
  }
  // Make the rename itself durable.
  int folder_fd = open(folder.c_str(), O_RDONLY | O_CLOEXEC);
  if (folder_fd >= 0) {
    fsync(folder_fd);
    close(folder_fd);
  }
  return true;
}

#endif

} // namespace

std::optional<std::string> ReadBytes(const std::string &path) {
  std::FILE *file = OpenRegularFileForReading(HostPath(path));
  if (!file) return std::nullopt;
  return ReadAll(file);
}

std::optional<std::vector<std::string>> ReadLines(const std::string &path) {
  std::optional<std::string> bytes = ReadBytes(path);
  if (!bytes) return std::nullopt;
  std::vector<std::string> lines;
  std::size_t start = 0;
  const std::string &text = *bytes;
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

bool CanOpenForReading(const std::string &path) {
  std::FILE *file = OpenRegularFileForReading(HostPath(path));
  if (!file) return false;
  std::fclose(file);
  return true;
}

bool WriteBytes(const std::string &path, const std::string &bytes) {
  std::FILE *file = std::fopen(HostPath(path).c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = (std::fclose(file) == 0) && ok;
  return ok;
}

bool RemoveFile(const std::string &path) {
#if defined(_WIN32)
  return std::remove(HostPath(path).c_str()) == 0;
#else
  // unlink, not remove: a folder of that name is never taken away.
  return unlink(HostPath(path).c_str()) == 0;
#endif
}

const char *PlatformLineEnd() {
#if defined(_WIN32)
  return "\r\n";
#else
  return "\n";
#endif
}

bool ReplaceFileAtomically(const std::string &path, const std::string &content) {
  return ReplaceAtomically(HostPath(path), content);
}

} // namespace quarlane
