// Text helpers of the NetWeaver RFC bridge: the classic boundary speaks 8-bit
// Windows-1252, the SDK UTF-16 (SAP_UC).
#ifndef QUARLANE_NWRFC_TEXT_H
#define QUARLANE_NWRFC_TEXT_H

#include <cstddef>
#include <string>
#include <vector>

#include "rfcshared/text.h"

namespace quarlane::nwrfc {

// Windows-1252 bytes to UTF-16. The five bytes the code page leaves
// undefined (81, 8D, 8F, 90, 9D) become the C1 controls of the same value,
// as Windows' own conversion does, so every byte survives a round trip.
std::u16string FromWindows1252(const std::string &bytes);

// UTF-16 to Windows-1252, the classic boundary's texts (shared/rfc-abi.md:
// 8-bit texts, fixed-length fields); every character the code page cannot
// hold becomes '?', as Windows' own conversion to a code page marks it. A
// surrogate pair is one character (one '?'); a lone surrogate is one '?' too.
// Where a whole text matters (the SDK's messages), the trace gets it in UTF-8
// as well (library.h TakeSdkMessage).
std::string ToWindows1252(const std::u16string &text);

// Whether ToWindows1252 keeps every character of the text.
bool FitsWindows1252(const std::u16string &text);

// One code point appended to `out` as UTF-8.
void AppendUtf8(std::string &out, char32_t code);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(const std::u16string &text);

// The classic boundary's own helpers (Upper, SameText, Trim, TrimRight,
// PadRight, OneLine, FromCString, CopyToField) are the simulated library's too.
using namespace rfcshared::boundary_text;

// A text of exactly `length` bytes; trailing blanks and zero bytes dropped,
// upper case: how the classic boundary names parameters and tables.
std::string EntryName(const void *name, unsigned length);

// A NUL-terminated UTF-16 text from a fixed SAP_UC array of `size` units.
std::u16string FromUnits(const char16_t *units, std::size_t size);

// Whether that text is `text`, without copying it.
bool SameUnits(const char16_t *units, std::size_t size, const std::u16string &text);

// An SDK message as PRTG should see it. The SDK's network messages come in
// labelled lines ("LOCATION    CPIC (TCP/IP) on local host", "ERROR       partner
// 'srv01:3300' not reached", "TIME        ..."); the ERROR line says what
// happened. A message without such a line keeps its words on one line.
struct MessageLines {
  std::string finding; // one line: what happened
  std::vector<std::string>
      lines; // every line of a multi-line message, as given; empty for one line
};
MessageLines SplitMessage(const std::string &message);

} // namespace quarlane::nwrfc

#endif
