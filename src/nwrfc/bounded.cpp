#include "nwrfc/bounded.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace quarlane::nwrfc {

namespace {

struct Job {
  std::function<void()> work;
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
};

} // namespace

BoundedOutcome RunBounded(std::function<void()> work, Clock::time_point deadline, std::function<void()> cancel,
                          std::chrono::milliseconds grace) {
  auto job = std::make_shared<Job>();
  job->work = std::move(work);
  // The worker shares the job: an abandoned worker still finds it alive.
  std::thread worker([job] {
    try {
      job->work();
    } catch (...) {
      // The work reports its own failures; nothing may leave the thread.
    }
    std::lock_guard<std::mutex> lock(job->mutex);
    job->done = true;
    job->ended.notify_all();
  });

  // Work that ended is joined: its thread is then wholly gone, not still on
  // its way out while the program ends (which 64-bit Wine now and then
  // answered with a segmentation fault). Only work left running is detached.
  const BoundedOutcome outcome = [&] {
    std::unique_lock<std::mutex> lock(job->mutex);
    if (job->ended.wait_until(lock, deadline, [&] { return job->done; })) return BoundedOutcome::Finished;
    if (!cancel) return BoundedOutcome::Abandoned;
    lock.unlock();
    cancel();
    lock.lock();
    if (job->ended.wait_for(lock, grace, [&] { return job->done; })) return BoundedOutcome::Cancelled;
    return BoundedOutcome::Abandoned;
  }();
  if (outcome == BoundedOutcome::Abandoned)
    worker.detach();
  else
    worker.join();
  return outcome;
}

} // namespace quarlane::nwrfc
