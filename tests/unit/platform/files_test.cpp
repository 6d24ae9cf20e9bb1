#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/files.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace quarlane {
namespace {

namespace fs = std::filesystem;

// A private folder; the tests use plain relative paths inside it.
class FilesTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() /
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
    for (const auto &entry : fs::directory_iterator(folder_))
      names.push_back(entry.path().filename().string());
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
      {"a\n", {"a"}},             // no repeated or empty last line
      {"a\r\nb\r\n", {"a", "b"}}, // Windows line ends
      {"a\nb", {"a", "b"}},       // last line without line end
      {"\n\n", {"", ""}},
      {"x\ry\n", {"x\ry"}}, // a carriage return inside stays
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

TEST_F(FilesTest, FilesUnderTemporaryNamesThatThisRunDidNotCreateAreNeverTouched) {
  // A file under the name pattern of earlier versions (profile + process
  // id), and one under the very name this run draws first: both may belong
  // to a run in another PID namespace or on another machine.
  Put("p.P00", "old\n");
#if defined(_WIN32)
  const std::string pid = std::to_string(GetCurrentProcessId());
#else
  const std::string pid = std::to_string(getpid());
#endif
  Put("p.P00." + pid + ".tmp", "half of a profile");
  Put("p.P00.0000000000000000.tmp", "another run's new profile");
  int drawn = 0;
  auto random_part = [&drawn] { return std::string(16, drawn++ == 0 ? '0' : '1'); };
  ASSERT_TRUE(ReplaceFileAtomicallyWith("p.P00", "new\n", random_part));
  EXPECT_EQ(drawn, 2);
  EXPECT_EQ(Get("p.P00"), "new\n");
  EXPECT_EQ(Get("p.P00." + pid + ".tmp"), "half of a profile");
  EXPECT_EQ(Get("p.P00.0000000000000000.tmp"), "another run's new profile");
  std::vector<std::string> expected = {"p.P00", "p.P00." + pid + ".tmp",
                                       "p.P00.0000000000000000.tmp"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Entries(), expected);
}

TEST_F(FilesTest, ReplaceUsesARandomTemporaryNameAndGivesUpWhenEveryNameIsTaken) {
  Put("p.P00", "old\n");
  Put("p.P00.aaaaaaaaaaaaaaaa.tmp", "taken");
  EXPECT_FALSE(ReplaceFileAtomicallyWith("p.P00", "new\n", [] { return std::string(16, 'a'); }));
  EXPECT_EQ(Get("p.P00"), "old\n");
  EXPECT_EQ(Get("p.P00.aaaaaaaaaaaaaaaa.tmp"), "taken");
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

TEST_F(FilesTest, ByteOrderMarkIsReadPastAndKeptOnRewrite) {
  const std::string bom = "\xEF\xBB\xBF";
  Put("p.P00", bom + "Extcompany.: Corvanta AG\r\nDestination: PRD\r\n");
  auto lines = ReadLines("p.P00");
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(*lines, (std::vector<std::string>{"Extcompany.: Corvanta AG", "Destination: PRD"}));
  EXPECT_EQ(Get("p.P00").substr(0, 3), bom); // ReadBytes gives the file as it is
  Put("only.txt", bom);
  EXPECT_EQ(ReadLines("only.txt").value(), std::vector<std::string>{});
  Put("late.txt", "a\n" + bom + "b\n"); // only at the very start
  EXPECT_EQ(ReadLines("late.txt").value(), (std::vector<std::string>{"a", bom + "b"}));

  ASSERT_TRUE(ReplaceFileAtomically("p.P00", "Extcompany.: Corvanta AG\r\n# Rsp x\r\n"));
  EXPECT_EQ(Get("p.P00"), bom + "Extcompany.: Corvanta AG\r\n# Rsp x\r\n");
  ASSERT_TRUE(ReplaceFileAtomically("p.P00", bom + "y\n")); // never doubled
  EXPECT_EQ(Get("p.P00"), bom + "y\n");
  Put("plain.P00", "x\n");
  ASSERT_TRUE(ReplaceFileAtomically("plain.P00", "y\n")); // nor added
  EXPECT_EQ(Get("plain.P00"), "y\n");
}

TEST_F(FilesTest, TextRewriteKeepsEveryByteBeforeTheFirstLine) {
  // ReadText takes one mark away; a second one belongs to the first line.
  const std::string bom = "\xEF\xBB\xBF";
  Put("two.P00", bom + bom + "; note\r\n");
  const std::string text = ReadText("two.P00").value();
  ASSERT_EQ(text, bom + "; note\r\n");
  ASSERT_TRUE(ReplaceTextAtomically("two.P00", text + "# Rsp x\r\n"));
  EXPECT_EQ(Get("two.P00"), bom + bom + "; note\r\n# Rsp x\r\n");
  Put("one.P00", bom + "a\n");
  ASSERT_TRUE(ReplaceTextAtomically("one.P00", ReadText("one.P00").value() + "b\n"));
  EXPECT_EQ(Get("one.P00"), bom + "a\nb\n");
  Put("none.P00", "a\n");
  ASSERT_TRUE(ReplaceTextAtomically("none.P00", "a\nb\n"));
  EXPECT_EQ(Get("none.P00"), "a\nb\n");
}

TEST_F(FilesTest, ARewriteLargerThanTheReadCapIsRefused) {
  // A file the sensor wrote must be one it reads again.
  const std::string bom = "\xEF\xBB\xBF";
  for (const std::string &start : {std::string(), bom}) {
    Put("p.P00", start + "old\n");
    std::string fits(kMaxReadBytes - start.size(), 'x');
    ASSERT_TRUE(ReplaceTextAtomically("p.P00", fits)) << start.size();
    EXPECT_TRUE(ReadBytes("p.P00").has_value());
    fits.clear();
    fits.shrink_to_fit();
    Put("p.P00", start + "old\n");
    EXPECT_FALSE(
        ReplaceTextAtomically("p.P00", std::string(kMaxReadBytes - start.size() + 1, 'x')));
    EXPECT_FALSE(ReplaceFileAtomically("p.P00", std::string(kMaxReadBytes + 1, 'x')));
    EXPECT_EQ(Get("p.P00"), start + "old\n");
    EXPECT_EQ(Entries(), std::vector<std::string>{"p.P00"});
  }
}

TEST_F(FilesTest, ATemporaryFileStampedFarAheadIsStaleToo) {
  // The clock was set back after a run was killed: it would stay for ever.
  Put("p.P00", "old\n");
  const auto now = fs::file_time_type::clock::now();
  Put("p.P00.0123456789abcdef.tmp", "far ahead");
  fs::last_write_time("p.P00.0123456789abcdef.tmp", now + std::chrono::minutes(30));
  Put("p.P00.fedcba9876543210.tmp", "a little ahead"); // a clock a little off
  fs::last_write_time("p.P00.fedcba9876543210.tmp", now + std::chrono::minutes(2));
  EXPECT_EQ(RemoveStaleTemporaryFiles("p.P00"), 1);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"p.P00", "p.P00.fedcba9876543210.tmp"}));
}

TEST_F(FilesTest, StaleTemporaryFilesOfTheProfileAreRemovedAndNothingElse) {
  Put("p.P00", "old\n");
  const auto old_time = fs::file_time_type::clock::now() - std::chrono::minutes(30);
  const std::string stale = "p.P00.0123456789abcdef.tmp";
  std::vector<std::string> kept = {
      "p.P00.fedcba9876543210.tmp", // young: a run may still be writing it
      "p.P00.0123456789abcde.tmp",  // 15 digits
      "p.P00.12345.tmp",            // an earlier version's name
      "q.P00.0123456789abcdef.tmp", // another profile's
      "xp.P00.0123456789abcdef.tmp",
      "p.P00.0123456789abcdef.tmp.bak",
  };
#if !defined(_WIN32)
  kept.push_back("p.P00.0123456789ABCDEF.tmp"); // not the exact pattern: upper case
#endif
  for (const std::string &name : kept) Put(name, "keep");
  Put(stale, "left by a killed run");
  for (const std::string &name : kept)
    if (name != "p.P00.fedcba9876543210.tmp") fs::last_write_time(name, old_time);
  fs::last_write_time(stale, old_time);
  fs::create_directory("p.P00.1111111111111111.tmp"); // a folder of that name
  std::error_code not_on_every_system;                // (Wine sets no folder times)
  fs::last_write_time("p.P00.1111111111111111.tmp", old_time, not_on_every_system);
#if !defined(_WIN32)
  ASSERT_EQ(symlink("p.P00", "p.P00.2222222222222222.tmp"), 0); // a link of that name
#endif
  EXPECT_EQ(RemoveStaleTemporaryFiles("p.P00"), 1);
  EXPECT_FALSE(fs::exists(stale));
  for (const std::string &name : kept) EXPECT_EQ(Get(name), "keep") << name;
  EXPECT_TRUE(fs::is_directory("p.P00.1111111111111111.tmp"));

  // The rewrite does the same on its way.
  Put(stale, "left by a killed run");
  fs::last_write_time(stale, old_time);
  ASSERT_TRUE(ReplaceFileAtomically("p.P00", "new\n"));
  EXPECT_FALSE(fs::exists(stale));
  for (const std::string &name : kept) EXPECT_EQ(Get(name), "keep") << name;
}

#if !defined(_WIN32)
// A hang would stop the whole test program: an alarm ends it instead.
class NoHang {
public:
  NoHang() { alarm(20); }
  ~NoHang() { alarm(0); }
};

TEST_F(FilesTest, FilesThatAreNotRegularDoNotOpenAndNeverHang) {
  NoHang guard;
  ASSERT_EQ(mkfifo("fifo", 0644), 0);
  ASSERT_EQ(symlink("/dev/zero", "zero"), 0);
  ASSERT_EQ(symlink("/dev/null", "null"), 0);
  int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", "sock");
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
  fs::create_directory("dir");
  for (const char *name : {"fifo", "zero", "null", "sock", "dir"}) {
    EXPECT_FALSE(CanOpenForReading(name)) << name;
    EXPECT_FALSE(ReadBytes(name).has_value()) << name;
    EXPECT_FALSE(ReadLines(name).has_value()) << name;
  }
  close(sock);
}

TEST_F(FilesTest, ReadersStopAtTheSizeCap) {
  { std::ofstream("big"); }
  fs::resize_file("big", kMaxReadBytes + 1); // sparse: nothing is written
  EXPECT_FALSE(ReadBytes("big").has_value());
  EXPECT_FALSE(ReadLines("big").has_value());
  EXPECT_TRUE(CanOpenForReading("big")); // it opens; it is too large to take
  fs::resize_file("big", 1000);
  EXPECT_EQ(ReadBytes("big").value(), std::string(1000, '\0'));
}

TEST_F(FilesTest, ReplaceOfALinkRewritesItsTargetAndKeepsTheLink) {
  fs::create_directories("real/deep");
  Put("real/deep/p.P00", "old\n");
  chmod("real/deep/p.P00", 0640);
  ASSERT_EQ(symlink("real/deep/p.P00", "p.P00"), 0);
  ASSERT_EQ(symlink("p.P00", "chain.P00"), 0); // a link to a link
  ASSERT_TRUE(ReplaceFileAtomically("p.P00", "new\n"));
  ASSERT_TRUE(ReplaceFileAtomically("chain.P00", "newer\n"));
  EXPECT_TRUE(fs::is_symlink("p.P00"));
  EXPECT_TRUE(fs::is_symlink("chain.P00"));
  EXPECT_EQ(fs::read_symlink("p.P00"), "real/deep/p.P00");
  EXPECT_EQ(Get("real/deep/p.P00"), "newer\n");
  struct stat info;
  ASSERT_EQ(stat("real/deep/p.P00", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"chain.P00", "p.P00", "real"}));
  EXPECT_EQ(std::distance(fs::directory_iterator("real/deep"), fs::directory_iterator()), 1);
  // A link that leads nowhere is not replaced by a file.
  ASSERT_EQ(symlink("real/missing.P00", "dangling.P00"), 0);
  EXPECT_FALSE(ReplaceFileAtomically("dangling.P00", "x\n"));
  EXPECT_TRUE(fs::is_symlink("dangling.P00"));
  EXPECT_FALSE(fs::exists("real/missing.P00"));
}

TEST_F(FilesTest, ReplaceKeepsExtendedAttributes) {
  Put("p.P00", "old\n");
  if (setxattr("p.P00", "user.quarlane.note", "kept", 4, 0) != 0)
    GTEST_SKIP() << "this file system takes no user extended attributes (" << std::strerror(errno)
                 << ")";
  ASSERT_EQ(setxattr("p.P00", "user.empty", "", 0, 0), 0);
  ASSERT_TRUE(ReplaceFileAtomically("p.P00", "new\n"));
  char value[16] = {};
  EXPECT_EQ(getxattr("p.P00", "user.quarlane.note", value, sizeof value), 4);
  EXPECT_STREQ(value, "kept");
  EXPECT_EQ(getxattr("p.P00", "user.empty", value, sizeof value), 0);
  EXPECT_EQ(Get("p.P00"), "new\n");
}

TEST_F(FilesTest, WriteBytesReplacesALinkInsteadOfWritingThroughIt) {
  Put("victim", "precious\n");
  ASSERT_EQ(symlink("victim", "SapRfc.ini"), 0);
  ASSERT_TRUE(WriteBytes("SapRfc.ini", "DEST=PRD\n"));
  EXPECT_EQ(Get("victim"), "precious\n");
  EXPECT_FALSE(fs::is_symlink("SapRfc.ini"));
  EXPECT_EQ(Get("SapRfc.ini"), "DEST=PRD\n");
  ASSERT_TRUE(WriteBytes("SapRfc.ini", "DEST=QAS\n")); // over a plain file
  EXPECT_EQ(Get("SapRfc.ini"), "DEST=QAS\n");
  fs::create_directory("dir.ini");
  EXPECT_FALSE(WriteBytes("dir.ini", "x"));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"SapRfc.ini", "dir.ini", "victim"}));
}

TEST_F(FilesTest, AppendingRefusesALinkAndAnythingButAFile) {
  NoHang guard;
  std::FILE *log = OpenForAppending("Quarlane.Log");
  ASSERT_NE(log, nullptr);
  std::fputs("1 first\n", log);
  std::fclose(log);
  log = OpenForAppending("Quarlane.Log");
  ASSERT_NE(log, nullptr);
  std::fputs("2 second\n", log);
  std::fclose(log);
  EXPECT_EQ(Get("Quarlane.Log"), "1 first\n2 second\n");

  Put("victim", "precious\n");
  ASSERT_EQ(symlink("victim", "link.Log"), 0);
  ASSERT_EQ(symlink("nowhere", "dangling.Log"), 0);
  ASSERT_EQ(mkfifo("fifo.Log", 0644), 0);
  fs::create_directory("dir.Log");
  for (const char *name : {"link.Log", "dangling.Log", "fifo.Log", "dir.Log"})
    EXPECT_EQ(OpenForAppending(name), nullptr) << name;
  EXPECT_EQ(Get("victim"), "precious\n");
  EXPECT_FALSE(fs::exists("nowhere"));
}
#endif

TEST_F(FilesTest, AppendingRefusesAHardLink) {
  // Its other name may be any file its maker could reach, not this log.
  Put("victim", "precious\n");
  std::error_code error;
  fs::create_hard_link("victim", "hard.Log", error);
  if (error) GTEST_SKIP() << "no hard links here: " << error.message();
  EXPECT_EQ(OpenForAppending("hard.Log"), nullptr);
  EXPECT_EQ(Get("victim"), "precious\n");
}

// "SapRfc.<destination>": a file with one name, never a link to another
// account's file, and its copy no more readable than it.
TEST_F(FilesTest, AOneNameFileIsReadOnlyWhenItIsNotALink) {
  Put("SapRfc.PRD", "DEST=PRD\n");
  const std::optional<FileWithPermissions> plain = ReadOneNameFile("SapRfc.PRD");
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(plain->bytes, "DEST=PRD\n");
  Put("secret", "root only\n");
  std::error_code error;
  fs::create_hard_link("secret", "SapRfc.HRD", error);
  if (!error) {
    EXPECT_FALSE(ReadOneNameFile("SapRfc.HRD").has_value());
  }
  EXPECT_FALSE(ReadOneNameFile("SapRfc.PRD-missing").has_value());
#if !defined(_WIN32)
  ASSERT_EQ(symlink("secret", "SapRfc.SYM"), 0);
  EXPECT_FALSE(ReadOneNameFile("SapRfc.SYM").has_value());
  EXPECT_EQ(Get("SapRfc.SYM"), "root only\n"); // ReadBytes follows it; this reader does not
  ASSERT_EQ(mkfifo("SapRfc.FIF", 0644), 0);
  NoHang guard;
  EXPECT_FALSE(ReadOneNameFile("SapRfc.FIF").has_value());
#endif
}

#if !defined(_WIN32)
TEST_F(FilesTest, ACopyIsNoMoreReadableThanItsOriginal) {
  const mode_t old_mask = umask(022);
  for (const auto &[original, copy] : {std::pair<unsigned, unsigned>{0600, 0600},
                                       {0640, 0640},
                                       {0644, 0644},
                                       {0666, 0644},
                                       {0400, 0600},
                                       {0755, 0644}}) {
    Put("SapRfc.PRD", "DEST=PRD\n");
    ASSERT_EQ(chmod("SapRfc.PRD", original), 0);
    const std::optional<FileWithPermissions> file = ReadOneNameFile("SapRfc.PRD");
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->permissions, original);
    ASSERT_TRUE(WriteBytesNoLooserThan("SapRfc.ini", file->bytes, file->permissions));
    struct stat info;
    ASSERT_EQ(stat("SapRfc.ini", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, copy) << std::oct << original;
    fs::remove("SapRfc.PRD");
  }
  umask(old_mask);
}
#endif

#if defined(_WIN32)
TEST_F(FilesTest, DevicesDoNotOpenAsFiles) {
  for (const char *name : {"NUL", "CON", "\\\\.\\NUL"}) {
    EXPECT_FALSE(CanOpenForReading(name)) << name;
    EXPECT_FALSE(ReadBytes(name).has_value()) << name;
  }
}
#endif

} // namespace
} // namespace quarlane
