// The destination file "SapRfc.ini" in the library's folder, that RfcOpenEx's
// DEST= word is looked up in. The file is read as the NetWeaver RFC bridge
// reads it (rfcshared/destinations.h).
#ifndef QUARLANE_RFCSIM_DESTINATIONS_H
#define QUARLANE_RFCSIM_DESTINATIONS_H

#include <string>

#include "rfcshared/destinations.h"

namespace quarlane::rfcsim {

using rfcshared::DestinationEntry;
using rfcshared::kDestinationFileName;
using rfcshared::SplitConnectString;

// Reads "SapRfc.ini" in `folder` and finds `dest` (case ignored). False with
// *error set when the file is missing or does not name it.
bool FindDestination(const std::string &folder, const std::string &dest, DestinationEntry *entry,
                     std::string *error);

} // namespace quarlane::rfcsim

#endif
