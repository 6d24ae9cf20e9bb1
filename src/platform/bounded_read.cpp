#include "platform/bounded_read.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quarlane {

#if defined(_WIN32)

BoundedRead ReadRegularFileNoWait(const std::string &host_path, std::size_t cap,
                                  bool read_content) {
  BoundedRead result;
  HANDLE file = CreateFileA(host_path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    result.state = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                       ? FileState::Missing
                       : FileState::Refused;
    return result;
  }
  result.state = FileState::Refused;
  BY_HANDLE_FILE_INFORMATION info;
  LARGE_INTEGER size;
  if (GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && GetFileSizeEx(file, &size) &&
      static_cast<unsigned long long>(size.QuadPart) <= cap) {
    result.size = static_cast<std::size_t>(size.QuadPart);
    result.state = FileState::Regular;
    char buffer[65536];
    while (read_content) {
      DWORD got = 0;
      if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr) ||
          result.bytes.size() + got > cap) {
        result.state = FileState::Refused;
        result.bytes.clear();
        break;
      }
      if (got == 0) break;
      result.bytes.append(buffer, got);
    }
  }
  CloseHandle(file);
  return result;
}

#else

BoundedRead ReadRegularFileNoWait(const std::string &host_path, std::size_t cap,
                                  bool read_content) {
  BoundedRead result;
  const int fd = open(host_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    result.state = errno == ENOENT || errno == ENOTDIR ? FileState::Missing : FileState::Refused;
    return result;
  }
  result.state = FileState::Refused;
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<unsigned long long>(info.st_size) <= cap) {
    result.size = static_cast<std::size_t>(info.st_size);
    result.state = FileState::Regular;
    char buffer[65536];
    while (read_content) {
      const ssize_t got = read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0 || result.bytes.size() + static_cast<std::size_t>(got) > cap) {
        result.state = FileState::Refused; // unreadable, or grew past the cap while read
        result.bytes.clear();
        break;
      }
      if (got == 0) break;
      result.bytes.append(buffer, static_cast<std::size_t>(got));
    }
  }
  close(fd);
  return result;
}

#endif

} // namespace quarlane
