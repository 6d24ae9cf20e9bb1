// Which workload rows SAPWL_WORKLOAD_GET_SUMMARY answers with.
#ifndef QUARLANE_RFCSIM_WORKLOAD_H
#define QUARLANE_RFCSIM_WORKLOAD_H

#include <ctime>
#include <string>
#include <vector>

#include "rfcsim/landscape.h"

namespace quarlane::rfcsim {

// The exporting values as received (blank-padded texts).
struct WorkloadQuery {
  std::string hostid;
  std::string instance;
  std::string periodtype = "D";
  std::string startdate;
};

// The rows of one day (STARTDATE; "today" rows resolved against `now`) and
// one instance, chosen as the system would:
//  - INSTANCE "TOTAL": the whole system, for HOSTID blank or the system's own
//    host (RFCHOST). Rows written for instance TOTAL are taken as they are;
//    otherwise the day's rows of all instances are added up per task type.
//  - INSTANCE another name: the rows of that instance.
//  - INSTANCE blank, HOSTID set (older releases): the rows of the first
//    instance whose name starts with those 8 characters.
// Anything else, a period other than D (day), or a day without rows gives no
// rows. Names are compared without regard to case.
std::vector<RowValues> SelectWorkload(const SapSystem &system, const WorkloadQuery &query,
                                      std::time_t now);

} // namespace quarlane::rfcsim

#endif
