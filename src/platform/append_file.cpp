#include "platform/append_file.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quarlane {

#if defined(_WIN32)

std::FILE *OpenOwnFileForAppending(const std::string &host_path) {
  HANDLE handle = CreateFileA(
      host_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
      info.nNumberOfLinks != 1) { // a hard link's other names are no concern of ours
    CloseHandle(handle);
    return nullptr;
  }
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_APPEND | _O_TEXT);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE *stream = _fdopen(fd, "at");
  if (!stream) _close(fd);
  return stream;
}

#else

std::FILE *OpenOwnFileForAppending(const std::string &host_path) {
  // O_NOFOLLOW: a symbolic link is refused; O_NONBLOCK: a FIFO without a
  // reader fails at once instead of waiting.
  int fd =
      open(host_path.c_str(),
           O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return nullptr;
  struct stat info;
  // A hard link is refused as a symbolic link is: its other names may be
  // any file the link's maker could not write to through this run.
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1) {
    close(fd);
    return nullptr;
  }
  int status = fcntl(fd, F_GETFL);
  if (status != -1) fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  std::FILE *stream = fdopen(fd, "a");
  if (!stream) close(fd);
  return stream;
}

#endif

} // namespace quarlane
