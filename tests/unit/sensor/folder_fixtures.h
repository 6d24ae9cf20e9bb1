// Private folders for the tests that open files.
#ifndef QUARLANE_TESTS_SENSOR_FOLDER_FIXTURES_H
#define QUARLANE_TESTS_SENSOR_FOLDER_FIXTURES_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/paths.h"

namespace quarlane {

// The working folder is a fresh folder "work" inside a private root; relative
// path texts land there.
class WorkingFolderTest : public ::testing::Test {
protected:
  void SetUp() override {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::temp_directory_path() /
            (std::string("quarlane-sensor-") + info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "work");
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(root_ / "work");
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // Writes a file named by a path text as the sensor would open it.
  static void Put(const std::string &path_text, const std::string &bytes) {
    const std::filesystem::path host(HostPath(path_text));
    if (host.has_parent_path()) std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << bytes;
  }
  static void MakeFolder(const std::string &path_text) {
    std::filesystem::create_directories(std::filesystem::path(HostPath(path_text)));
  }

  std::filesystem::path root_, previous_;
};

// Drive paths ("C:\PRTG_Path.Txt", "\Program Files\...") open inside the
// private root through QUARLANE_ROOT. On Windows they would reach the real
// drive, so these tests run on Linux only.
class DriveTreeTest : public WorkingFolderTest {
protected:
  void SetUp() override {
#if defined(_WIN32)
    GTEST_SKIP() << "drive paths open the real drive on Windows";
#else
    WorkingFolderTest::SetUp();
    if (const char *old = std::getenv("QUARLANE_ROOT")) previous_root_ = old;
    setenv("QUARLANE_ROOT", root_.string().c_str(), 1);
    active_ = true;
#endif
  }
  void TearDown() override {
#if !defined(_WIN32)
    if (!active_) return;
    if (previous_root_)
      setenv("QUARLANE_ROOT", previous_root_->c_str(), 1);
    else
      unsetenv("QUARLANE_ROOT");
    WorkingFolderTest::TearDown();
#endif
  }

private:
  bool active_ = false;
  std::optional<std::string> previous_root_;
};

} // namespace quarlane

#endif
