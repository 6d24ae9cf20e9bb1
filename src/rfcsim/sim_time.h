// Local time as the simulated systems report it.
#ifndef QUARLANE_RFCSIM_SIM_TIME_H
#define QUARLANE_RFCSIM_SIM_TIME_H

#include <ctime>
#include <string>

#include "rfcshared/trace.h"

namespace quarlane::rfcsim {

// Where the library takes the current time from; tests pass a fixed clock.
using Clock = std::time_t (*)();
std::time_t SystemClock();

// "Thu Mar  5 09:04:00 2026": 24 characters, the day with a leading blank
// below 10, English names whatever the locale (the trace's form).
using rfcshared::TimeStampText;

// The local calendar day `days_back` days before the day of `when`, YYYYMMDD.
std::string DayText(std::time_t when, int days_back);

} // namespace quarlane::rfcsim

#endif
