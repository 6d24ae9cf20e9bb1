// Packed decimal fields: 2 x length - 1 digits, two per byte, high half-byte
// first, the low half-byte of the last byte the sign (C positive, D negative).
#ifndef QUARLANE_RFCSIM_PACKED_H
#define QUARLANE_RFCSIM_PACKED_H

#include <cstdint>

namespace quarlane::rfcsim {

// True when value has no more than 2 x length - 1 digits.
bool FitsPacked(std::int64_t value, unsigned length);

// Writes value into `length` bytes at out; false (and nothing written) when it
// does not fit.
bool EncodePacked(std::int64_t value, unsigned length, unsigned char *out);

// The value itself, or the largest value of the same sign the field holds.
std::int64_t ClampToPacked(std::int64_t value, unsigned length);

} // namespace quarlane::rfcsim

#endif
