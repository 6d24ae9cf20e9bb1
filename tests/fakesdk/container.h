// The fake SDK's data containers: a function's parameters, a structure, a
// table of rows. Values are held by type: texts as UTF-16 of the field's
// exact length, numbers as 64-bit integers, raw fields as bytes.
#ifndef QUARLANE_FAKESDK_CONTAINER_H
#define QUARLANE_FAKESDK_CONTAINER_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalog.h"

namespace fakesdk {

struct Container;

struct Value {
  Type type = kChar;
  unsigned length = 0;      // characters for text types, bytes for BCD and raw
  unsigned decimals = 0;    // BCD: the number holds value * 10^decimals
  std::u16string text;      // kChar, kDate, kTime, kNum
  std::int64_t number = 0;  // kInt, kInt2, kInt1, kInt8, kBcd
  double real = 0;          // kFloat
  bool float_fixed = false; // kFloat: RfcGetString gives fixed notation instead of exponent form
  std::string bytes;        // kByte
  std::unique_ptr<Container> nested; // kStructure, kTable
  bool set = false;                  // importing parameters: set by the caller
};

enum class ContainerKind { kFunction, kStructure, kTable };

struct Container {
  ContainerKind kind = ContainerKind::kStructure;
  const FunctionDesc *function = nullptr;       // kFunction
  const TypeDesc *type = nullptr;               // kStructure, and the row type of kTable
  std::vector<std::string> names;               // one per value (parameters or fields)
  std::vector<Value> values;                    // kFunction, kStructure
  std::vector<std::unique_ptr<Container>> rows; // kTable
  std::size_t current = 0;                      // kTable: the current row
};

// Initial values: blanks, zeros, "00000000" dates, empty tables.
std::unique_ptr<Container> NewFunction(const FunctionDesc &function);
std::unique_ptr<Container> NewStructure(const TypeDesc &type);
std::unique_ptr<Container> NewTable(const TypeDesc &row_type);
Container &AppendRow(Container &table);

// The value of that name in a function or structure; nullptr when none.
Value *FindValue(Container &container, const std::string &name);

// Largest magnitude a packed field of `length` bytes holds (2 * length - 1
// digits), capped to what 64 bits hold.
std::uint64_t PackedLimit(unsigned length);

// Puts text (a caller's RfcSetChars/RfcSetString, or a script value) into a
// value as its type reads it. False with *problem set when it cannot: a text
// longer than a character field (beyond trailing blanks), a number that does
// not fit, non-digits in a numeric field.
bool AssignText(Value &value, const std::u16string &text, std::string *problem);
bool AssignNumber(Value &value, std::int64_t number, std::string *problem);

// The value as the SDK's RfcGetString gives it: characters with trailing
// blanks kept for CHAR, numbers in decimal, raw bytes in hexadecimal.
std::u16string ValueText(const Value &value);

} // namespace fakesdk

#endif
