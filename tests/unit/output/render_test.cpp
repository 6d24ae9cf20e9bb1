#include "output/render.h"

#include <gtest/gtest.h>

#include <string>

namespace quarlane {
namespace {

const OutputMode kAllModes[] = {OutputMode::ExeXml, OutputMode::Dornvik, OutputMode::Mistrane,
                                OutputMode::Kelbrun, OutputMode::Pallvex};
const OutputMode kXmlModes[] = {OutputMode::ExeXml, OutputMode::Dornvik, OutputMode::Pallvex};

// A report of three channels, the last without a unit.
Report ThreeChannels(std::string text = "Today 1.234 steps") {
  Report report;
  report.text = std::move(text);
  report.channels = {
      {"TransActions", "1234", "#"}, {"Avg Dialog", "640", "mSec"}, {"Avg Del.Th", "7", ""}};
  return report;
}

Renderer In(OutputMode mode, std::optional<int> channel = std::nullopt) {
  return Renderer(OutputFormat{mode, channel});
}

std::string One(OutputMode mode, const Channel &channel,
                std::optional<int> selected = std::nullopt) {
  return In(mode, selected).Channels({channel});
}

TEST(OutputMode, NamesAndForms) {
  EXPECT_STREQ(OutputModeName(OutputMode::ExeXml), "EXEXML");
  EXPECT_STREQ(OutputModeName(OutputMode::Dornvik), "Dornvik");
  EXPECT_STREQ(OutputModeName(OutputMode::Mistrane), "Mistrane");
  EXPECT_STREQ(OutputModeName(OutputMode::Kelbrun), "Kelbrun");
  EXPECT_STREQ(OutputModeName(OutputMode::Pallvex), "Pallvex");
  for (OutputMode mode : kXmlModes) EXPECT_TRUE(IsXmlMode(mode)) << OutputModeName(mode);
  EXPECT_FALSE(IsXmlMode(OutputMode::Mistrane));
  EXPECT_FALSE(IsXmlMode(OutputMode::Kelbrun));
  EXPECT_EQ(OutputFormat{}.mode, OutputMode::ExeXml);
  // A mode without its own row would silently be written as EXEXML.
  for (OutputMode mode : kAllModes) EXPECT_EQ(FormsOf(mode).mode, mode) << OutputModeName(mode);
  // Only the default mode searches PRTG's folders for its profile.
  for (OutputMode mode : kAllModes)
    EXPECT_EQ(FormsOf(mode).searches_prtg_folders, mode == OutputMode::ExeXml)
        << OutputModeName(mode);
}

TEST(OutputModeFromProgramName, WordsInTheProgramName) {
  const struct {
    std::string argv0;
    OutputMode mode;
  } cases[] = {
      {"quarlane", OutputMode::ExeXml},
      {"./quarlane", OutputMode::ExeXml},
      {"/opt/quarlane/quarlane-kelbrun", OutputMode::Kelbrun},
      {"C:\\PRTG\\Custom Sensors\\ExeXml\\Quarlane-Dornvik.exe", OutputMode::Dornvik},
      {"MISTRANE.EXE", OutputMode::Mistrane},
      {"pallvex", OutputMode::Pallvex},
      {"quarlane-pallvex-dornvik", OutputMode::Pallvex}, // the later in the test order wins
      {"kelbrun_mistrane", OutputMode::Kelbrun},
      {"/opt/dornvik/quarlane", OutputMode::ExeXml}, // the folder does not count
      {"", OutputMode::ExeXml},
  };
  for (const auto &c : cases) EXPECT_EQ(OutputModeFromProgramName(c.argv0), c.mode) << c.argv0;
}

TEST(ChannelKey, SeparatorsAndFirstDotBecomeUnderscores) {
  const std::pair<std::string, std::string> cases[] = {
      {"Avg Dialog", "Avg_Dialog"},
      {"Avg Auto.Th", "Avg_Auto_Th"},
      {"Avg Rsp-Time", "Avg_Rsp_Time"},
      {"Avg Del.Th", "Avg_Del_Th"},
      {"a.b.c", "a_b.c"},
      {" /\\[]*():-", "__________"},
      {"CPU(%) [1]: x*y", "CPU_%___1___x_y"},
      {"TransActions", "TransActions"},
      {"", ""},
  };
  for (const auto &c : cases) EXPECT_EQ(ChannelKey(c.first), c.second) << c.first;
}

// The one table across the modes: every piece and the whole document.
TEST(Render, EachModeInOneTable) {
  const std::string xml_channels =
      "\n<Result><Channel>TransActions</Channel>\n<Unit>Custom</Unit>\n"
      "<CustomUnit>#</CustomUnit>\n<Value>1234</Value></Result>\n"
      "\n<Result><Channel>Avg Dialog</Channel>\n<Unit>Custom</Unit>\n"
      "<CustomUnit>mSec</CustomUnit>\n<Value>640</Value></Result>\n"
      "\n<Result><Channel>Avg Del.Th</Channel>\n<Value>7</Value></Result>\n";
  const std::string mistrane_channels =
      "\n\nMessage.TransActions: TransActions (#)\nStatistic.TransActions: 1234"
      "\n\nMessage.Avg_Dialog: Avg Dialog (mSec)\nStatistic.Avg_Dialog: 640"
      "\n\nMessage.Avg_Del_Th: Avg Del.Th (#)\nStatistic.Avg_Del_Th: 7";
  const std::string kelbrun_channels =
      "\n> TransActions: 1234 #\n> Avg Dialog: 640 mSec\n> Avg Del.Th: 7 #";
  struct Case {
    OutputMode mode;
    std::optional<int> selected;
    std::string head, closing, document;
  };
  const Case cases[] = {
      {OutputMode::ExeXml, std::nullopt, "\n<Prtg>\n", "\n<Text>Sum</Text>\n\n</Prtg>\n",
       "\n<Prtg>\n\n<Text>Today 1.234 steps</Text>\n" + xml_channels + "\n</Prtg>\n"},
      {OutputMode::Dornvik, std::nullopt, "\n<Prtg>\n", "\n<Text>Sum</Text>\n\n</Prtg>\n",
       "\n<Prtg>\n\n<Text>Today 1.234 steps</Text>\n" + xml_channels + "\n</Prtg>\n"},
      {OutputMode::Pallvex, std::nullopt, "\n<Prtg>\n", "\n<Text>Sum</Text>\n\n</Prtg>\n",
       "\n<Prtg>\n\n<Text>Today 1.234 steps</Text>\n" + xml_channels + "\n</Prtg>\n"},
      // A channel selection means nothing outside Kelbrun.
      {OutputMode::ExeXml, 1, "\n<Prtg>\n", "\n<Text>Sum</Text>\n\n</Prtg>\n",
       "\n<Prtg>\n\n<Text>Today 1.234 steps</Text>\n" + xml_channels + "\n</Prtg>\n"},
      {OutputMode::Mistrane, std::nullopt, "", "\n# Sum\n",
       "\n# Today 1.234 steps" + mistrane_channels + "\n"},
      {OutputMode::Mistrane, 2, "", "\n# Sum\n",
       "\n# Today 1.234 steps" + mistrane_channels + "\n"},
      {OutputMode::Kelbrun, std::nullopt, "", "\n# Sum\n",
       "\n# Today 1.234 steps" + kelbrun_channels + "\n"},
      // A Kelbrun selection prints the bare value: head and report text go.
      {OutputMode::Kelbrun, 2, "", "\n", "640\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(OutputModeName(c.mode)) + " selected " +
                 (c.selected ? std::to_string(*c.selected) : "none"));
    Renderer renderer = In(c.mode, c.selected);
    EXPECT_EQ(renderer.Head(), c.head);
    EXPECT_EQ(renderer.Closing("Sum"), c.closing);
    EXPECT_EQ(renderer.Document(ThreeChannels()), c.document);
    EXPECT_EQ(renderer.channels_rendered(), 3);
  }
}

TEST(Render, TheTransactionReportsHeadAndTextAreXmlInEveryMode) {
  Report report = ThreeChannels("(PRD) Transaction: R&D ");
  report.xml_text_in_every_mode = true;
  const std::string xml_text = "\n<Prtg>\n\n<Text>(PRD) Transaction: R&amp;D </Text>\n";
  for (OutputMode mode : kXmlModes)
    EXPECT_EQ(In(mode).Document(report).substr(0, xml_text.size()), xml_text)
        << OutputModeName(mode);
  // Text modes: the text is not escaped, the channels and tail follow the mode,
  // and a Kelbrun selection does not wipe the head.
  EXPECT_EQ(In(OutputMode::Mistrane).Document(report),
            "\n<Prtg>\n\n<Text>(PRD) Transaction: R&D </Text>\n" +
                In(OutputMode::Mistrane).Channels(report.channels) + "\n");
  EXPECT_EQ(In(OutputMode::Kelbrun, 1).Document(report),
            "\n<Prtg>\n\n<Text>(PRD) Transaction: R&D </Text>\n1234\n");
}

TEST(Render, WorkedChannelInEveryMode) {
  struct Case {
    OutputMode mode;
    std::optional<int> selected;
    std::string rendered;
  };
  const std::string xml = "\n<Result><Channel>Avg Dialog</Channel>\n<Unit>Custom</Unit>\n"
                          "<CustomUnit>mSec</CustomUnit>\n<Value>640</Value></Result>\n";
  const Case cases[] = {
      {OutputMode::ExeXml, std::nullopt, xml},
      {OutputMode::Dornvik, std::nullopt, xml},
      {OutputMode::Pallvex, std::nullopt, xml},
      {OutputMode::ExeXml, 1, xml},
      {OutputMode::Mistrane, std::nullopt,
       "\n\nMessage.Avg_Dialog: Avg Dialog (mSec)\nStatistic.Avg_Dialog: 640"},
      {OutputMode::Mistrane, 2,
       "\n\nMessage.Avg_Dialog: Avg Dialog (mSec)\nStatistic.Avg_Dialog: 640"},
      {OutputMode::Kelbrun, std::nullopt, "\n> Avg Dialog: 640 mSec"},
      {OutputMode::Kelbrun, 1, "640"},
      {OutputMode::Kelbrun, 2, ""},
  };
  for (const Case &c : cases)
    EXPECT_EQ(One(c.mode, {"Avg Dialog", "640", "mSec"}, c.selected), c.rendered)
        << OutputModeName(c.mode);
}

TEST(Render, UnitsInXmlAreWrittenUnchangedOrLeftOut) {
  struct Case {
    std::string unit, rendered;
  };
  const Case cases[] = {
      {"", "\n<Result><Channel>N</Channel>\n<Value>5</Value></Result>\n"},
      {"PerCent", "\n<Result><Channel>N</Channel>\n<Unit>Custom</Unit>\n"
                  "<CustomUnit>PerCent</CustomUnit>\n<Value>5</Value></Result>\n"},
      {"TimeResponse", "\n<Result><Channel>N</Channel>\n<Unit>Custom</Unit>\n"
                       "<CustomUnit>TimeResponse</CustomUnit>\n<Value>5</Value></Result>\n"},
      {"#", "\n<Result><Channel>N</Channel>\n<Unit>Custom</Unit>\n"
            "<CustomUnit>#</CustomUnit>\n<Value>5</Value></Result>\n"},
  };
  for (OutputMode mode : kXmlModes)
    for (const Case &c : cases)
      EXPECT_EQ(One(mode, {"N", "5", c.unit}), c.rendered)
          << OutputModeName(mode) << " unit " << c.unit;
}

TEST(Render, TextModesSubstituteUnits) {
  const std::pair<std::string, std::string> units[] = {
      {"", "#"},  {"PerCent", "%"},       {"TimeResponse", "mSec"}, {"mSec", "mSec"},
      {"#", "#"}, {"percent", "percent"}, {"PerCent ", "PerCent "},
  };
  for (const auto &u : units) {
    EXPECT_EQ(One(OutputMode::Mistrane, {"N", "5", u.first}),
              "\n\nMessage.N: N (" + u.second + ")\nStatistic.N: 5")
        << u.first;
    EXPECT_EQ(One(OutputMode::Kelbrun, {"N", "5", u.first}), "\n> N: 5 " + u.second) << u.first;
  }
}

TEST(Render, MistraneKeyForNameWithTwoDotsMessageKeepsName) {
  EXPECT_EQ(One(OutputMode::Mistrane, {"Avg x.y.z", "3", "mSec"}),
            "\n\nMessage.Avg_x_y.z: Avg x.y.z (mSec)\nStatistic.Avg_x_y.z: 3");
}

TEST(Render, MistraneShowsTheFirstTenOfFourteenChannels) {
  Renderer renderer = In(OutputMode::Mistrane);
  std::string rendered, expected;
  for (int i = 1; i <= 14; ++i) {
    const std::string name = "C" + std::to_string(i);
    rendered += renderer.Channels({{name, std::to_string(i * 100), "#"}});
    if (i <= 10)
      expected += "\n\nMessage." + name + ": " + name + " (#)\nStatistic." + name + ": " +
                  std::to_string(i * 100);
  }
  EXPECT_EQ(rendered, expected);
  EXPECT_EQ(renderer.channels_rendered(), 14);
}

TEST(Render, CounterRunsOnInEveryModeAcrossReports) {
  for (OutputMode mode : kAllModes) {
    Renderer renderer = In(mode, 99);
    renderer.Document(ThreeChannels());
    renderer.Document(ThreeChannels());
    EXPECT_EQ(renderer.channels_rendered(), 6) << OutputModeName(mode);
  }
  // An item run: one channel per system; the selection counts across them.
  Renderer item_run = In(OutputMode::Kelbrun, 2);
  EXPECT_EQ(item_run.Channels({{"PRD", "10", "#"}}), "");
  EXPECT_EQ(item_run.Channels({{"QAS", "20", "#"}}), "20");
  EXPECT_EQ(item_run.Channels({{"DEV", "30", "#"}}), "");
}

TEST(Kelbrun, ChannelSelection) {
  struct Case {
    int selected;
    std::string document; // after a report of three channels: 1234, 640, 7
  };
  const Case cases[] = {{1, "1234\n"}, {2, "640\n"}, {3, "7\n"}, {0, "\n"}, {4, "\n"}, {-1, "\n"}};
  for (const Case &c : cases)
    EXPECT_EQ(In(OutputMode::Kelbrun, c.selected).Document(ThreeChannels()), c.document)
        << c.selected;
}

TEST(Escaping, XmlModesEscapeNamesUnitsValuesAndTextOnce) {
  Report report;
  report.text = "R&D <test> &amp;";
  report.channels = {{"A<B>&C", "1&2", "m&s"}};
  for (OutputMode mode : kXmlModes)
    EXPECT_EQ(In(mode).Document(report),
              "\n<Prtg>\n\n<Text>R&amp;D &lt;test&gt; &amp;amp;</Text>\n"
              "\n<Result><Channel>A&lt;B&gt;&amp;C</Channel>\n<Unit>Custom</Unit>\n"
              "<CustomUnit>m&amp;s</CustomUnit>\n<Value>1&amp;2</Value></Result>\n"
              "\n</Prtg>\n")
        << OutputModeName(mode);
}

TEST(Escaping, TextModesWriteTextsAsTheyAre) {
  Report report;
  report.text = "R&D <x>";
  report.channels = {{"A<B>&C.D", "1&2", "m&s"}};
  EXPECT_EQ(In(OutputMode::Mistrane).Document(report),
            "\n# R&D <x>\n\nMessage.A<B>&C_D: A<B>&C.D (m&s)\nStatistic.A<B>&C_D: 1&2\n");
  report.channels = {{"A<B>&C", "1&2", "m&s"}};
  EXPECT_EQ(In(OutputMode::Kelbrun).Document(report), "\n# R&D <x>\n> A<B>&C: 1&2 m&s\n");
  EXPECT_EQ(One(OutputMode::Kelbrun, {"A", "<5>", ""}, 1), "<5>");
}

TEST(ErrorDocument, SameXmlFormInEveryMode) {
  EXPECT_EQ(RenderError("Error 1001: Parameter for Profile-Name is missing !"),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1001: Parameter for "
            "Profile-Name is missing !</Text>\n</Prtg>\n");
  EXPECT_EQ(RenderError("Error 1016: ReWriting of Profile C:\\A&B\\<x>.P00 failed !"),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1016: ReWriting of Profile "
            "C:\\A&amp;B\\&lt;x&gt;.P00 failed !</Text>\n</Prtg>\n");
}

// Texts as the system meets them: a control byte in a profile name,
// Windows-1252 from the library or the trace file, text that is UTF-8
// already, a NUL left in a value; with the markup characters beside them.
struct ByteCase {
  // the text, what an XML document carries of it, what a text mode does:
  // its bytes but control characters (PrintableText)
  std::string in, xml, text;
};
const ByteCase kByteCases[] = {
    {"PRD\x01.P00", "PRD?.P00", "PRD?.P00"},
    {"Caf\xe9 & <x>", "Caf\xc3\xa9 &amp; &lt;x&gt;", "Caf\xe9 & <x>"},
    {"Benutzer gesperrt \xe4\xf6\xfc", "Benutzer gesperrt \xc3\xa4\xc3\xb6\xc3\xbc",
     "Benutzer gesperrt \xe4\xf6\xfc"},
    {"already \xc3\xa4", "already \xc3\xa4", "already \xc3\xa4"},
    {std::string("PR\0D", 4), "PR?D", "PR?D"},
    {"EXC\x01"
     "EPTION\x7f\x1b",
     "EXC?EPTION??", "EXC?EPTION??"},
    {"tab\tand\r\nline", "tab\tand\r\nline", "tab?and?\nline"},
    {"C1 \xc2\x9b"
     "2J",
     "C1 ?2J", "C1 ?2J"},
};

TEST(Bytes, XmlModesCarryEveryByteAsWellFormedUtf8) {
  for (const ByteCase &c : kByteCases) {
    for (OutputMode mode : kXmlModes) {
      Report report;
      report.text = c.in;
      report.channels = {{c.in, c.in, c.in}};
      EXPECT_EQ(In(mode).Document(report),
                "\n<Prtg>\n\n<Text>" + c.xml + "</Text>\n\n<Result><Channel>" + c.xml +
                    "</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>" + c.xml +
                    "</CustomUnit>\n<Value>" + c.xml + "</Value></Result>\n\n</Prtg>\n")
          << OutputModeName(mode) << " " << c.in;
      Renderer items = In(mode);
      EXPECT_EQ(items.Channels({{c.in, "1", ""}}),
                "\n<Result><Channel>" + c.xml + "</Channel>\n<Value>1</Value></Result>\n");
      EXPECT_EQ(items.Closing(c.in), "\n<Text>" + c.xml + "</Text>\n\n</Prtg>\n");
    }
    EXPECT_EQ(RenderError(c.in), "<Prtg>\n<Error>1</Error>\n<Text>" + c.xml + "</Text>\n</Prtg>\n")
        << c.in;
  }
}

TEST(Bytes, TextModesKeepTheBytesButControlCharacters) {
  for (const ByteCase &c : kByteCases) {
    Report report;
    report.text = c.in;
    report.channels = {{"A", c.in, ""}};
    EXPECT_EQ(In(OutputMode::Kelbrun).Document(report),
              "\n# " + c.text + "\n> A: " + c.text + " #\n");
    EXPECT_EQ(In(OutputMode::Mistrane).Closing(c.in), "\n# " + c.text + "\n");
  }
}

TEST(Capacity, TextsAreHeldWhole) {
  const std::string long_name(300, 'n');
  const std::string long_value(200, '9');
  Report report;
  report.text = std::string(5000, 't');
  report.channels = {{long_name, long_value, "mSec"}};
  const std::string document = In(OutputMode::ExeXml).Document(report);
  EXPECT_NE(document.find(std::string(5000, 't') + "</Text>"), std::string::npos);
  EXPECT_NE(document.find("<Channel>" + long_name + "</Channel>"), std::string::npos);
  EXPECT_NE(document.find("<Value>" + long_value + "</Value>"), std::string::npos);
  EXPECT_EQ(document.substr(document.size() - 9), "\n</Prtg>\n");
}

} // namespace
} // namespace quarlane
