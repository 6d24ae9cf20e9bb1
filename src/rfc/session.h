// The loaded RFC library and what the run holds of it.
#ifndef QUARLANE_RFC_SESSION_H
#define QUARLANE_RFC_SESSION_H

#include <string>

#include "rfc/rfc_abi.h"

namespace quarlane {

// The library's functions, resolved by name.
struct RfcLibrary {
  std::string path; // the full path that was loaded (Windows form on Windows)
  RfcEnvironment_fn RfcEnvironment = nullptr;
  RfcOpen_fn RfcOpen = nullptr;
  RfcOpenEx_fn RfcOpenEx = nullptr;
  RfcClose_fn RfcClose = nullptr;
  RfcInstallStructure_fn RfcInstallStructure = nullptr;
  RfcCall_fn RfcCall = nullptr;
  RfcReceive_fn RfcReceive = nullptr;
  RfcLastError_fn RfcLastError = nullptr;
  ItCreate_fn ItCreate = nullptr;
  ItFill_fn ItFill = nullptr;
  ItGetLine_fn ItGetLine = nullptr;
  ItDelete_fn ItDelete = nullptr;
  // Optional (rfc/rfc_abi.h): NULL when the library does not export them.
  QuarlaneDestinationFile_fn QuarlaneDestinationFile = nullptr;
  QuarlaneThreadsLeftBehind_fn QuarlaneThreadsLeftBehind = nullptr;
};

struct RfcSession {
  const RfcLibrary *library = nullptr; // loaded on first need
  RFC_HANDLE handle = 0;               // the open connection, 0 = none
  // Structures are installed once per process and reused by every system.
  RFC_TYPEHANDLE cpu_all_type = 0;
  RFC_TYPEHANDLE rfcsi_type = 0;
  RFC_TYPEHANDLE sapwlsumry_type = 0;
};

} // namespace quarlane

#endif
