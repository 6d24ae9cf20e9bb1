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

// Calls the function module with the exporting values into the table (the
// structure SAPWLSUMRY installed); fails as CallAndReceive does.
Status CallLoadSummary(RfcSession &session, StepLog &log, ExportingValues &values, ITAB_H table);

// Every row of the filled table, read once; a row the library cannot give is
// LibraryFailed ("ItGetLine SUMMARY").
Result<std::vector<SummaryRow>> ReadSummaryRows(RfcSession &session, ITAB_H table);

// The summary table, from before the call to the end of the system's
// analysis whatever its outcome, so that no rows survive into the next
// system. It goes back (GiveBack) after the analysis, which may have
// rewritten the history or written the system's channel.
class SummaryTable {
public:
  // LibraryFailed ("ItCreate SUMMARY") when the library cannot create it.
  static Result<SummaryTable> Create(const RfcLibrary &library);
  SummaryTable(SummaryTable &&other) noexcept;
  SummaryTable(const SummaryTable &) = delete;
  SummaryTable &operator=(const SummaryTable &) = delete;
  SummaryTable &operator=(SummaryTable &&) = delete;
  ~SummaryTable(); // gives the table back if GiveBack was not called

  ITAB_H handle() const { return table_; }

  // Gives the table back and passes the analysis's outcome on; a table the
  // library cannot take back is LibraryFailed ("ItDelete SUMMARY"). After a
  // library failure the library is left alone: the run ends with its block.
  template <typename T> Result<T> GiveBack(Result<T> outcome) {
    if (!outcome && IsLibraryFailure(outcome.failure())) {
      table_ = nullptr;
      return outcome;
    }
    if (!Delete()) return Failure(FailureCode::LibraryFailed, "ItDelete SUMMARY");
    return outcome;
  }

private:
  SummaryTable(const RfcLibrary &library, ITAB_H table) : library_(&library), table_(table) {}
  bool Delete(); // false when the library refused it

  const RfcLibrary *library_;
  ITAB_H table_ = nullptr;
};

// The summary call into the table; its rows when it succeeded, otherwise the
// call's failure (1012 to 1015) or LibraryFailed.
Result<std::vector<SummaryRow>> FetchSummaryRows(RfcSession &session, StepLog &log,
                                                 const SystemInfo &system, ITAB_H table);

} // namespace quarlane

#endif
