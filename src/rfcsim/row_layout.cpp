#include "rfcsim/row_layout.h"

#include <cstring>

#include "rfcsim/packed.h"
#include "rfcsim/text.h"

namespace quarlane::rfcsim {

namespace {

void WriteNumber(const FieldLayout &field, std::int64_t value, unsigned char *at) {
  switch (field.type) {
  case RFCTYPE_INT: {
    const std::uint32_t bits = static_cast<std::uint32_t>(value);
    std::memcpy(at, &bits, sizeof bits);
    break;
  }
  case RFCTYPE_INT2: {
    const std::uint16_t bits = static_cast<std::uint16_t>(value);
    std::memcpy(at, &bits, sizeof bits);
    break;
  }
  case RFCTYPE_BCD: EncodePacked(ClampToPacked(value, field.length), field.length, at); break;
  default: break;
  }
}

} // namespace

const RowLayout &CpuAllLayout() {
  static const RowLayout layout = LayOutRow("CPU_ALL", kCpuAllFields);
  return layout;
}

const RowLayout &RfcsiLayout() {
  static const RowLayout layout = LayOutRow("RFCSI", kRfcsiFields);
  return layout;
}

const RowLayout &SapwlsumryLayout() {
  static const RowLayout layout = LayOutRow("SAPWLSUMRY", kSapwlsumryFields);
  return layout;
}

const FieldLayout *FindField(const RowLayout &layout, const std::string &name) {
  for (const FieldLayout &field : layout.fields)
    if (SameText(field.name, name)) return &field;
  return nullptr;
}

Row BuildRow(const RowLayout &layout, const RowValues &values) {
  Row row(layout.length, 0);
  for (const FieldLayout &field : layout.fields) {
    unsigned char *at = row.data() + field.offset;
    if (field.type == RFCTYPE_CHAR || field.type == RFCTYPE_DATE) {
      const auto text = values.texts.find(field.name);
      const std::string padded =
          PadRight(text == values.texts.end() ? std::string() : text->second, field.length);
      std::memcpy(at, padded.data(), field.length);
    } else {
      const auto number = values.numbers.find(field.name);
      WriteNumber(field, number == values.numbers.end() ? 0 : number->second, at);
    }
  }
  return row;
}

} // namespace quarlane::rfcsim
