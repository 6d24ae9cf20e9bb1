#include "rfc/connection.h"

#include <climits>
#include <cstring>

#include "platform/files.h"
#include "rfc/library.h"
#include "rfc/log_hook.h"

namespace quarlane {
namespace {

// The value written after an option such as ",HOST=": taken from the raw
// parameters at the place the option was found in the upper-case ones, up to
// the next comma, blank or the end.
std::string OptionValue(const RunContext &ctx, std::size_t option_at, std::size_t option_length) {
  std::size_t start = option_at + option_length;
  if (start >= ctx.params_raw.size()) return std::string();
  std::size_t end = ctx.params_raw.find_first_of(", ", start);
  if (end == std::string::npos) end = ctx.params_raw.size();
  return ctx.params_raw.substr(start, end - start);
}

void PadRight(std::string &text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
}

// Decimal conversion as the C library does it (leading blanks, a sign, the
// digits up to the first other character; 0 without digits), but without
// overflowing: a number beyond the int range is held at its limit.
int SystemNumber(const std::string &text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  long long value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

// The library wants no empty texts for the addressing fields: an empty one is
// passed as null.
char *TextOrNull(std::string &text) { return text.empty() ? nullptr : text.data(); }

} // namespace

RFC_HANDLE OpenRfcConnection(Run &run) {
  const RfcLibrary &library = EnsureRfcLibrary(run.rfc);
  const ConnectionParameters &profile = run.conn;

  // Working copies: padding and overrides never touch the profile values.
  std::string destination = profile.Destination;
  std::string client = profile.Client;
  std::string user = profile.User;
  std::string password = profile.Password;
  std::string language = profile.Language;
  std::string mode = profile.Mode;
  std::string hostname = profile.Hostname;
  std::string sysnr = profile.Sysnr;
  std::string gwhost = profile.Gwhost;
  std::string gwservice = profile.Gwservice;

  const std::size_t host_at = run.ctx.params.find(",HOST=");
  if (host_at != std::string::npos) hostname = OptionValue(run.ctx, host_at, 6);
  const std::size_t number_at = run.ctx.params.find(",NO=");
  if (number_at != std::string::npos) sysnr = OptionValue(run.ctx, number_at, 4);

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

  const std::optional<std::string> destination_file = ReadBytes("SapRfc." + profile.Destination);
  if (!destination_file) {
    RFC_HANDLE handle = library.RfcOpen(&options);
    LogStep(run, static_cast<long>(handle), "RfcOpen called", profile.Destination);
    return handle;
  }

  // A per-destination file becomes the library's "SapRfc.ini", so the
  // library reads the destination of the system being opened.
  std::fprintf(run.out, "* SapRfc.Ini.......: %s<\n", profile.Destination.c_str());
  if (!WriteBytes("SapRfc.ini", *destination_file)) return 0;

  std::string connect_string = "CLIENT=" + profile.Client + " USER=" + profile.User +
                               " PASSWD=" + profile.Password + " LANG=D DEST=" + profile.Destination;
  RFC_ERROR_INFO_EX error_details;
  std::memset(&error_details, 0, sizeof error_details);
  RFC_HANDLE handle = library.RfcOpenEx(connect_string.data(), &error_details);
  LogStep(run, static_cast<long>(handle), "RfcOpenEx called", profile.Destination);
  return handle;
}

void CloseRfcConnection(Run &run) {
  if (run.rfc.handle != 0 && run.rfc.library && run.rfc.library->RfcClose)
    run.rfc.library->RfcClose(run.rfc.handle);
  run.rfc.handle = 0;
}

} // namespace quarlane
