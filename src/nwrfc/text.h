// Text helpers of the NetWeaver RFC bridge: the classic boundary speaks 8-bit
// Windows-1252, the SDK UTF-16 (SAP_UC).
#ifndef QUARLANE_NWRFC_TEXT_H
#define QUARLANE_NWRFC_TEXT_H

#include <cstddef>
#include <string>

namespace quarlane::nwrfc {

// Windows-1252 bytes to UTF-16. The five bytes the code page leaves
// undefined (81, 8D, 8F, 90, 9D) become the C1 controls of the same value,
// as Windows' own conversion does, so every byte survives a round trip.
std::u16string FromWindows1252(const std::string &bytes);

// UTF-16 to Windows-1252; every character the code page cannot hold becomes
// '#', SAP's own mark for an unconvertible character. A surrogate pair is one
// character (one '#'); a lone surrogate is one '#' too.
std::string ToWindows1252(const std::u16string &text);

// Cut to width, or fill with blanks on the right up to width.
std::string PadRight(const std::string &text, std::size_t width);

std::string Upper(std::string text); // letters a to z only
bool SameText(const std::string &a, const std::string &b);
std::string Trim(const std::string &text);      // blanks and tabs
std::string TrimRight(const std::string &text); // blanks and tabs

// The text with every control character replaced by '?': one trace line.
std::string OneLine(const std::string &text);

// A NUL-terminated text, or empty for NULL.
std::string FromCString(const char *text);

// Copies text into a char array of `size` bytes, cut to size - 1, NUL-terminated.
void CopyToField(char *field, std::size_t size, const std::string &text);

// A text of exactly `length` bytes; trailing blanks and zero bytes dropped,
// upper case: how the classic boundary names parameters and tables.
std::string EntryName(const void *name, unsigned length);

// A NUL-terminated UTF-16 text from a fixed SAP_UC array of `size` units.
std::u16string FromUnits(const char16_t *units, std::size_t size);

} // namespace quarlane::nwrfc

#endif
