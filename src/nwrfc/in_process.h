// The bridge's twelve functions for a program that links the bridge itself
// (the first-contact check) rather than loading librfc32: the same exported
// functions, so the program runs the sensor's own calls through them.
#ifndef QUARLANE_NWRFC_IN_PROCESS_H
#define QUARLANE_NWRFC_IN_PROCESS_H

#include "rfc/session.h"

namespace quarlane::nwrfc {

// Fills every function of `library` with the bridge's own (exports.cpp).
void FillInProcessLibrary(RfcLibrary &library);

} // namespace quarlane::nwrfc

#endif
