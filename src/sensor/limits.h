// Limit lines of a profile: the upper warning and error limits of a channel
// (single-system run, in the system's profile) or of the item (item run, in
// "Corvanta.Prf" or "SAP Corvanta.Gbl"):
//
//   Limit......: Avg Rsp-Time=800,1500
//   Limit......: TransActions=,250000
//
// The label takes columns 1 to 12 like the connection parameters' labels;
// the value is the channel's (or item's) name, "=", the warning limit, ","
// and the error limit, each a decimal number or empty (not both). A profile
// without such lines gives every document exactly as before.
#ifndef QUARLANE_SENSOR_LIMITS_H
#define QUARLANE_SENSOR_LIMITS_H

#include <map>
#include <string>
#include <vector>

#include "loadstats/reports.h"
#include "output/report.h"
#include "util/text_lines.h"

namespace quarlane {

extern const char kLimitLabel[]; // "Limit......:"

struct ChannelLimit {
  std::string warning, error; // decimal texts; empty: none
};

// The name a limit is for -> its limits; the last line for a name wins.
using Limits = std::map<std::string, ChannelLimit>;

struct LimitReading {
  Limits limits;
  // One text per line that is not a limit line as above:
  // "line <n>: <why>".
  std::vector<std::string> problems;
};

LimitReading ReadLimitLines(const std::vector<std::string> &lines);
// The same over a text held once (a long profile is not split into lines).
LimitReading ReadLimitLines(const TextLines &text);

// The limits for the channel's name (single-system run) or for the item
// (item run: `key` is the item name) set on the channel.
void ApplyLimits(const Limits &limits, const std::string &key, Channel &channel);

// The names a limit line may name in a report of this kind: its channels
// (or, for an item run, the item names, which are the same).
std::vector<std::string> LimitNames(ReportKind kind);

} // namespace quarlane

#endif
