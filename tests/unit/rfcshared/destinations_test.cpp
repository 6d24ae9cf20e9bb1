#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rfcshared/destinations.h"

namespace quarlane::rfcshared {
namespace {

TEST(ConnectString, Words) {
  const auto words = SplitConnectString("CLIENT=100  user=MONITOR PASSWD=a=b LANG=D DEST=PRD FLAG");
  EXPECT_EQ(words.at("CLIENT"), "100");
  EXPECT_EQ(words.at("USER"), "MONITOR");
  EXPECT_EQ(words.at("PASSWD"), "a=b");
  EXPECT_EQ(words.at("DEST"), "PRD");
  EXPECT_EQ(words.at("FLAG"), "");
  EXPECT_EQ(SplitConnectString("=x\tdest=QAS").at("=X"), "");
  EXPECT_EQ(SplitConnectString("=x\tdest=QAS").at("DEST"), "QAS");
}

// Each entry as "DEST:KEY=value,KEY=value;" to compare whole results.
std::string Summary(const std::vector<DestinationEntry> &entries) {
  std::string text;
  for (const DestinationEntry &entry : entries) {
    text += entry.dest + ":";
    bool first = true;
    for (const auto &[key, value] : entry.values) {
      text += (first ? "" : ",") + key + "=" + value;
      first = false;
    }
    text += ";";
  }
  return text;
}

TEST(DestinationFile, ReadsEntriesAndSkipsCommentsMarksAndLineEnds) {
  struct Case {
    const char *name;
    std::string text;
    const char *expected;
  } cases[] = {
      {"plain", "DEST=PRD\nTYPE=A\nASHOST=sapprd01\nSYSNR=00\n",
       "PRD:ASHOST=sapprd01,SYSNR=00,TYPE=A;"},
      {"blanks around '=' and keys in any case", "  dest = PRD \n\tashost\t=\tsapprd01\n",
       "PRD:ASHOST=sapprd01;"},
      {"carriage returns", "DEST=PRD\r\nTYPE=A\r\n\r\nDEST=QAS\r\nTYPE=B\r\n",
       "PRD:TYPE=A;QAS:TYPE=B;"},
      {"byte order mark",
       "\xEF\xBB\xBF"
       "DEST=PRD\r\nTYPE=A\r\n",
       "PRD:TYPE=A;"},
      {"byte order mark only at the start",
       "DEST=PRD\n\xEF\xBB\xBF"
       "DEST=QAS\n",
       "PRD:\xEF\xBB\xBF"
       "DEST=QAS;"},
      {"comments", "* star\n# hash\n; semicolon\nDEST=PRD\n  ; indented\n;ASHOST=old\nASHOST=new\n",
       "PRD:ASHOST=new;"},
      {"commented-out entry", "DEST=PRD\n;DEST=QAS\nTYPE=A\n", "PRD:TYPE=A;"},
      {"lines before the first entry and without '='", "TYPE=A\nno equals sign\nDEST=PRD\nnoise\n",
       "PRD:;"},
      {"a later value wins", "DEST=PRD\nSYSNR=00\nSYSNR=01\n", "PRD:SYSNR=01;"},
      {"empty", "", ""},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Summary(ParseDestinationFile(c.text)), c.expected) << c.name;
}

TEST(DestinationFile, FindsTheFirstEntryOfTheNameIgnoringCaseAndBlanks) {
  const std::vector<DestinationEntry> entries =
      ParseDestinationFile("DEST=PRD\nASHOST=first\nDEST=prd\nASHOST=second\nDEST=QAS\n");
  ASSERT_NE(FindDestinationEntry(entries, " Prd\t"), nullptr);
  EXPECT_EQ(FindDestinationEntry(entries, "PRD")->Value("ASHOST"), "first");
  EXPECT_EQ(FindDestinationEntry(entries, "PRD")->Value("SYSNR"), "");
  EXPECT_NE(FindDestinationEntry(entries, "qas"), nullptr);
  EXPECT_EQ(FindDestinationEntry(entries, "DEV"), nullptr);
  EXPECT_EQ(FindDestinationEntry(entries, ""), nullptr);
}

} // namespace
} // namespace quarlane::rfcshared
