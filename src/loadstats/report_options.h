// The part of the parameter string that the load analysis reads its option
// words from.
#ifndef QUARLANE_LOADSTATS_REPORT_OPTIONS_H
#define QUARLANE_LOADSTATS_REPORT_OPTIONS_H

#include <string>

#include "sensor/run_context.h"

namespace quarlane {

// params with every item option blanked out: "ITEM=" and the characters taken
// as the item name after it (up to a blank, a comma or the end, at most 90).
// The item names the value to report; it is no option word of its own, so
// ITEM=TransActions must not choose the transaction report, nor
// ITEM=Avg:Dialog select the dialog type.
std::string WithoutItemOption(const std::string &params);

// The text the report choice and the task-type words are searched in: params,
// without the item option in an item run.
std::string LoadAnalysisOptions(const RunContext &ctx);

} // namespace quarlane

#endif
