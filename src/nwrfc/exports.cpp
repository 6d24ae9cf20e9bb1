// The exported C functions of the bridge's librfc32: each forwards to the
// bridge of this process (nwrfc/library.h). The same twelve functions and
// contract as every librfc32 (rfc/rfc_abi.h).
#include "nwrfc/in_process.h"
#include "nwrfc/library.h"
#include "rfc/rfc_abi.h"

namespace process_library = quarlane::nwrfc;
#include "rfcshared/exports.inc"

void quarlane::nwrfc::FillInProcessLibrary(RfcLibrary &library) {
  library.path = "(linked into the program)";
  library.RfcEnvironment = &::RfcEnvironment;
  library.RfcOpen = &::RfcOpen;
  library.RfcOpenEx = &::RfcOpenEx;
  library.RfcClose = &::RfcClose;
  library.RfcInstallStructure = &::RfcInstallStructure;
  library.RfcCall = &::RfcCall;
  library.RfcReceive = &::RfcReceive;
  library.RfcLastError = &::RfcLastError;
  library.ItCreate = &::ItCreate;
  library.ItFill = &::ItFill;
  library.ItGetLine = &::ItGetLine;
  library.ItDelete = &::ItDelete;
}
