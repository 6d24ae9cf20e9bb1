#include "nwrfc/logon.h"

#include "nwrfc/text.h"

namespace quarlane::nwrfc {

namespace {

LogonProblem Problem(bool communication, const std::string &key, const std::string &status,
                     const std::string &message) {
  return LogonProblem{communication, key, status, message};
}

void AddIfGiven(Logon &logon, const char *name, const std::string &value) {
  if (!Trim(value).empty()) logon.parameters.push_back(LogonParameter{name, Trim(value)});
}

// The credentials of both ways in: client, user, password, language.
void AddCredentials(Logon &logon, const std::string &client, const std::string &user,
                    const std::string &password, const std::string &language) {
  AddIfGiven(logon, "client", client);
  AddIfGiven(logon, "user", TrimRight(user));
  // The password keeps leading blanks; the trailing ones are the caller's filling.
  const std::string passwd = TrimRight(password);
  if (!passwd.empty()) logon.parameters.push_back(LogonParameter{"passwd", passwd});
  AddIfGiven(logon, "lang", language);
}

bool TwoDigitSystemNumber(const std::string &text, std::string *sysnr) {
  const std::string digits = Trim(text);
  if (digits.empty() || digits.size() > 2) return false;
  for (const char c : digits)
    if (c < '0' || c > '9') return false;
  *sysnr = digits.size() == 1 ? "0" + digits : digits;
  return true;
}

} // namespace

std::string Logon::Value(const std::string &name) const {
  for (const LogonParameter &parameter : parameters)
    if (parameter.name == name) return parameter.value;
  return std::string();
}

bool LogonFromHostRecord(const HostRecord &record, Logon *logon, LogonProblem *problem) {
  Logon result;
  result.destination = Trim(record.destination);
  if (!record.hostname || Trim(*record.hostname).empty()) {
    *problem = Problem(false, "RFC_ERROR_PROGRAM",
                       "RfcOpen " + result.destination + ": no application server given",
                       "no application server host given for " + result.destination +
                           " (the NetWeaver RFC SDK needs ASHOST)");
    return false;
  }
  if (record.sysnr < 0 || record.sysnr > 99) {
    *problem =
        Problem(false, "RFC_ERROR_PROGRAM",
                "RfcOpen " + result.destination + ": system number " + std::to_string(record.sysnr),
                "system number " + std::to_string(record.sysnr) + " is not 00 to 99");
    return false;
  }
  AddCredentials(result, record.client, record.user, record.password, record.language);
  AddIfGiven(result, "ashost", *record.hostname);
  const std::string sysnr = (record.sysnr < 10 ? "0" : "") + std::to_string(record.sysnr);
  result.parameters.push_back(LogonParameter{"sysnr", sysnr});
  if (record.gateway_host) AddIfGiven(result, "gwhost", *record.gateway_host);
  if (record.gateway_service) AddIfGiven(result, "gwserv", *record.gateway_service);
  *logon = result;
  return true;
}

LogonProblem GatewayRecordProblem(const std::string &destination) {
  return Problem(
      false, "RFC_ERROR_PROGRAM",
      "RfcOpen " + Trim(destination) + ": R/2 addressing (gateway record)",
      "R/2 systems cannot be reached through the SAP NetWeaver RFC SDK: " + Trim(destination) +
          " uses the gateway record (R/2); use the host record (R/3) with an application server");
}

bool LogonFromConnectString(const std::string &connect_string,
                            const std::optional<std::string> &destination_file, Logon *logon,
                            LogonProblem *problem) {
  const std::map<std::string, std::string> words = SplitConnectString(connect_string);
  const auto word = [&](const char *key) {
    const auto found = words.find(key);
    return found == words.end() ? std::string() : found->second;
  };
  Logon result;
  result.destination = word("DEST");
  if (result.destination.empty()) {
    *problem = Problem(false, "RFC_ERROR_PROGRAM", "RfcOpenEx: no DEST= in the connect string",
                       "the connect string names no destination (DEST=)");
    return false;
  }
  if (!destination_file) {
    *problem =
        Problem(true, "RFC_ERROR_COMMUNICATION", "CONNECT to " + result.destination + " failed",
                std::string("destination file ") + kDestinationFileName + " not found");
    return false;
  }
  const std::vector<DestinationEntry> entries = ParseDestinationFile(*destination_file);
  const DestinationEntry *entry = rfcshared::FindDestinationEntry(entries, result.destination);
  if (entry == nullptr) {
    *problem =
        Problem(true, "RFC_ERROR_COMMUNICATION", "CONNECT to " + result.destination + " failed",
                "destination " + result.destination + " not defined in " + kDestinationFileName);
    return false;
  }
  AddCredentials(result, word("CLIENT"), word("USER"), word("PASSWD"), word("LANG"));
  const std::string type = Upper(Trim(entry->Value("TYPE")));
  const std::string where = "DEST=" + result.destination + " in " + kDestinationFileName;
  if (type == "A") {
    std::string sysnr;
    if (Trim(entry->Value("ASHOST")).empty() ||
        !TwoDigitSystemNumber(entry->Value("SYSNR"), &sysnr)) {
      *problem = Problem(false, "RFC_ERROR_PROGRAM",
                         "RfcOpenEx " + result.destination + ": incomplete TYPE=A entry",
                         where + " (TYPE=A) needs ASHOST= and SYSNR= (00 to 99)");
      return false;
    }
    AddIfGiven(result, "ashost", entry->Value("ASHOST"));
    result.parameters.push_back(LogonParameter{"sysnr", sysnr});
    AddIfGiven(result, "gwhost", entry->Value("GWHOST"));
    AddIfGiven(result, "gwserv", entry->Value("GWSERV"));
  } else if (type == "B") {
    if (Trim(entry->Value("MSHOST")).empty() || Trim(entry->Value("R3NAME")).empty()) {
      *problem = Problem(false, "RFC_ERROR_PROGRAM",
                         "RfcOpenEx " + result.destination + ": incomplete TYPE=B entry",
                         where + " (TYPE=B, logon group) needs MSHOST= and R3NAME=");
      return false;
    }
    AddIfGiven(result, "mshost", entry->Value("MSHOST"));
    AddIfGiven(result, "msserv", entry->Value("MSSERV"));
    AddIfGiven(result, "sysid", entry->Value("R3NAME"));
    AddIfGiven(result, "group", entry->Value("GROUP"));
  } else {
    *problem = Problem(false, "RFC_ERROR_PROGRAM",
                       "RfcOpenEx " + result.destination +
                           ": TYPE=" + OneLine(entry->Value("TYPE")) + " not supported",
                       where + " has TYPE=" + OneLine(entry->Value("TYPE")) +
                           "; the NetWeaver RFC bridge reaches TYPE=A (application server) and "
                           "TYPE=B (logon group)"
                           " destinations only");
    return false;
  }
  *logon = result;
  return true;
}

void AddConnectionSettings(const std::vector<ConnectionSetting> &settings, Logon *logon) {
  for (const ConnectionSetting &setting : settings) {
    std::string name = setting.name;
    for (char &c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    bool replaced = false;
    for (LogonParameter &parameter : logon->parameters) {
      if (parameter.name != name) continue;
      parameter.value = setting.value;
      replaced = true;
    }
    if (!replaced) logon->parameters.push_back(LogonParameter{name, setting.value});
  }
}

} // namespace quarlane::nwrfc
