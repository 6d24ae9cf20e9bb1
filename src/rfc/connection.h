// Logging on to one SAP system.
#ifndef QUARLANE_RFC_CONNECTION_H
#define QUARLANE_RFC_CONNECTION_H

#include <chrono>
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

// How long a run waits for the lock of "SapRfc.ini" (its lock file
// "SapRfc.ini.lck" beside it) before its open fails. A holder keeps it only
// for the file's write, never over a logon; the wait stays short, so
// that a run with both waits (see kProfileLockWait) still ends well inside
// the minute PRTG gives a sensor.
constexpr std::chrono::seconds kDestinationLockWait{10};

// Opens the connection (working copies, padding, host or gateway record, or
// a connect string through "SapRfc.<destination>" copied to "SapRfc.ini",
// which is announced on out); returns the handle, 0 when no connection was
// made. The session's library is loaded already; the caller stores the
// handle in the session. "SapRfc.ini" is written under its exclusive lock,
// shared by every run in the working folder (a lock not had within
// destination_lock_wait is a failed open, 0); RfcOpenEx then reads the
// destination's own file, named by RFC_INI, outside the lock.
RFC_HANDLE OpenRfcConnection(RfcSession &session, const ConnectionParameters &profile,
                             const LogonOverrides &overrides, StepLog &log, std::FILE *out,
                             std::chrono::milliseconds destination_lock_wait = kDestinationLockWait);

// Closes the session's open connection, if any, and forgets it.
void CloseRfcConnection(RfcSession &session);

} // namespace quarlane

#endif
