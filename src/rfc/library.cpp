#include "rfc/library.h"

#include "platform/paths.h"
#include "platform/process.h"

namespace quarlane {
namespace {

// A stdcall library built without --kill-at exports "Name@N" (or "_Name@N"),
// N being the bytes of arguments: four per argument on 32-bit Windows.
template <typename Function>
bool Resolve(const std::function<void *(const char *)> &lookup, const char *name,
             int argument_count, Function &function) {
  const std::string bytes = std::to_string(4 * argument_count);
  const std::string candidates[] = {name, std::string(name) + "@" + bytes,
                                    "_" + std::string(name) + "@" + bytes};
  for (const std::string &candidate : candidates) {
    if (void *symbol = lookup(candidate.c_str())) {
      function = reinterpret_cast<Function>(symbol);
      return true;
    }
  }
  function = nullptr;
  return false;
}

} // namespace

std::string RfcLibraryPath() {
#if defined(_WIN32)
  return ExecutableFolder() + "librfc32.dll";
#else
  return ExecutableFolder() + "librfc32.so";
#endif
}

bool ResolveRfcFunctionsWith(const std::function<void *(const char *)> &lookup,
                             RfcLibrary &library) {
  bool all = true;
  all = Resolve(lookup, "RfcEnvironment", 1, library.RfcEnvironment) && all;
  all = Resolve(lookup, "RfcOpen", 1, library.RfcOpen) && all;
  all = Resolve(lookup, "RfcOpenEx", 2, library.RfcOpenEx) && all;
  all = Resolve(lookup, "RfcClose", 1, library.RfcClose) && all;
  all = Resolve(lookup, "RfcInstallStructure", 4, library.RfcInstallStructure) && all;
  all = Resolve(lookup, "RfcCall", 4, library.RfcCall) && all;
  all = Resolve(lookup, "RfcReceive", 4, library.RfcReceive) && all;
  all = Resolve(lookup, "RfcLastError", 1, library.RfcLastError) && all;
  all = Resolve(lookup, "ItCreate", 4, library.ItCreate) && all;
  all = Resolve(lookup, "ItFill", 1, library.ItFill) && all;
  all = Resolve(lookup, "ItGetLine", 2, library.ItGetLine) && all;
  all = Resolve(lookup, "ItDelete", 1, library.ItDelete) && all;
  // Optional: a library without them is used as before.
  Resolve(lookup, "QuarlaneDestinationFile", 1, library.QuarlaneDestinationFile);
  Resolve(lookup, "QuarlaneThreadsLeftBehind", 0, library.QuarlaneThreadsLeftBehind);
  return all;
}

bool ResolveRfcFunctions(void *handle, RfcLibrary &library) {
  if (!handle) return false;
  return ResolveRfcFunctionsWith([handle](const char *name) { return FindSymbol(handle, name); },
                                 library);
}

namespace {
// The loaded library belongs to the process, not to a run: it is loaded at
// most once and never unloaded.
RfcLibrary loaded;
bool ready = false;
} // namespace

Result<const RfcLibrary *> LoadRfcLibrary() {
  if (ready) return &loaded;

  RfcLibrary library;
  library.path = RfcLibraryPath();
  void *handle = OpenSharedLibrary(library.path);
  if (!ResolveRfcFunctions(handle, library))
    return Failure(FailureCode::LibraryNotLoaded, library.path);
  loaded = library;
  ready = true;
  return &loaded;
}

bool RfcThreadsLeftBehind() {
  return ready && loaded.QuarlaneThreadsLeftBehind != nullptr && loaded.QuarlaneThreadsLeftBehind() != 0;
}

Status EnsureRfcLibrary(RfcSession &session) {
  if (session.library) return Success();
  Result<const RfcLibrary *> library = LoadRfcLibrary();
  if (!library) return library.failure();
  session.library = *library;
  return Success();
}

} // namespace quarlane
