// How a librfc32 lays out the rows of a structure, and the structures the
// sensor asks for. The sensor reads rows at these places and both libraries
// build them there, so the rule and the field lists stand here once, next to
// the boundary (rfc_abi.h) and needing nothing else.
#ifndef QUARLANE_RFC_RFC_ROWS_H
#define QUARLANE_RFC_RFC_ROWS_H

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "rfc/rfc_abi.h"

namespace quarlane {

// One field of a structure, in the structure's order.
struct ElementLayout {
  const char *name;
  RFC_TYPEHANDLE type;
  unsigned length;
};

// A field of a laid-out row.
struct FieldLayout {
  std::string name;
  RFC_TYPEHANDLE type = RFCTYPE_CHAR;
  unsigned length = 0;
  unsigned decimals = 0; // packed fields only
  unsigned offset = 0;
};

struct RowLayout {
  std::string name;
  std::vector<FieldLayout> fields;
  unsigned length = 0;
};

// Character, date and packed fields follow each other byte by byte; a
// four-byte integer starts on a multiple of 4, a two-byte one on a multiple
// of 2; the row ends on a multiple of its largest alignment.
constexpr unsigned AlignmentOf(RFC_TYPEHANDLE type) {
  return type == RFCTYPE_INT ? 4 : type == RFCTYPE_INT2 ? 2 : 1;
}

constexpr unsigned RoundUp(unsigned value, unsigned alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// The fields' offsets are set here; whatever they held is replaced.
inline RowLayout LayOutRow(std::string name, std::vector<FieldLayout> fields) {
  RowLayout layout;
  layout.name = std::move(name);
  unsigned offset = 0, widest = 1;
  for (FieldLayout &field : fields) {
    const unsigned alignment = AlignmentOf(field.type);
    if (alignment > widest) widest = alignment;
    field.offset = offset = RoundUp(offset, alignment);
    offset += field.length;
  }
  layout.fields = std::move(fields);
  layout.length = RoundUp(offset, widest);
  return layout;
}

inline RowLayout LayOutRow(std::string name, const ElementLayout *elements, std::size_t count) {
  std::vector<FieldLayout> fields;
  fields.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    FieldLayout field;
    field.name = elements[i].name;
    field.type = elements[i].type;
    field.length = elements[i].length;
    fields.push_back(std::move(field));
  }
  return LayOutRow(std::move(name), std::move(fields));
}

template <std::size_t N> RowLayout LayOutRow(std::string name, const ElementLayout (&elements)[N]) {
  return LayOutRow(std::move(name), elements, N);
}

// GET_CPU_ALL's table TF_CPU_ALL: CPU_ALL_ROW_LENGTH bytes.
inline constexpr ElementLayout kCpuAllFields[] = {
    {"TYPE", RFCTYPE_INT2, 2},      {"SUBTYPE", RFCTYPE_INT2, 2},  {"SERIALNR", RFCTYPE_INT2, 2},
    {"NBR_CPU", RFCTYPE_INT, 4},    {"LOAD1_AVG", RFCTYPE_INT, 4}, {"LOAD5_AVG", RFCTYPE_INT, 4},
    {"LOAD15_AVG", RFCTYPE_INT, 4}, {"INT_SEC", RFCTYPE_INT, 4},   {"SYSC_SEC", RFCTYPE_INT, 4},
    {"CS_SEC", RFCTYPE_INT, 4},     {"USR_TOTAL", RFCTYPE_INT, 4}, {"SYS_TOTAL", RFCTYPE_INT, 4},
    {"IDLE_TOTAL", RFCTYPE_INT, 4},
};

// RFC_SYSTEM_INFO's RFCSI_EXPORT: RFCSI_ROW_LENGTH bytes.
inline constexpr ElementLayout kRfcsiFields[] = {
    {"RFCPROTO", RFCTYPE_CHAR, 3},   {"RFCCHARTYP", RFCTYPE_CHAR, 4},
    {"RFCINTTYP", RFCTYPE_CHAR, 3},  {"RFCFLOTYP", RFCTYPE_CHAR, 3},
    {"RFCDEST", RFCTYPE_CHAR, 32},   {"RFCHOST", RFCTYPE_CHAR, 8},
    {"RFCSYSID", RFCTYPE_CHAR, 8},   {"RFCDATABS", RFCTYPE_CHAR, 8},
    {"RFCDBHOST", RFCTYPE_CHAR, 32}, {"RFCDBSYS", RFCTYPE_CHAR, 10},
    {"RFCSAPRL", RFCTYPE_CHAR, 4},   {"RFCMACH", RFCTYPE_CHAR, 5},
    {"RFCOPSYS", RFCTYPE_CHAR, 10},  {"RFCTZONE", RFCTYPE_CHAR, 6},
    {"RFCDAYST", RFCTYPE_CHAR, 1},   {"RFCIPADDR", RFCTYPE_CHAR, 15},
    {"RFCKERNRL", RFCTYPE_CHAR, 4},  {"RFCSI_RESV", RFCTYPE_CHAR, 44},
};

// SAPWL_WORKLOAD_GET_SUMMARY's table SUMMARY: SAPWLSUMRY_ROW_LENGTH bytes.
inline constexpr ElementLayout kSapwlsumryFields[] = {
    {"TASKTYPE", RFCTYPE_CHAR, 7},  {"FIRSTRECTI", RFCTYPE_BCD, 6}, {"FIRSTRECDY", RFCTYPE_CHAR, 8},
    {"LASTRECTI", RFCTYPE_BCD, 6},  {"LASTRECDY", RFCTYPE_CHAR, 8}, {"COUNT", RFCTYPE_BCD, 8},
    {"DBACTIVCNT", RFCTYPE_BCD, 8}, {"QUEUELIMIT", RFCTYPE_BCD, 8}, {"ELAPSEDTI", RFCTYPE_BCD, 8},
    {"RESPTI", RFCTYPE_BCD, 8},     {"CPUTI", RFCTYPE_BCD, 8},      {"QUEUETI", RFCTYPE_BCD, 8},
    {"LOADGENTI", RFCTYPE_BCD, 8},  {"COMMITTI", RFCTYPE_BCD, 8},   {"DDICTI", RFCTYPE_BCD, 8},
    {"QUETI", RFCTYPE_BCD, 8},      {"CPICTI", RFCTYPE_BCD, 8},     {"MCODETI", RFCTYPE_BCD, 8},
    {"ROLLINCNT", RFCTYPE_BCD, 8},  {"ROLLINSTEP", RFCTYPE_BCD, 8}, {"ROLLINTI", RFCTYPE_BCD, 8},
    {"ROLLOUTCNT", RFCTYPE_BCD, 8}, {"ROLLOUTSTP", RFCTYPE_BCD, 8}, {"ROLLOUTTI", RFCTYPE_BCD, 8},
    {"ROLLSTEP", RFCTYPE_BCD, 8},   {"ROLLWAITTI", RFCTYPE_BCD, 8}, {"ROLLTI", RFCTYPE_BCD, 8},
    {"READDIRCNT", RFCTYPE_BCD, 8}, {"READDIRTI", RFCTYPE_BCD, 8},  {"READDIRBUF", RFCTYPE_BCD, 8},
    {"READDIRREC", RFCTYPE_BCD, 8}, {"READSEQCNT", RFCTYPE_BCD, 8}, {"READSEQTI", RFCTYPE_BCD, 8},
    {"READSEQBUF", RFCTYPE_BCD, 8}, {"READSEQREC", RFCTYPE_BCD, 8}, {"CHNGCNT", RFCTYPE_BCD, 8},
    {"CHNGTI", RFCTYPE_BCD, 8},     {"CHNGREC", RFCTYPE_BCD, 8},    {"PHYREADCNT", RFCTYPE_BCD, 8},
    {"PHYCHNGREC", RFCTYPE_BCD, 8}, {"MCREADCNT", RFCTYPE_BCD, 8},  {"MCCHNGCNT", RFCTYPE_BCD, 8},
    {"PHYCALLS", RFCTYPE_BCD, 8},   {"BYTES", RFCTYPE_BCD, 8},      {"LOCKTI", RFCTYPE_BCD, 8},
    {"CNT001", RFCTYPE_INT, 4},     {"CNT002", RFCTYPE_INT, 4},     {"CNT003", RFCTYPE_INT, 4},
    {"CNT004", RFCTYPE_INT, 4},     {"CNT005", RFCTYPE_INT, 4},     {"CNT006", RFCTYPE_INT, 4},
    {"CNT007", RFCTYPE_INT, 4},     {"CNT008", RFCTYPE_INT, 4},     {"CNT009", RFCTYPE_INT, 4},
    {"GUITIME", RFCTYPE_BCD, 8},    {"GUICNT", RFCTYPE_BCD, 8},     {"GUINETTIME", RFCTYPE_BCD, 8},
};

} // namespace quarlane

#endif
