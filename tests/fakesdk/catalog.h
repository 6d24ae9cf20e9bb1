// What the fake systems know about their function modules: the parameter
// lists, structures and field lists that the SDK's metadata calls hand out.
#ifndef QUARLANE_FAKESDK_CATALOG_H
#define QUARLANE_FAKESDK_CATALOG_H

#include <string>
#include <vector>

namespace fakesdk {

// The SDK's type codes and parameter directions (the values of RFCTYPE and
// RFC_DIRECTION; exports.cpp checks them against the declarations).
enum Type : int {
  kChar = 0,
  kDate = 1,
  kBcd = 2,
  kTime = 3,
  kByte = 4,
  kTable = 5,
  kNum = 6,
  kFloat = 7,
  kInt = 8,
  kInt2 = 9,
  kInt1 = 10,
  kAbapObject = 16, // an object reference: nothing reads it as text
  kStructure = 17,
  kInt8 = 31,
};

enum Direction : int { kImport = 0x01, kExport = 0x02, kChanging = 0x03, kTables = 0x07 };

struct TypeDesc;

struct FieldDesc {
  std::string name;
  Type type;
  unsigned nuc_length; // bytes in a non-Unicode system: characters, or packed bytes
  unsigned nuc_offset;
  unsigned uc_length; // bytes in a Unicode system: two per character
  unsigned uc_offset;
  unsigned decimals;
};

struct TypeDesc {
  std::string name;
  std::vector<FieldDesc> fields;
  unsigned nuc_length;
  unsigned uc_length;
};

struct ParameterDesc {
  std::string name;
  Type type;
  Direction direction;
  unsigned nuc_length;
  unsigned uc_length;
  unsigned decimals;
  const TypeDesc *type_desc; // structures and tables: their row type
  std::string default_value;
  std::string text;
  bool optional;
};

struct FunctionDesc {
  std::string name;
  std::vector<ParameterDesc> parameters;
};

// The function modules the fake can serve; nullptr for any other name.
const FunctionDesc *FindFunction(const std::string &name);
// Every function module name the fake knows, in a fixed order.
const std::vector<std::string> &KnownFunctions();
// A structure of the catalogue by name; nullptr when unknown.
const TypeDesc *FindType(const std::string &name);
const FieldDesc *FindField(const TypeDesc &type, const std::string &name);
const ParameterDesc *FindParameter(const FunctionDesc &function, const std::string &name);

// Lays fields (name, type, length in characters or bytes, decimals) out as
// the catalogue's own structures are laid out.
struct FieldShape {
  const char *name;
  Type type;
  unsigned length;
  unsigned decimals;
};
TypeDesc MakeType(const char *name, const std::vector<FieldShape> &shapes);

// Names of the function modules.
extern const char kSystemInfo[];
extern const char kCpuAll[];
extern const char kWorkloadSummary[];
extern const char kCollectorAggregates[];

} // namespace fakesdk

#endif
