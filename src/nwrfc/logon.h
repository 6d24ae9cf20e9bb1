// From the classic logon (RfcOpen's records, RfcOpenEx's connect string and
// "SapRfc.ini") to the SDK's connection parameters (name/value pairs).
#ifndef QUARLANE_NWRFC_LOGON_H
#define QUARLANE_NWRFC_LOGON_H

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "nwrfc/settings.h"
#include "rfcshared/destinations.h"

namespace quarlane::nwrfc {

// "SapRfc.ini", the connect string and the destination file's entries are
// read as the simulated library reads them (rfcshared/destinations.h).
using rfcshared::DestinationEntry;
using rfcshared::kDestinationFileName;
using rfcshared::ParseDestinationFile;
using rfcshared::SplitConnectString;

// One SDK connection parameter; the value in Windows-1252, as the caller
// gave it. Names as documented for RfcOpenConnection: client, user, passwd,
// lang, ashost, sysnr, gwhost, gwserv, mshost, msserv, sysid, group.
struct LogonParameter {
  std::string name;
  std::string value;
};

struct Logon {
  std::string destination; // the caller's destination name: settings and messages
  std::vector<LogonParameter> parameters;
  std::string Value(const std::string &name) const; // empty when absent
};

// Why a logon could not even be attempted.
struct LogonProblem {
  bool communication = false; // the address is unknown (else: the call itself is wrong)
  std::string key;
  std::string status;
  std::string message;
};

// The classic host record (RfcOpen, mode 0). Trailing blanks of user and
// password are dropped (callers fill them to 12 and 10 characters); the
// system number becomes two digits.
struct HostRecord {
  std::string destination, client, user, password, language;
  std::optional<std::string> hostname, gateway_host, gateway_service;
  int sysnr = 0;
};
bool LogonFromHostRecord(const HostRecord &record, Logon *logon, LogonProblem *problem);

// The message for RfcOpen's gateway record (mode 1): R/2 addressing.
LogonProblem GatewayRecordProblem(const std::string &destination);

// RfcOpenEx: the connect string's CLIENT, USER, PASSWD, LANG and DEST; the
// destination looked up in the text of "SapRfc.ini" (nullopt: no file).
// TYPE=A gives ashost/sysnr (and gwhost/gwserv), TYPE=B mshost, sysid
// (from R3NAME), group (and msserv); anything else is a problem.
bool LogonFromConnectString(const std::string &connect_string,
                            const std::optional<std::string> &destination_file, Logon *logon,
                            LogonProblem *problem);

// The connection settings of quarlane-nwrfc.ini added to a logon, names in
// lower case like the logon's own; a setting replaces a parameter of the same
// name (MSSERV beside a TYPE=B entry's).
void AddConnectionSettings(const std::vector<ConnectionSetting> &settings, Logon *logon);

} // namespace quarlane::nwrfc

#endif
