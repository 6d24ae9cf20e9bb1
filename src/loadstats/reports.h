// The three reports of the load analysis: the summary, the average response
// time per task type, and the steps per task type; the one value of a
// system in an item run, and the item run's closing report.
#ifndef QUARLANE_LOADSTATS_REPORTS_H
#define QUARLANE_LOADSTATS_REPORTS_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "loadstats/counters.h"
#include "output/report.h"

namespace quarlane {

enum class ReportKind { Summary, Responses, Transaction };

// sum / count, the remainder dropped; a count of 0 divides by 1.
std::uint32_t Average(std::uint32_t sum, std::uint32_t count);

// sum / count with two decimals, rounded ("523.47"); a count of 0 divides by 1.
std::string ExactAverage(std::uint32_t sum, std::uint32_t count);

// The JSON mode's ids: a system's channel in an item run takes its id from
// its name, from 1000 to 2,147,483,646 (PRTG's last id is 2,147,483,647).
constexpr long kFirstSystemChannelId = 1000;
constexpr long kLastChannelId = 2147483647;
long SystemChannelId(const std::string &name);

// The item names a report knows: "TransActions" for the summary, the
// channel names of the responses or the transactions report.
std::vector<std::string> ItemNames(ReportKind kind);

// The sum of each counter over the fourteen types (wrapping).
TaskCounters SumOverTypes(const TypeCounters &counters);

// The report of a single-system run: its text (headed by the destination)
// and channels. The summary of one selected type says so in its text.
Report BuildReport(ReportKind kind, const TypeCounters &counters,
                   std::optional<std::size_t> selected, const std::string &destination);

// The one channel of a system in an item run: named channel_name, carrying
// the value the item name selects in the chosen report (0 when it names none).
Channel ItemChannel(ReportKind kind, const TypeCounters &counters, const std::string &item_name,
                    const std::string &channel_name);

// How the systems of an item run went: listed, processed (its channel
// written), failed (profile, logon or analysis; or no channel).
struct ItemRunCounts {
  std::uint32_t listed = 0, processed = 0, failed = 0;
  std::vector<std::string> problems; // "<profile>: <reason>" per failed or skipped system
};

// The closing report of an item run, after its systems' channels:
// "(***) <item>: NoSystems=<listed>, Processed=<n>, Failed=<n>"; its channels
// (Systems, Processed, Failed) and problems are the JSON mode's alone.
Report ItemRunReport(const std::string &item_name, const ItemRunCounts &counts);

} // namespace quarlane

#endif
