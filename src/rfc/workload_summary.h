// The day's workload summary of one SAP instance: the call of
// SAPWL_WORKLOAD_GET_SUMMARY and the rows it delivers.
#ifndef QUARLANE_RFC_WORKLOAD_SUMMARY_H
#define QUARLANE_RFC_WORKLOAD_SUMMARY_H

#include <string>
#include <vector>

#include "loadstats/counters.h"
#include "rfc/log_hook.h"
#include "rfc/remote_calls.h"
#include "rfc/session.h"
#include "util/result.h"

namespace quarlane {

// The exporting values of the call, each exactly as long as its parameter
// (HOSTID 8, INSTANCE 39, PERIODTYPE 1, STARTDATE 8), blank- or zero-filled.
struct ExportingValues {
  std::string hostid;
  std::string instance;
  std::string periodtype;
  std::string startdate;
};

// Without an instance name the summary of the whole system ("TOTAL") on the
// upper-cased host. With one, the instance itself; releases up to 4.6 (the
// first four bytes of the release, its terminator counting as a byte,
// compared with "460" and a zero byte) take the instance name as HOSTID and a
// blank INSTANCE instead.
ExportingValues FormExportingValues(const SystemInfo &system);

// The 57 fields of the structure SAPWLSUMRY; the library lays the 416-byte
// row out.
const StructureDescription &SummaryStructure();

// The fields the load analysis reads, at their places in a 416-byte row.
SummaryRow ReadSummaryRow(const unsigned char *row);

// Installs SAPWLSUMRY at the first call of the process, then calls the
// function module with the exporting values into the table. Returns the RFC
// result code; on codes 2 and 3 the exception name is in exception.
RFC_RC CallLoadSummary(RfcSession &session, StepLog &log, ExportingValues &values, ITAB_H table,
                       std::string &exception);

// Every row of the filled table, read once; a row the library cannot give
// goes to ReportRfcError("ItGetLine SUMMARY").
std::vector<SummaryRow> ReadSummaryRows(RfcSession &session, ITAB_H table);

// The summary table, from before the call to the end of the system's
// analysis whatever its outcome, so that no rows survive into the next
// system. A table the library cannot create or give back is a library
// failure (ReportRfcError): the back-giving comes after the analysis, which
// may have rewritten the history or written the system's channel.
class SummaryTable {
public:
  explicit SummaryTable(const RfcLibrary &library);
  SummaryTable(const SummaryTable &) = delete;
  SummaryTable &operator=(const SummaryTable &) = delete;
  ~SummaryTable();

  ITAB_H handle() const { return table_; }

private:
  const RfcLibrary &library_;
  ITAB_H table_ = nullptr;
};

// The summary call into the table; its rows when it succeeded, otherwise the
// call's failure (1012 to 1015).
Result<std::vector<SummaryRow>> FetchSummaryRows(RfcSession &session, StepLog &log,
                                                 const SystemInfo &system, ITAB_H table);

} // namespace quarlane

#endif
