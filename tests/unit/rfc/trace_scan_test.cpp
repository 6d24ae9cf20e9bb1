#include "rfc/trace_scan.h"

#include <gtest/gtest.h>

#include "fake_library.h"

namespace quarlane {
namespace {

using Lines = std::vector<std::string>;

struct FindingCase {
  const char *what;
  Lines lines;
  std::string finding;
};

TEST(TraceFinding, LastMatchingLineWins) {
  const std::string long_text(300, 'x');
  const FindingCase cases[] = {
      {"empty file", {}, " - Please Check Trace-File !"},
      {"no error lines", {"RfcOpen ok", "RfcClose ok"}, " - Please Check Trace-File !"},
      {"ERROR line: text from the 13th character",
       {"**** ERROR file opened at 20260305 090400", "ERROR       partner not reached"},
       " - partner not reached"},
      {"arrow line: text from the 16th character",
       {"**** ERROR file opened", "T:1234 ======> Connect to SAP gateway failed"},
       " - Connect to SAP gateway failed"},
      {"the last match wins",
       {"ERROR       first", "T:1234 ======> second", "ERROR       third"},
       " - third"},
      {"a new error block clears the text",
       {"ERROR       old failure", "**** ERROR file opened"},
       " - Please Check Trace-File !"},
      {"a text after the new block counts",
       {"ERROR       old", "**** ERROR new", "abcdefg======> new failure"},
       " - new failure"},
      {"arrow must sit at characters 8 to 15",
       {"T:123 ======> shifted", "======> start"},
       " - Please Check Trace-File !"},
      {"ERROR needs its blank", {"ERRORS     x not an error"}, " - Please Check Trace-File !"},
      {"ERROR line too short for a text",
       {"ERROR       partner", "ERROR short"},
       " - Please Check Trace-File !"},
      {"a long line is one line",
       {"ERROR       " + long_text + "ERROR       tail"},
       " - " + long_text + "ERROR       tail"},
      {"a long line is not split into pieces that match",
       {"ERROR       real", std::string(99, '-') + "ERROR       piece"},
       " - real"},
      {"a line end left on the line is not part of the text",
       {"T:1234 ======> with CR LF\r\n"},
       " - with CR LF"},
      {"on the same line the arrow test comes last",
       {"ERROR a======> arrow text"},
       " - arrow text"},
  };
  for (const FindingCase &c : cases) EXPECT_EQ(TraceFinding(c.lines), c.finding) << c.what;
}

TEST(TraceFinding, MissingFile) { EXPECT_EQ(TraceFinding(std::nullopt), " - Look for Trace-File"); }

TEST(RfcTraceFinding, ReadsTheWorkingFoldersTrace) {
  ScopedWorkFolder folder;
  EXPECT_EQ(RfcTraceFinding(Disk()), " - Look for Trace-File");

  WriteFile(folder.Path("Dev_Rfc.Trc"), "**** ERROR file opened\r\n"
                                        "T:4711 ======> partner not reached\r\n"
                                        "more trace\r\n");
  EXPECT_EQ(RfcTraceFinding(Disk()), " - partner not reached");
}

} // namespace
} // namespace quarlane
