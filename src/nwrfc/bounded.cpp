#include "nwrfc/bounded.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace quarlane::nwrfc {

struct BoundedWorker::State {
  std::mutex mutex;
  std::condition_variable changed;
  std::function<void()> work; // the operation given and not yet taken
  bool busy = false;          // an operation is given or running
  bool stop = false;
  bool abandoned = false;
};

namespace {

void Serve(const std::shared_ptr<BoundedWorker::State> &state);

std::atomic<bool> g_left_behind{false};

// A cancel on its own thread: `done` is set (under the state's mutex) when
// it has returned.
struct CancelRun {
  bool done = false;
};

} // namespace

bool ThreadsLeftBehind() { return g_left_behind.load(); }
void NoteThreadLeftBehind() { g_left_behind.store(true); }

BoundedWorker::BoundedWorker() : state_(std::make_shared<State>()) {}

BoundedWorker::~BoundedWorker() {
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->stop = true;
  }
  state_->changed.notify_all();
  if (!thread_.joinable()) return;
  // A worker that ended its work is joined: its thread is then wholly gone,
  // not still on its way out while the program ends (which 64-bit Wine now
  // and then answered with a segmentation fault). Only one left running is
  // detached.
  if (abandoned())
    thread_.detach();
  else
    thread_.join();
}

bool BoundedWorker::abandoned() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->abandoned;
}

BoundedOutcome BoundedWorker::Run(std::function<void()> work, Clock::time_point deadline,
                                  std::function<void()> cancel, std::chrono::milliseconds grace) {
  if (abandoned()) return BoundedOutcome::Abandoned;
  if (!thread_.joinable()) {
    std::shared_ptr<State> state = state_;
    thread_ = std::thread([state] { Serve(state); });
  }
  std::unique_lock<std::mutex> lock(state_->mutex);
  state_->work = std::move(work);
  state_->busy = true;
  // Woken after the mutex is free, the worker need not wait for it again.
  lock.unlock();
  state_->changed.notify_all();
  lock.lock();
  auto idle = [this] { return !state_->busy; };
  if (state_->changed.wait_until(lock, deadline, idle)) return BoundedOutcome::Finished;
  if (cancel) {
    auto run = std::make_shared<CancelRun>();
    std::shared_ptr<State> state = state_;
    lock.unlock();
    try {
      std::thread([state, run, cancel] {
        try {
          cancel();
        } catch (...) {
        }
        {
          std::lock_guard<std::mutex> done(state->mutex);
          run->done = true;
        }
        state->changed.notify_all();
      }).detach();
    } catch (...) {
      // No thread for the cancel: the work is left behind at the bound.
      lock.lock();
      state_->abandoned = true;
      NoteThreadLeftBehind();
      return BoundedOutcome::Abandoned;
    }
    lock.lock();
    const Clock::time_point until = Clock::now() + grace;
    if (state_->changed.wait_until(lock, until, [&] { return !state_->busy && run->done; }))
      return BoundedOutcome::Cancelled;
    if (!state_->busy) {
      // The work ended, the cancel has not returned yet: its thread is left
      // behind inside the SDK.
      NoteThreadLeftBehind();
      return BoundedOutcome::Cancelled;
    }
  }
  state_->abandoned = true;
  NoteThreadLeftBehind();
  return BoundedOutcome::Abandoned;
}

namespace {

void Serve(const std::shared_ptr<BoundedWorker::State> &state) {
  std::unique_lock<std::mutex> lock(state->mutex);
  for (;;) {
    state->changed.wait(lock, [&] { return state->stop || state->work; });
    if (!state->work) return; // stopped and idle
    std::function<void()> work = std::move(state->work);
    state->work = nullptr;
    lock.unlock();
    try {
      work();
    } catch (...) {
      // The work reports its own failures; nothing may leave the thread.
    }
    work = nullptr; // what the work shares is released before the caller hears of its end
    lock.lock();
    state->busy = false;
    if (state->abandoned) return; // nobody waits for it any more
    lock.unlock();
    state->changed.notify_all();
    lock.lock();
  }
}

} // namespace

BoundedOutcome RunBounded(std::function<void()> work, Clock::time_point deadline,
                          std::function<void()> cancel, std::chrono::milliseconds grace) {
  BoundedWorker worker;
  return worker.Run(std::move(work), deadline, std::move(cancel), grace);
}

} // namespace quarlane::nwrfc
