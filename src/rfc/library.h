// Finding and loading the RFC library beside the executable.
#ifndef QUARLANE_RFC_LIBRARY_H
#define QUARLANE_RFC_LIBRARY_H

#include <functional>
#include <string>

#include "rfc/session.h"
#include "util/result.h"

namespace quarlane {

// Full path of the library the sensor loads: its own folder followed by
// "librfc32.so" (Linux) or "librfc32.dll" (Windows).
std::string RfcLibraryPath();

// Loads the library once per process and resolves every function (the plain
// name first, then the stdcall decorations "Name@N" and "_Name@N"). Fails
// with LibraryNotLoaded (1009, the path as detail) when the file
// cannot be loaded or a function is missing.
Result<const RfcLibrary *> LoadRfcLibrary();

// Resolves the functions of an already opened library; false when one is
// missing. Used by LoadRfcLibrary; tests fill an RfcLibrary with fakes instead.
bool ResolveRfcFunctions(void *handle, RfcLibrary &library);

// The same over any lookup of exported names (nullptr: not exported).
bool ResolveRfcFunctionsWith(const std::function<void *(const char *)> &lookup,
                             RfcLibrary &library);

// Whether the loaded library (if one was loaded) left a thread inside its
// SDK at a time bound (rfc/rfc_abi.h QuarlaneThreadsLeftBehind): the process
// must then end without static destructors (platform/process.h
// EndProcessAtOnce).
bool RfcThreadsLeftBehind();

// Gives the session its library: the one already set (a test's fakes), or
// the loaded one. Every other function of the session relies on it.
Status EnsureRfcLibrary(RfcSession &session);

} // namespace quarlane

#endif
