#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/lock_file.h"

#if !defined(_WIN32)
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace quarlane {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

class LockFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("quarlane-lock-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    previous_ = fs::current_path();
    fs::current_path(folder_);
    std::ofstream("PRD.P00") << "profile\n";
  }
  void TearDown() override {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  fs::path folder_, previous_;
};

TEST_F(LockFileTest, ASecondHolderWaitsUntilTheFirstReleases) {
  // Two handles of one process conflict just as two processes do (flock
  // locks an open file, LockFileEx a handle).
  FileLock first = LockExclusively("PRD.P00", milliseconds(0));
  ASSERT_TRUE(first.held());
  EXPECT_TRUE(fs::is_regular_file("PRD.P00.lck"));

  const auto start = Clock::now();
  FileLock second = LockExclusively("PRD.P00", milliseconds(150));
  const auto waited = Clock::now() - start;
  EXPECT_FALSE(second.held());
  EXPECT_GE(waited, milliseconds(150));    // waited the whole time given
  EXPECT_LT(waited, milliseconds(5000));   // and not much longer

  FileLock other = LockExclusively("QAS.P00", milliseconds(0)); // another file, another lock
  EXPECT_TRUE(other.held());

  FileLock moved = std::move(first);
  EXPECT_FALSE(first.held());
  EXPECT_TRUE(moved.held());
  EXPECT_FALSE(LockExclusively("PRD.P00", milliseconds(0)).held());
  moved.Release();
  EXPECT_FALSE(moved.held());
  FileLock third = LockExclusively("PRD.P00", milliseconds(0));
  EXPECT_TRUE(third.held());
  EXPECT_TRUE(fs::exists("PRD.P00.lck")); // the lock file is never removed
}

TEST_F(LockFileTest, TheLockIsReleasedWhenTheObjectEnds) {
  { FileLock held = LockExclusively("PRD.P00", milliseconds(0)); ASSERT_TRUE(held); }
  EXPECT_TRUE(LockExclusively("PRD.P00", milliseconds(0)).held());
}

TEST_F(LockFileTest, ALockFileThatCannotBeOpenedIsNoLock) {
  fs::create_directory("dir.P00.lck");
  EXPECT_FALSE(LockExclusively("dir.P00", milliseconds(0)).held());
}

#if !defined(_WIN32)
TEST_F(LockFileTest, AnotherProcessWaitsAndGetsTheLockWhenTheHolderIsKilled) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    FileLock held = LockExclusively("PRD.P00", milliseconds(0));
    char ok = held.held() ? 'y' : 'n';
    if (write(ready[1], &ok, 1) != 1) _exit(2);
    pause(); // until killed, the lock held
    _exit(0);
  }
  close(ready[1]);
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  close(ready[0]);
  ASSERT_EQ(ok, 'y');

  EXPECT_FALSE(LockExclusively("PRD.P00", milliseconds(100)).held());

  // Killed while waiting for us: the system drops the lock with the process.
  const auto start = Clock::now();
  pid_t killer = fork();
  ASSERT_GE(killer, 0);
  if (killer == 0) {
    usleep(200 * 1000);
    kill(holder, SIGKILL);
    _exit(0);
  }
  FileLock mine = LockExclusively("PRD.P00", milliseconds(10000));
  EXPECT_TRUE(mine.held());
  EXPECT_GE(Clock::now() - start, milliseconds(150));
  int status = 0;
  waitpid(killer, &status, 0);
  waitpid(holder, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
}

TEST_F(LockFileTest, AProfileReachedThroughALinkSharesTheTargetsLock) {
  fs::create_directory("real");
  std::ofstream("real/PRD.P00") << "profile\n";
  ASSERT_EQ(symlink("real/PRD.P00", "LINK.P00"), 0);
  FileLock through_link = LockExclusively("LINK.P00", milliseconds(0));
  ASSERT_TRUE(through_link.held());
  EXPECT_TRUE(fs::exists("real/PRD.P00.lck"));
  EXPECT_FALSE(LockExclusively("real\\PRD.P00", milliseconds(0)).held());
}

TEST_F(LockFileTest, ALinkOrFifoUnderTheLockFilesNameIsRefused) {
  std::ofstream("victim") << "precious\n";
  ASSERT_EQ(symlink("victim", "A.P00.lck"), 0);
  EXPECT_FALSE(LockExclusively("A.P00", milliseconds(0)).held());
  ASSERT_EQ(mkfifo("B.P00.lck", 0644), 0);
  EXPECT_FALSE(LockExclusively("B.P00", milliseconds(0)).held());
  std::ifstream in("victim");
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "precious");
}
#endif

} // namespace
} // namespace quarlane
