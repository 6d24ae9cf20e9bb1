// The loaded RFC library and what the run holds of it.
#ifndef QUARLANE_RFC_SESSION_H
#define QUARLANE_RFC_SESSION_H

#include <string>

#include "rfc/rfc_abi.h"

namespace quarlane {

// The library's functions, resolved by name.
struct RfcLibrary {
  std::string path; // the full path that was loaded (Windows form on Windows)
#define QUARLANE_RFC_MEMBER(name, ...) name##_fn name = nullptr;
  QUARLANE_RFC_FUNCTIONS(QUARLANE_RFC_MEMBER)
  // Optional (rfc/rfc_abi.h): NULL when the library does not export them.
  QUARLANE_RFC_OPTIONAL_FUNCTIONS(QUARLANE_RFC_MEMBER)
#undef QUARLANE_RFC_MEMBER
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
