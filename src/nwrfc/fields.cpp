#include "nwrfc/fields.h"

#include <cstring>
#include <limits>

#include "nwrfc/decimal.h"
#include "nwrfc/text.h"

namespace quarlane::nwrfc {

namespace {

std::string Shown(const SdkValue &value) {
  return value.is_integer ? std::to_string(value.integer)
                          : "\"" + OneLine(ToWindows1252(value.text)) + "\"";
}

bool AsDecimal(const SdkValue &value, Decimal *number) {
  if (value.is_integer) return ParseDecimal(std::to_string(value.integer), number);
  return ParseDecimal(ToWindows1252(value.text), number);
}

// "2026-03-05" as the SDK may show a date; its digits are the date.
std::string DateText(const std::string &text) {
  if (text.size() == 10 && text[4] == '-' && text[7] == '-')
    return text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
  return text;
}

// Packed bytes to decimal text: 2 x length - 1 digits and the sign.
std::string UnpackedText(const unsigned char *bytes, unsigned length, unsigned decimals) {
  std::string digits;
  bool negative = false;
  for (unsigned i = 0; i < length; ++i) {
    const unsigned high = bytes[i] >> 4, low = bytes[i] & 0x0F;
    digits.push_back(static_cast<char>('0' + (high > 9 ? 0 : high)));
    if (i + 1 < length)
      digits.push_back(static_cast<char>('0' + (low > 9 ? 0 : low)));
    else
      negative = low == 0x0D || low == 0x0B;
  }
  Decimal value;
  value.digits = digits;
  value.scale = decimals;
  value.negative = negative;
  Decimal normalised;
  ParseDecimal(DecimalText(value), &normalised);
  return DecimalText(normalised);
}

} // namespace

bool WriteField(const SdkValue &value, RFC_TYPEHANDLE type, unsigned length, unsigned decimals,
                unsigned char *out, std::string *error) {
  if (out == nullptr || length == 0) return true;
  if (type == RFCTYPE_INT || type == RFCTYPE_INT2) {
    std::int64_t number = value.integer;
    Decimal decimal;
    if (!value.is_integer && !(AsDecimal(value, &decimal) &&
                               ToInteger(decimal, std::numeric_limits<std::int64_t>::min(),
                                         std::numeric_limits<std::int64_t>::max(), &number))) {
      *error = "value " + Shown(value) + " is not a whole number";
      return false;
    }
    const bool four = type == RFCTYPE_INT;
    const std::int64_t low = four ? INT32_MIN : INT16_MIN, high = four ? INT32_MAX : INT16_MAX;
    if (number < low || number > high) {
      *error =
          "value " + Shown(value) + " does not fit a " + (four ? "four" : "two") + "-byte integer";
      return false;
    }
    unsigned char native[4] = {0, 0, 0, 0};
    if (four) {
      const std::int32_t bits = static_cast<std::int32_t>(number);
      std::memcpy(native, &bits, sizeof bits);
    } else {
      const std::int16_t bits = static_cast<std::int16_t>(number);
      std::memcpy(native, &bits, sizeof bits);
    }
    std::memset(out, 0, length);
    const unsigned size = four ? 4 : 2;
    std::memcpy(out, native, length < size ? length : size);
    return true;
  }
  if (type == RFCTYPE_BCD) {
    Decimal decimal;
    if (!AsDecimal(value, &decimal)) {
      *error = "value " + Shown(value) + " is not a number";
      return false;
    }
    if (!PackDecimal(decimal, length, decimals, out)) {
      *error = "value " + Shown(value) + " does not fit a packed field of " +
               std::to_string(length) + " bytes";
      return false;
    }
    return true;
  }
  std::string text = value.is_integer ? std::to_string(value.integer) : ToWindows1252(value.text);
  if (type == RFCTYPE_DATE) text = DateText(text);
  const std::string padded = PadRight(text, length);
  std::memcpy(out, padded.data(), length);
  return true;
}

SdkValue ReadSentField(RFC_TYPEHANDLE type, unsigned length, unsigned decimals, const void *in) {
  SdkValue value;
  if (in == nullptr) return value;
  const unsigned char *bytes = static_cast<const unsigned char *>(in);
  if (type == RFCTYPE_INT && length >= 4) {
    std::int32_t number = 0;
    std::memcpy(&number, bytes, sizeof number);
    value.is_integer = true;
    value.integer = number;
  } else if (type == RFCTYPE_INT2 && length >= 2) {
    std::int16_t number = 0;
    std::memcpy(&number, bytes, sizeof number);
    value.is_integer = true;
    value.integer = number;
  } else if (type == RFCTYPE_BCD) {
    value.text = FromWindows1252(UnpackedText(bytes, length, decimals));
  } else {
    value.text =
        FromWindows1252(TrimRight(std::string(reinterpret_cast<const char *>(bytes), length)));
  }
  return value;
}

} // namespace quarlane::nwrfc
