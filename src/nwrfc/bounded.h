// The time bound: a blocking SDK operation runs on a worker thread while the
// calling thread watches the clock. At the deadline the watcher cancels the
// operation (RfcCancel on its connection) and, if it still has not ended
// after a short grace, leaves it behind: the caller gets control back in
// time, whatever the SDK does.
//
// Each connection has one worker, started at its logon and reused by every
// operation on it; starting a thread per operation cost about a millisecond
// per system (bench/README.md).
#ifndef QUARLANE_NWRFC_BOUNDED_H
#define QUARLANE_NWRFC_BOUNDED_H

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace quarlane::nwrfc {

enum class BoundedOutcome {
  Finished,  // the work ended before the deadline
  Cancelled, // the deadline passed; cancel was called and the work then ended
  Abandoned  // the work had not ended at the deadline (plus grace after cancel)
};

using Clock = std::chrono::steady_clock;

// One thread that runs the operations given to it one after the other, each
// under its deadline. Used from one thread.
class BoundedWorker {
public:
  BoundedWorker();
  // Joins the thread once it is idle; a thread left behind at the bound
  // (Abandoned) is detached instead and ends when its work does.
  ~BoundedWorker();
  BoundedWorker(const BoundedWorker &) = delete;
  BoundedWorker &operator=(const BoundedWorker &) = delete;

  // `work` must own (or share) everything it touches: when it is abandoned it
  // runs on after Run has returned. `cancel` (may be empty) is called once,
  // on a helper thread of its own, when the deadline passes, so that a cancel
  // that blocks cannot hold the caller past deadline + grace; it must be safe
  // to call while `work` is running, and own what it touches too. After an
  // Abandoned outcome the worker takes no more work: Run returns Abandoned at
  // once without running it.
  BoundedOutcome Run(std::function<void()> work, Clock::time_point deadline,
                     std::function<void()> cancel, std::chrono::milliseconds grace);

  bool abandoned() const;

  struct State; // what the caller and the thread share (bounded.cpp)

private:
  std::shared_ptr<State> state_; // shared with the thread: an abandoned thread still finds it alive
  std::thread thread_;
};

// Whether a thread of the bridge was ever left behind, possibly still inside
// the SDK: an operation abandoned at its bound, a cancel that did not return
// within its grace, a close sent to the background. The process must then
// end without static destructors (rfc/rfc_abi.h QuarlaneThreadsLeftBehind).
bool ThreadsLeftBehind();
void NoteThreadLeftBehind();

// One operation on a worker of its own, joined before returning unless it
// is left behind.
BoundedOutcome RunBounded(std::function<void()> work, Clock::time_point deadline,
                          std::function<void()> cancel, std::chrono::milliseconds grace);

} // namespace quarlane::nwrfc

#endif
