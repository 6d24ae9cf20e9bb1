#include "platform/process.h"

#include <ctime>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace quarlane {

std::string LocalTimeOfDay() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

void *OpenSharedLibrary(const std::string &host_path) {
#if defined(_WIN32)
  return reinterpret_cast<void *>(LoadLibraryA(host_path.c_str()));
#else
  return dlopen(host_path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
}

void *FindSymbol(void *library, const char *name) {
  if (!library) return nullptr;
#if defined(_WIN32)
  FARPROC address = GetProcAddress(reinterpret_cast<HMODULE>(library), name);
  void *symbol = nullptr;
  static_assert(sizeof symbol == sizeof address, "function and data pointers differ in size");
  __builtin_memcpy(&symbol, &address, sizeof symbol);
  return symbol;
#else
  return dlsym(library, name);
#endif
}

} // namespace quarlane
