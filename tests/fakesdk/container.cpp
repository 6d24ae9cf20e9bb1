#include "container.h"

#include <cstdio>
#include <cstdlib>

#include "text.h"

namespace fakesdk {

namespace {

Value InitialValue(Type type, unsigned length, unsigned decimals, const TypeDesc *row_type) {
  Value value;
  value.type = type;
  value.length = length;
  value.decimals = decimals;
  switch (type) {
  case kChar: value.text.assign(length, u' '); break;
  case kDate:
  case kTime:
  case kNum: value.text.assign(length, u'0'); break;
  case kByte: value.bytes.assign(length, '\0'); break;
  case kStructure: value.nested = NewStructure(*row_type); break;
  case kTable: value.nested = NewTable(*row_type); break;
  default: break;
  }
  return value;
}

bool IsDigits(const std::u16string &text) {
  for (char16_t c : text)
    if (c < u'0' || c > u'9') return false;
  return true;
}

std::int64_t IntegerLimit(Type type, bool upper) {
  switch (type) {
  case kInt: return upper ? 2147483647LL : -2147483648LL;
  case kInt2: return upper ? 32767 : -32768;
  case kInt1: return upper ? 255 : 0;
  case kInt8: return upper ? INT64_MAX : INT64_MIN;
  default: return 0;
  }
}

} // namespace

std::unique_ptr<Container> NewFunction(const FunctionDesc &function) {
  auto container = std::make_unique<Container>();
  container->kind = ContainerKind::kFunction;
  container->function = &function;
  for (const ParameterDesc &parameter : function.parameters) {
    container->names.push_back(parameter.name);
    container->values.push_back(InitialValue(parameter.type, parameter.nuc_length,
                                             parameter.decimals, parameter.type_desc));
  }
  return container;
}

std::unique_ptr<Container> NewStructure(const TypeDesc &type) {
  auto container = std::make_unique<Container>();
  container->kind = ContainerKind::kStructure;
  container->type = &type;
  for (const FieldDesc &field : type.fields) {
    container->names.push_back(field.name);
    container->values.push_back(
        InitialValue(field.type, field.nuc_length, field.decimals, nullptr));
  }
  return container;
}

std::unique_ptr<Container> NewTable(const TypeDesc &row_type) {
  auto container = std::make_unique<Container>();
  container->kind = ContainerKind::kTable;
  container->type = &row_type;
  return container;
}

Container &AppendRow(Container &table) {
  table.rows.push_back(NewStructure(*table.type));
  table.current = table.rows.size() - 1;
  return *table.rows.back();
}

Value *FindValue(Container &container, const std::string &name) {
  for (std::size_t i = 0; i < container.names.size(); ++i)
    if (SameText(container.names[i], name)) return &container.values[i];
  return nullptr;
}

std::uint64_t PackedLimit(unsigned length) {
  const unsigned digits = 2 * length - 1;
  if (length == 0) return 0;
  if (digits >= 19) return static_cast<std::uint64_t>(INT64_MAX);
  std::uint64_t limit = 1;
  for (unsigned i = 0; i < digits; ++i) limit *= 10;
  return limit - 1;
}

bool AssignNumber(Value &value, std::int64_t number, std::string *problem) {
  switch (value.type) {
  case kFloat:
    value.real = static_cast<double>(number);
    value.set = true;
    return true;
  case kInt8:
  case kInt:
  case kInt2:
  case kInt1:
    if (number < IntegerLimit(value.type, false) || number > IntegerLimit(value.type, true)) {
      *problem = "the number " + std::to_string(number) + " does not fit the integer field";
      return false;
    }
    value.number = number;
    value.set = true;
    return true;
  case kBcd: {
    const std::uint64_t magnitude = number < 0 ? static_cast<std::uint64_t>(-(number + 1)) + 1
                                               : static_cast<std::uint64_t>(number);
    if (magnitude > PackedLimit(value.length)) {
      *problem = "the number " + std::to_string(number) + " does not fit the packed field of " +
                 std::to_string(value.length) + " bytes";
      return false;
    }
    value.number = number;
    value.set = true;
    return true;
  }
  case kChar:
  case kNum: return AssignText(value, DecimalText(number), problem);
  default:
    *problem = "a number cannot be put into a field of type " + std::to_string(value.type);
    return false;
  }
}

namespace {

// Raw fields in hexadecimal, two digits per byte.
bool AssignHex(Value &value, const std::u16string &text, std::string *problem) {
  if (text.size() != 2 * value.length) {
    *problem =
        "'" + ToUtf8(text) + "' is not " + std::to_string(value.length) + " bytes in hexadecimal";
    return false;
  }
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    int byte = 0;
    for (std::size_t j = 0; j < 2; ++j) {
      const char16_t c = text[i + j];
      int digit = -1;
      if (c >= u'0' && c <= u'9')
        digit = c - u'0';
      else if (c >= u'A' && c <= u'F')
        digit = c - u'A' + 10;
      else if (c >= u'a' && c <= u'f')
        digit = c - u'a' + 10;
      if (digit < 0) {
        *problem = "'" + ToUtf8(text) + "' is not hexadecimal";
        return false;
      }
      byte = byte * 16 + digit;
    }
    bytes.push_back(static_cast<char>(byte));
  }
  value.bytes = bytes;
  value.set = true;
  return true;
}

} // namespace

bool AssignText(Value &value, const std::u16string &text, std::string *problem) {
  switch (value.type) {
  case kChar: {
    std::u16string trimmed = text;
    if (trimmed.size() > value.length) trimmed = TrimRight(trimmed);
    if (trimmed.size() > value.length) {
      *problem = "a text of " + std::to_string(trimmed.size()) +
                 " characters does not fit the field of " + std::to_string(value.length);
      return false;
    }
    value.text = PadRight(trimmed, value.length);
    value.set = true;
    return true;
  }
  case kDate:
  case kTime:
    if (text.size() != value.length || !IsDigits(text)) {
      *problem = "'" + ToUtf8(text) + "' is not " +
                 (value.type == kDate ? "a date YYYYMMDD" : "a time HHMMSS");
      return false;
    }
    value.text = text;
    value.set = true;
    return true;
  case kNum: {
    const std::u16string digits = TrimRight(text);
    if (digits.size() > value.length || !IsDigits(digits)) {
      *problem = "'" + ToUtf8(text) + "' is not a number of up to " + std::to_string(value.length) +
                 " digits";
      return false;
    }
    value.text = std::u16string(value.length - digits.size(), u'0') + digits;
    value.set = true;
    return true;
  }
  case kFloat: {
    const std::string narrow = ToUtf8(text);
    char *end = nullptr;
    const double real = std::strtod(narrow.c_str(), &end);
    if (narrow.empty() || end == nullptr || *end != '\0') {
      *problem = "'" + narrow + "' is not a number";
      return false;
    }
    value.real = real;
    value.set = true;
    return true;
  }
  case kInt8:
  case kInt:
  case kInt2:
  case kInt1:
  case kBcd: {
    std::int64_t number = 0;
    if (!ParseInteger(text, &number)) {
      *problem = "'" + ToUtf8(text) + "' is not a whole number";
      return false;
    }
    for (unsigned i = 0; value.type == kBcd && i < value.decimals; ++i) number *= 10;
    return AssignNumber(value, number, problem);
  }
  case kByte: return AssignHex(value, text, problem);
  default:
    *problem = "a text cannot be put into a field of type " + std::to_string(value.type);
    return false;
  }
}

std::u16string ValueText(const Value &value) {
  switch (value.type) {
  case kChar:
  case kDate:
  case kTime:
  case kNum: return value.text;
  case kInt:
  case kInt2:
  case kInt1:
  case kInt8: return DecimalText(value.number);
  case kFloat: {
    // The exponent form the issue saw ("4.4000000000000000E+06"), or fixed
    // notation: what the SDK writes is documented nowhere.
    char text[64];
    std::snprintf(text, sizeof text, value.float_fixed ? "%.3f" : "%.16E", value.real);
    return FromUtf8(text);
  }
  case kBcd: {
    if (value.decimals == 0) return DecimalText(value.number);
    // Packed values never reach the most negative 64-bit number, so negating is safe.
    const bool negative = value.number < 0;
    std::u16string digits = DecimalText(negative ? -value.number : value.number);
    if (digits.size() <= value.decimals)
      digits = std::u16string(value.decimals + 1 - digits.size(), u'0') + digits;
    digits.insert(digits.size() - value.decimals, 1, u'.');
    return (negative ? u"-" : u"") + digits;
  }
  case kByte: {
    static const char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string out;
    for (unsigned char byte : value.bytes) {
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 15]);
    }
    return out;
  }
  default: return std::u16string();
  }
}

} // namespace fakesdk
