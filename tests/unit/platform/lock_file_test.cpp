#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
    folder_ =
        fs::temp_directory_path() /
        ("quarlane-lock-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
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
  EXPECT_GE(waited, milliseconds(150));  // waited the whole time given
  EXPECT_LT(waited, milliseconds(5000)); // and not much longer

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
  {
    FileLock held = LockExclusively("PRD.P00", milliseconds(0));
    ASSERT_TRUE(held);
  }
  EXPECT_TRUE(LockExclusively("PRD.P00", milliseconds(0)).held());
}

TEST_F(LockFileTest, ALockFileThatCannotBeOpenedIsNoLock) {
  fs::create_directory("dir.P00.lck");
  EXPECT_FALSE(LockExclusively("dir.P00", milliseconds(0)).held());
}

TEST_F(LockFileTest, ALockFileThatMayOnlyBeReadStillLocks) {
  // Another account's lock file, or one marked read-only: locking needs no
  // write access (on Windows the read-only attribute refuses a writer even
  // to an administrator, on Linux the mode refuses every account but root).
  {
    FileLock made = LockExclusively("PRD.P00", milliseconds(0));
    ASSERT_TRUE(made);
  }
  fs::permissions("PRD.P00.lck",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  FileLock held = LockExclusively("PRD.P00", milliseconds(0));
  EXPECT_TRUE(held.held());
  EXPECT_FALSE(LockExclusively("PRD.P00", milliseconds(0)).held());
  held.Release();
#if !defined(_WIN32)
  // Root may write anything: another account shows it.
  if (geteuid() == 0) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
      _exit(dropped && LockExclusively("PRD.P00", milliseconds(0)).held() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another account could not lock";
  }
#endif
  fs::permissions("PRD.P00.lck", fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(LockFileTest, ANameIsLockedBesideItselfWhenAskedSo) {
  fs::create_directory("real");
  std::ofstream("real/SapRfc.ini") << "DEST=PRD\n";
  FileLock beside = LockExclusivelyBesideName("real\\SapRfc.ini", milliseconds(0));
  ASSERT_TRUE(beside.held());
  EXPECT_TRUE(fs::is_regular_file("real/SapRfc.ini.lck"));
  EXPECT_EQ(LockFilePathBesideName("real\\SapRfc.ini"), LockFilePathFor("real\\SapRfc.ini"));
  EXPECT_FALSE(LockExclusively("real\\SapRfc.ini", milliseconds(0)).held()); // one file, one lock
  beside.Release();
  fs::remove("real/SapRfc.ini"); // a missing file has its lock all the same
  EXPECT_TRUE(LockExclusivelyBesideName("real\\SapRfc.ini", milliseconds(0)).held());
}

#if !defined(_WIN32)
TEST_F(LockFileTest, ALinkedNameIsLockedBesideTheLinkNotItsTarget) {
  // The file is replaced at its name: a link's target is no concern of the
  // lock, and a link that changes while the lock is held keeps it held.
  for (const char *folder : {"elsewhere", "elsewhere/target.ini"}) fs::create_directory(folder);
  fs::create_directory_symlink("elsewhere/target.ini", "SapRfc.ini"); // a folder, even
  FileLock held = LockExclusivelyBesideName("SapRfc.ini", milliseconds(0));
  ASSERT_TRUE(held.held());
  fs::remove("SapRfc.ini");
  ASSERT_EQ(symlink("elsewhere/missing.ini", "SapRfc.ini"), 0);
  EXPECT_FALSE(LockExclusivelyBesideName("SapRfc.ini", milliseconds(0)).held());
  std::vector<std::string> elsewhere;
  for (const auto &entry : fs::directory_iterator("elsewhere"))
    elsewhere.push_back(entry.path().filename().string());
  EXPECT_EQ(elsewhere, std::vector<std::string>{"target.ini"});
  EXPECT_TRUE(fs::is_regular_file("SapRfc.ini.lck"));
  EXPECT_TRUE(fs::is_empty("elsewhere/target.ini"));
}

TEST_F(LockFileTest, ANewLockFileTakesTheModeOfWhatItGuards) {
  // Exactly the accounts that may read the guarded file may hold its lock,
  // whatever the umask says.
  const mode_t previous = umask(022);
  ASSERT_EQ(chmod("PRD.P00", 0600), 0);
  fs::create_directory("work");
  ASSERT_EQ(chmod("work", 0750), 0);
  EXPECT_TRUE(LockExclusively("PRD.P00", milliseconds(0)).held());
  EXPECT_TRUE(LockExclusivelyBesideName("work\\SapRfc.ini", milliseconds(0)).held());
  umask(previous);
  struct stat info;
  ASSERT_EQ(stat("PRD.P00.lck", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  ASSERT_EQ(stat("work/SapRfc.ini.lck", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  // An existing lock file is never changed (it may be a hard link).
  ASSERT_EQ(chmod("PRD.P00.lck", 0644), 0);
  EXPECT_TRUE(LockExclusively("PRD.P00", milliseconds(0)).held());
  ASSERT_EQ(stat("PRD.P00.lck", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
}

TEST_F(LockFileTest, RootsNewLockFileBelongsToTheGuardedFilesOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may hand a file to another account";
  ASSERT_EQ(chown("PRD.P00", 65534, 65534), 0);
  ASSERT_TRUE(LockExclusively("PRD.P00", milliseconds(0)).held());
  struct stat info;
  ASSERT_EQ(stat("PRD.P00.lck", &info), 0);
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 65534u);
}
#endif

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
