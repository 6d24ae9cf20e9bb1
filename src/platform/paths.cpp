#include "platform/paths.h"

#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

namespace quarlane {

namespace {

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
  if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') // every drive shares the one tree
    return JoinUnderRoot(root, path.substr(2));
  if (!path.empty() && path[0] == '/') return JoinUnderRoot(root, path);
  return path;
}

std::string HostPath(const std::string &windows_path) {
#if defined(_WIN32)
  return windows_path;
#else
  const char *root = std::getenv("QUARLANE_ROOT");
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

} // namespace quarlane
