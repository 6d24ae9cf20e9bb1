// The exported C functions of librfc32: each forwards to the simulated
// library of this process (rfcsim/library.h).
#include "rfc/rfc_abi.h"
#include "rfcsim/library.h"

#if defined(_WIN32)
#define RFCSIM_EXPORT extern "C" __declspec(dllexport)
#else
#define RFCSIM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using quarlane::rfcsim::ProcessLibrary;

RFCSIM_EXPORT void RFC_CALL RfcEnvironment(RFC_ENV *env) { quarlane::rfcsim::Environment(ProcessLibrary(), env); }

RFCSIM_EXPORT RFC_HANDLE RFC_CALL RfcOpen(RFC_OPTIONS *options) {
  return quarlane::rfcsim::Open(ProcessLibrary(), options);
}

RFCSIM_EXPORT RFC_HANDLE RFC_CALL RfcOpenEx(char *connect_string, RFC_ERROR_INFO_EX *error_info) {
  return quarlane::rfcsim::OpenEx(ProcessLibrary(), connect_string, error_info);
}

RFCSIM_EXPORT void RFC_CALL RfcClose(RFC_HANDLE handle) { quarlane::rfcsim::Close(ProcessLibrary(), handle); }

RFCSIM_EXPORT int RFC_CALL RfcInstallStructure(char *name, RFC_TYPE_ELEMENT *elements, unsigned entries,
                                               RFC_TYPEHANDLE *type_handle) {
  return quarlane::rfcsim::InstallStructure(ProcessLibrary(), name, elements, entries, type_handle);
}

RFCSIM_EXPORT RFC_RC RFC_CALL RfcCall(RFC_HANDLE handle, char *function, RFC_PARAMETER *exporting,
                                      RFC_TABLE *tables) {
  return quarlane::rfcsim::Call(ProcessLibrary(), handle, function, exporting, tables);
}

RFCSIM_EXPORT RFC_RC RFC_CALL RfcReceive(RFC_HANDLE handle, RFC_PARAMETER *importing, RFC_TABLE *tables,
                                         char **exception) {
  return quarlane::rfcsim::Receive(ProcessLibrary(), handle, importing, tables, exception);
}

RFCSIM_EXPORT int RFC_CALL RfcLastError(RFC_ERROR_INFO *info) {
  return quarlane::rfcsim::LastError(ProcessLibrary(), info);
}

RFCSIM_EXPORT ITAB_H RFC_CALL ItCreate(char *name, unsigned leng, unsigned occu, unsigned memo) {
  return quarlane::rfcsim::ItCreate(ProcessLibrary(), name, leng, occu, memo);
}

RFCSIM_EXPORT unsigned RFC_CALL ItFill(ITAB_H table) { return quarlane::rfcsim::ItFill(ProcessLibrary(), table); }

RFCSIM_EXPORT void *RFC_CALL ItGetLine(ITAB_H table, unsigned line) {
  return quarlane::rfcsim::ItGetLine(ProcessLibrary(), table, line);
}

RFCSIM_EXPORT int RFC_CALL ItDelete(ITAB_H table) { return quarlane::rfcsim::ItDelete(ProcessLibrary(), table); }
