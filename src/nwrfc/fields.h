// The caller's side of a value: the classic element types (0 character,
// 1 date, 2 packed, 8 four-byte and 9 two-byte integer) in the layouts the
// caller installed (rfc/rfc_rows.h), and the conversion of SDK values into
// them and back.
#ifndef QUARLANE_NWRFC_FIELDS_H
#define QUARLANE_NWRFC_FIELDS_H

#include <cstdint>
#include <string>
#include <vector>

#include "rfc/rfc_abi.h"
#include "rfc/rfc_rows.h"

namespace quarlane::nwrfc {

// A value as the SDK gave it: an integer, or text (UTF-16).
struct SdkValue {
  bool is_integer = false;
  std::int64_t integer = 0;
  std::u16string text;
};

// Writes the value into exactly `length` bytes at `out` as the caller's
// element type holds it: text in Windows-1252 ('?' for what it cannot hold),
// blank-padded or cut; a date as YYYYMMDD; an integer in native byte order;
// a packed number re-packed into its length with its decimals. False with
// *error set when the value does not fit the field or is no number.
bool WriteField(const SdkValue &value, RFC_TYPEHANDLE type, unsigned length, unsigned decimals,
                unsigned char *out, std::string *error);

// The caller's exporting value (exactly `length` bytes at `in`) as the SDK
// takes it: text (trailing blanks dropped; a packed number as its decimal
// text) or an integer.
SdkValue ReadSentField(RFC_TYPEHANDLE type, unsigned length, unsigned decimals, const void *in);

} // namespace quarlane::nwrfc

#endif
