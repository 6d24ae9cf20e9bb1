// The workload summary call and its rows.
#include "rfc/workload_summary.h"

#include <cstddef>
#include <cstring>
#include <optional>

#include "output/formatting.h"
#include "util/text.h"

namespace quarlane {

namespace {

constexpr std::size_t kHostIdLength = 8;
constexpr std::size_t kInstanceLength = 39;
constexpr std::size_t kDateLength = 8;
constexpr std::size_t kTypeTextLength = 7;

std::string Filled(const std::string &text, std::size_t length, char fill) {
  std::string field = text.substr(0, length);
  field.resize(length, fill);
  return field;
}

// Releases up to 4.6 know the instance only by its name in HOSTID.
bool IsOldRelease(const std::string &release) {
  // The first four bytes, a short text's terminator and what follows it as
  // zero bytes, compared unsigned with "460" and its terminator.
  const std::string bytes = Filled(release, 4, '\0');
  static const unsigned char kRelease46[4] = {'4', '6', '0', '\0'};
  return std::memcmp(bytes.data(), kRelease46, 4) <= 0;
}

// A packed field of the row, by name.
std::uint32_t PackedValue(const unsigned char *row, const char *field) {
  const FieldPlace place = SummaryStructure().Place(field);
  return DecimalToU32(PackedToText(row + place.offset, place.length, 0));
}

} // namespace

ExportingValues FormExportingValues(const SystemInfo &system) {
  const SystemIdentity &sap = system.identity;
  ExportingValues values;
  values.hostid = Filled(UpperAscii(sap.host), kHostIdLength, ' ');
  values.instance = Filled("TOTAL", kInstanceLength, ' ');
  if (!sap.instance_name.empty()) {
    values.hostid = std::string(kHostIdLength, ' ');
    values.instance = Filled(sap.instance_name, kInstanceLength, ' ');
    if (IsOldRelease(sap.sap_release)) {
      values.hostid = Filled(sap.instance_name, kHostIdLength, ' ');
      values.instance = std::string(kInstanceLength, ' ');
    }
  }
  values.periodtype = "D";
  values.startdate = Filled(system.clock.date, kDateLength, '0');
  return values;
}

const StructureDescription &SummaryStructure() {
  static const StructureDescription structure("SAPWLSUMRY", kSapwlsumryFields);
  return structure;
}

SummaryRow ReadSummaryRow(const unsigned char *row) {
  SummaryRow summary;
  for (std::size_t i = 0; i < kTypeTextLength && row[i] != '\0'; ++i)
    summary.type_text += static_cast<char>(row[i]);
  TaskCounters &c = summary.counters;
  c.count = PackedValue(row, "COUNT");
  c.db_accesses = PackedValue(row, "DBACTIVCNT");
  c.resp_time = PackedValue(row, "RESPTI");
  c.cpu_time = PackedValue(row, "CPUTI");
  c.db_time =
      PackedValue(row, "READDIRTI") + PackedValue(row, "READSEQTI") + PackedValue(row, "CHNGTI");
  c.roll_time = PackedValue(row, "ROLLTI");
  c.gui_time = PackedValue(row, "GUITIME");
  return summary;
}

Status CallLoadSummary(RfcSession &session, StepLog &log, ExportingValues &values, ITAB_H table) {
  ParameterList exporting;
  exporting.Add("HOSTID", RFCTYPE_CHAR, kHostIdLength, &values.hostid[0]);
  exporting.Add("INSTANCE", RFCTYPE_CHAR, kInstanceLength, &values.instance[0]);
  exporting.Add("PERIODTYPE", RFCTYPE_CHAR, 1, &values.periodtype[0]);
  exporting.Add("STARTDATE", RFCTYPE_DATE, kDateLength, &values.startdate[0]);
  TableList tables;
  tables.Add("SUMMARY", session.sapwlsumry_type, table);
  ParameterList importing;
  return CallAndReceive(session, log, "SAPWL_WORKLOAD_GET_SUMMARY", exporting, tables, importing);
}

Result<std::vector<SummaryRow>> ReadSummaryRows(RfcSession &session, ITAB_H table) {
  const RfcLibrary &library = *session.library;
  std::vector<SummaryRow> rows;
  const unsigned row_count = library.ItFill(table);
  for (unsigned index = 0; index < row_count; ++index) {
    const void *row = library.ItGetLine(table, index + 1); // rows are numbered from 1
    if (row == nullptr) return Failure(FailureCode::LibraryFailed, "ItGetLine SUMMARY");
    rows.push_back(ReadSummaryRow(static_cast<const unsigned char *>(row)));
  }
  return rows;
}

Result<SummaryTable> SummaryTable::Create(const RfcLibrary &library) {
  char name[] = "SUMMARY";
  ITAB_H table = library.ItCreate(name, SAPWLSUMRY_ROW_LENGTH, 0, 0);
  if (table == nullptr) return Failure(FailureCode::LibraryFailed, "ItCreate SUMMARY");
  return SummaryTable(library, table);
}

SummaryTable::SummaryTable(SummaryTable &&other) noexcept
    : library_(other.library_), table_(other.table_) {
  other.table_ = nullptr;
}

SummaryTable::~SummaryTable() { Delete(); }

bool SummaryTable::Delete() {
  if (table_ == nullptr) return true;
  ITAB_H table = table_;
  table_ = nullptr;
  return library_->ItDelete(table) == 0;
}

Result<std::vector<SummaryRow>> FetchSummaryRows(RfcSession &session, StepLog &log,
                                                 const SystemInfo &system, ITAB_H table) {
  ExportingValues values = FormExportingValues(system);
  const Status installed =
      EnsureStructureInstalled(session, SummaryStructure(), session.sapwlsumry_type);
  if (!installed) return installed.failure();
  const Status called = CallLoadSummary(session, log, values, table);
  if (!called) return called.failure();
  return ReadSummaryRows(session, table);
}

} // namespace quarlane
