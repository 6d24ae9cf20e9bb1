// The rows the library delivers: field lists, their layout in natural
// alignment, and rows built from named values.
#ifndef QUARLANE_RFCSIM_ROW_LAYOUT_H
#define QUARLANE_RFCSIM_ROW_LAYOUT_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "rfc/rfc_abi.h"

namespace quarlane::rfcsim {

struct FieldDefinition {
  const char *name;
  RFC_TYPEHANDLE type;
  unsigned length;
};

struct Field {
  std::string name;
  RFC_TYPEHANDLE type = RFCTYPE_CHAR;
  unsigned length = 0;
  unsigned offset = 0;
};

struct RowLayout {
  std::string name;
  std::vector<Field> fields;
  unsigned length = 0;
};

// Character, date and packed fields follow each other byte by byte; a
// four-byte integer starts on a multiple of 4, a two-byte one on a multiple of
// 2; the row ends on a multiple of its largest alignment.
RowLayout LayOutRow(const std::string &name, const std::vector<FieldDefinition> &fields);

const RowLayout &CpuAllLayout();     // CPU_ALL, 48 bytes
const RowLayout &RfcsiLayout();      // RFCSI, 200 bytes
const RowLayout &SapwlsumryLayout(); // SAPWLSUMRY, 416 bytes

const Field *FindField(const RowLayout &layout, const std::string &name); // any case

// Named values of one row; fields without a value are blanks (character and
// date) or zero (numbers).
struct RowValues {
  std::map<std::string, std::string> texts;    // by upper-case field name
  std::map<std::string, std::int64_t> numbers; // by upper-case field name
};

using Row = std::vector<unsigned char>;

// Numbers are written as the field holds them: integers as their low 32 or
// 16 bits in native byte order, packed values clamped to the field's digits.
Row BuildRow(const RowLayout &layout, const RowValues &values);

} // namespace quarlane::rfcsim

#endif
