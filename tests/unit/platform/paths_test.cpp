#include <gtest/gtest.h>

#include "platform/paths.h"

namespace quarlane {
namespace {

struct PathCase {
  const char *windows_path;
  const char *root;
  const char *host_path;
};

class HostPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(HostPathTest, MapsWindowsPathIntoTheDriveTree) {
  const PathCase &c = GetParam();
  EXPECT_EQ(HostPathUnder(c.windows_path, c.root), c.host_path);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, HostPathTest,
    ::testing::Values(
        PathCase{"C:\\PRTG_Path.Txt", "/srv/q", "/srv/q/PRTG_Path.Txt"},
        PathCase{"D:\\Tools\\x", "/srv/q", "/srv/q/Tools/x"}, // every drive shares one tree
        PathCase{"c:\\a\\b", "/srv/q/", "/srv/q/a/b"},        // root with trailing slash
        PathCase{"\\Program Files\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\PRD.P00", "/r",
                 "/r/Program Files/PRTG Network Monitor/Custom Sensors/ExeXml/PRD.P00"},
        PathCase{"\\\\server\\share\\x", "/r", "/r/server/share/x"},
        PathCase{"C:\\PRTG_Path.Txt", "", "/PRTG_Path.Txt"}, // unset root is "/"
        PathCase{"C:\\x", "/", "/x"},
        PathCase{"PRD.P00", "/r", "PRD.P00"}, // relative to the working folder
        PathCase{"Sub\\PRD.P00", "/r", "Sub/PRD.P00"}, PathCase{"SapRfc.ini", "/r", "SapRfc.ini"},
        PathCase{"C:", "/r", "/r/"}, PathCase{"1:\\x", "/r", "1:/x"})); // not a drive letter

TEST(ExecutableFolder, HoldsTheRunningProgram) {
  std::string folder = ExecutableFolder();
  std::string path = ExecutablePath();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(path.compare(0, folder.size(), folder), 0);
  EXPECT_NE(path.find("unit_platform"), std::string::npos);
}

} // namespace
} // namespace quarlane
