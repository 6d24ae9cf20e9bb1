#include "nwrfc/sdk.h"
#include "platform/bounded_read.h"

#include <algorithm>
#include <mutex>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dirent.h>
#include <dlfcn.h>
#endif

namespace quarlane::nwrfc {

#if defined(_WIN32)
const char kSdkFileName[] = "sapnwrfc.dll";
#else
const char kSdkFileName[] = "libsapnwrfc.so";
#endif
const char *const kOptionalSdkFunctions[5] = {"RfcCancel", "RfcGetInt8", "RfcSetInt1", "RfcSetInt2",
                                              "RfcLoadCryptoLibrary"};
const char kReadmeReference[] = "see the README, section \"Connecting to a real SAP system\"";

namespace {

#if defined(_WIN32)
using Module = HMODULE;

std::string LastErrorText() {
  return "error " + std::to_string(static_cast<unsigned long>(GetLastError()));
}

std::wstring Wide(const std::string &text) {
  if (text.empty()) return std::wstring();
  const int length =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

Module OpenModule(const std::string &path, bool full_path, std::string *error) {
  // With a full path, the SDK's own DLLs (ICU, libsapucum) are looked for in
  // its folder first.
  Module module = full_path
                      ? LoadLibraryExW(Wide(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                      : LoadLibraryW(Wide(path).c_str());
  if (module == nullptr) *error = LastErrorText();
  return module;
}

void *Symbol(Module module, const char *name) {
  return reinterpret_cast<void *>(GetProcAddress(module, name));
}

std::vector<std::string> FolderNames(const std::string &folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}
#else
using Module = void *;

Module OpenModule(const std::string &path, bool, std::string *error) {
  Module module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char *text = dlerror();
    *error = text ? text : "unknown error";
  }
  return module;
}

void *Symbol(Module module, const char *name) { return dlsym(module, name); }

std::vector<std::string> FolderNames(const std::string &folder) {
  std::vector<std::string> names;
  if (DIR *listing = opendir(folder.c_str())) {
    while (const dirent *entry = readdir(listing)) names.push_back(entry->d_name);
    closedir(listing);
  }
  return names;
}

// The SDK's own libraries are loaded globally, so that libsapnwrfc.so's
// needs are met by them without LD_LIBRARY_PATH.
Module OpenDependency(const std::string &path, std::string *error) {
  Module module = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (module == nullptr) {
    const char *text = dlerror();
    *error = text ? text : "unknown error";
  }
  return module;
}
#endif

// The libraries the SDK ships beside libsapnwrfc, in the order they need
// each other: ICU's data, common and i18n libraries with the ICU version in
// their names (libicuuc.so.50, icuuc50.dll), then libicudecnumber (decimal
// floating point, listed in the lib folder by PyRFC's doc/install.rst and
// node-rfc's doc/installation.md; not in every SDK), then libsapucum.
// Sources: docs/nwrfc.md "Loading the SDK".
// Far above any library of the SDK (libsapnwrfc and ICU's data are tens of MB).
constexpr std::size_t kMostLibraryBytes = std::size_t{1} << 30;

struct Dependency {
  const char *prefix; // the name up to the version
  const char *suffix; // after the version
  const char *shown;  // as the failure names it
  bool versioned;     // a version between prefix and suffix (ICU's own libraries)
  bool in_every_sdk;  // named in the failure when it is not there
};
#if defined(_WIN32)
const Dependency kDependencies[] = {
    {"icudt", ".dll", "icudtNN.dll", true, true},
    {"icuuc", ".dll", "icuucNN.dll", true, true},
    {"icuin", ".dll", "icuinNN.dll", true, true},
    {"libicudecnumber", ".dll", "libicudecnumber.dll", false, false},
    {"libsapucum", ".dll", "libsapucum.dll", false, true}};
#else
const Dependency kDependencies[] = {{"libicudata.so", "", "libicudata.so.NN", true, true},
                                    {"libicuuc.so", "", "libicuuc.so.NN", true, true},
                                    {"libicui18n.so", "", "libicui18n.so.NN", true, true},
                                    {"libicudecnumber.so", "", "libicudecnumber.so", false, false},
                                    {"libsapucum.so", "", "libsapucum.so", false, true}};
#endif

// Whether `name` is the dependency: its prefix, a version of digits and dots
// (ICU's libraries; none for the others), then its suffix.
bool IsDependency(const std::string &name, const Dependency &dependency) {
  const std::string prefix = dependency.prefix, suffix = dependency.suffix;
  if (name.size() < prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  const std::string version =
      name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  if (!dependency.versioned) return version.empty();
  return version.find_first_not_of(".0123456789") == std::string::npos;
}

// A library file in the bridge's folder that is something other than a
// regular file (a FIFO would block the loader for ever, past any time bound)
// is refused before the loader opens it; one that is missing is left to the
// loader's own message.
bool RefusedBeforeLoading(const std::string &path, std::string *error) {
  if (ReadRegularFileNoWait(path, kMostLibraryBytes, false).state != FileState::Refused)
    return false;
  *error =
      path +
      " is not a regular file (a FIFO, a device or a folder), cannot be read, or is larger than " +
      std::to_string(kMostLibraryBytes >> 20) + " MiB";
  return true;
}

// Loads the SDK's own libraries found in `folder` by their full path. False
// with *error naming the one that failed; *absent lists those not there.
bool LoadDependencies(const std::string &folder, std::string *absent, std::string *error) {
  std::vector<std::string> names = FolderNames(folder);
  std::sort(names.begin(), names.end());
  for (const Dependency &dependency : kDependencies) {
    // The shortest match: libicuuc.so.50 before libicuuc.so.50.1.2.
    const std::string *chosen = nullptr;
    for (const std::string &name : names)
      if (IsDependency(name, dependency) && (chosen == nullptr || name.size() < chosen->size()))
        chosen = &name;
    if (chosen == nullptr) {
      if (dependency.in_every_sdk)
        *absent += std::string(absent->empty() ? "" : ", ") + dependency.shown;
      continue;
    }
    std::string why;
    if (RefusedBeforeLoading(folder + *chosen, error)) return false;
#if defined(_WIN32)
    const bool loaded = OpenModule(folder + *chosen, true, &why) != nullptr;
#else
    const bool loaded = OpenDependency(folder + *chosen, &why) != nullptr;
#endif
    if (!loaded) {
      *error = "the SDK's library " + folder + *chosen + " could not be loaded (" + why + ")";
      return false;
    }
  }
  return true;
}

struct Entry {
  const char *name;
  void **slot;
  unsigned arguments; // for the decorated stdcall names of 32-bit Windows
  bool optional;      // an older SDK may lack it (sdk.h)
};

template <typename F> void **Slot(F &function) { return reinterpret_cast<void **>(&function); }

// Plain name first; a 32-bit Windows DLL may export only Name@N or _Name@N.
void *Resolve(Module module, const Entry &entry) {
  if (void *plain = Symbol(module, entry.name)) return plain;
#if defined(_WIN32) && !defined(_WIN64)
  const std::string suffix = "@" + std::to_string(4 * entry.arguments);
  if (void *decorated = Symbol(module, (std::string(entry.name) + suffix).c_str()))
    return decorated;
  return Symbol(module, ("_" + std::string(entry.name) + suffix).c_str());
#else
  return nullptr;
#endif
}

// Every function; false with *missing naming the first required one the SDK
// lacks. The optional ones it lacks are listed in sdk.missing_optional.
bool ResolveAll(Module module, Sdk &sdk, std::string *missing) {
  const Entry entries[] = {
      {"RfcOpenConnection", Slot(sdk.RfcOpenConnection), 3, false},
      {"RfcCloseConnection", Slot(sdk.RfcCloseConnection), 2, false},
      {"RfcCancel", Slot(sdk.RfcCancel), 2, true},
      {"RfcGetFunctionDesc", Slot(sdk.RfcGetFunctionDesc), 3, false},
      {"RfcGetParameterCount", Slot(sdk.RfcGetParameterCount), 3, false},
      {"RfcGetParameterDescByIndex", Slot(sdk.RfcGetParameterDescByIndex), 4, false},
      {"RfcGetFieldCount", Slot(sdk.RfcGetFieldCount), 3, false},
      {"RfcGetFieldDescByIndex", Slot(sdk.RfcGetFieldDescByIndex), 4, false},
      {"RfcCreateFunction", Slot(sdk.RfcCreateFunction), 2, false},
      {"RfcDestroyFunction", Slot(sdk.RfcDestroyFunction), 2, false},
      {"RfcInvoke", Slot(sdk.RfcInvoke), 3, false},
      {"RfcSetString", Slot(sdk.RfcSetString), 5, false},
      {"RfcSetInt", Slot(sdk.RfcSetInt), 4, false},
      {"RfcGetString", Slot(sdk.RfcGetString), 6, false},
      {"RfcGetBytes", Slot(sdk.RfcGetBytes), 5, false},
      {"RfcGetInt", Slot(sdk.RfcGetInt), 4, false},
      {"RfcGetInt1", Slot(sdk.RfcGetInt1), 4, false},
      {"RfcGetInt2", Slot(sdk.RfcGetInt2), 4, false},
      {"RfcGetDate", Slot(sdk.RfcGetDate), 4, false},
      {"RfcGetFloat", Slot(sdk.RfcGetFloat), 4, false},
      {"RfcGetInt8", Slot(sdk.RfcGetInt8), 4, true},
      {"RfcSetInt1", Slot(sdk.RfcSetInt1), 4, true},
      {"RfcSetInt2", Slot(sdk.RfcSetInt2), 4, true},
      {"RfcGetStructure", Slot(sdk.RfcGetStructure), 4, false},
      {"RfcGetTable", Slot(sdk.RfcGetTable), 4, false},
      {"RfcGetRowCount", Slot(sdk.RfcGetRowCount), 3, false},
      {"RfcMoveTo", Slot(sdk.RfcMoveTo), 3, false},
      {"RfcLoadCryptoLibrary", Slot(sdk.RfcLoadCryptoLibrary), 2, true},
  };
  for (const Entry &entry : entries) {
    *entry.slot = Resolve(module, entry);
    if (*entry.slot != nullptr) continue;
    if (!entry.optional) {
      *missing = entry.name;
      return false;
    }
  }
  for (const char *name : kOptionalSdkFunctions) {
    for (const Entry &entry : entries)
      if (std::string(entry.name) == name && *entry.slot == nullptr)
        sdk.missing_optional += std::string(sdk.missing_optional.empty() ? "" : ", ") + name;
  }
  return true;
}

std::mutex g_mutex;
Sdk *g_sdk = nullptr; // never unloaded: a running (abandoned) call may still use it
void (*g_layer)(Sdk &) = nullptr;

} // namespace

void SetSdkLayer(void (*layer)(Sdk &sdk)) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_layer = layer;
  if (g_sdk != nullptr) layer(*g_sdk);
}

std::string BridgeFolder() {
#if defined(_WIN32)
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&BridgeFolder), &self))
    return std::string();
  char path[MAX_PATH * 2];
  const DWORD length = GetModuleFileNameA(self, path, sizeof path);
  if (length == 0 || length >= sizeof path) return std::string();
  std::string folder(path, length);
  const std::size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
#else
  Dl_info info;
  if (dladdr(reinterpret_cast<void *>(&BridgeFolder), &info) == 0 || info.dli_fname == nullptr)
    return std::string();
  std::string folder = info.dli_fname;
  const std::size_t slash = folder.find_last_of('/');
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
#endif
}

const Sdk *LoadedSdk() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_sdk;
}

std::string MissingFunctionsText(const Sdk &sdk) {
  if (sdk.missing_optional.empty()) return std::string();
  std::string instead;
  auto lacks = [&sdk](const char *name) {
    return sdk.missing_optional.find(name) != std::string::npos;
  };
  if (lacks("RfcCancel"))
    instead += "; a call still running at the time bound is left behind, not cancelled";
  if (lacks("RfcGetInt8")) instead += "; INT8 fields are read as text (RfcGetString)";
  if (lacks("RfcSetInt1") || lacks("RfcSetInt2"))
    instead += "; INT1 and INT2 values are set with RfcSetInt";
  return "the SDK lacks " + sdk.missing_optional + " (an older SDK)" + instead;
}

const Sdk *LoadSdk(std::string *error) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_sdk != nullptr) return g_sdk;

  const std::string folder = BridgeFolder();
  const std::string beside = folder + kSdkFileName;
  std::string beside_error, search_error, absent;
  std::string path = beside;
  Module module = nullptr;
  if (folder.empty()) {
    beside_error = "the bridge's own folder is unknown";
  } else if (LoadDependencies(folder, &absent, &beside_error) &&
             !RefusedBeforeLoading(beside, &beside_error)) {
    module = OpenModule(beside, true, &beside_error);
  }
  if (module == nullptr) {
    path = kSdkFileName;
    module = OpenModule(kSdkFileName, false, &search_error);
  }
  if (module == nullptr) {
    *error = std::string("SAP NetWeaver RFC SDK not found: ") + kSdkFileName +
             " could not be loaded from " +
             (folder.empty() ? std::string("the bridge's folder") : folder) + " (" + beside_error +
             (absent.empty() ? std::string() : "; not in that folder: " + absent) +
             ") nor through the system's search path (" + search_error + "); " + kReadmeReference;
    return nullptr;
  }
  auto *sdk = new Sdk();
  sdk->path = path;
  std::string missing;
  if (!ResolveAll(module, *sdk, &missing)) {
    delete sdk;
    *error = "the SAP NetWeaver RFC SDK " + path + " has no function " + missing +
             " (an older or damaged SDK?); " + kReadmeReference;
    return nullptr; // the module stays loaded: harmless, and tried again next time
  }
  if (g_layer != nullptr) g_layer(*sdk);
  g_sdk = sdk;
  return g_sdk;
}

} // namespace quarlane::nwrfc
