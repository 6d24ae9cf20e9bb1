// What a fake system does when a function module is invoked: reads the
// caller's importing values and fills the exporting values and tables.
#ifndef QUARLANE_FAKESDK_SERVER_H
#define QUARLANE_FAKESDK_SERVER_H

#include <ctime>
#include <string>

#include "container.h"
#include "rfcshared/trace.h"
#include "script.h"

namespace fakesdk {

struct Answer {
  bool ok = true;
  std::string exception; // an ABAP exception the module raised (ok false)
  std::string runtime;   // or an ABAP runtime error (a short dump) by its name
};

// Runs the function module on the scenario's system at time `now`.
Answer Execute(const Scenario &scenario, Container &function, std::time_t now);

// YYYYMMDD of the local day `days_back` days before `now`.
std::string DayText(std::time_t now, int days_back);
// "Www Mmm dd hh:mm:ss yyyy" (day of month blank-padded), local time: the
// form the simulated library writes.
using quarlane::rfcshared::TimeStampText;
// The day a script row's day word means at time `now`.
std::string RowDay(const std::string &day, std::time_t now);

} // namespace fakesdk

#endif
