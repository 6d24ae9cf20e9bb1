// The exported C functions of the bridge's librfc32: each forwards to the
// bridge of this process (nwrfc/library.h). The same twelve functions and
// contract as every librfc32 (rfc/rfc_abi.h).
#include "nwrfc/in_process.h"
#include "nwrfc/library.h"
#include "rfc/rfc_abi.h"

namespace process_library = quarlane::nwrfc;
#include "rfcshared/exports.inc"

// The bridge's own two functions beyond the classic twelve (rfc/rfc_abi.h).
#if defined(_WIN32)
#define NWRFC_EXPORT extern "C" __declspec(dllexport)
#else
#define NWRFC_EXPORT extern "C" __attribute__((visibility("default")))
#endif

NWRFC_EXPORT void RFC_CALL QuarlaneDestinationFile(const char *path) {
  try {
    quarlane::nwrfc::ProcessLibrary().destination_file = path ? path : "";
  } catch (...) {
    quarlane::nwrfc::ProcessLibrary().destination_file.clear();
  }
}

NWRFC_EXPORT int RFC_CALL QuarlaneThreadsLeftBehind(void) {
  return quarlane::nwrfc::ThreadsLeftBehind() ? 1 : 0;
}

void quarlane::nwrfc::FillInProcessLibrary(RfcLibrary &library) {
  library.path = "(linked into the program)";
#define NWRFC_IN_PROCESS(name, ...) library.name = &::name;
  QUARLANE_RFC_FUNCTIONS(NWRFC_IN_PROCESS)
#undef NWRFC_IN_PROCESS
#define NWRFC_IN_PROCESS_OPTIONAL(name) library.name = &::name;
  QUARLANE_RFC_OPTIONAL_FUNCTIONS(NWRFC_IN_PROCESS_OPTIONAL)
#undef NWRFC_IN_PROCESS_OPTIONAL
}
