// A capture file (docs/capture-format.md, written by quarlane-nwrfc-check
// --capture) as a fake system: the logon, the descriptions, the rows and the
// errors exactly as the captured system answered them. A capture takes the
// place of a scenario script: <host>.nwrfc whose first line (after comments)
// is "quarlane-nwrfc-capture 1" (tests/fakesdk/README.md, "Replaying a
// capture").
#ifndef QUARLANE_FAKESDK_REPLAY_H
#define QUARLANE_FAKESDK_REPLAY_H

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalog.h"
#include "container.h"

namespace fakesdk {

// An error as the SDK reported it.
struct ReplayError {
  int code = 0;
  int group = 0;
  std::u16string key, message;
  std::u16string abap[7]; // class, type, number, V1 to V4
};

// One value of an answer: NAME=word or NAME="text".
struct ReplayItem {
  std::string name;
  std::u16string value;
  bool text = false;
  int line = 0;
};

struct ReplayCall {
  std::string function;
  int line = 0;
  bool ok = true;
  ReplayError error;
  // What the caller set, as NAME and the text the field holds then
  // (trailing blanks dropped).
  std::vector<std::pair<std::string, std::u16string>> sets;
  std::vector<ReplayItem> values; // scalar exporting values
  std::vector<std::pair<std::string, std::vector<ReplayItem>>> structures;
  std::vector<std::pair<std::string, std::vector<std::vector<ReplayItem>>>> tables;
};

struct ReplayStep {
  std::string function;
  bool ok = true;
  ReplayError error;
};

struct Replay {
  std::string file;
  int version = 0;
  std::string tool, captured_at, sdk, names;
  std::string verdict;
  int exit_status = 0;
  bool open_ok = true;
  ReplayError open_error;
  std::vector<std::pair<std::string, std::u16string>> open_parameters;
  std::vector<std::unique_ptr<FunctionDesc>> functions; // kept at fixed addresses: they are handles
  std::vector<std::unique_ptr<TypeDesc>> types;
  std::vector<ReplayStep> describes;
  std::vector<ReplayCall> calls;
};

// Whether a script's text is a capture (its first line that is not a
// comment or blank starts with "quarlane-nwrfc-capture").
bool IsCapture(const std::string &text);

// Parses a capture; false with *problem naming the file and line of the
// first problem. Every answer is tried against its function's description
// here, so a value that does not fit its field is found at once.
bool ParseCapture(const std::string &text, const std::string &file, Replay *replay,
                  std::string *problem);

// The capture, parsed once per file and text and kept for the life of the
// process (its descriptions are handles the caller may hold); nullptr with
// *problem set when it cannot be parsed.
std::shared_ptr<const Replay> LoadCapture(const std::string &text, const std::string &file,
                                          std::string *problem);

const FunctionDesc *FindFunctionOf(const Replay &replay, const std::string &name);

// A description handed out by a loaded capture, by address; nullptr otherwise.
const FunctionDesc *FindReplayFunction(const void *address);
const TypeDesc *FindReplayType(const void *address);

enum class ReplayOutcome { kOk, kError, kUnknown };

// RfcGetFunctionDesc of `name`: the captured description (kOk), the captured
// error (kError), or kUnknown with *problem when the capture says nothing of it.
ReplayOutcome ReplayDescribe(const Replay &replay, const std::string &name,
                             const FunctionDesc **function, const ReplayError **error,
                             std::string *problem);

// RfcInvoke: the first captured call of the function with the same importing
// values as `function` has; its answer fills `function` (kOk), or its error
// (kError); kUnknown with *problem when no captured call matches.
ReplayOutcome ReplayInvoke(const Replay &replay, Container &function, const ReplayError **error,
                           std::string *problem);

// The SDK's type word of the capture ("CHAR", "INT8", ...) as a type code;
// false when unknown.
bool TypeOfWord(const std::string &word, Type *type);

} // namespace fakesdk

#endif
