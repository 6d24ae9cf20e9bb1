#include "nwrfc/decimal.h"

#include <algorithm>

namespace quarlane::nwrfc {

namespace {

std::string WithoutLeadingZeros(const std::string &digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

Decimal Normalised(Decimal value) {
  value.digits = WithoutLeadingZeros(value.digits);
  if (value.digits == "0") value.negative = false;
  return value;
}

// The digits of value at a larger scale: zeros appended.
std::string AtScale(const Decimal &value, unsigned scale) {
  return value.digits + std::string(scale - value.scale, '0');
}

int CompareMagnitude(const std::string &a, const std::string &b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

std::string AddMagnitudes(const std::string &a, const std::string &b) {
  std::string sum;
  int carry = 0;
  for (std::size_t i = 0; i < a.size() || i < b.size() || carry; ++i) {
    int digit = carry;
    if (i < a.size()) digit += a[a.size() - 1 - i] - '0';
    if (i < b.size()) digit += b[b.size() - 1 - i] - '0';
    sum.push_back(static_cast<char>('0' + digit % 10));
    carry = digit / 10;
  }
  std::reverse(sum.begin(), sum.end());
  return WithoutLeadingZeros(sum);
}

// a - b for |a| >= |b|.
std::string SubtractMagnitudes(const std::string &a, const std::string &b) {
  std::string difference;
  int borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    int digit = (a[a.size() - 1 - i] - '0') - borrow;
    if (i < b.size()) digit -= b[b.size() - 1 - i] - '0';
    borrow = digit < 0 ? 1 : 0;
    difference.push_back(static_cast<char>('0' + (digit + 10) % 10));
  }
  std::reverse(difference.begin(), difference.end());
  return WithoutLeadingZeros(difference);
}

} // namespace

namespace {

// "E+06", "e-3", "E7": the power of ten after the mantissa. Small enough
// that no packed field's worth of digits is lost, large enough for any
// double the SDK can give.
bool ParseExponent(const std::string &text, int *exponent) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  int value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9' || value > 1000) return false;
    value = value * 10 + (text[i] - '0');
  }
  *exponent = negative ? -value : value;
  return true;
}

// digits x 10^exponent, with `scale` digits after the point before it.
Decimal Shifted(Decimal value, int exponent) {
  if (exponent >= 0) {
    const unsigned up = static_cast<unsigned>(exponent);
    if (up <= value.scale) {
      value.scale -= up;
    } else {
      value.digits += std::string(up - value.scale, '0');
      value.scale = 0;
    }
  } else {
    value.scale += static_cast<unsigned>(-exponent);
  }
  return value;
}

} // namespace

bool ParseDecimal(const std::string &text, Decimal *value) {
  std::size_t start = 0, end = text.size();
  while (start < end && (text[start] == ' ' || text[start] == '\t')) ++start;
  while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  Decimal parsed;
  if (start == end) {
    *value = parsed;
    return true;
  }
  bool signed_ = false;
  if (text[start] == '-' || text[start] == '+') {
    parsed.negative = text[start] == '-';
    signed_ = true;
    ++start;
  } else if (text[end - 1] == '-' || text[end - 1] == '+') {
    parsed.negative = text[end - 1] == '-';
    signed_ = true;
    --end;
  }
  while (signed_ && start < end && text[start] == ' ') ++start; // "- 5" and "5 -"
  while (signed_ && end > start && text[end - 1] == ' ') --end;
  int exponent = 0;
  const std::size_t e = text.find_first_of("eE", start);
  if (e != std::string::npos && e < end) {
    if (!ParseExponent(text.substr(e + 1, end - e - 1), &exponent)) return false;
    end = e;
  }
  std::string digits;
  bool point = false;
  for (std::size_t i = start; i < end; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digits.push_back(c);
      if (point) ++parsed.scale;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (digits.empty()) return false;
  parsed.digits = digits;
  *value = Normalised(Shifted(parsed, exponent));
  return true;
}

std::string DecimalText(const Decimal &value) {
  std::string digits = value.digits;
  if (value.scale > 0) {
    if (digits.size() <= value.scale) digits.insert(0, value.scale + 1 - digits.size(), '0');
    digits.insert(digits.size() - value.scale, ".");
  }
  return (value.negative ? "-" : "") + digits;
}

Decimal Add(const Decimal &a, const Decimal &b) {
  const unsigned scale = std::max(a.scale, b.scale);
  const std::string x = WithoutLeadingZeros(AtScale(a, scale));
  const std::string y = WithoutLeadingZeros(AtScale(b, scale));
  Decimal sum;
  sum.scale = scale;
  if (a.negative == b.negative) {
    sum.digits = AddMagnitudes(x, y);
    sum.negative = a.negative;
  } else if (CompareMagnitude(x, y) >= 0) {
    sum.digits = SubtractMagnitudes(x, y);
    sum.negative = a.negative;
  } else {
    sum.digits = SubtractMagnitudes(y, x);
    sum.negative = b.negative;
  }
  return Normalised(sum);
}

Decimal Rescaled(const Decimal &value, unsigned decimals) {
  Decimal result;
  result.negative = value.negative;
  result.scale = 0;
  if (value.scale <= decimals) {
    result.digits = AtScale(value, decimals);
    return Normalised(result);
  }
  const unsigned dropped = value.scale - decimals;
  std::string digits = value.digits;
  if (digits.size() <= dropped) digits.insert(0, dropped + 1 - digits.size(), '0');
  const bool round_up = digits[digits.size() - dropped] >= '5';
  digits.resize(digits.size() - dropped);
  result.digits = round_up ? AddMagnitudes(digits, "1") : WithoutLeadingZeros(digits);
  return Normalised(result);
}

bool PackDecimal(const Decimal &value, unsigned length, unsigned decimals, unsigned char *out) {
  if (length == 0 || out == nullptr) return false;
  const Decimal whole = Rescaled(value, decimals);
  const std::size_t capacity = 2 * static_cast<std::size_t>(length) - 1;
  if (whole.digits.size() > capacity) return false;
  const std::string digits = std::string(capacity - whole.digits.size(), '0') + whole.digits;
  // digits[0..capacity-1], then the sign: 2 x length half-bytes in all.
  for (unsigned i = 0; i < length; ++i) {
    const unsigned high = static_cast<unsigned>(digits[2 * i] - '0');
    const unsigned low = 2 * i + 1 < capacity ? static_cast<unsigned>(digits[2 * i + 1] - '0')
                                              : (whole.negative ? 0x0Du : 0x0Cu);
    out[i] = static_cast<unsigned char>((high << 4) | low);
  }
  return true;
}

bool ToInteger(const Decimal &value, std::int64_t minimum, std::int64_t maximum,
               std::int64_t *result) {
  const Decimal whole = Rescaled(value, 0);
  if (whole.digits.size() > 19) return false;
  std::uint64_t magnitude = 0;
  for (const char c : whole.digits) {
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (magnitude > (UINT64_MAX - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  if (whole.negative) {
    // -(minimum + 1) + 1 is |minimum| without overflow.
    if (minimum >= 0 || magnitude > static_cast<std::uint64_t>(-(minimum + 1)) + 1) return false;
    *result = magnitude == 0 ? 0 : -static_cast<std::int64_t>(magnitude - 1) - 1;
    return true;
  }
  if (maximum < 0 || magnitude > static_cast<std::uint64_t>(maximum)) return false;
  *result = static_cast<std::int64_t>(magnitude);
  return true;
}

} // namespace quarlane::nwrfc
