// The state of the simulated RFC library and its operations, one per
// exported function. exports.cpp forwards each C function to these with the
// process's one Library; tests make their own, bound to a folder of their own.
//
// The library is not thread-safe (callers of this interface use it from one
// thread), and it may be re-entered: the caller's error handler typically
// asks for RfcLastError and closes all connections before it ends the
// process. So the handler is always called last, with nothing held.
#ifndef QUARLANE_RFCSIM_LIBRARY_H
#define QUARLANE_RFCSIM_LIBRARY_H

#include <map>
#include <string>
#include <vector>

#include "rfc/rfc_abi.h"
#include "rfcsim/faults.h"
#include "rfcsim/function_modules.h"
#include "rfcsim/internal_tables.h"
#include "rfcsim/landscape.h"
#include "rfcsim/sim_time.h"
#include "rfcshared/trace.h"

namespace quarlane::rfcsim {

// A failure, as RfcLastError reports it and the trace "Dev_Rfc.Trc" in the
// library's folder shows it (rfcshared/trace.h).
using rfcshared::ErrorEntry;
using rfcshared::kTraceFileName;

struct Connection {
  SapSystem system;          // what the connection was opened to
  std::vector<Fault> faults; // the landscape's global faults, then the system's
  bool call_pending = false; // RfcCall done, RfcReceive not yet
  std::string function;
  SentValues exporting;
};

struct InstalledStructure {
  RFC_TYPEHANDLE handle = 0;
  std::string name;
  unsigned entries = 0;
  unsigned length = 0; // the row length its elements lay out to
};

struct Library {
  std::string folder; // where the files are; empty: the working folder
  Clock clock = SystemClock;
  bool landscape_loaded = false;
  Landscape landscape;
  std::string landscape_text; // the file as last parsed
  RFC_ERROR_HANDLER handler = nullptr;
  std::map<RFC_HANDLE, Connection> connections;
  RFC_HANDLE next_handle = 1;
  std::vector<InstalledStructure> structures;
  TableRegistry tables;
  bool opened_any = false;
  std::vector<Fault> recent_faults; // of the connection most recently opened: for It* and installs
  bool has_error = false;
  ErrorEntry last_error;
  std::string exception; // what RfcReceive's *exception points to
};

// The library of this process; never destroyed, so that a caller ending the
// process from inside the error handler finds it intact.
Library &ProcessLibrary();

#include "rfcshared/operations.inc"

// Shared by the operations (library.cpp).
const Landscape &CurrentLandscape(Library &library); // loaded at first need
const Landscape &ReloadLandscape(Library &library);  // read anew: every open does
void LogCall(Library &library, const std::string &line);
// Makes entry the last error and appends its block to the trace.
void RecordFailure(Library &library, const ErrorEntry &entry);
// Calls the registered handler, if any, with the operation text. Call it last.
void CallHandler(const Library &library, const std::string &operation);
// Records that an operation met an exception of its own (out of memory);
// the operation then returns its failure value: none may cross the C boundary.
void RecordInternalFailure(Library &library, const char *operation) noexcept;
// The faults for an operation without a connection: global and most recent system's.
const std::vector<Fault> &FaultsWithoutConnection(Library &library);

} // namespace quarlane::rfcsim

#endif
