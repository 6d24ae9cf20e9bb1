#include "output/document.h"

#include <gtest/gtest.h>

#include <string>

namespace quarlane {
namespace {

const OutputMode kAllModes[] = {OutputMode::ExeXml, OutputMode::Dornvik, OutputMode::Mistrane,
                                OutputMode::Kelbrun, OutputMode::Pallvex};
const OutputMode kXmlModes[] = {OutputMode::ExeXml, OutputMode::Dornvik, OutputMode::Pallvex};

// A document in one mode with the parameter strings its emissions read.
struct Sensor {
  explicit Sensor(OutputMode mode, std::string raw = "")
      : params(Upper(raw)), params_raw(std::move(raw)) {
    doc.mode = mode;
  }
  static std::string Upper(std::string text) {
    for (char &c : text)
      if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    return text;
  }
  ChannelOptions Options() const { return ChannelOptions{params, params_raw}; }
  void Emit(const std::string &name, const std::string &value, const std::string &unit) {
    EmitChannel(doc, Options(), name, value, unit);
  }
  // A whole report: head, text, three channels, tail.
  std::string Report() {
    BeginDocument(doc);
    BeginText(doc);
    AppendText(doc, "Today 1.234 steps");
    EndText(doc, Options());
    Emit("TransActions", "1234", "#");
    Emit("Avg Dialog", "640", "mSec");
    Emit("Avg Del.Th", "7", "");
    EndDocument(doc);
    return doc.text;
  }

  std::string params, params_raw;
  OutputDocument doc;
};

TEST(OutputMode, NamesAndForms) {
  EXPECT_STREQ(OutputModeName(OutputMode::ExeXml), "EXEXML");
  EXPECT_STREQ(OutputModeName(OutputMode::Dornvik), "Dornvik");
  EXPECT_STREQ(OutputModeName(OutputMode::Mistrane), "Mistrane");
  EXPECT_STREQ(OutputModeName(OutputMode::Kelbrun), "Kelbrun");
  EXPECT_STREQ(OutputModeName(OutputMode::Pallvex), "Pallvex");
  for (OutputMode mode : kXmlModes)
    EXPECT_TRUE(IsXmlMode(mode)) << OutputModeName(mode);
  EXPECT_FALSE(IsXmlMode(OutputMode::Mistrane));
  EXPECT_FALSE(IsXmlMode(OutputMode::Kelbrun));
  EXPECT_EQ(OutputDocument{}.mode, OutputMode::ExeXml);
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
  for (const auto &c : cases)
    EXPECT_EQ(ChannelKey(c.first), c.second) << c.first;
}

TEST(DocumentPieces, EachModeContributesItsHeadTextAndTail) {
  struct Case {
    OutputMode mode;
    std::string head, text_open, text_close, tail;
  };
  const Case cases[] = {
      {OutputMode::ExeXml, "\n<Prtg>\n", "\n<Text>", "</Text>\n", "\n</Prtg>\n"},
      {OutputMode::Dornvik, "\n<Prtg>\n", "\n<Text>", "</Text>\n", "\n</Prtg>\n"},
      {OutputMode::Pallvex, "\n<Prtg>\n", "\n<Text>", "</Text>\n", "\n</Prtg>\n"},
      {OutputMode::Mistrane, "", "\n# ", "", "\n"},
      {OutputMode::Kelbrun, "", "\n# ", "", "\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(OutputModeName(c.mode));
    Sensor s(c.mode, "CH2");
    s.doc.text = "Error 1014: earlier message";
    BeginDocument(s.doc);
    EXPECT_EQ(s.doc.text, c.head) << "the head discards what came before";
    BeginText(s.doc);
    EXPECT_EQ(s.doc.text, c.head + c.text_open);
    EndText(s.doc, s.Options());
    EXPECT_EQ(s.doc.text, c.head + c.text_open + c.text_close);
    EndDocument(s.doc);
    EXPECT_EQ(s.doc.text, c.head + c.text_open + c.text_close + c.tail);
    EXPECT_EQ(s.doc.channel_counter, 0);
  }
}

TEST(EmitChannel, WorkedExampleInEveryMode) {
  struct Case {
    OutputMode mode;
    std::string params_raw;
    std::string appended;
  };
  const std::string xml = "\n<Result><Channel>Avg Dialog</Channel>\n<Unit>Custom</Unit>\n"
                          "<CustomUnit>mSec</CustomUnit>\n<Value>640</Value></Result>\n";
  const Case cases[] = {
      {OutputMode::ExeXml, "", xml},
      {OutputMode::Dornvik, "", xml},
      {OutputMode::Pallvex, "", xml},
      // "CH=" means nothing outside Kelbrun.
      {OutputMode::ExeXml, "CH=1", xml},
      {OutputMode::Mistrane, "", "\n\nMessage.Avg_Dialog: Avg Dialog (mSec)\nStatistic.Avg_Dialog: 640"},
      {OutputMode::Mistrane, "CH=2",
       "\n\nMessage.Avg_Dialog: Avg Dialog (mSec)\nStatistic.Avg_Dialog: 640"},
      {OutputMode::Kelbrun, "", "\n> Avg Dialog: 640 mSec"},
      {OutputMode::Kelbrun, "CH=1", "640"},
      {OutputMode::Kelbrun, "CH=2", ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(OutputModeName(c.mode)) + " params " + c.params_raw);
    Sensor s(c.mode, c.params_raw);
    s.doc.text = "before";
    s.Emit("Avg Dialog", "640", "mSec");
    EXPECT_EQ(s.doc.text, "before" + c.appended);
    EXPECT_EQ(s.doc.channel_counter, 1);
  }
}

TEST(EmitChannel, UnitsInXmlAreWrittenUnchangedOrLeftOut) {
  struct Case {
    std::string unit, appended;
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
    for (const Case &c : cases) {
      Sensor s(mode);
      s.Emit("N", "5", c.unit);
      EXPECT_EQ(s.doc.text, c.appended) << OutputModeName(mode) << " unit " << c.unit;
    }
}

TEST(EmitChannel, TextModesSubstituteUnits) {
  const std::pair<std::string, std::string> units[] = {
      {"", "#"},          {"PerCent", "%"},         {"TimeResponse", "mSec"},
      {"mSec", "mSec"},   {"#", "#"},               {"percent", "percent"},
      {"PerCent ", "PerCent "},
  };
  for (const auto &u : units) {
    Sensor mistrane(OutputMode::Mistrane);
    mistrane.Emit("N", "5", u.first);
    EXPECT_EQ(mistrane.doc.text, "\n\nMessage.N: N (" + u.second + ")\nStatistic.N: 5") << u.first;
    Sensor kelbrun(OutputMode::Kelbrun);
    kelbrun.Emit("N", "5", u.first);
    EXPECT_EQ(kelbrun.doc.text, "\n> N: 5 " + u.second) << u.first;
  }
}

TEST(EmitChannel, MistraneKeyForNameWithTwoDotsMessageKeepsName) {
  Sensor s(OutputMode::Mistrane);
  s.Emit("Avg x.y.z", "3", "mSec");
  EXPECT_EQ(s.doc.text, "\n\nMessage.Avg_x_y.z: Avg x.y.z (mSec)\nStatistic.Avg_x_y.z: 3");
}

TEST(EmitChannel, MistraneShowsTheFirstTenOfFourteenChannels) {
  Sensor s(OutputMode::Mistrane);
  std::string expected;
  for (int i = 1; i <= 14; ++i) {
    const std::string name = "C" + std::to_string(i);
    s.Emit(name, std::to_string(i * 100), "#");
    if (i <= 10)
      expected += "\n\nMessage." + name + ": " + name + " (#)\nStatistic." + name + ": " +
                  std::to_string(i * 100);
  }
  EXPECT_EQ(s.doc.text, expected);
  EXPECT_EQ(s.doc.channel_counter, 14);
}

TEST(EmitChannel, CounterRunsOnInEveryModeAcrossReports) {
  for (OutputMode mode : kAllModes) {
    Sensor s(mode, "CH=99");
    s.Report();
    s.Report();
    EXPECT_EQ(s.doc.channel_counter, 6) << OutputModeName(mode);
  }
}

TEST(Kelbrun, ChannelSelection) {
  struct Case {
    std::string params_raw;
    std::string document; // after a report of three channels: 1234, 640, 7
  };
  const Case cases[] = {
      {"CH=1", "1234\n"},
      {"CH=2", "640\n"},
      {"CH=3", "7\n"},
      // Digits stop at a comma: the further parameters do not matter.
      {"CH=2,RESPONSE", "640\n"},
      {"RESPONSE,CH=3,#", "7\n"},
      // Three characters at most: 0012 reads as 001.
      {"CH=0012", "1234\n"},
      // Letters read as 0, which no emission has.
      {"CH=ABC", "\n"},
      {"CH=", "\n"},
      {"CH=4", "\n"},
      {"CH=-1", "\n"},
      // atoi form: leading blank and a plus sign.
      {"CH= 2", "640\n"},
      {"CH=+3", "7\n"},
      {"CH=2x", "640\n"},
      // Searched in the upper-case string, so lower case selects too.
      {"ch=2", "640\n"},
      {"Ch=3,response", "7\n"},
  };
  for (const Case &c : cases) {
    Sensor s(OutputMode::Kelbrun, c.params_raw);
    EXPECT_EQ(s.Report(), c.document) << c.params_raw;
  }
}

TEST(Kelbrun, WithoutSelectionOneLinePerChannel) {
  Sensor s(OutputMode::Kelbrun, "RESPONSE");
  EXPECT_EQ(s.Report(), "\n# Today 1.234 steps\n> TransActions: 1234 #\n> Avg Dialog: 640 mSec"
                        "\n> Avg Del.Th: 7 #\n");
}

TEST(Report, WholeDocumentInEachMode) {
  const std::string xml = "\n<Prtg>\n\n<Text>Today 1.234 steps</Text>\n"
                          "\n<Result><Channel>TransActions</Channel>\n<Unit>Custom</Unit>\n"
                          "<CustomUnit>#</CustomUnit>\n<Value>1234</Value></Result>\n"
                          "\n<Result><Channel>Avg Dialog</Channel>\n<Unit>Custom</Unit>\n"
                          "<CustomUnit>mSec</CustomUnit>\n<Value>640</Value></Result>\n"
                          "\n<Result><Channel>Avg Del.Th</Channel>\n<Value>7</Value></Result>\n"
                          "\n</Prtg>\n";
  for (OutputMode mode : kXmlModes)
    EXPECT_EQ(Sensor(mode).Report(), xml) << OutputModeName(mode);
  EXPECT_EQ(Sensor(OutputMode::Mistrane).Report(),
            "\n# Today 1.234 steps"
            "\n\nMessage.TransActions: TransActions (#)\nStatistic.TransActions: 1234"
            "\n\nMessage.Avg_Dialog: Avg Dialog (mSec)\nStatistic.Avg_Dialog: 640"
            "\n\nMessage.Avg_Del_Th: Avg Del.Th (#)\nStatistic.Avg_Del_Th: 7\n");
}

TEST(Escaping, XmlModesEscapeNamesUnitsValuesAndTextOnce) {
  for (OutputMode mode : kXmlModes) {
    Sensor s(mode);
    BeginDocument(s.doc);
    BeginText(s.doc);
    AppendText(s.doc, "R&D <test>");
    AppendText(s.doc, " &amp;");
    EndText(s.doc, s.Options());
    s.Emit("A<B>&C", "1&2", "m&s");
    EndDocument(s.doc);
    EXPECT_EQ(s.doc.text, "\n<Prtg>\n\n<Text>R&amp;D &lt;test&gt; &amp;amp;</Text>\n"
                          "\n<Result><Channel>A&lt;B&gt;&amp;C</Channel>\n<Unit>Custom</Unit>\n"
                          "<CustomUnit>m&amp;s</CustomUnit>\n<Value>1&amp;2</Value></Result>\n"
                          "\n</Prtg>\n")
        << OutputModeName(mode);
  }
}

TEST(Escaping, TextModesWriteTextsAsTheyAre) {
  Sensor mistrane(OutputMode::Mistrane);
  AppendText(mistrane.doc, "R&D <x>");
  mistrane.Emit("A<B>&C.D", "1&2", "m&s");
  EXPECT_EQ(mistrane.doc.text,
            "R&D <x>\n\nMessage.A<B>&C_D: A<B>&C.D (m&s)\nStatistic.A<B>&C_D: 1&2");

  Sensor kelbrun(OutputMode::Kelbrun);
  AppendText(kelbrun.doc, "R&D <x>");
  kelbrun.Emit("A<B>&C", "1&2", "m&s");
  EXPECT_EQ(kelbrun.doc.text, "R&D <x>\n> A<B>&C: 1&2 m&s");

  Sensor selected(OutputMode::Kelbrun, "CH=1");
  selected.Emit("A", "<5>", "");
  EXPECT_EQ(selected.doc.text, "<5>");
}

TEST(ErrorDocument, SameXmlFormInEveryMode) {
  for (OutputMode mode : kAllModes) {
    SCOPED_TRACE(OutputModeName(mode));
    Sensor s(mode);
    s.Report();
    BuildErrorDocument(s.doc, "Error 1001: Parameter for Profile-Name is missing !");
    EXPECT_EQ(s.doc.text, "<Prtg>\n<Error>1</Error>\n<Text>Error 1001: Parameter for "
                          "Profile-Name is missing !</Text>\n</Prtg>\n");

    BuildErrorDocument(s.doc, "Error 1016: ReWriting of Profile C:\\A&B\\<x>.P00 failed !");
    EXPECT_EQ(s.doc.text, "<Prtg>\n<Error>1</Error>\n<Text>Error 1016: ReWriting of Profile "
                          "C:\\A&amp;B\\&lt;x&gt;.P00 failed !</Text>\n</Prtg>\n");
  }
}

TEST(Capacity, TextsAreHeldWhole) {
  const std::string long_name(300, 'n');
  const std::string long_value(200, '9');
  Sensor s(OutputMode::ExeXml);
  BeginDocument(s.doc);
  BeginText(s.doc);
  AppendText(s.doc, std::string(5000, 't'));
  EndText(s.doc, s.Options());
  s.Emit(long_name, long_value, "mSec");
  EndDocument(s.doc);
  EXPECT_NE(s.doc.text.find(std::string(5000, 't') + "</Text>"), std::string::npos);
  EXPECT_NE(s.doc.text.find("<Channel>" + long_name + "</Channel>"), std::string::npos);
  EXPECT_NE(s.doc.text.find("<Value>" + long_value + "</Value>"), std::string::npos);
  EXPECT_EQ(s.doc.text.substr(s.doc.text.size() - 9), "\n</Prtg>\n");
}

} // namespace
} // namespace quarlane
