#include "rfcsim/packed.h"

namespace quarlane::rfcsim {

namespace {

std::uint64_t Magnitude(std::int64_t value) {
  // -(value + 1) + 1 avoids negating the most negative value.
  return value < 0 ? static_cast<std::uint64_t>(-(value + 1)) + 1
                   : static_cast<std::uint64_t>(value);
}

// 10^digits - 1, or the largest 64-bit value when that is smaller.
std::uint64_t LargestMagnitude(unsigned length) {
  const unsigned digits = 2 * length - 1;
  if (digits >= 19) return UINT64_MAX; // every 64-bit value has at most 19 digits
  std::uint64_t largest = 1;
  for (unsigned i = 0; i < digits; ++i) largest *= 10;
  return largest - 1;
}

} // namespace

bool FitsPacked(std::int64_t value, unsigned length) {
  return length > 0 && Magnitude(value) <= LargestMagnitude(length);
}

bool EncodePacked(std::int64_t value, unsigned length, unsigned char *out) {
  if (!FitsPacked(value, length) || out == nullptr) return false;
  std::uint64_t rest = Magnitude(value);
  const unsigned sign = value < 0 ? 0x0D : 0x0C;
  // The last byte holds the units digit and the sign; every byte before it
  // two digits, filled from the right.
  out[length - 1] = static_cast<unsigned char>(((rest % 10) << 4) | sign);
  rest /= 10;
  for (unsigned i = length - 1; i > 0; --i) {
    const unsigned low = static_cast<unsigned>(rest % 10);
    rest /= 10;
    const unsigned high = static_cast<unsigned>(rest % 10);
    rest /= 10;
    out[i - 1] = static_cast<unsigned char>((high << 4) | low);
  }
  return true;
}

std::int64_t ClampToPacked(std::int64_t value, unsigned length) {
  if (length == 0) return 0;
  if (FitsPacked(value, length)) return value;
  const std::int64_t largest = static_cast<std::int64_t>(LargestMagnitude(length));
  return value < 0 ? -largest : largest;
}

} // namespace quarlane::rfcsim
