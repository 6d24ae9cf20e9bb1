// Small text helpers of the simulated RFC library.
#ifndef QUARLANE_RFCSIM_TEXT_H
#define QUARLANE_RFCSIM_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quarlane::rfcsim {

std::string Upper(std::string text); // letters a to z only
bool SameText(const std::string &a, const std::string &b); // ignoring the case of a to z
std::string TrimRight(const std::string &text);             // blanks and tabs
std::string Trim(const std::string &text);

// Cut to width, or fill with blanks on the right up to width.
std::string PadRight(const std::string &text, std::size_t width);

// A text of exactly `length` bytes read from `bytes`; empty when bytes is NULL.
std::string FromBytes(const void *bytes, std::size_t length);

// A NUL-terminated text, or empty when text is NULL.
std::string FromCString(const char *text);

// The text with every control character replaced by '?', fit for one trace
// line or an error-information field.
std::string OneLine(const std::string &text);

// For the call log: printable ASCII stays, every other byte and the
// characters \ [ ] become \xNN, so a bracketed value has a plain end.
std::string Escaped(const std::string &text);

// Optional sign and decimal digits only; false on anything else or overflow.
bool ParseInteger(const std::string &text, std::int64_t *value);

// Copies text into a char array of `size` bytes, cut to size - 1, NUL-terminated.
void CopyToField(char *field, std::size_t size, const std::string &text);

// Splits a line into blank-separated words. A double quote opens a part that
// runs to the next double quote, blanks included; the quotes themselves are
// dropped ("DIALOG " and TASKTYPE="DIALOG " keep their blank). False, with
// *error set, for an unterminated quote.
bool SplitWords(const std::string &line, std::vector<std::string> *words, std::string *error);

// "KEY=value" into its two parts; false when there is no '=' or no key.
bool SplitAssignment(const std::string &word, std::string *key, std::string *value);

// folder/name, or name alone when folder is empty (the working folder).
std::string InFolder(const std::string &folder, const std::string &name);

} // namespace quarlane::rfcsim

#endif
