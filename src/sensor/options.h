// The parameter string of a run, read once into typed options. Options are
// fixed words searched anywhere in the upper-case string; a value is taken
// at the same place from the string with its letters unchanged.
#ifndef QUARLANE_SENSOR_OPTIONS_H
#define QUARLANE_SENSOR_OPTIONS_H

#include <optional>
#include <string>

#include "loadstats/load_analysis.h"
#include "rfc/connection.h"

namespace quarlane {

struct Options {
  bool verbose = false;            // "#", "@", "$" or "%": progress lines
  bool folder_given = false;       // "@": the profile's own folder, no PRTG folder search
  std::optional<std::string> item; // "ITEM=" and the item name after it: an item run
  std::string global_key;          // the first word, padded or cut to ten characters
  bool syslog = false;             // ",SYSLOG": the steps go to "Quarlane.Log"
  LogonOverrides overrides;        // ",HOST=", ",NO="
  std::optional<int> channel;      // "CH=" and the number after it (Kelbrun)
  AnalysisOptions analysis;        // the report, one task type, excluded task types
  // The parameters as the verbose lines show them.
  std::string single_system_text;
  std::string item_run_text;
};

// The options of a parameter string (the raw one; upper case is made here).
//  - ITEM=: the name up to a blank, a comma or the end, at most 90
//    characters, colons as blanks. It is no option word of its own: the
//    report and task-type words are searched with every "ITEM=" and its name
//    blanked out, so ITEM=TransActions does not choose the transaction
//    report, nor ITEM=Avg:Dialog select the dialog type.
//  - RESPONSE chooses the responses report, otherwise TRANSACTION the
//    transaction report, otherwise the summary.
//  - A task type's selection word selects it, the last one in table order
//    winning; never with a "-" anywhere, nor with RESPONSE or TRANSACTION.
//    Exclusion words are searched as substrings: "-UPDATE2" also excludes the
//    update type and "-HTTPS" also HTTP.
//  - ",HOST=" and ",NO=": the value up to the next comma, blank or the end
//    (empty at the end of the string).
//  - CH=: at most three characters, before a comma, read as a decimal number
//    after blanks and tabs and one sign (no digits: 0).
Options ParseOptions(const std::string &params_raw);

// A global sensor's allocation text takes the place of the parameters; only
// verbose mode stays the command line's, and the item is the allocation's own.
Options AllocationOptions(const Options &command_line, const std::string &allocation_text,
                          const std::string &item_name);

// The parameters with every item option ("ITEM=" and its name) blanked out.
std::string WithoutItemOption(const std::string &params);

} // namespace quarlane

#endif
