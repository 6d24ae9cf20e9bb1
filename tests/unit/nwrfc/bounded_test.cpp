#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>

#include "nwrfc/bounded.h"

namespace quarlane::nwrfc {
namespace {

using std::chrono::milliseconds;

long long Elapsed(Clock::time_point since) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - since).count();
}

TEST(NwrfcBounded, WorkThatEndsInTimeIsNotCancelled) {
  auto cancelled = std::make_shared<std::atomic<bool>>(false);
  auto done = std::make_shared<std::atomic<bool>>(false);
  const BoundedOutcome outcome =
      RunBounded([done] { *done = true; }, Clock::now() + milliseconds(2000),
                 [cancelled] { *cancelled = true; }, milliseconds(100));
  EXPECT_EQ(outcome, BoundedOutcome::Finished);
  EXPECT_TRUE(*done);
  EXPECT_FALSE(*cancelled);
}

// What a thread holds until it has wholly ended: its thread-local objects
// are destroyed on the way out, after the work itself has returned.
struct ThreadExitMark {
  std::shared_ptr<std::atomic<bool>> ended;
  ~ThreadExitMark() {
    std::this_thread::sleep_for(milliseconds(200)); // a slow way out widens the window
    if (ended) *ended = true;
  }
};
thread_local ThreadExitMark exit_mark;

TEST(NwrfcBounded, WorkThatEndedHasLeftItsThreadWhenControlReturns) {
  // A worker still on its way out when the caller returns runs on while the
  // program ends; under 64-bit Wine that now and then killed the process
  // after it had written its document. Both ways of ending in time must wait
  // for the thread itself.
  struct Case {
    const char *name;
    bool hangs_until_cancelled;
    BoundedOutcome expected;
  };
  for (const Case &c : {Case{"ends in time", false, BoundedOutcome::Finished},
                        Case{"cancelled, then ends", true, BoundedOutcome::Cancelled}}) {
    SCOPED_TRACE(c.name);
    auto thread_ended = std::make_shared<std::atomic<bool>>(false);
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    const bool hangs = c.hangs_until_cancelled;
    const BoundedOutcome outcome = RunBounded(
        [thread_ended, cancelled, hangs] {
          exit_mark.ended = thread_ended;
          while (hangs && !*cancelled) std::this_thread::sleep_for(milliseconds(5));
        },
        Clock::now() + milliseconds(hangs ? 100 : 5000), [cancelled] { *cancelled = true; },
        milliseconds(2000));
    EXPECT_EQ(outcome, c.expected);
    EXPECT_TRUE(*thread_ended);
  }
}

TEST(NwrfcBounded, HungWorkIsCancelledAtTheDeadline) {
  // A call that blocks until it is cancelled, like RfcInvoke and RfcCancel.
  auto cancelled = std::make_shared<std::atomic<bool>>(false);
  const Clock::time_point start = Clock::now();
  const BoundedOutcome outcome = RunBounded(
      [cancelled] {
        while (!*cancelled) std::this_thread::sleep_for(milliseconds(5));
      },
      start + milliseconds(300), [cancelled] { *cancelled = true; }, milliseconds(1000));
  EXPECT_EQ(outcome, BoundedOutcome::Cancelled);
  EXPECT_GE(Elapsed(start), 290);
  EXPECT_LT(Elapsed(start), 1200);
}

TEST(NwrfcBounded, WorkThatIgnoresTheCancelIsLeftBehindInTime) {
  auto release = std::make_shared<std::atomic<bool>>(false);
  auto ended = std::make_shared<std::atomic<bool>>(false);
  const Clock::time_point start = Clock::now();
  const BoundedOutcome outcome = RunBounded(
      [release, ended] {
        while (!*release) std::this_thread::sleep_for(milliseconds(5));
        *ended = true;
      },
      start + milliseconds(200), [] {}, milliseconds(200));
  EXPECT_EQ(outcome, BoundedOutcome::Abandoned);
  EXPECT_LT(Elapsed(start), 1000); // back within deadline + grace + margin
  EXPECT_FALSE(*ended);
  *release = true; // the abandoned work still finds what it shares
  for (int i = 0; i < 200 && !*ended; ++i) std::this_thread::sleep_for(milliseconds(5));
  EXPECT_TRUE(*ended);
}

// The cancel runs on a thread of its own: one that blocks (an SDK whose
// RfcCancel hangs) cannot hold the caller past deadline + grace, and the
// process then knows a thread was left behind.
TEST(NwrfcBounded, ACancelThatBlocksDoesNotHoldTheCaller) {
  auto release = std::make_shared<std::atomic<bool>>(false);
  const Clock::time_point start = Clock::now();
  const BoundedOutcome outcome = RunBounded(
      [release] {
        while (!*release) std::this_thread::sleep_for(milliseconds(5));
      },
      start + milliseconds(150),
      [release] {
        while (!*release) std::this_thread::sleep_for(milliseconds(5));
      },
      milliseconds(200));
  EXPECT_EQ(outcome, BoundedOutcome::Abandoned);
  EXPECT_LT(Elapsed(start), 1000);
  EXPECT_TRUE(ThreadsLeftBehind());
  *release = true;
}

TEST(NwrfcBounded, WithoutCancelTheWorkIsLeftAtTheDeadline) {
  auto release = std::make_shared<std::atomic<bool>>(false);
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(RunBounded(
                [release] {
                  while (!*release) std::this_thread::sleep_for(milliseconds(5));
                },
                start + milliseconds(150), nullptr, milliseconds(5000)),
            BoundedOutcome::Abandoned);
  EXPECT_LT(Elapsed(start), 1000);
  *release = true;
}

TEST(NwrfcBoundedWorker, OneThreadRunsEveryOperationOfAConnection) {
  std::set<std::thread::id> threads;
  auto ended = std::make_shared<std::atomic<bool>>(false);
  {
    BoundedWorker worker;
    for (int i = 0; i < 5; ++i) {
      std::thread::id ran_on;
      EXPECT_EQ(worker.Run(
                    [&ran_on, ended] {
                      ran_on = std::this_thread::get_id();
                      exit_mark.ended = ended;
                    },
                    Clock::now() + milliseconds(5000), [] {}, milliseconds(100)),
                BoundedOutcome::Finished);
      threads.insert(ran_on);
    }
    EXPECT_FALSE(*ended); // idle, waiting for the next operation
  }
  EXPECT_EQ(threads.size(), 1u);
  EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
  EXPECT_TRUE(*ended); // the worker of a closed connection has wholly ended
}

TEST(NwrfcBoundedWorker, ACancelledOperationLeavesTheWorkerUsable) {
  BoundedWorker worker;
  auto cancelled = std::make_shared<std::atomic<bool>>(false);
  EXPECT_EQ(worker.Run(
                [cancelled] {
                  while (!*cancelled) std::this_thread::sleep_for(milliseconds(5));
                },
                Clock::now() + milliseconds(100), [cancelled] { *cancelled = true; },
                milliseconds(2000)),
            BoundedOutcome::Cancelled);
  bool ran = false;
  EXPECT_EQ(worker.Run([&ran] { ran = true; }, Clock::now() + milliseconds(5000), nullptr,
                       milliseconds(0)),
            BoundedOutcome::Finished);
  EXPECT_TRUE(ran);
}

TEST(NwrfcBoundedWorker, AWorkerLeftBehindTakesNoMoreWorkAndEndsWithItsWork) {
  auto release = std::make_shared<std::atomic<bool>>(false);
  auto thread_ended = std::make_shared<std::atomic<bool>>(false);
  auto worker = std::make_unique<BoundedWorker>();
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(worker->Run(
                [release, thread_ended] {
                  exit_mark.ended = thread_ended;
                  while (!*release) std::this_thread::sleep_for(milliseconds(5));
                },
                start + milliseconds(100), [] {}, milliseconds(100)),
            BoundedOutcome::Abandoned);
  bool ran = false;
  EXPECT_EQ(worker->Run([&ran] { ran = true; }, Clock::now() + milliseconds(5000), nullptr,
                        milliseconds(0)),
            BoundedOutcome::Abandoned);
  EXPECT_FALSE(ran);
  worker.reset(); // the connection is closed while its call still runs
  EXPECT_LT(Elapsed(start), 1000);
  *release = true;
  for (int i = 0; i < 400 && !*thread_ended; ++i) std::this_thread::sleep_for(milliseconds(5));
  EXPECT_TRUE(*thread_ended);
}

} // namespace
} // namespace quarlane::nwrfc
