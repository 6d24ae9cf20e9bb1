// Loading the NetWeaver RFC SDK at run time: from the bridge's own folder
// first, then the system's search path; every function the bridge uses is
// resolved by name, so a missing one is a clear failure, never a crash.
// A few functions are optional (an older SDK may lack them); the bridge then
// does what SAP's bindings do without them (docs/nwrfc.md "Older SDKs").
//
// This table is the one place the bridge calls the SDK through.
#ifndef QUARLANE_NWRFC_SDK_H
#define QUARLANE_NWRFC_SDK_H

#include <string>

#include "nwrfc/sapnwrfc_api.h"

namespace quarlane::nwrfc {

extern const char kSdkFileName[];     // "libsapnwrfc.so" / "sapnwrfc.dll"
extern const char kReadmeReference[]; // where the README explains the installation

struct Sdk {
  std::string path; // the file that was loaded
  sapnwrfc::RfcOpenConnection_fn RfcOpenConnection = nullptr;
  sapnwrfc::RfcCloseConnection_fn RfcCloseConnection = nullptr;
  sapnwrfc::RfcCancel_fn RfcCancel =
      nullptr; // optional: without it a call is left behind at the bound
  sapnwrfc::RfcGetFunctionDesc_fn RfcGetFunctionDesc = nullptr;
  sapnwrfc::RfcGetParameterCount_fn RfcGetParameterCount = nullptr;
  sapnwrfc::RfcGetParameterDescByIndex_fn RfcGetParameterDescByIndex = nullptr;
  sapnwrfc::RfcGetFieldCount_fn RfcGetFieldCount = nullptr;
  sapnwrfc::RfcGetFieldDescByIndex_fn RfcGetFieldDescByIndex = nullptr;
  sapnwrfc::RfcCreateFunction_fn RfcCreateFunction = nullptr;
  sapnwrfc::RfcDestroyFunction_fn RfcDestroyFunction = nullptr;
  sapnwrfc::RfcInvoke_fn RfcInvoke = nullptr;
  sapnwrfc::RfcSetString_fn RfcSetString = nullptr;
  sapnwrfc::RfcSetInt_fn RfcSetInt = nullptr;
  sapnwrfc::RfcGetString_fn RfcGetString = nullptr;
  sapnwrfc::RfcGetBytes_fn RfcGetBytes = nullptr;
  sapnwrfc::RfcGetInt_fn RfcGetInt = nullptr;
  sapnwrfc::RfcGetInt1_fn RfcGetInt1 = nullptr;
  sapnwrfc::RfcGetInt2_fn RfcGetInt2 = nullptr;
  sapnwrfc::RfcGetDate_fn RfcGetDate = nullptr;
  sapnwrfc::RfcGetFloat_fn RfcGetFloat = nullptr;
  sapnwrfc::RfcGetInt8_fn RfcGetInt8 = nullptr; // optional: RfcGetString instead
  sapnwrfc::RfcSetInt1_fn RfcSetInt1 = nullptr; // optional: RfcSetInt instead
  sapnwrfc::RfcSetInt2_fn RfcSetInt2 = nullptr; // optional: RfcSetInt instead
  sapnwrfc::RfcGetStructure_fn RfcGetStructure = nullptr;
  sapnwrfc::RfcGetTable_fn RfcGetTable = nullptr;
  sapnwrfc::RfcGetRowCount_fn RfcGetRowCount = nullptr;
  sapnwrfc::RfcMoveTo_fn RfcMoveTo = nullptr;
  sapnwrfc::RfcLoadCryptoLibrary_fn RfcLoadCryptoLibrary = nullptr; // optional, not called yet
  // The optional functions this SDK lacks, by name ("RfcCancel, RfcGetInt8"),
  // empty when it has them all: for the trace and the check tool.
  std::string missing_optional;
};

// The optional functions, in the order missing_optional names them.
extern const char *const kOptionalSdkFunctions[5];

// The SDK of this process, loaded at the first need and kept; NULL with
// *error set (naming the file, the folders tried and the README section)
// when it cannot be loaded or lacks a function. A failed load is tried
// again at the next need.
const Sdk *LoadSdk(std::string *error);

// The SDK already loaded, or NULL; never loads it.
const Sdk *LoadedSdk();

// What an SDK without some optional functions does instead, for the trace
// and the check tool: "lacks RfcCancel, RfcGetInt8 (an older SDK): ...";
// empty when it has them all.
std::string MissingFunctionsText(const Sdk &sdk);

// A layer over the SDK's functions (the check tool's capture, capture.h):
// called once with the loaded table, whose entries it may replace by its
// own that call the SDK's. Applied at once when the SDK is loaded already,
// otherwise at the load. One layer per process.
void SetSdkLayer(void (*layer)(Sdk &sdk));

// The folder of the bridge library itself (with a trailing separator), or
// empty when it cannot be found.
std::string BridgeFolder();

} // namespace quarlane::nwrfc

#endif
