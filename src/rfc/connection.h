// Logging on to one SAP system.
#ifndef QUARLANE_RFC_CONNECTION_H
#define QUARLANE_RFC_CONNECTION_H

#include <chrono>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/files.h"
#include "rfc/log_hook.h"
#include "rfc/session.h"
#include "util/result.h"

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

// The destination's own file "SapRfc.<destination>", when it opens: the
// logon then goes through it (the run announces that with
// DestinationFileLine); nullopt: through the profile's fields. It is read
// only as a regular file with one name, never through a symbolic or hard
// link (ReadOneNameFile), and its permission bits go with its bytes: the
// copy "SapRfc.ini" is made no more readable than the file.
using DestinationFile = FileWithPermissions;
std::optional<DestinationFile> ReadDestinationFile(const FileSystem &files,
                                                   const ConnectionParameters &profile);

// True when the destination can stand in the connect string as one word
// ("DEST=<destination>"): no blank or other white space before its last
// character (trailing blanks end the word harmlessly), no "=" and no quote.
// Otherwise it could add a word of its own ("PRD USER=DDIC"). A profile
// whose destination fails this fails its checks (Error 1003), and a logon
// through a destination file with it is refused (a failed open).
bool DestinationIsOneWord(const std::string &destination);

// "* SapRfc.Ini.......: <destination><", the line that announces a logon
// through the destination's own file.
std::string DestinationFileLine(const ConnectionParameters &profile);

// Opens the connection: without a destination file, with working copies,
// padding and a host or gateway record; with one, by a connect string, the
// file copied to "SapRfc.ini" first. Returns the handle; fails with
// OpenFailed (1011) when no connection was made. The session's library is
// loaded already; the caller stores the handle in the session. "SapRfc.ini"
// is written under its exclusive lock, shared by every run in the working
// folder (a lock not had within destination_lock_wait is a failed open);
// RfcOpenEx then reads the destination's own file, named by RFC_INI, outside
// the lock.
Result<RFC_HANDLE>
OpenRfcConnection(RfcSession &session, const ConnectionParameters &profile,
                  const std::optional<DestinationFile> &destination_file,
                  const LogonOverrides &overrides, StepLog &log,
                  std::chrono::milliseconds destination_lock_wait = kDestinationLockWait);

// Closes the session's open connection, if any, and forgets it.
void CloseRfcConnection(RfcSession &session);

} // namespace quarlane

#endif
