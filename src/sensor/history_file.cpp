// The planned history carried out on the sensor profile on disk.
#include "sensor/history_file.h"

namespace quarlane {

Status WriteProfileHistory(FileSystem &files, const std::string &path, const HistoryPlan &plan) {
  if (!plan.rewrite) return Success();
  // Written aside and renamed over the profile: a failure leaves the old one.
  // The text is the profile's past its byte order mark, which goes back.
  if (!files.ReplaceText(path, plan.content)) return Failure(FailureCode::RewriteFailed, path);
  // The profile must open again; what it now holds is the content just made
  // durable, whose history the run goes on with (not read in a second time:
  // a long profile would be held over and over while it is read).
  if (!files.CanOpenForReading(path)) return Failure(FailureCode::ReopenFailed, path);
  return Success();
}

} // namespace quarlane
