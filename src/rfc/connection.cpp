#include "rfc/connection.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "platform/files.h"
#include "platform/lock_file.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "util/text.h"

namespace quarlane {
namespace {

void PadRight(std::string &text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
}

// The system number as the C library converts it, held at the limits of int.
int SystemNumber(const std::string &text) {
  const LeadingNumber number = ReadLeadingNumber(text);
  constexpr std::uint64_t kBeyondInt = static_cast<std::uint64_t>(INT_MAX) + 1;
  const std::uint64_t magnitude =
      number.beyond_64_bits || number.magnitude > kBeyondInt ? kBeyondInt : number.magnitude;
  if (number.negative) return static_cast<int>(-static_cast<long long>(magnitude));
  return magnitude > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(magnitude);
}

// The library wants no empty texts for the addressing fields: an empty one is
// passed as null.
char *TextOrNull(std::string &text) { return text.empty() ? nullptr : text.data(); }

// A per-destination file "SapRfc.<destination>" becomes the working folder's
// "SapRfc.ini", as it always has. Every run on this folder shares that file,
// so its write is guarded by a lock (a lock not had in time is a failed
// open). The library is pointed at the destination's own file: so the logon
// runs outside the lock, and a slow or unreachable system never makes
// another destination's run wait or fail. The NetWeaver RFC bridge is told
// the file directly (QuarlaneDestinationFile): the environment is never
// changed while its threads may be inside the SDK, which reads it. Any other
// library gets RFC_INI, which SAP's RFC libraries read in place of
// "SapRfc.ini"; they run no threads of their own.
RFC_HANDLE OpenThroughDestinationFile(const RfcLibrary &library,
                                      const ConnectionParameters &profile,
                                      const DestinationFile &destination_file, StepLog &log,
                                      std::chrono::milliseconds destination_lock_wait) {
  if (!DestinationIsOneWord(profile.destination)) return 0;
  {
    const FileLock destination_lock =
        LockExclusivelyBesideName("SapRfc.ini", destination_lock_wait);
    if (!destination_lock) return 0;
    // No more readable than the destination's file: its content may be
    // meant for few eyes, and the working folder is shared.
    if (!WriteBytesNoLooserThan("SapRfc.ini", destination_file.bytes, destination_file.permissions))
      return 0;
  }
  const std::string file = FullHostPath(HostPath("SapRfc." + profile.destination));
  std::optional<ScopedEnvironmentVariable> rfc_ini;
  if (library.QuarlaneDestinationFile != nullptr) {
    library.QuarlaneDestinationFile(file.c_str());
  } else {
    rfc_ini.emplace("RFC_INI", file);
  }
  std::string connect_string = "CLIENT=" + profile.client + " USER=" + profile.user +
                               " PASSWD=" + profile.password +
                               " LANG=D DEST=" + profile.destination;
  RFC_ERROR_INFO_EX error_details;
  std::memset(&error_details, 0, sizeof error_details);
  RFC_HANDLE handle = library.RfcOpenEx(connect_string.data(), &error_details);
  if (library.QuarlaneDestinationFile != nullptr) library.QuarlaneDestinationFile(nullptr);
  LogStep(log, static_cast<long>(handle), "RfcOpenEx called", profile.destination);
  return handle;
}

RFC_HANDLE OpenThroughProfileFields(const RfcLibrary &library, const ConnectionParameters &profile,
                                    const LogonOverrides &overrides, StepLog &log) {
  // Working copies: padding and overrides never touch the profile values.
  std::string destination = profile.destination;
  std::string client = profile.client;
  std::string user = profile.user;
  std::string password = profile.password;
  std::string language = profile.language;
  std::string mode = profile.mode;
  std::string hostname = profile.hostname;
  std::string sysnr = profile.sysnr;
  std::string gwhost = profile.gwhost;
  std::string gwservice = profile.gwservice;

  if (overrides.hostname) hostname = *overrides.hostname;
  if (overrides.sysnr) sysnr = *overrides.sysnr;

  PadRight(user, 12);
  PadRight(password, 10);

  RFC_CONNOPT_GATEWAY gateway_record;
  RFC_CONNOPT_HOST host_record;
  RFC_OPTIONS options;
  std::memset(&gateway_record, 0, sizeof gateway_record);
  std::memset(&host_record, 0, sizeof host_record);
  std::memset(&options, 0, sizeof options);
  options.destination = destination.data();
  if (mode == "R/2") {
    options.mode = 1;
    gateway_record.gateway_host = TextOrNull(gwhost);
    gateway_record.gateway_service = TextOrNull(gwservice);
    options.connopt = &gateway_record;
  } else {
    options.mode = 0;
    host_record.hostname = TextOrNull(hostname);
    host_record.sysnr = SystemNumber(sysnr);
    host_record.gateway_host = TextOrNull(gwhost);
    host_record.gateway_service = TextOrNull(gwservice);
    options.connopt = &host_record;
  }
  options.client = client.data();
  options.user = user.data();
  options.password = password.data();
  options.language = language.data();
  options.trace = 0;

  RFC_HANDLE handle = library.RfcOpen(&options);
  LogStep(log, static_cast<long>(handle), "RfcOpen called", profile.destination);
  return handle;
}

} // namespace

std::optional<DestinationFile> ReadDestinationFile(const FileSystem &files,
                                                   const ConnectionParameters &profile) {
  return files.ReadOneNameFile("SapRfc." + profile.destination);
}

bool DestinationIsOneWord(const std::string &destination) {
  const std::size_t last = destination.find_last_not_of(' ');
  if (last == std::string::npos) return true;
  for (std::size_t i = 0; i <= last; ++i) {
    const unsigned char c = static_cast<unsigned char>(destination[i]);
    if (c == ' ' || (c >= '\t' && c <= '\r') || c == '=' || c == '"' || c == '\'') return false;
  }
  return true;
}

std::string DestinationFileLine(const ConnectionParameters &profile) {
  return "* SapRfc.Ini.......: " + profile.destination + "<\n";
}

Result<RFC_HANDLE> OpenRfcConnection(RfcSession &session, const ConnectionParameters &profile,
                                     const std::optional<DestinationFile> &destination_file,
                                     const LogonOverrides &overrides, StepLog &log,
                                     std::chrono::milliseconds destination_lock_wait) {
  const RFC_HANDLE handle =
      destination_file ? OpenThroughDestinationFile(*session.library, profile, *destination_file,
                                                    log, destination_lock_wait)
                       : OpenThroughProfileFields(*session.library, profile, overrides, log);
  if (handle == 0) return Failure(FailureCode::OpenFailed, profile.destination);
  return handle;
}

void CloseRfcConnection(RfcSession &session) {
  if (session.handle != 0 && session.library && session.library->RfcClose)
    session.library->RfcClose(session.handle);
  session.handle = 0;
}

} // namespace quarlane
