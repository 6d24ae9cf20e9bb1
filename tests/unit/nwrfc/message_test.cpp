#include <gtest/gtest.h>

#include "nwrfc/library.h"
#include "nwrfc/text.h"
#include "rfcshared/trace.h"

namespace quarlane::nwrfc {
namespace {

const char kUnreachable[] =
    "LOCATION    CPIC (TCP/IP) on local host with Unicode\n"
    "ERROR       partner 'srv01:3300' not reached\n"
    "TIME        Thu Mar  5 09:04:00 2026\n"
    "RELEASE     753\n"
    "SYSTEM CALL connect\n"
    "ERRNO TEXT  Connection refused";

TEST(NwrfcMessage, TheLineThatSaysWhatHappenedIsTheFinding) {
  struct Case {
    const char *name;
    std::string message;
    std::string finding;
    std::size_t lines; // kept as lines of their own
  } cases[] = {
      {"the SDK's network message", kUnreachable, "partner 'srv01:3300' not reached", 6},
      {"CR LF and tabs", "LOCATION\tCPIC\r\nERROR       partner 'a:3300' not reached  \r\n", "partner 'a:3300' not reached",
       2},
      {"one line stays as it is", "Name or password is incorrect (repeat logon)",
       "Name or password is incorrect (repeat logon)", 0},
      {"one line with its line end", "connection reset by peer\n", "connection reset by peer", 0},
      {"lines without labels are joined", "Function module not found.\nCheck the name.",
       "Function module not found. Check the name.", 2},
      {"labelled lines without ERROR are joined",
       "LOCATION    SAP-Server sapsrv_SID_00\nTIME        Thu Mar  5 09:04:00 2026",
       "LOCATION    SAP-Server sapsrv_SID_00 TIME        Thu Mar  5 09:04:00 2026", 2},
      {"a word ERROR in a sentence is no label", "ERROR in the gateway\nsee its trace",
       "ERROR in the gateway see its trace", 2},
      {"empty lines dropped", "\n\nERROR       gateway down\n\n", "gateway down", 0},
      {"nothing", "", "", 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const MessageLines split = SplitMessage(c.message);
    EXPECT_EQ(split.finding, c.finding);
    EXPECT_EQ(split.lines.size(), c.lines);
    for (const std::string &line : split.lines) EXPECT_EQ(line.find_first_of("\r\n\t"), std::string::npos) << line;
  }
}

TEST(NwrfcMessage, TheTraceBlockKeepsEveryLineAndEndsWithTheFinding) {
  sapnwrfc::RFC_ERROR_INFO info{};
  const std::u16string units = FromWindows1252(kUnreachable);
  units.copy(info.message, sizeof info.message / sizeof info.message[0] - 1);
  ErrorEntry entry{"RfcOpenEx", "RFC_COMMUNICATION_FAILURE", "CONNECT to SRV failed", "", "", {}};
  TakeSdkMessage(info, &entry);
  rfcshared::TraceSignature signature{[](std::time_t) { return std::string("T"); }, "bridge", "bridge"};
  const std::string block = rfcshared::FormatErrorBlock(entry, signature, 0, 1);
  EXPECT_EQ(block.find('?'), std::string::npos) << block;
  EXPECT_NE(block.find("     problem..: SDK: LOCATION    CPIC (TCP/IP) on local host with Unicode\n"), std::string::npos)
      << block;
  EXPECT_NE(block.find("     problem..: SDK: ERRNO TEXT  Connection refused\n"), std::string::npos) << block;
  // The block's last text, the one a reader of the trace reports.
  EXPECT_NE(block.find("\n       ======> partner 'srv01:3300' not reached\n\n"), std::string::npos) << block;
}

} // namespace
} // namespace quarlane::nwrfc
