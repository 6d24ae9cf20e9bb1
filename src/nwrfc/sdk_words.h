// The names of the SDK's numbers: return codes (RFC_RC), error groups
// (RFC_ERROR_GROUP) and field types (RFCTYPE). One table each, for the
// bridge's messages, the capture file (capture.cpp) and the fake SDK that
// reads it back (tests/fakesdk). Nothing here calls the SDK.
#ifndef QUARLANE_NWRFC_SDK_WORDS_H
#define QUARLANE_NWRFC_SDK_WORDS_H

#include <string>

namespace quarlane::nwrfc {

// The name of a value, or nullptr when the SDK's headers as the open
// bindings give them name none.
const char *KnownRcName(int rc);       // "RFC_COMMUNICATION_FAILURE", ...
const char *KnownGroupName(int group); // "COMMUNICATION_FAILURE", ...
const char *KnownTypeName(int type);   // "CHAR", "INT8", ...

// A name back into its value; false for a word that is no such name.
bool RcOfName(const std::string &name, int *rc);
bool GroupOfName(const std::string &name, int *group);
bool TypeOfName(const std::string &name, int *type);

std::string RcName(int rc);     // the name; "RFC_RC 40" when unknown
std::string TypeName(int type); // the name; "type 40" when unknown

} // namespace quarlane::nwrfc

#endif
