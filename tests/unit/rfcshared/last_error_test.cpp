#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "rfcshared/last_error.h"

namespace quarlane::rfcshared {
namespace {

RFC_ERROR_INFO Filled() {
  RFC_ERROR_INFO info;
  std::memset(&info, 'x', sizeof info);
  return info;
}

TEST(LastError, FillsEachFieldWithOneLineCutToItsSize) {
  ErrorEntry error{
      "RfcOpen", "RFC_ERROR_LOGON_FAILURE", "Logon\nrefused", std::string(600, 'm'), "intstat", {}};
  RFC_ERROR_INFO info = Filled();
  EXPECT_EQ(FillErrorInfo(true, error, &info), 0);
  EXPECT_STREQ(info.key, "RFC_ERROR_LOGON_FAILURE");
  EXPECT_STREQ(info.status, "Logon?refused");
  EXPECT_EQ(std::string(info.message), std::string(sizeof info.message - 1, 'm'));
  EXPECT_STREQ(info.intstat, "intstat");
}

TEST(LastError, WithoutAFailureTheFieldsAreEmptied) {
  const ErrorEntry stale{"RfcOpen", "KEY", "status", "message", "intstat", {}};
  RFC_ERROR_INFO info = Filled();
  EXPECT_EQ(FillErrorInfo(false, stale, &info), 1);
  EXPECT_STREQ(info.key, "");
  EXPECT_STREQ(info.status, "");
  EXPECT_STREQ(info.message, "");
  EXPECT_STREQ(info.intstat, "");
  EXPECT_EQ(FillErrorInfo(true, stale, nullptr), 1);
}

TEST(LastError, MemoryExhaustedNamesTheOperationAndTheLibrary) {
  const ErrorEntry entry = MemoryExhaustedEntry("ItCreate", "the librfc32 simulator");
  EXPECT_EQ(entry.operation, "ItCreate");
  EXPECT_EQ(entry.key, "RFC_ERROR_MEMORY_INSUFFICIENT");
  EXPECT_EQ(entry.status, "ItCreate could not be completed");
  EXPECT_EQ(entry.message, "memory exhausted in the librfc32 simulator");
  EXPECT_EQ(entry.intstat, "");
}

} // namespace
} // namespace quarlane::rfcshared
