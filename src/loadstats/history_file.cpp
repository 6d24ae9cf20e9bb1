// The history update applied to the sensor profile on disk.
#include "loadstats/history_file.h"

#include <utility>

#include "loadstats/history.h"
#include "platform/files.h"

namespace quarlane {

bool UpdateProfileHistory(Run &run, const DayCounts &day, std::uint32_t &carried_total) {
  const HistoryPlan plan = PlanHistoryUpdate(run.profile_lines, run.sap.SystemDate,
                                             run.sap.SystemTime, day, PlatformLineEnd());
  carried_total = plan.carried_total;
  if (!plan.rewrite)
    return true;

  const std::string &path = run.ctx.profile_path;
  // Written aside and renamed over the profile: a failure leaves the old one.
  if (!ReplaceFileAtomically(path, plan.content)) {
    run.ctx.run_status = "ERR";
    run.doc.text += "Error 1016: ReWriting of Profile " + path + " failed !";
    return false;
  }
  std::optional<std::vector<std::string>> lines = ReadLines(path);
  if (!lines) {
    run.ctx.run_status = "ERR";
    run.doc.text += "Error 1017: ReOpening of Profile " + path + " failed !";
    return false;
  }
  run.profile_lines = std::move(*lines);
  return true;
}

} // namespace quarlane
