#include "rfcsim/library.h"

#include <fstream>
#include <sstream>

#include "rfcsim/call_log.h"
#include "rfcsim/text.h"
#include "rfcshared/last_error.h"

namespace quarlane::rfcsim {

namespace {

bool IsAbsolute(const std::string &path) {
  if (path.empty()) return false;
  if (path[0] == '/' || path[0] == '\\') return true;
  return path.size() >= 2 && path[1] == ':';
}

// How the simulator signs its trace.
const rfcshared::TraceSignature &SimulatorTrace() {
  // Never destroyed, like the library: a caller may end the process from
  // inside its error handler and still meet a failure on the way out.
  static const rfcshared::TraceSignature *const signature = new rfcshared::TraceSignature{
      TimeStampText, "librfc32 simulator: no real SAP system",
      std::string("librfc32, the simulated RFC library (landscape file ") + kLandscapeFileName +
          ")"};
  return *signature;
}

} // namespace

Library &ProcessLibrary() {
  static Library *const library = new Library();
  return *library;
}

const Landscape &CurrentLandscape(Library &library) {
  if (!library.landscape_loaded) return ReloadLandscape(library);
  return library.landscape;
}

const Landscape &ReloadLandscape(Library &library) {
  // Every open reads the file anew, but an item run opens one system after
  // another: the parse is only redone when the text has changed.
  const std::string path = InFolder(library.folder, kLandscapeFileName);
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    library.landscape = LoadLandscape(library.folder);
    library.landscape_text.clear();
  } else {
    std::ostringstream content;
    content << file.rdbuf();
    std::string text = content.str();
    if (!library.landscape_loaded || !library.landscape.found || text != library.landscape_text) {
      library.landscape = ParseLandscape(text, kLandscapeFileName);
      library.landscape.path = path;
      library.landscape_text = std::move(text);
    }
  }
  library.landscape_loaded = true;
  return library.landscape;
}

void LogCall(Library &library, const std::string &line) {
  const std::string &name = CurrentLandscape(library).call_log;
  if (name.empty()) return;
  AppendCallLog(IsAbsolute(name) ? name : InFolder(library.folder, name), line);
}

void RecordFailure(Library &library, const ErrorEntry &entry) {
  library.has_error = true;
  library.last_error = entry;
  rfcshared::AppendErrorBlock(InFolder(library.folder, kTraceFileName), entry, SimulatorTrace(),
                              library.clock());
}

void CallHandler(const Library &library, const std::string &operation) {
  const RFC_ERROR_HANDLER handler = library.handler;
  if (handler == nullptr) return;
  // The handler gets its own copy: it may re-enter the library or never return.
  std::string text = operation;
  handler(text.data());
}

void RecordInternalFailure(Library &library, const char *operation) noexcept {
  try {
    RecordFailure(library, rfcshared::MemoryExhaustedEntry(operation, "the librfc32 simulator"));
  } catch (...) {
    library.has_error = true;
  }
}

const std::vector<Fault> &FaultsWithoutConnection(Library &library) {
  if (library.opened_any) return library.recent_faults;
  return CurrentLandscape(library).faults;
}

void Environment(Library &library, RFC_ENV *env) {
  library.handler = env == nullptr ? nullptr : env->errorhandler;
  LogCall(library, std::string("RfcEnvironment") +
                       (env == nullptr ? " env=(null)"
                                       : std::string(" errorhandler=") +
                                             (env->errorhandler ? "set" : "(null)") +
                                             " allocate=" + (env->allocate ? "set" : "(null)")));
}

void Close(Library &library, RFC_HANDLE handle) {
  bool known = true;
  if (handle == 0) {
    library.connections.clear();
  } else {
    known = library.connections.erase(handle) > 0;
  }
  LogCall(library, "RfcClose handle=" + std::to_string(handle) + (known ? "" : " (not open)"));
}

int LastError(Library &library, RFC_ERROR_INFO *info) {
  LogCall(library, std::string("RfcLastError -> ") + (library.has_error ? "0" : "1 (no error)"));
  return rfcshared::FillErrorInfo(library.has_error, library.last_error, info);
}

} // namespace quarlane::rfcsim
