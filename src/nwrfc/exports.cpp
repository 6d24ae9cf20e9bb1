// The exported C functions of the bridge's librfc32: each forwards to the
// bridge of this process (nwrfc/library.h). The same twelve functions and
// contract as every librfc32 (rfc/rfc_abi.h).
#include "nwrfc/in_process.h"
#include "nwrfc/library.h"
#include "rfc/rfc_abi.h"

#if defined(_WIN32)
#define NWRFC_EXPORT extern "C" __declspec(dllexport)
#else
#define NWRFC_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using quarlane::nwrfc::ProcessLibrary;

NWRFC_EXPORT void RFC_CALL RfcEnvironment(RFC_ENV *env) { quarlane::nwrfc::Environment(ProcessLibrary(), env); }

NWRFC_EXPORT RFC_HANDLE RFC_CALL RfcOpen(RFC_OPTIONS *options) {
  return quarlane::nwrfc::Open(ProcessLibrary(), options);
}

NWRFC_EXPORT RFC_HANDLE RFC_CALL RfcOpenEx(char *connect_string, RFC_ERROR_INFO_EX *error_info) {
  return quarlane::nwrfc::OpenEx(ProcessLibrary(), connect_string, error_info);
}

NWRFC_EXPORT void RFC_CALL RfcClose(RFC_HANDLE handle) { quarlane::nwrfc::Close(ProcessLibrary(), handle); }

NWRFC_EXPORT int RFC_CALL RfcInstallStructure(char *name, RFC_TYPE_ELEMENT *elements, unsigned entries,
                                              RFC_TYPEHANDLE *type_handle) {
  return quarlane::nwrfc::InstallStructure(ProcessLibrary(), name, elements, entries, type_handle);
}

NWRFC_EXPORT RFC_RC RFC_CALL RfcCall(RFC_HANDLE handle, char *function, RFC_PARAMETER *exporting,
                                     RFC_TABLE *tables) {
  return quarlane::nwrfc::Call(ProcessLibrary(), handle, function, exporting, tables);
}

NWRFC_EXPORT RFC_RC RFC_CALL RfcReceive(RFC_HANDLE handle, RFC_PARAMETER *importing, RFC_TABLE *tables,
                                        char **exception) {
  return quarlane::nwrfc::Receive(ProcessLibrary(), handle, importing, tables, exception);
}

NWRFC_EXPORT int RFC_CALL RfcLastError(RFC_ERROR_INFO *info) {
  return quarlane::nwrfc::LastError(ProcessLibrary(), info);
}

NWRFC_EXPORT ITAB_H RFC_CALL ItCreate(char *name, unsigned leng, unsigned occu, unsigned memo) {
  return quarlane::nwrfc::ItCreate(ProcessLibrary(), name, leng, occu, memo);
}

NWRFC_EXPORT unsigned RFC_CALL ItFill(ITAB_H table) { return quarlane::nwrfc::ItFill(ProcessLibrary(), table); }

NWRFC_EXPORT void *RFC_CALL ItGetLine(ITAB_H table, unsigned line) {
  return quarlane::nwrfc::ItGetLine(ProcessLibrary(), table, line);
}

NWRFC_EXPORT int RFC_CALL ItDelete(ITAB_H table) { return quarlane::nwrfc::ItDelete(ProcessLibrary(), table); }

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
