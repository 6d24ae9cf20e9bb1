// The SAP system's own date and time, as the analysis is given it.
#ifndef QUARLANE_LOADSTATS_SYSTEM_CLOCK_H
#define QUARLANE_LOADSTATS_SYSTEM_CLOCK_H

#include <string>

namespace quarlane {

struct SystemClock {
  std::string date = "20000101"; // YYYYMMDD
  std::string time = "16:20:21"; // hh:mm:ss
};

} // namespace quarlane

#endif
