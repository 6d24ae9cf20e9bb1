// Small text helpers of the simulated RFC library.
#ifndef QUARLANE_RFCSIM_TEXT_H
#define QUARLANE_RFCSIM_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rfcshared/text.h"

namespace quarlane::rfcsim {

// Upper, SameText, Trim, TrimRight, PadRight, FromCString, OneLine and
// CopyToField: those both librfc32 implementations share.
using namespace rfcshared::boundary_text;

// A text of exactly `length` bytes read from `bytes`; empty when bytes is NULL.
std::string FromBytes(const void *bytes, std::size_t length);

// For the call log: printable ASCII stays, every other byte and the
// characters \ [ ] become \xNN, so a bracketed value has a plain end.
std::string Escaped(const std::string &text);

// Optional sign and decimal digits only; false on anything else or overflow.
bool ParseInteger(const std::string &text, std::int64_t *value);

// folder/name, or name alone when folder is empty (the working folder).
std::string InFolder(const std::string &folder, const std::string &name);

} // namespace quarlane::rfcsim

#endif
