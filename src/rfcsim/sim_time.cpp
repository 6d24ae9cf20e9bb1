#include "rfcsim/sim_time.h"

#include <cstdio>

namespace quarlane::rfcsim {

using rfcshared::LocalTime;

std::time_t SystemClock() { return std::time(nullptr); }

std::string DayText(std::time_t when, int days_back) {
  std::tm day = LocalTime(when);
  // Noon keeps a daylight-saving change from moving the result to another day.
  day.tm_hour = 12;
  day.tm_min = 0;
  day.tm_sec = 0;
  day.tm_mday -= days_back;
  day.tm_isdst = -1;
  const std::time_t normalised = std::mktime(&day);
  const std::tm result = LocalTime(normalised);
  char text[64];
  std::snprintf(text, sizeof text, "%04d%02d%02d", result.tm_year + 1900, result.tm_mon + 1,
                result.tm_mday);
  return text;
}

} // namespace quarlane::rfcsim
