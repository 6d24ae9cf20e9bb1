// The field capture: a record of what the bridge asked the NetWeaver RFC SDK
// and what it answered, for quarlane-nwrfc-check --capture. The recorder is a
// layer over the SDK's function table (sdk.h): each entry it records is
// replaced by one that calls the SDK's own function and notes the call, its
// answer and its time. Its text is the capture file (docs/capture-format.md),
// which the fake SDK replays as a system (tests/fakesdk/replay.h).
#ifndef QUARLANE_NWRFC_CAPTURE_H
#define QUARLANE_NWRFC_CAPTURE_H

#include <string>

namespace quarlane::nwrfc {

// Records every SDK call of this process from now on (and from the SDK's
// load, when it is not loaded yet). Once per process; the check tool asks
// for it before the logon.
void StartCapture();

// What the capture file says about the run besides the calls.
struct CaptureHeader {
  std::string tool;        // "quarlane-nwrfc-check 1.4.0"
  std::string captured_at; // ISO 8601 UTC
  std::string sdk; // the SDK's version text (Windows-1252, as SdkVersionText); empty when not known
  std::string verdict; // the check's verdict word
  int exit_status = 0;
  bool keep_names = false; // --capture-keep-names
};

// The capture file's text: UTF-8, LF line ends. Unless keep_names, every
// user, host and system name (from the logon's parameters and the system's
// own RFC_SYSTEM_INFO answer) is replaced by a placeholder (user1, host1,
// sy1, ...), the same one wherever it appears. The password the logon sent
// is never written, and any text equal to it is masked.
std::string CaptureText(const CaptureHeader &header);

} // namespace quarlane::nwrfc

#endif
