// The history update applied to the sensor profile on disk.
#include "loadstats/history_file.h"

#include <optional>
#include <utility>

#include "platform/files.h"

namespace quarlane {

Result<HistoryUpdate> UpdateProfileHistory(SensorProfile profile, const SystemClock &clock,
                                           const DayCounts &day) {
  HistoryUpdate update;
  // The plan takes the profile's text over: the new content replaces it.
  HistoryPlan plan =
      PlanHistoryUpdate(std::move(profile.text), clock.date, clock.time, day, PlatformLineEnd());
  update.carried_total = plan.carried_total;
  if (!plan.rewrite) {
    update.history = std::move(plan.history);
    return update;
  }

  const std::string &path = profile.path;
  // Written aside and renamed over the profile: a failure leaves the old one.
  // The text is the profile's past its byte order mark, which goes back.
  if (!ReplaceTextAtomically(path, plan.content))
    return Failure{"Error 1016: ReWriting of Profile " + path + " failed !"};
  // The profile must open again; what it now holds is the content just made
  // durable, whose history the run goes on with (not read in a second time:
  // a long profile would be held over and over while it is read).
  if (!CanOpenForReading(path))
    return Failure{"Error 1017: ReOpening of Profile " + path + " failed !"};
  update.history = FindHistoryLines(TextLines(std::move(plan.content)));
  return update;
}

} // namespace quarlane
