// The exported C functions of librfc32: each forwards to the simulated
// library of this process (rfcsim/library.h).
#include "rfc/rfc_abi.h"
#include "rfcsim/library.h"

namespace process_library = quarlane::rfcsim;
#include "rfcshared/exports.inc"
