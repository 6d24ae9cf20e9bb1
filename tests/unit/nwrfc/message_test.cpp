#include <gtest/gtest.h>

#include <vector>

#include "nwrfc/library.h"
#include "nwrfc/text.h"
#include "rfcshared/trace.h"

namespace quarlane::nwrfc {
namespace {

const char kUnreachable[] = "LOCATION    CPIC (TCP/IP) on local host with Unicode\n"
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
      {"CR LF and tabs", "LOCATION\tCPIC\r\nERROR       partner 'a:3300' not reached  \r\n",
       "partner 'a:3300' not reached", 2},
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
    for (const std::string &line : split.lines)
      EXPECT_EQ(line.find_first_of("\r\n\t"), std::string::npos) << line;
  }
}

TEST(NwrfcMessage, TheTraceBlockKeepsEveryLineAndEndsWithTheFinding) {
  sapnwrfc::RFC_ERROR_INFO info{};
  const std::u16string units = FromWindows1252(kUnreachable);
  units.copy(info.message, sizeof info.message / sizeof info.message[0] - 1);
  ErrorEntry entry{"RfcOpenEx", "RFC_COMMUNICATION_FAILURE", "CONNECT to SRV failed", "", "", {}};
  TakeSdkMessage(info, &entry);
  rfcshared::TraceSignature signature{[](std::time_t) { return std::string("T"); }, "bridge",
                                      "bridge"};
  const std::string block = rfcshared::FormatErrorBlock(entry, signature, 0, 1);
  EXPECT_EQ(block.find('?'), std::string::npos) << block;
  EXPECT_NE(
      block.find("     problem..: SDK: LOCATION    CPIC (TCP/IP) on local host with Unicode\n"),
      std::string::npos)
      << block;
  EXPECT_NE(block.find("     problem..: SDK: ERRNO TEXT  Connection refused\n"), std::string::npos)
      << block;
  // The block's last text, the one a reader of the trace reports.
  EXPECT_NE(block.find("\n       ======> partner 'srv01:3300' not reached\n\n"), std::string::npos)
      << block;
}

TEST(NwrfcMessage, AMessageBeyondWindows1252IsWholeInTheTrace) {
  // A Japanese system's message: '?' at the boundary, every character in
  // the trace block's UTF-8 lines; a Windows-1252 message gets no such line.
  struct Case {
    const char *name;
    std::u16string message;
    std::string finding;
    std::vector<std::string> utf8;
  } cases[] = {
      {"one line",
       u"\u63A5\u7D9A\u304C\u5207\u65AD (sap01)",
       "????? (sap01)",
       {"SDK, UTF-8: \xE6\x8E\xA5\xE7\xB6\x9A\xE3\x81\x8C\xE5\x88\x87\xE6\x96\xAD (sap01)"}},
      {"labelled lines",
       u"LOCATION    CPIC\nERROR       \u03A9 gone\n",
       "? gone",
       {"SDK, UTF-8: LOCATION    CPIC", "SDK, UTF-8: ERROR       \xCE\xA9 gone"}},
      {"Windows-1252 only", u"Kennwort f\u00FCr \u20AC", "Kennwort f\xFCr \x80", {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    sapnwrfc::RFC_ERROR_INFO info{};
    c.message.copy(info.message, sizeof info.message / sizeof info.message[0] - 1);
    ErrorEntry entry{"RfcReceive", "RFC_COMMUNICATION_FAILURE", "RfcReceive X", "", "", {}};
    TakeSdkMessage(info, &entry);
    EXPECT_EQ(entry.message, c.finding);
    std::vector<std::string> utf8;
    for (const std::string &problem : entry.problems)
      if (problem.compare(0, 12, "SDK, UTF-8: ") == 0) utf8.push_back(problem);
    EXPECT_EQ(utf8, c.utf8);
  }
}

} // namespace
} // namespace quarlane::nwrfc
