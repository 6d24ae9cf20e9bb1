// The three reports of the load analysis: the summary, the average response
// time per task type, and the steps per task type.
#ifndef QUARLANE_LOADSTATS_REPORTS_H
#define QUARLANE_LOADSTATS_REPORTS_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "loadstats/counters.h"
#include "sensor/run_context.h"

namespace quarlane {

enum class ReportKind { Summary, Responses, Transaction };

// "RESPONSE" in the options chooses the responses report, otherwise
// "TRANSACTION" the transaction report, otherwise the summary.
ReportKind ChooseReport(const std::string &options);

// sum / count, the remainder dropped; a count of 0 divides by 1.
std::uint32_t Average(std::uint32_t sum, std::uint32_t count);

// The sum of each counter over the fourteen types (wrapping).
TaskCounters SumOverTypes(const TypeCounters &counters);

// Single-system run: the whole document (report text and channels). Item run:
// one channel named by the system label, carrying the value the item name
// selects, written to run.out at once; the document is left empty and the
// found flag set.
void WriteReport(Run &run, ReportKind kind, const TypeCounters &counters,
                 std::optional<std::size_t> selected);

} // namespace quarlane

#endif
