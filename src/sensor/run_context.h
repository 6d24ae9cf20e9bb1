// Everything one run of the sensor carries, handed explicitly to each phase.
#ifndef QUARLANE_SENSOR_RUN_CONTEXT_H
#define QUARLANE_SENSOR_RUN_CONTEXT_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "output/document.h"
#include "rfc/session.h"

namespace quarlane {

struct RunContext {
  std::string profile_name;   // file name without folder, after normalisation
  std::string profile_folder; // empty (working folder) or ending in a backslash
  std::string profile_path;   // profile_folder + profile_name
  std::string params;         // parameter string in upper case (letters a-z)
  std::string params_raw;     // the same with its letters unchanged
  bool verbose = false;
  bool item_run = false;
  std::string item_name;
  std::string server_listing; // entries each ended by "#"
  char ident_kind = '1';      // '1' profile, '2' alias, '3' host, '4' destination
  std::string start_banner;
  std::string run_status = "ERR"; // "OK" or "ERR"
  std::string program_path;       // argv[0], for the log hook
  std::string second_argument;    // the first parameter word as given (Error 1030)
};

// The eleven texts of a system profile.
struct ConnectionParameters {
  std::string Extcompany, Destination, Client, User, Password, Language, Mode, Hostname, Sysnr,
      Gwhost, Gwservice;
};

// What the SAP system told us about itself.
struct SapSystem {
  std::string SystemDate = "20000101"; // YYYYMMDD
  std::string SystemTime = "16:20:21"; // hh:mm:ss
  std::string SystemHost;              // profile Hostname until RFC_SYSTEM_INFO answers
  std::string InstanceName;
  std::string SapRelease;
};

// Per-system state of an item run.
struct ItemRunState {
  char found_flag = '.';         // 'X' once the system's channel was emitted
  char profile_check_flag = '.'; // 'X' once the profile or the logon failed
  std::string system_label;
  std::uint32_t no_systems = 0, processed = 0, failed = 0;
};

struct Run {
  RunContext ctx;
  OutputDocument doc;
  ConnectionParameters conn;
  SapSystem sap;
  std::vector<std::string> profile_lines; // the sensor profile's lines, without line ends
  ItemRunState item;
  RfcSession rfc;
  std::FILE *out = stdout; // the document, verbose lines and the RFC error block
  std::FILE *log = nullptr; // ",SYSLOG": "Quarlane.Log", opened on first use
};

// A fatal error: the run ends through the error document with exit status 2.
struct RunFailure {
  std::string text;
};

inline ChannelOptions ChannelOptionsOf(const RunContext &ctx) {
  return ChannelOptions{ctx.params, ctx.params_raw};
}

} // namespace quarlane

#endif
