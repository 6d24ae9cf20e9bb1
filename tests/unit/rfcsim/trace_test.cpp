#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rfcsim/library.h"
#include "sim_test_support.h"

namespace quarlane::rfcsim::test {
namespace {

bool OpensBlock(const std::string &line) { return line.compare(0, 11, "**** ERROR ") == 0; }

using TraceFile = SimTest;

TEST_F(TraceFile, EveryFailureAppendsABlockAndTheLastOneIsWhatAReaderKeeps) {
  Write("SapLandscape.ini", kTestLandscape);
  EXPECT_EQ(OpenHost("PRD", "100", "MONITOR", "wrong"), 0u);
  EXPECT_EQ(OpenHost("XYZ", "100", "MONITOR", "secret"), 0u);
  const std::string trace = Read("Dev_Rfc.Trc");
  const std::vector<std::string> lines = Lines(trace);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind("**** Trace file opened at Thu Mar  5 09:04:00 2026", 0), 0u)
      << lines[0];
  // The simulator signs its trace as its own.
  EXPECT_EQ(lines[0],
            "**** Trace file opened at Thu Mar  5 09:04:00 2026 by librfc32, the simulated RFC "
            "library (landscape file SapLandscape.ini)");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2].rfind("**** ERROR  Thu Mar  5 09:04:00 2026  pid ", 0), 0u) << lines[2];
  const std::string opening_end = "  RfcOpen  (librfc32 simulator: no real SAP system)";
  EXPECT_EQ(lines[2].substr(lines[2].size() - opening_end.size()), opening_end) << lines[2];
  int blocks = 0;
  for (const std::string &line : lines) blocks += OpensBlock(line) ? 1 : 0;
  EXPECT_EQ(blocks, 2);
  EXPECT_EQ(RetainedTraceText(trace), "partner XYZ not reached");

  // Success writes nothing.
  ASSERT_NE(OpenHost("PRD", "100", "MONITOR", "secret"), 0u);
  EXPECT_EQ(Read("Dev_Rfc.Trc"), trace);
}

} // namespace
} // namespace quarlane::rfcsim::test
