// Decimal numbers as the SDK gives them in text (packed fields, counters of
// up to 24 digits), and their re-packing into the caller's packed fields.
// The digits are held as text so that no value is cut to 64 bits on the way.
#ifndef QUARLANE_NWRFC_DECIMAL_H
#define QUARLANE_NWRFC_DECIMAL_H

#include <cstdint>
#include <string>

namespace quarlane::nwrfc {

struct Decimal {
  bool negative = false;
  std::string digits = "0"; // no leading zeros, "0" for zero
  unsigned scale = 0;       // digits after the decimal point
};

// Blanks around, a sign before or after ('-' or '+'), digits with at most
// one '.' between them, and an exponent ("4.4000000000000000E+06", "1e-3"),
// as a FLOAT or DECF may read in text. An empty or blank text is 0. False on
// anything else.
bool ParseDecimal(const std::string &text, Decimal *value);

std::string DecimalText(const Decimal &value); // "-12.50", "0", ...

Decimal Add(const Decimal &a, const Decimal &b);

// The value rounded (half away from zero) to `decimals` places, as the
// integer of its digits: 12.345 with 2 places is 1235.
Decimal Rescaled(const Decimal &value, unsigned decimals);

// The value in a packed field of `length` bytes with `decimals` places:
// 2 x length - 1 digits, high half-byte first, the sign in the low
// half-byte of the last byte (C positive, D negative). False when the
// rounded value has more digits than the field holds.
bool PackDecimal(const Decimal &value, unsigned length, unsigned decimals, unsigned char *out);

// The value rounded to a whole number; false when it is outside the range.
bool ToInteger(const Decimal &value, std::int64_t minimum, std::int64_t maximum,
               std::int64_t *result);

} // namespace quarlane::nwrfc

#endif
