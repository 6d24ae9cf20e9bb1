// Text helpers both librfc32 implementations (the simulated library and the
// NetWeaver RFC bridge) use at the classic boundary: 8-bit texts, blanks and
// tabs as the only blanks, case of a to z only.
#ifndef QUARLANE_RFCSHARED_TEXT_H
#define QUARLANE_RFCSHARED_TEXT_H

#include <cstddef>
#include <string>
#include <vector>

// In a namespace of their own, so that each library takes them all with one
// using-directive and nothing else of rfcshared with them.
namespace quarlane::rfcshared::boundary_text {

std::string Upper(std::string text);                       // letters a to z only
bool SameText(const std::string &a, const std::string &b); // ignoring the case of a to z
std::string Trim(const std::string &text);                 // blanks and tabs
std::string TrimRight(const std::string &text);

// Cut to width, or fill with blanks on the right up to width.
std::string PadRight(const std::string &text, std::size_t width);

// The text with every control character replaced by '?', fit for one trace
// line or an error-information field.
std::string OneLine(const std::string &text);

// A NUL-terminated text, or empty when text is NULL.
std::string FromCString(const char *text);

// Copies text into a char array of `size` bytes, cut to size - 1, NUL-terminated.
void CopyToField(char *field, std::size_t size, const std::string &text);

// Splits a line into blank-separated words. A double quote opens a part that
// runs to the next double quote, blanks included; the quotes themselves are
// dropped ("DIALOG " and TASKTYPE="DIALOG " keep their blank). False, with
// *error set, for an unterminated quote.
bool SplitWords(const std::string &line, std::vector<std::string> *words, std::string *error);

// "KEY=value" into its two parts; false when there is no '=' or no key.
bool SplitAssignment(const std::string &word, std::string *key, std::string *value);

} // namespace quarlane::rfcshared::boundary_text

#endif
