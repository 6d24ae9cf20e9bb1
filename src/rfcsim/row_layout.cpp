#include "rfcsim/row_layout.h"

#include <cstring>

#include "rfcsim/packed.h"
#include "rfcsim/text.h"

namespace quarlane::rfcsim {

namespace {

unsigned AlignmentOf(RFC_TYPEHANDLE type) {
  if (type == RFCTYPE_INT) return 4;
  if (type == RFCTYPE_INT2) return 2;
  return 1;
}

unsigned RoundUp(unsigned value, unsigned alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

const std::vector<FieldDefinition> &SapwlsumryFields() {
  static const std::vector<FieldDefinition> fields = {
      {"TASKTYPE", RFCTYPE_CHAR, 7},    {"FIRSTRECTI", RFCTYPE_BCD, 6}, {"FIRSTRECDY", RFCTYPE_CHAR, 8},
      {"LASTRECTI", RFCTYPE_BCD, 6},    {"LASTRECDY", RFCTYPE_CHAR, 8}, {"COUNT", RFCTYPE_BCD, 8},
      {"DBACTIVCNT", RFCTYPE_BCD, 8},   {"QUEUELIMIT", RFCTYPE_BCD, 8}, {"ELAPSEDTI", RFCTYPE_BCD, 8},
      {"RESPTI", RFCTYPE_BCD, 8},       {"CPUTI", RFCTYPE_BCD, 8},      {"QUEUETI", RFCTYPE_BCD, 8},
      {"LOADGENTI", RFCTYPE_BCD, 8},    {"COMMITTI", RFCTYPE_BCD, 8},   {"DDICTI", RFCTYPE_BCD, 8},
      {"QUETI", RFCTYPE_BCD, 8},        {"CPICTI", RFCTYPE_BCD, 8},     {"MCODETI", RFCTYPE_BCD, 8},
      {"ROLLINCNT", RFCTYPE_BCD, 8},    {"ROLLINSTEP", RFCTYPE_BCD, 8}, {"ROLLINTI", RFCTYPE_BCD, 8},
      {"ROLLOUTCNT", RFCTYPE_BCD, 8},   {"ROLLOUTSTP", RFCTYPE_BCD, 8}, {"ROLLOUTTI", RFCTYPE_BCD, 8},
      {"ROLLSTEP", RFCTYPE_BCD, 8},     {"ROLLWAITTI", RFCTYPE_BCD, 8}, {"ROLLTI", RFCTYPE_BCD, 8},
      {"READDIRCNT", RFCTYPE_BCD, 8},   {"READDIRTI", RFCTYPE_BCD, 8},  {"READDIRBUF", RFCTYPE_BCD, 8},
      {"READDIRREC", RFCTYPE_BCD, 8},   {"READSEQCNT", RFCTYPE_BCD, 8}, {"READSEQTI", RFCTYPE_BCD, 8},
      {"READSEQBUF", RFCTYPE_BCD, 8},   {"READSEQREC", RFCTYPE_BCD, 8}, {"CHNGCNT", RFCTYPE_BCD, 8},
      {"CHNGTI", RFCTYPE_BCD, 8},       {"CHNGREC", RFCTYPE_BCD, 8},    {"PHYREADCNT", RFCTYPE_BCD, 8},
      {"PHYCHNGREC", RFCTYPE_BCD, 8},   {"MCREADCNT", RFCTYPE_BCD, 8},  {"MCCHNGCNT", RFCTYPE_BCD, 8},
      {"PHYCALLS", RFCTYPE_BCD, 8},     {"BYTES", RFCTYPE_BCD, 8},      {"LOCKTI", RFCTYPE_BCD, 8},
      {"CNT001", RFCTYPE_INT, 4},       {"CNT002", RFCTYPE_INT, 4},     {"CNT003", RFCTYPE_INT, 4},
      {"CNT004", RFCTYPE_INT, 4},       {"CNT005", RFCTYPE_INT, 4},     {"CNT006", RFCTYPE_INT, 4},
      {"CNT007", RFCTYPE_INT, 4},       {"CNT008", RFCTYPE_INT, 4},     {"CNT009", RFCTYPE_INT, 4},
      {"GUITIME", RFCTYPE_BCD, 8},      {"GUICNT", RFCTYPE_BCD, 8},     {"GUINETTIME", RFCTYPE_BCD, 8},
  };
  return fields;
}

void WriteNumber(const Field &field, std::int64_t value, unsigned char *at) {
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
  case RFCTYPE_BCD:
    EncodePacked(ClampToPacked(value, field.length), field.length, at);
    break;
  default:
    break;
  }
}

} // namespace

RowLayout LayOutRow(const std::string &name, const std::vector<FieldDefinition> &fields) {
  RowLayout layout;
  layout.name = name;
  unsigned offset = 0;
  unsigned widest = 1;
  for (const FieldDefinition &definition : fields) {
    const unsigned alignment = AlignmentOf(definition.type);
    if (alignment > widest) widest = alignment;
    offset = RoundUp(offset, alignment);
    layout.fields.push_back(Field{definition.name, definition.type, definition.length, offset});
    offset += definition.length;
  }
  layout.length = RoundUp(offset, widest);
  return layout;
}

const RowLayout &CpuAllLayout() {
  static const RowLayout layout = LayOutRow(
      "CPU_ALL", {{"TYPE", RFCTYPE_INT2, 2},      {"SUBTYPE", RFCTYPE_INT2, 2},  {"SERIALNR", RFCTYPE_INT2, 2},
                  {"NBR_CPU", RFCTYPE_INT, 4},    {"LOAD1_AVG", RFCTYPE_INT, 4}, {"LOAD5_AVG", RFCTYPE_INT, 4},
                  {"LOAD15_AVG", RFCTYPE_INT, 4}, {"INT_SEC", RFCTYPE_INT, 4},   {"SYSC_SEC", RFCTYPE_INT, 4},
                  {"CS_SEC", RFCTYPE_INT, 4},     {"USR_TOTAL", RFCTYPE_INT, 4}, {"SYS_TOTAL", RFCTYPE_INT, 4},
                  {"IDLE_TOTAL", RFCTYPE_INT, 4}});
  return layout;
}

const RowLayout &RfcsiLayout() {
  static const RowLayout layout = LayOutRow(
      "RFCSI", {{"RFCPROTO", RFCTYPE_CHAR, 3},   {"RFCCHARTYP", RFCTYPE_CHAR, 4}, {"RFCINTTYP", RFCTYPE_CHAR, 3},
                {"RFCFLOTYP", RFCTYPE_CHAR, 3},  {"RFCDEST", RFCTYPE_CHAR, 32},   {"RFCHOST", RFCTYPE_CHAR, 8},
                {"RFCSYSID", RFCTYPE_CHAR, 8},   {"RFCDATABS", RFCTYPE_CHAR, 8},  {"RFCDBHOST", RFCTYPE_CHAR, 32},
                {"RFCDBSYS", RFCTYPE_CHAR, 10},  {"RFCSAPRL", RFCTYPE_CHAR, 4},   {"RFCMACH", RFCTYPE_CHAR, 5},
                {"RFCOPSYS", RFCTYPE_CHAR, 10},  {"RFCTZONE", RFCTYPE_CHAR, 6},   {"RFCDAYST", RFCTYPE_CHAR, 1},
                {"RFCIPADDR", RFCTYPE_CHAR, 15}, {"RFCKERNRL", RFCTYPE_CHAR, 4},  {"RFCSI_RESV", RFCTYPE_CHAR, 44}});
  return layout;
}

const RowLayout &SapwlsumryLayout() {
  static const RowLayout layout = LayOutRow("SAPWLSUMRY", SapwlsumryFields());
  return layout;
}

const Field *FindField(const RowLayout &layout, const std::string &name) {
  for (const Field &field : layout.fields)
    if (SameText(field.name, name)) return &field;
  return nullptr;
}

Row BuildRow(const RowLayout &layout, const RowValues &values) {
  Row row(layout.length, 0);
  for (const Field &field : layout.fields) {
    unsigned char *at = row.data() + field.offset;
    if (field.type == RFCTYPE_CHAR || field.type == RFCTYPE_DATE) {
      const auto text = values.texts.find(field.name);
      const std::string padded = PadRight(text == values.texts.end() ? std::string() : text->second, field.length);
      std::memcpy(at, padded.data(), field.length);
    } else {
      const auto number = values.numbers.find(field.name);
      WriteNumber(field, number == values.numbers.end() ? 0 : number->second, at);
    }
  }
  return row;
}

} // namespace quarlane::rfcsim
