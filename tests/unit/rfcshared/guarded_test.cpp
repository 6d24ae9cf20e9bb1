// The one guard of both libraries' exported functions: what an operation
// throws never leaves the library; it is recorded and answered with the
// failure value of the function's result type.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "rfcshared/guarded.h"

namespace quarlane::rfcshared {
namespace {

// A library that only keeps what the guard records of it.
struct RecordingLibrary {
  std::vector<std::string> failures;
};

void RecordInternalFailure(RecordingLibrary &library, const char *operation) noexcept {
  library.failures.push_back(operation);
}

TEST(Guarded, WhatAnOperationThrowsIsRecordedAndAnsweredByItsResultType) {
  RecordingLibrary library;
  EXPECT_EQ(Guarded(library, "RfcCall", []() -> RFC_RC { throw std::bad_alloc(); }), RFC_FAILURE);
  EXPECT_EQ(Guarded(library, "RfcOpen", []() -> RFC_HANDLE { throw std::bad_alloc(); }), 0u);
  EXPECT_EQ(Guarded(library, "ItFill", []() -> unsigned { throw std::runtime_error("x"); }), 0u);
  EXPECT_EQ(Guarded(library, "ItCreate", []() -> ITAB_H { throw std::bad_alloc(); }), nullptr);
  EXPECT_EQ(Guarded(library, "ItGetLine", []() -> void * { throw 7; }), nullptr);
  EXPECT_EQ(Guarded(library, "ItDelete", []() -> int { throw std::bad_alloc(); }), 1);
  Guarded(library, "RfcClose", []() -> void { throw std::bad_alloc(); });
  EXPECT_EQ(library.failures, (std::vector<std::string>{"RfcCall", "RfcOpen", "ItFill", "ItCreate",
                                                        "ItGetLine", "ItDelete", "RfcClose"}));
}

TEST(Guarded, AnOperationThatEndsIsAnsweredAsItAnswersAndNothingIsRecorded) {
  RecordingLibrary library;
  int row = 0;
  EXPECT_EQ(Guarded(library, "RfcReceive", []() -> RFC_RC { return RFC_EXCEPTION; }),
            RFC_EXCEPTION);
  EXPECT_EQ(Guarded(library, "RfcOpen", []() -> RFC_HANDLE { return 5; }), 5u);
  EXPECT_EQ(Guarded(library, "ItGetLine", [&row]() -> void * { return &row; }), &row);
  bool ran = false;
  Guarded(library, "RfcEnvironment", [&ran]() -> void { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_TRUE(library.failures.empty());
}

} // namespace
} // namespace quarlane::rfcshared
