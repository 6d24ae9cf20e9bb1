#include "sensor/profile_location.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "platform/file_system.h"
#include "sensor/folder_fixtures.h"
#include "sensor/options.h"
#include "util/text.h"

namespace quarlane {
namespace {

const std::string kExeXml = "PRTG Network Monitor\\Custom Sensors\\ExeXml\\";
const std::string kProgramFiles = "\\Program Files\\" + kExeXml;
const std::string kMark = "Sensor=\"SAP Quarlane\"";

TEST(ProfileNameRules, DefaultExtension) {
  const std::pair<std::string, std::string> cases[] = {
      {"PRD", "PRD.P00"},
      {"PRD.P01", "PRD.P01"},
      {"PRD.TXT", "PRD.TXT"},
      {"AB", "AB.P00"},
      {"A.B", "A.B.P00"},
      {"global", "global.P00"},
      {"D:\\x\\PRD", "D:\\x\\PRD.P00"},
      {"", ".P00"},
      {"Corvanta.Prf", "Corvanta.Prf"},
      {"PRD.P0", "PRD.P0.P00"},
  };
  for (const auto &c : cases) EXPECT_EQ(WithDefaultExtension(c.first), c.second) << c.first;
}

TEST(ProfileNameRules, FolderPart) {
  const struct {
    std::string name, folder, file;
  } cases[] = {
      {"PRD.P00", "", "PRD.P00"},
      {"\\PRD.P00", "", "\\PRD.P00"}, // a backslash in the first position alone
      {"D:\\x\\PRD.P00", "D:\\x\\", "PRD.P00"},
      {"a\\b\\c.P00", "a\\b\\", "c.P00"},
      {"\\Tools\\PRD.P00", "\\Tools\\", "PRD.P00"},
      {"\\\\srv\\share\\PRD.P00", "\\\\srv\\share\\", "PRD.P00"},
      // A slash separates folders wherever a backslash does.
      {"../../secret/victim.P00", "../../secret/", "victim.P00"},
      {"/PRD.P00", "", "/PRD.P00"}, // in the first position alone, as a backslash
      {"D:/x\\PRD.P00", "D:/x\\", "PRD.P00"},
      {"a\\b/c.P00", "a\\b/", "c.P00"},
  };
  for (const auto &c : cases) {
    ProfileNameParts parts = SplitProfileName(c.name);
    EXPECT_EQ(parts.folder, c.folder) << c.name;
    EXPECT_EQ(parts.name, c.file) << c.name;
  }
}

TEST(ProfileNameRules, FolderLinesOfPrtgPathFile) {
  const struct {
    std::vector<std::string> lines;
    std::string folder;
  } cases[] = {
      {{}, ""},
      {{"# where PRTG lives", "PRTG"}, ""},
      {{"D:\\Tools"}, "D:\\Tools"},
      {{"D:"}, "D:"},
      {{"\\\\server\\prtg"}, "\\\\server\\prtg"},
      {{"ab\\cd"}, "ab\\cd"},                                       // third character a backslash
      {{"C:\\First", "; comment", "E:\\Last", "note"}, "E:\\Last"}, // the last that counts
      {{"D:\\Tools  "}, "D:\\Tools  "},                             // taken whole, blanks stay
      {{"x"}, ""},
  };
  for (const auto &c : cases) EXPECT_EQ(FolderFromPrtgPathLines(c.lines), c.folder) << c.folder;
}

TEST(ProfileNameRules, PathCheck) {
  EXPECT_TRUE(PassesPathCheck("C:\\Program Files\\" + kExeXml));
  EXPECT_TRUE(PassesPathCheck("exexml\\"));
  EXPECT_TRUE(PassesPathCheck("D:\\EXEXML\\"));
  EXPECT_FALSE(PassesPathCheck(""));
  EXPECT_FALSE(PassesPathCheck("EXEXML"));
  EXPECT_FALSE(PassesPathCheck("D:\\ExeXml"));
  EXPECT_FALSE(PassesPathCheck("D:\\ExeXml\\PRD\\"));
  EXPECT_FALSE(PassesPathCheck("\\"));
}

// The location step over files held in memory: drive paths ("C:\PRTG_Path.Txt",
// "\Program Files\...") and relative ones are plain names there, so these
// tests run alike on every platform and never touch the disk.
class LocationTest : public ::testing::Test {
protected:
  void Put(const std::string &path, const std::string &bytes) { files.Put(path, bytes); }

  // The location of a profile name with the command line's parameters.
  Result<LocatedRun> Try(const std::string &name, const std::string &params_raw,
                         OutputMode mode = OutputMode::ExeXml) {
    return LocateProfile(files, name, mode, ParseOptions(params_raw),
                         params_raw.substr(0, params_raw.find(' ')));
  }

  LocatedRun Locate(const std::string &name, const std::string &params_raw,
                    OutputMode mode = OutputMode::ExeXml) {
    Result<LocatedRun> located = Try(name, params_raw, mode);
    EXPECT_TRUE(located.ok()) << name << ": " << (located ? "" : located.failure().text);
    return located ? *located : LocatedRun{};
  }

  std::string FailureOf(const std::string &name, const std::string &params_raw,
                        OutputMode mode = OutputMode::ExeXml) {
    const Result<LocatedRun> located = Try(name, params_raw, mode);
    return located ? "(no failure)" : located.failure().text;
  }

  MemoryFileSystem files;
};

const ItemRunLocation &Item(const LocatedRun &run) {
  static const ItemRunLocation kNone;
  const auto *item = std::get_if<ItemRunLocation>(&run.location);
  EXPECT_NE(item, nullptr) << "an item run";
  return item ? *item : kNone;
}

bool IsItemRun(const LocatedRun &run) {
  return std::holds_alternative<ItemRunLocation>(run.location);
}

// The listed systems as the listing wrote them.
std::string Listing(const LocatedRun &run) {
  std::string listing;
  for (const std::string &entry : Item(run).systems) listing += entry + "#";
  return listing;
}

using PrtgFolderSearch = LocationTest;

// On the disk a folder named like the profile does not open as one; the
// search goes on to the next folder.
using DiskFolderSearch = DriveTreeTest;

TEST_F(DiskFolderSearch, AFolderIsNoProfile) {
  MakeFolder(kProgramFiles + "PRD.P00");
  WorkingFolderTest::Put("\\Program Files (x86)\\" + kExeXml + "PRD.P00", "");
  const Result<LocatedRun> run =
      LocateProfile(Disk(), "PRD", OutputMode::ExeXml, ParseOptions(""), "");
  ASSERT_TRUE(run.ok()) << run.failure().text;
  EXPECT_EQ(FileOf(run->location).folder, "\\Program Files (x86)\\" + kExeXml);
}

TEST_F(PrtgFolderSearch, FixedFoldersInTheirOrder) {
  Put(kProgramFiles + "PRD.P00", "");
  Put("\\Program Files (x86)\\" + kExeXml + "PRD.P00", "");
  const LocatedRun run = Locate("PRD", "");
  EXPECT_EQ(FileOf(run.location).name, "PRD.P00");
  EXPECT_EQ(FileOf(run.location).folder, kProgramFiles);
  EXPECT_EQ(FileOf(run.location).path, kProgramFiles + "PRD.P00");
  EXPECT_FALSE(IsItemRun(run));

  Put("\\Programme\\" + kExeXml + "PRD.P00", "");
  const LocatedRun first = Locate("PRD", "");
  EXPECT_EQ(FileOf(first.location).folder, "\\Programme\\" + kExeXml);
}

TEST_F(PrtgFolderSearch, FolderPartOfTheNameIsDroppedAndExtensionKept) {
  Put("\\Program Files (x86)\\" + kExeXml + "PRD.P01", "");
  const LocatedRun run = Locate("D:\\Somewhere\\PRD.P01", "Dialog");
  EXPECT_EQ(FileOf(run.location).path, "\\Program Files (x86)\\" + kExeXml + "PRD.P01");
}

TEST_F(PrtgFolderSearch, WorkingFolderFailsThePathCheck) {
  Put("PRD.P00", "");
  EXPECT_EQ(FailureOf("PRD", ""), "Sorry, invalid Path-Usage...");
  // The working folder comes first, even when a fixed folder has the profile.
  Put(kProgramFiles + "PRD.P00", "");
  EXPECT_EQ(FailureOf("PRD", ""), "Sorry, invalid Path-Usage...");
}

// A name written with slashes is judged as the same name written with
// backslashes: its folder part is dropped by the search, so it cannot climb
// out of the PRTG folders.
TEST_F(PrtgFolderSearch, SlashesSeparateFoldersAsBackslashesDo) {
  Put("\\secret\\victim.P00", "");
  Put(kProgramFiles + "other.P00", "");
  for (const char *name : {"../../../../secret/victim", "..\\..\\..\\..\\secret\\victim",
                           "../../../../secret/victim.txt", "..\\..\\..\\..\\secret/victim"}) {
    const std::string failure = FailureOf(name, "");
    EXPECT_NE(failure.find("Error 1002: Profile victim."), std::string::npos)
        << name << ": " << failure;
  }
  Put(kProgramFiles + "victim.P00", "");
  EXPECT_EQ(FileOf(Locate("../../../../secret/victim", "").location).path,
            kProgramFiles + "victim.P00");
}

TEST_F(PrtgFolderSearch, MissingEverywhere) {
  EXPECT_EQ(FailureOf("PRD", ""), "Error 1002: Profile PRD.P00 is missing...");
}

TEST_F(PrtgFolderSearch, PrtgPathFileNamesTheInstallation) {
  const struct {
    std::string path_file;  // content of C:\PRTG_Path.Txt
    std::string profile_at; // where the profile lies
    std::string folder;     // the folder chosen
  } cases[] = {
      {"D:\\Tools\r\n", "D:\\Tools\\" + kExeXml, "D:\\Tools\\" + kExeXml},
      {"D:\\Tools\\PRTG Network Monitor\\\n", "D:\\Tools\\" + kExeXml, "D:\\Tools\\" + kExeXml},
      {"D:\\Tools\\" + kExeXml, "D:\\Tools\\" + kExeXml, "D:\\Tools\\" + kExeXml},
      {"; PRTG folder\nC:\\Old\nrem\nD:\\Tools\nnot a folder\n", "D:\\Tools\\" + kExeXml,
       "D:\\Tools\\" + kExeXml},
      // No folder line: the root of the drive.
      {"nothing here\n", "\\" + kExeXml, "\\" + kExeXml},
      {"", "\\Custom Sensors\\ExeXml\\", "\\Custom Sensors\\ExeXml\\"},
  };
  for (const auto &c : cases) {
    files = MemoryFileSystem();
    Put("C:\\PRTG_Path.Txt", c.path_file);
    Put(c.profile_at + "PRD.P00", "");
    const LocatedRun run = Locate("PRD", "");
    EXPECT_EQ(FileOf(run.location).folder, c.folder) << c.path_file;
    EXPECT_EQ(FileOf(run.location).path, c.folder + "PRD.P00");
  }
}

TEST_F(PrtgFolderSearch, PrtgPathFileRulesOutTheFixedFolders) {
  Put("C:\\PRTG_Path.Txt", "D:\\Tools\n");
  Put(kProgramFiles + "PRD.P00", "");
  EXPECT_EQ(FailureOf("PRD", ""), "Error 1002: Profile PRD.P00 is missing...");
}

TEST_F(PrtgFolderSearch, PrtgPathFileOutsideAnExeXmlFolderFailsThePathCheck) {
  Put("C:\\PRTG_Path.Txt", "D:\\Profiles\n");
  Put("D:\\Profiles\\PRD.P00", "");
  EXPECT_EQ(FailureOf("PRD", ""), "Sorry, invalid Path-Usage...");
}

TEST_F(PrtgFolderSearch, AtSignOpensTheGivenFolderWithoutPathCheck) {
  Put("D:\\Else\\PRD.P00", "");
  const LocatedRun run = Locate("D:\\Else\\PRD", "#@");
  EXPECT_EQ(FileOf(run.location).folder, "D:\\Else\\");
  EXPECT_EQ(FileOf(run.location).path, "D:\\Else\\PRD.P00");

  EXPECT_EQ(FailureOf("D:\\Other\\PRD", "@"),
            "Error 1002: Profile D:\\Other\\PRD.P00 is missing...");
}

TEST_F(PrtgFolderSearch, ItemModeReadsCorvantaPrf) {
  Put(kProgramFiles + "Corvanta.Prf", "; systems\r\n"
                                      "# Gsng: ------------PRD.P00#QAS.P00#\r\n"
                                      "# Gsng: ------------DEV.P00#\r\n");
  const LocatedRun run = Locate("GLOBAL", "item=Avg:Dialog"); // "ITEM=" comes first: no global mode
  EXPECT_TRUE(IsItemRun(run));
  EXPECT_EQ(FileOf(run.location).name, "Corvanta.Prf");
  EXPECT_EQ(FileOf(run.location).folder, kProgramFiles);
  EXPECT_EQ(Item(run).item_name, "Avg Dialog");
  EXPECT_EQ(Listing(run), "PRD.P00#QAS.P00#DEV.P00#");
  EXPECT_EQ(Item(run).label_kind, SystemLabelKind::Profile);
  EXPECT_EQ(run.options.item_run_text, "item=Avg Dialog");
}

TEST_F(PrtgFolderSearch, ItemModeChecks) {
  Put(kProgramFiles + "Corvanta.Prf", "# Gsng: ------------PRD.P00#\n");
  EXPECT_EQ(FailureOf("PRD", "ITEM=,x"), "Error 1026: Global Item Idenification missing...");

  Put(kProgramFiles + "Corvanta.Prf", "# GSNG: ------------PRD.P00#\n");
  // both missing: the listing is reported
  EXPECT_EQ(FailureOf("PRD", "ITEM=,x"), "Error 1025: Global Server Listing missing...");

  files.Remove(kProgramFiles + "Corvanta.Prf");
  Put(kProgramFiles + "PRD.P00", "");
  EXPECT_EQ(FailureOf("PRD", "ITEM=Steps"), "Error 1002: Profile Corvanta.Prf is missing...");
}

TEST_F(PrtgFolderSearch, GlobalModeReadsTheGlobalSensorFile) {
  Put(kProgramFiles + "SAP Corvanta.Gbl",
      "# GSNG: PROD1     --PRD.P00#\n"
      "# GSNG: PROD2     --XXX.P00#\n"
      "# gsng: Prod1     --QAS.P00#\n"
      "# GSNX: PROD1     -Item=Avg:Dialog,Host,CH=2,Sensor=\"SAP Quarlane\"\n");
  const std::string names[] = {"global", "GLOBAL.P00", "C:\\x\\Global", "gLoBaL.p00"};
  for (const std::string &name : names) {
    const LocatedRun run = Locate(name, "prod1 #");
    EXPECT_TRUE(IsItemRun(run)) << name;
    EXPECT_EQ(FileOf(run.location).name, "SAP Corvanta.Gbl");
    EXPECT_EQ(FileOf(run.location).path, kProgramFiles + "SAP Corvanta.Gbl");
    EXPECT_EQ(Listing(run), "PRD.P00#QAS.P00#");
    EXPECT_EQ(Item(run).item_name, "Avg Dialog");
    EXPECT_EQ(Item(run).label_kind, SystemLabelKind::Host);
    // The allocation's options take the place of the command line's.
    EXPECT_EQ(run.options.item_run_text, "Item=Avg Dialog,Host,CH=2");
    EXPECT_EQ(run.options.channel, std::optional<int>(2));
    EXPECT_TRUE(run.options.verbose) << "the command line's";
  }
  // GLOBAL.P01 is an ordinary profile name.
  EXPECT_EQ(FailureOf("GLOBAL.P01", "prod1"), "Error 1002: Profile GLOBAL.P01 is missing...");
}

TEST_F(PrtgFolderSearch, GlobalModeFailures) {
  Put(kProgramFiles + "SAP Corvanta.Gbl", "# GSNG: PROD1     --PRD.P00#\n"
                                          "# GSNX: PROD2     -Item=X," +
                                              kMark +
                                              "\n"
                                              "# GSNX: PROD3     -Item=X,Sensor=\"SAP Other\"\n"
                                              "# GSNX: PROD4     -CH=2," +
                                              kMark +
                                              "\n"
                                              "# GSNG: PROD4     --PRD.P00#\n");
  const std::pair<std::string, std::string> cases[] = {
      {"Prod1", "Error 1030: Global Sensor Prod1 not found..."},
      {"", "Error 1030: Global Sensor  not found..."},
      {"prod3", "Error 1029: Invalid Sensor-Allocation..."},
      {"prod2", "Error 1025: Global Server Listing missing..."},
      {"prod4", "Error 1026: Global Item Idenification missing..."},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(FailureOf("GLOBAL", c.first), c.second) << c.first;
  }
  files.Remove(kProgramFiles + "SAP Corvanta.Gbl");
  EXPECT_EQ(FailureOf("GLOBAL", "PROD1"), "Error 1002: Profile SAP Corvanta.Gbl is missing...");
}

TEST_F(PrtgFolderSearch, GlobalModeWithEmptyKey) {
  Put(kProgramFiles + "SAP Corvanta.Gbl", "# GSNG:           --PRD.P00#\n"
                                          "# GSNX:           -Item=Steps," +
                                              kMark + "\n");
  const LocatedRun run = Locate("GLOBAL", "");
  EXPECT_EQ(Listing(run), "PRD.P00#");
  EXPECT_EQ(Item(run).item_name, "Steps");
}

// The folder given with the profile name, here a relative one.
using FolderFromName = LocationTest;

TEST_F(FolderFromName, VariantModeUsesTheGivenFolder) {
  Put("Sensors\\PRD.P00", "");
  const OutputMode modes[] = {OutputMode::Dornvik, OutputMode::Mistrane, OutputMode::Kelbrun,
                              OutputMode::Pallvex};
  for (OutputMode mode : modes) {
    const LocatedRun run = Locate("Sensors\\PRD", "Dialog", mode);
    EXPECT_EQ(FileOf(run.location).folder, "Sensors\\");
    EXPECT_EQ(FileOf(run.location).path, "Sensors\\PRD.P00");
  }
  Put("PRD.P00", "");
  const LocatedRun working =
      Locate("PRD", "", OutputMode::Kelbrun); // no path check in a variant mode
  EXPECT_EQ(FileOf(working.location).path, "PRD.P00");

  EXPECT_EQ(FailureOf("Sensors\\QAS.P01", "", OutputMode::Kelbrun),
            "Error 1002: Profile Sensors\\QAS.P01 is missing...");
}

TEST_F(FolderFromName, ItemAndGlobalModeInAVariantMode) {
  Put("G\\SAP Corvanta.Gbl", "# GSNG: K         --PRD.P00#\n"
                             "# GSNX: K         -Item=Steps,Sid," +
                                 kMark + "\n");
  const LocatedRun global = Locate("G\\GLOBAL", "k", OutputMode::Pallvex);
  EXPECT_EQ(FileOf(global.location).folder, "G\\");
  EXPECT_EQ(Listing(global), "PRD.P00#");
  EXPECT_EQ(Item(global).label_kind, SystemLabelKind::Destination);

  EXPECT_EQ(FailureOf("H\\GLOBAL", "k", OutputMode::Pallvex),
            "Error 1002: Profile H\\SAP Corvanta.Gbl is missing...");

  // Item mode drops the folder given with the name: "Corvanta.Prf" is
  // looked for in the working folder.
  Put("G\\Corvanta.Prf", "# Gsng: ------------PRD.P00#\n");
  EXPECT_EQ(FailureOf("G\\PRD", "ITEM=Steps", OutputMode::Mistrane),
            "Error 1002: Profile Corvanta.Prf is missing...");
  Put("Corvanta.Prf", "# Gsng: ------------QAS.P00#\n");
  const LocatedRun item_here = Locate("G\\PRD", "ITEM=Steps", OutputMode::Mistrane);
  EXPECT_EQ(FileOf(item_here.location).folder, "");
  EXPECT_EQ(Listing(item_here), "QAS.P00#");
}

} // namespace
} // namespace quarlane
