#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/files.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quarlane {
namespace {

namespace fs = std::filesystem;

// A private folder; the tests use plain relative paths inside it.
class FilesTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("quarlane-files-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    previous_ = fs::current_path();
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(previous_);
#if !defined(_WIN32)
    chmod(folder_.string().c_str(), 0755);
#endif
    std::error_code ignored;
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(folder_, ignored);
  }
  static void Put(const std::string &name, const std::string &bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  static std::string Get(const std::string &name) { return ReadBytes(name).value_or("<missing>"); }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path folder_, previous_;
};

TEST_F(FilesTest, ReadLinesTakesWholeLinesWithoutTheirEnds) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a\n", {"a"}},                       // no repeated or empty last line
      {"a\r\nb\r\n", {"a", "b"}},           // Windows line ends
      {"a\nb", {"a", "b"}},                 // last line without line end
      {"\n\n", {"", ""}},
      {"x\ry\n", {"x\ry"}},                 // a carriage return inside stays
      {std::string(5000, 'z') + "\n", {std::string(5000, 'z')}},
      {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
  };
  for (const Case &c : cases) {
    Put("f.txt", c.bytes);
    auto lines = ReadLines("f.txt");
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, c.lines) << c.bytes.substr(0, 20);
  }
}

TEST_F(FilesTest, MissingFileOrFolderDoesNotOpen) {
  EXPECT_FALSE(ReadLines("nope.txt").has_value());
  fs::create_directory("sub");
  EXPECT_FALSE(CanOpenForReading("sub"));
  EXPECT_FALSE(ReadBytes("sub").has_value());
  Put("sub/g", "y");
  EXPECT_TRUE(CanOpenForReading("sub\\g")); // Windows separators are accepted everywhere
}

TEST_F(FilesTest, ReplaceKeepsPermissionsAndLeavesNoTemporaryFile) {
  Put("p.P00", "old\n");
#if !defined(_WIN32)
  chmod("p.P00", 0640);
#endif
  ASSERT_TRUE(ReplaceFileAtomically("p.P00", "new\n"));
  EXPECT_EQ(Get("p.P00"), "new\n");
#if !defined(_WIN32)
  struct stat info;
  ASSERT_EQ(stat("p.P00", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
#endif
  EXPECT_EQ(Entries(), std::vector<std::string>{"p.P00"});
}

TEST_F(FilesTest, StaleTemporaryFileOfAKilledRunDoesNotBlockTheReplace) {
  Put("p.P00", "old\n");
#if defined(_WIN32)
  const std::string pid = std::to_string(GetCurrentProcessId());
#else
  const std::string pid = std::to_string(getpid());
#endif
  Put("p.P00." + pid + ".tmp", "half of a profile");
  ASSERT_TRUE(ReplaceFileAtomically("p.P00", "new\n"));
  EXPECT_EQ(Get("p.P00"), "new\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"p.P00"});
}

TEST_F(FilesTest, ReplaceCreatesAMissingFile) {
  ASSERT_TRUE(ReplaceFileAtomically("fresh.P00", "x"));
  EXPECT_EQ(Get("fresh.P00"), "x");
}

TEST_F(FilesTest, ReadOnlyProfileIsNotReplaced) {
  Put("p.P00", "old\n");
  fs::permissions("p.P00", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_FALSE(ReplaceFileAtomically("p.P00", "new\n"));
  EXPECT_EQ(Get("p.P00"), "old\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"p.P00"});
}

#if !defined(_WIN32)
TEST_F(FilesTest, ProfileInReadOnlyFolderIsNotReplaced) {
  fs::create_directory("ro");
  Put("ro/p.P00", "old\n");
  chmod("ro", 0555);
  EXPECT_FALSE(ReplaceFileAtomically("ro\\p.P00", "new\n"));
  chmod("ro", 0755);
  EXPECT_EQ(Get("ro/p.P00"), "old\n");
  EXPECT_EQ(std::distance(fs::directory_iterator("ro"), fs::directory_iterator()), 1);
}
#endif

TEST_F(FilesTest, ReplaceOfAFolderFails) {
  fs::create_directory("d");
  EXPECT_FALSE(ReplaceFileAtomically("d", "x"));
  EXPECT_TRUE(fs::is_directory("d"));
}

} // namespace
} // namespace quarlane
