#include "rfc/library.h"

#include "platform/paths.h"
#include "platform/process.h"

namespace quarlane {
namespace {

// How many arguments a function of the boundary takes, from its type.
template <typename Function> struct ArgumentCount;
template <typename Answer, typename... Arguments>
struct ArgumentCount<Answer(RFC_CALL *)(Arguments...)> {
  static constexpr int value = static_cast<int>(sizeof...(Arguments));
};

// A stdcall library built without --kill-at exports "Name@N" (or "_Name@N"),
// N being the bytes of arguments: four per argument on 32-bit Windows.
template <typename Function>
bool Resolve(const std::function<void *(const char *)> &lookup, const char *name,
             Function &function) {
  const std::string bytes = std::to_string(4 * ArgumentCount<Function>::value);
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
#define QUARLANE_RFC_RESOLVE(name, ...) all = Resolve(lookup, #name, library.name) && all;
  QUARLANE_RFC_FUNCTIONS(QUARLANE_RFC_RESOLVE)
#undef QUARLANE_RFC_RESOLVE
  // Optional: a library without them is used as before.
#define QUARLANE_RFC_RESOLVE_OPTIONAL(name) Resolve(lookup, #name, library.name);
  QUARLANE_RFC_OPTIONAL_FUNCTIONS(QUARLANE_RFC_RESOLVE_OPTIONAL)
#undef QUARLANE_RFC_RESOLVE_OPTIONAL
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
  return ready && loaded.QuarlaneThreadsLeftBehind != nullptr &&
         loaded.QuarlaneThreadsLeftBehind() != 0;
}

Status EnsureRfcLibrary(RfcSession &session) {
  if (session.library) return Success();
  Result<const RfcLibrary *> library = LoadRfcLibrary();
  if (!library) return library.failure();
  session.library = *library;
  return Success();
}

} // namespace quarlane
