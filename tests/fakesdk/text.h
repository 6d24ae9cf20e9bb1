// Text helpers of the fake NetWeaver RFC SDK: UTF-8 scripts, UTF-16 values.
#ifndef QUARLANE_FAKESDK_TEXT_H
#define QUARLANE_FAKESDK_TEXT_H

#include <cstdint>
#include <string>
#include <vector>

#include "rfcshared/text.h"

namespace fakesdk {

// UTF-8 into UTF-16 code units. A byte that starts no valid sequence becomes
// U+FFFD, so a script with a stray Latin-1 byte still gives a definite text.
std::u16string FromUtf8(const std::string &text);
// UTF-16 into UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(const std::u16string &text);
// A NUL-terminated UTF-16 text; empty for NULL.
std::u16string FromUnits(const char16_t *text);
std::u16string FromUnits(const char16_t *text, std::size_t length);

std::string Upper(std::string text); // a to z only
std::u16string Upper(std::u16string text);
bool SameText(const std::string &a, const std::string &b);
std::string Trim(const std::string &text);            // blanks and tabs at both ends
std::u16string TrimRight(const std::u16string &text); // blanks only
std::u16string PadRight(const std::u16string &text, std::size_t width); // cut or blank-filled

// Optional sign and decimal digits; false on anything else or on overflow.
bool ParseInteger(const std::string &text, std::int64_t *value);
// The same for UTF-16 digits, with blanks around the number allowed (the way
// a caller may hand a number in a character field).
bool ParseInteger(const std::u16string &text, std::int64_t *value);
std::u16string DecimalText(std::int64_t value);

// Script lines are split into words as the simulator splits its landscape
// lines (rfcshared/text.h).
using quarlane::rfcshared::boundary_text::SplitAssignment;
using quarlane::rfcshared::boundary_text::SplitWords;

} // namespace fakesdk

#endif
