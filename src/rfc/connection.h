// Logging on to one SAP system.
#ifndef QUARLANE_RFC_CONNECTION_H
#define QUARLANE_RFC_CONNECTION_H

#include "sensor/run_context.h"

namespace quarlane {

// Opens the connection from run.conn (working copies, padding, host or gateway
// record, or a connect string through "SapRfc.<destination>" copied to
// "SapRfc.ini"); returns the handle, 0 when no connection was made. Does not
// store the handle in run.rfc.
RFC_HANDLE OpenRfcConnection(Run &run);

// Closes run.rfc.handle when one is open and forgets it.
void CloseRfcConnection(Run &run);

} // namespace quarlane

#endif
