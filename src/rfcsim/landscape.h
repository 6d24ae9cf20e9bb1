// The simulated SAP landscape: the systems the library serves, read from the
// file "SapLandscape.ini" in the working folder.
#ifndef QUARLANE_RFCSIM_LANDSCAPE_H
#define QUARLANE_RFCSIM_LANDSCAPE_H

#include <map>
#include <string>
#include <vector>

#include "rfcsim/faults.h"
#include "rfcsim/row_layout.h"

namespace quarlane::rfcsim {

extern const char kLandscapeFileName[]; // "SapLandscape.ini"

// A workload day: a fixed YYYYMMDD, or "today" less a number of days.
struct WorkloadDay {
  bool relative = true;
  int days_back = 0;
  std::string ymd;
};

struct WorkloadRow {
  WorkloadDay day;
  bool instance_given = false;
  std::string instance; // the instance whose statistics the row belongs to
  RowValues values;     // SAPWLSUMRY fields
};

struct SapSystem {
  std::string name; // the destination that selects it
  std::string client, user, password;
  std::string host; // empty: any host name is accepted
  bool sysnr_given = false;
  int sysnr = 0;
  std::string gwhost, gwservice; // empty: any gateway is accepted
  // RFCSI fields and the importing values of GET_CPU_ALL and RFC_SYSTEM_INFO,
  // by their upper-case names; LASTCOLLWRT "now" is the time of the call.
  std::map<std::string, std::string> values;
  std::vector<RowValues> cpu_rows;
  std::vector<WorkloadRow> workload;
  std::vector<Fault> faults;
};

struct Landscape {
  bool found = false;        // the file was there and could be read
  std::string path;          // the file looked for
  std::string call_log;      // [sim] calllog; empty: no call log
  std::vector<Fault> faults; // [sim] faults: apply to every system
  std::vector<SapSystem> systems;
  std::vector<std::string>
      problems; // "SapLandscape.ini line 12: ..."; any problem stops every open
};

// Reads the text of a landscape file; `file_name` names it in the problems.
Landscape ParseLandscape(const std::string &text, const std::string &file_name);

// Reads "SapLandscape.ini" in `folder` (empty: the working folder).
Landscape LoadLandscape(const std::string &folder);

// The system of that destination (blanks around it and case ignored), or NULL.
const SapSystem *FindSystem(const Landscape &landscape, const std::string &destination);

// The value a system reports under that upper-case name, or empty.
std::string SystemValue(const SapSystem &system, const std::string &name);

} // namespace quarlane::rfcsim

#endif
