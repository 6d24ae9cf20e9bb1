#include "platform/paths.h"

#include <cstdlib>

#include <cerrno>
#include <cstring>

#if defined(_WIN32)
#include <direct.h>
#include <windows.h>
#else
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quarlane {

namespace {

bool host_paths_as_written = false;

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string JoinUnderRoot(const std::string &root, const std::string &rest) {
  std::string base = root.empty() ? "/" : root;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  std::string tail = rest;
  std::size_t skip = 0;
  while (skip < tail.size() && tail[skip] == '/') ++skip;
  tail.erase(0, skip);
  if (base == "/") return "/" + tail;
  return tail.empty() ? base + "/" : base + "/" + tail;
}

} // namespace

std::string HostPathUnder(const std::string &windows_path, const std::string &root) {
  std::string path = windows_path;
  for (char &c : path)
    if (c == '\\') c = '/';
  if (path.size() >= 2 && path[0] == '/' && path[1] == '/') // \\server\share\x
    return JoinUnderRoot(root, path.substr(2));
  if (path.size() >= 2 && IsDriveLetter(path[0]) &&
      path[1] == ':') // every drive shares the one tree
    return JoinUnderRoot(root, path.substr(2));
  if (!path.empty() && path[0] == '/') return JoinUnderRoot(root, path);
  return path;
}

std::string HostPath(const std::string &windows_path) {
#if defined(_WIN32)
  return windows_path;
#else
  const char *root = host_paths_as_written ? nullptr : std::getenv("QUARLANE_ROOT");
  return HostPathUnder(windows_path, root ? root : "");
#endif
}

std::string ExecutablePath() {
#if defined(_WIN32)
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
#else
  std::string buffer(PATH_MAX, '\0');
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", &buffer[0], buffer.size());
    if (length < 0) return std::string();
    if (static_cast<std::size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
#endif
}

std::string ExecutableFolder() {
  std::string path = ExecutablePath();
#if defined(_WIN32)
  std::size_t slash = path.find_last_of("\\/");
#else
  std::size_t slash = path.find_last_of('/');
#endif
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash + 1);
}

void UseHostPathsAsWritten() { host_paths_as_written = true; }

namespace {

std::string Environment(const char *name) {
  const char *value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

#if defined(_WIN32)
const char kSeparator = '\\';
#else
const char kSeparator = '/';
#endif

std::string WithSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != kSeparator)) folder += kSeparator;
  return folder;
}

} // namespace

std::string FullHostFolder(const std::string &host_folder) {
  const std::string folder = host_folder.empty() ? std::string(".") : host_folder;
#if defined(_WIN32)
  char buffer[4096];
  const DWORD length = GetFullPathNameA(folder.c_str(), sizeof buffer, buffer, nullptr);
  if (length == 0 || length >= sizeof buffer) return WithSeparator(folder);
  return WithSeparator(std::string(buffer, length));
#else
  if (folder[0] == '/') return WithSeparator(folder);
  char buffer[PATH_MAX];
  if (!getcwd(buffer, sizeof buffer)) return WithSeparator(folder);
  std::string full = buffer;
  if (folder != ".")
    full = WithSeparator(full) + (folder.compare(0, 2, "./") == 0 ? folder.substr(2) : folder);
  return WithSeparator(full);
#endif
}

std::string DefaultWorkingFolder() {
  const std::string chosen = Environment("QUARLANE_WORK");
  if (!chosen.empty()) return WithSeparator(chosen);
#if defined(_WIN32)
  const std::string local = Environment("LOCALAPPDATA");
  if (!local.empty()) return WithSeparator(local) + "Quarlane\\";
  return WithSeparator(Environment("TEMP")) + "Quarlane\\";
#else
  const std::string state = Environment("XDG_STATE_HOME");
  if (!state.empty() && state[0] == '/') return WithSeparator(state) + "quarlane/";
  const std::string home = Environment("HOME");
  if (!home.empty() && home != "/" && home[0] == '/')
    return WithSeparator(home) + ".local/state/quarlane/";
  return "/var/tmp/quarlane-" + std::to_string(static_cast<unsigned long>(getuid())) + "/";
#endif
}

std::string EnterWorkingFolder(const std::string &host_folder) {
  std::string folder = host_folder;
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == kSeparator))
    folder.pop_back();
  // Each missing part is made in turn; one that exists is left as it is.
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != '/' && folder[at] != kSeparator) continue;
    const std::string part = folder.substr(0, at);
#if defined(_WIN32)
    if (part.size() == 2 && part[1] == ':') continue;
    if (_mkdir(part.c_str()) != 0 && errno != EEXIST)
      return "cannot be made: " + std::string(std::strerror(errno));
#else
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
      return "cannot be made: " + std::string(std::strerror(errno));
#endif
  }
#if defined(_WIN32)
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return "is no folder";
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return "is a link";
  if (_chdir(folder.c_str()) != 0) return "cannot be entered: " + std::string(std::strerror(errno));
#else
  struct stat status {};
  if (lstat(folder.c_str(), &status) != 0)
    return "cannot be read: " + std::string(std::strerror(errno));
  if (S_ISLNK(status.st_mode)) return "is a symbolic link";
  if (!S_ISDIR(status.st_mode)) return "is no folder";
  // Another account's folder (say, one made in /var/tmp before this account
  // first ran) could be read or changed by it: never work in it.
  if (status.st_uid != getuid() && getuid() != 0) return "belongs to another account";
  if (chdir(folder.c_str()) != 0) return "cannot be entered: " + std::string(std::strerror(errno));
  if (access(".", W_OK) != 0) return "cannot be written: " + std::string(std::strerror(errno));
#endif
  return std::string();
}

} // namespace quarlane
