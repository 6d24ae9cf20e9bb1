// The rows the library delivers, laid out as every librfc32 does, and rows
// built from named values.
#ifndef QUARLANE_RFCSIM_ROW_LAYOUT_H
#define QUARLANE_RFCSIM_ROW_LAYOUT_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "rfc/rfc_abi.h"
#include "rfc/rfc_rows.h"

namespace quarlane::rfcsim {

// The structures the sensor asks for, by the boundary's rule and field lists
// (rfc/rfc_rows.h).
const RowLayout &CpuAllLayout();     // CPU_ALL, 48 bytes
const RowLayout &RfcsiLayout();      // RFCSI, 200 bytes
const RowLayout &SapwlsumryLayout(); // SAPWLSUMRY, 416 bytes

const FieldLayout *FindField(const RowLayout &layout, const std::string &name); // any case

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
