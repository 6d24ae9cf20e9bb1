// The time bound: a blocking SDK operation runs on a worker thread while the
// calling thread watches the clock. At the deadline the watcher cancels the
// operation (RfcCancel on its connection) and, if it still has not ended
// after a short grace, leaves it behind: the caller gets control back in
// time, whatever the SDK does.
#ifndef QUARLANE_NWRFC_BOUNDED_H
#define QUARLANE_NWRFC_BOUNDED_H

#include <chrono>
#include <functional>

namespace quarlane::nwrfc {

enum class BoundedOutcome {
  Finished,  // the work ended before the deadline
  Cancelled, // the deadline passed; cancel was called and the work then ended
  Abandoned  // the work had not ended at the deadline (plus grace after cancel)
};

using Clock = std::chrono::steady_clock;

// `work` must own (or share) everything it touches: when it is abandoned it
// runs on after RunBounded has returned. `cancel` (may be empty) is called
// once, on the calling thread, when the deadline passes; it must be safe to
// call while `work` is running.
BoundedOutcome RunBounded(std::function<void()> work, Clock::time_point deadline, std::function<void()> cancel,
                          std::chrono::milliseconds grace);

} // namespace quarlane::nwrfc

#endif
