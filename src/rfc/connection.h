// Logging on to one SAP system.
#ifndef QUARLANE_RFC_CONNECTION_H
#define QUARLANE_RFC_CONNECTION_H

#include <cstdio>
#include <optional>
#include <string>

#include "rfc/log_hook.h"
#include "rfc/session.h"

namespace quarlane {

// The eleven texts of a system profile.
struct ConnectionParameters {
  std::string extcompany, destination, client, user, password, language, mode, hostname, sysnr,
      gwhost, gwservice;
};

// ",HOST=" and ",NO=" in the parameters: the host name and system number
// used instead of the profile's.
struct LogonOverrides {
  std::optional<std::string> hostname;
  std::optional<std::string> sysnr;
};

// Opens the connection (working copies, padding, host or gateway record, or
// a connect string through "SapRfc.<destination>" copied to "SapRfc.ini",
// which is announced on out); returns the handle, 0 when no connection was
// made. The session's library is loaded already; the caller stores the
// handle in the session.
RFC_HANDLE OpenRfcConnection(RfcSession &session, const ConnectionParameters &profile,
                             const LogonOverrides &overrides, StepLog &log, std::FILE *out);

// Closes the session's open connection, if any, and forgets it.
void CloseRfcConnection(RfcSession &session);

} // namespace quarlane

#endif
