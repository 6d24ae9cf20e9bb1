#include "output/plain_text.h"

#include <gtest/gtest.h>

#include "output/open_document.h"

namespace quarlane {
namespace {

TEST(PrintableText, ControlCharactersBecomeQuestionMarksOtherBytesStay) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"plain text\n", "plain text\n"},
      {"\x1b[2JVerdict: ok\x07\x08", "?[2JVerdict: ok??"},
      {"tab\there\rCR", "tab?here?CR"},
      {"DEL\x7f", "DEL?"},
      {std::string("N\0L", 3), "N?L"},
      {"C1 \xc2\x9b"
       "2J \xc2\x80",
       "C1 ?2J ?"},
      {"Windows-1252 \xe4 and \x80 stay", "Windows-1252 \xe4 and \x80 stay"},
      {"UTF-8 \xc3\xa4 \xe2\x82\xac stays", "UTF-8 \xc3\xa4 \xe2\x82\xac stays"},
      {"\xc2", "\xc2"},
  };
  for (const Case &c : cases) EXPECT_EQ(PrintableText(c.in), c.out) << c.in;
}

TEST(PrintableText, Utf8ForTheCheckToolsConsole) {
  EXPECT_EQ(PrintableUtf8Text("Benutzer gesperrt \xe4\x80\x1b"),
            "Benutzer gesperrt \xc3\xa4\xe2\x82\xac?");
  EXPECT_EQ(PrintableUtf8Text("\xe2\x82\xac\t"), "\xe2\x82\xac?");
}

TEST(OpenDocument, TextBetweenThePiecesOfAnItemDocument) {
  const std::string line = "* SapRfc.Ini.......: QAS<\n";
  EXPECT_EQ(OpenDocumentText(OutputMode::ExeXml, line), "* SapRfc.Ini.......: QAS&lt;\n");
  EXPECT_EQ(OpenDocumentText(OutputMode::Pallvex, "a & b\x01\xe9\n"), "a &amp; b?\xc3\xa9\n");
  EXPECT_EQ(OpenDocumentText(OutputMode::Kelbrun, line), line);
  EXPECT_EQ(OpenDocumentText(OutputMode::Mistrane, "x\x1b\n"), "x?\n");
}

TEST(OpenDocument, AFailureClosesTheOpenDocumentAsTheErrorDocumentWould) {
  EXPECT_EQ(ErrorClosing("Error 1014: RFC-Failure raised ! <x> \xe9"),
            "<Error>1</Error>\n<Text>Error 1014: RFC-Failure raised ! &lt;x&gt; \xc3\xa9</Text>\n"
            "</Prtg>\n");
}

} // namespace
} // namespace quarlane
