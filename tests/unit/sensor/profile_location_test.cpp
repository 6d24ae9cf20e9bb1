#include "sensor/profile_location.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/formatting.h"
#include "sensor/folder_fixtures.h"

namespace quarlane {
namespace {

const std::string kExeXml = "PRTG Network Monitor\\Custom Sensors\\ExeXml\\";
const std::string kProgramFiles = "\\Program Files\\" + kExeXml;
const std::string kMark = "Sensor=\"SAP Quarlane\"";

// Inside a test fixture "Run" names the fixture's own member function.
using SensorRun = quarlane::Run;

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
      {"/opt/dornvik/quarlane", OutputMode::ExeXml},   // the folder does not count
      {"", OutputMode::ExeXml},
  };
  for (const auto &c : cases)
    EXPECT_EQ(OutputModeFromProgramName(c.argv0), c.mode) << c.argv0;
}

TEST(ProfileNameRules, DefaultExtension) {
  const std::pair<std::string, std::string> cases[] = {
      {"PRD", "PRD.P00"},       {"PRD.P01", "PRD.P01"},   {"PRD.TXT", "PRD.TXT"},
      {"AB", "AB.P00"},         {"A.B", "A.B.P00"},       {"global", "global.P00"},
      {"D:\\x\\PRD", "D:\\x\\PRD.P00"},                   {"", ".P00"},
      {"Corvanta.Prf", "Corvanta.Prf"},                   {"PRD.P0", "PRD.P0.P00"},
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
      {{"ab\\cd"}, "ab\\cd"},                                  // third character a backslash
      {{"C:\\First", "; comment", "E:\\Last", "note"}, "E:\\Last"}, // the last that counts
      {{"D:\\Tools  "}, "D:\\Tools  "},                        // taken whole, blanks stay
      {{"x"}, ""},
  };
  for (const auto &c : cases)
    EXPECT_EQ(FolderFromPrtgPathLines(c.lines), c.folder) << c.folder;
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

// A run as the command line leaves it.
Run RunWith(const std::string &params_raw, OutputMode mode = OutputMode::ExeXml) {
  Run run;
  run.ctx.params_raw = params_raw;
  run.ctx.params = UpperAscii(params_raw);
  run.ctx.second_argument = params_raw.substr(0, params_raw.find(' '));
  run.doc.mode = mode;
  return run;
}

std::string FailureOf(Run &run, const std::string &name) {
  try {
    LocateProfile(run, name);
  } catch (const RunFailure &failure) {
    return failure.text;
  }
  return "(no failure)";
}

using PrtgFolderSearch = DriveTreeTest;

TEST_F(PrtgFolderSearch, FixedFoldersInTheirOrder) {
  Put(kProgramFiles + "PRD.P00", "");
  Put("\\Program Files (x86)\\" + kExeXml + "PRD.P00", "");
  SensorRun run = RunWith("");
  LocateProfile(run, "PRD");
  EXPECT_EQ(run.ctx.profile_name, "PRD.P00");
  EXPECT_EQ(run.ctx.profile_folder, kProgramFiles);
  EXPECT_EQ(run.ctx.profile_path, kProgramFiles + "PRD.P00");
  EXPECT_FALSE(run.ctx.item_run);

  Put("\\Programme\\" + kExeXml + "PRD.P00", "");
  SensorRun first = RunWith("");
  LocateProfile(first, "PRD");
  EXPECT_EQ(first.ctx.profile_folder, "\\Programme\\" + kExeXml);
}

TEST_F(PrtgFolderSearch, FolderPartOfTheNameIsDroppedAndExtensionKept) {
  Put("\\Program Files (x86)\\" + kExeXml + "PRD.P01", "");
  SensorRun run = RunWith("Dialog");
  LocateProfile(run, "D:\\Somewhere\\PRD.P01");
  EXPECT_EQ(run.ctx.profile_path, "\\Program Files (x86)\\" + kExeXml + "PRD.P01");
}

TEST_F(PrtgFolderSearch, AFolderIsNoProfile) {
  MakeFolder(kProgramFiles + "PRD.P00");
  Put("\\Program Files (x86)\\" + kExeXml + "PRD.P00", "");
  SensorRun run = RunWith("");
  LocateProfile(run, "PRD");
  EXPECT_EQ(run.ctx.profile_folder, "\\Program Files (x86)\\" + kExeXml);
}

TEST_F(PrtgFolderSearch, WorkingFolderFailsThePathCheck) {
  Put("PRD.P00", "");
  SensorRun run = RunWith("");
  EXPECT_EQ(FailureOf(run, "PRD"), "Sorry, invalid Path-Usage...");
  // The working folder comes first, even when a fixed folder has the profile.
  Put(kProgramFiles + "PRD.P00", "");
  SensorRun again = RunWith("");
  EXPECT_EQ(FailureOf(again, "PRD"), "Sorry, invalid Path-Usage...");
}

TEST_F(PrtgFolderSearch, MissingEverywhere) {
  SensorRun run = RunWith("");
  EXPECT_EQ(FailureOf(run, "PRD"), "Error 1002: Profile PRD.P00 is missing...");
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
    std::filesystem::remove_all(root_ / "Tools");
    std::filesystem::remove_all(root_ / "PRTG Network Monitor");
    std::filesystem::remove_all(root_ / "Custom Sensors");
    Put("C:\\PRTG_Path.Txt", c.path_file);
    Put(c.profile_at + "PRD.P00", "");
    SensorRun run = RunWith("");
    LocateProfile(run, "PRD");
    EXPECT_EQ(run.ctx.profile_folder, c.folder) << c.path_file;
    EXPECT_EQ(run.ctx.profile_path, c.folder + "PRD.P00");
  }
}

TEST_F(PrtgFolderSearch, PrtgPathFileRulesOutTheFixedFolders) {
  Put("C:\\PRTG_Path.Txt", "D:\\Tools\n");
  Put(kProgramFiles + "PRD.P00", "");
  SensorRun run = RunWith("");
  EXPECT_EQ(FailureOf(run, "PRD"), "Error 1002: Profile PRD.P00 is missing...");
}

TEST_F(PrtgFolderSearch, PrtgPathFileOutsideAnExeXmlFolderFailsThePathCheck) {
  Put("C:\\PRTG_Path.Txt", "D:\\Profiles\n");
  Put("D:\\Profiles\\PRD.P00", "");
  SensorRun run = RunWith("");
  EXPECT_EQ(FailureOf(run, "PRD"), "Sorry, invalid Path-Usage...");
}

TEST_F(PrtgFolderSearch, AtSignOpensTheGivenFolderWithoutPathCheck) {
  Put("D:\\Else\\PRD.P00", "");
  SensorRun run = RunWith("#@");
  LocateProfile(run, "D:\\Else\\PRD");
  EXPECT_EQ(run.ctx.profile_folder, "D:\\Else\\");
  EXPECT_EQ(run.ctx.profile_path, "D:\\Else\\PRD.P00");

  SensorRun missing = RunWith("@");
  EXPECT_EQ(FailureOf(missing, "D:\\Other\\PRD"),
            "Error 1002: Profile D:\\Other\\PRD.P00 is missing...");
}

TEST_F(PrtgFolderSearch, ItemModeReadsCorvantaPrf) {
  Put(kProgramFiles + "Corvanta.Prf", "; systems\r\n"
                                      "# Gsng: ------------PRD.P00#QAS.P00#\r\n"
                                      "# Gsng: ------------DEV.P00#\r\n");
  SensorRun run = RunWith("item=Avg:Dialog");
  run.ctx.ident_kind = '3';
  LocateProfile(run, "GLOBAL"); // "ITEM=" comes first: no global mode
  EXPECT_TRUE(run.ctx.item_run);
  EXPECT_EQ(run.ctx.profile_name, "Corvanta.Prf");
  EXPECT_EQ(run.ctx.profile_folder, kProgramFiles);
  EXPECT_EQ(run.ctx.item_name, "Avg Dialog");
  EXPECT_EQ(run.ctx.server_listing, "PRD.P00#QAS.P00#DEV.P00#");
  EXPECT_EQ(run.ctx.ident_kind, '1');
  EXPECT_EQ(run.ctx.params_raw, "item=Avg:Dialog");
}

TEST_F(PrtgFolderSearch, ItemModeChecks) {
  Put(kProgramFiles + "Corvanta.Prf", "# Gsng: ------------PRD.P00#\n");
  SensorRun no_item = RunWith("ITEM=,x");
  EXPECT_EQ(FailureOf(no_item, "PRD"), "Error 1026: Global Item Idenification missing...");

  Put(kProgramFiles + "Corvanta.Prf", "# GSNG: ------------PRD.P00#\n");
  SensorRun no_listing = RunWith("ITEM=,x"); // both missing: the listing is reported
  EXPECT_EQ(FailureOf(no_listing, "PRD"), "Error 1025: Global Server Listing missing...");

  std::filesystem::remove(HostPath(kProgramFiles + "Corvanta.Prf"));
  Put(kProgramFiles + "PRD.P00", "");
  SensorRun missing = RunWith("ITEM=Steps");
  EXPECT_EQ(FailureOf(missing, "PRD"), "Error 1002: Profile Corvanta.Prf is missing...");
}

TEST_F(PrtgFolderSearch, GlobalModeReadsTheGlobalSensorFile) {
  Put(kProgramFiles + "SAP Corvanta.Gbl",
      "# GSNG: PROD1     --PRD.P00#\n"
      "# GSNG: PROD2     --XXX.P00#\n"
      "# gsng: Prod1     --QAS.P00#\n"
      "# GSNX: PROD1     -Item=Avg:Dialog,Host,CH=2,Sensor=\"SAP Quarlane\"\n");
  const std::string names[] = {"global", "GLOBAL.P00", "C:\\x\\Global", "gLoBaL.p00"};
  for (const std::string &name : names) {
    SensorRun run = RunWith("prod1 #");
    LocateProfile(run, name);
    EXPECT_TRUE(run.ctx.item_run) << name;
    EXPECT_EQ(run.ctx.profile_name, "SAP Corvanta.Gbl");
    EXPECT_EQ(run.ctx.profile_path, kProgramFiles + "SAP Corvanta.Gbl");
    EXPECT_EQ(run.ctx.server_listing, "PRD.P00#QAS.P00#");
    EXPECT_EQ(run.ctx.item_name, "Avg Dialog");
    EXPECT_EQ(run.ctx.ident_kind, '3');
    EXPECT_EQ(run.ctx.params_raw, "Item=Avg Dialog,Host,CH=2");
    EXPECT_EQ(run.ctx.params, "ITEM=AVG DIALOG,HOST,CH=2");
  }
  // GLOBAL.P01 is an ordinary profile name.
  SensorRun ordinary = RunWith("prod1");
  EXPECT_EQ(FailureOf(ordinary, "GLOBAL.P01"), "Error 1002: Profile GLOBAL.P01 is missing...");
}

TEST_F(PrtgFolderSearch, GlobalModeFailures) {
  Put(kProgramFiles + "SAP Corvanta.Gbl",
      "# GSNG: PROD1     --PRD.P00#\n"
      "# GSNX: PROD2     -Item=X," + kMark + "\n"
      "# GSNX: PROD3     -Item=X,Sensor=\"SAP Other\"\n"
      "# GSNX: PROD4     -CH=2," + kMark + "\n"
      "# GSNG: PROD4     --PRD.P00#\n");
  const std::pair<std::string, std::string> cases[] = {
      {"Prod1", "Error 1030: Global Sensor Prod1 not found..."},
      {"", "Error 1030: Global Sensor  not found..."},
      {"prod3", "Error 1029: Invalid Sensor-Allocation..."},
      {"prod2", "Error 1025: Global Server Listing missing..."},
      {"prod4", "Error 1026: Global Item Idenification missing..."},
  };
  for (const auto &c : cases) {
    SensorRun run = RunWith(c.first);
    EXPECT_EQ(FailureOf(run, "GLOBAL"), c.second) << c.first;
  }
  std::filesystem::remove(HostPath(kProgramFiles + "SAP Corvanta.Gbl"));
  SensorRun missing = RunWith("PROD1");
  EXPECT_EQ(FailureOf(missing, "GLOBAL"), "Error 1002: Profile SAP Corvanta.Gbl is missing...");
}

TEST_F(PrtgFolderSearch, GlobalModeWithEmptyKey) {
  Put(kProgramFiles + "SAP Corvanta.Gbl",
      "# GSNG:           --PRD.P00#\n"
      "# GSNX:           -Item=Steps," + kMark + "\n");
  SensorRun run = RunWith("");
  LocateProfile(run, "GLOBAL");
  EXPECT_EQ(run.ctx.server_listing, "PRD.P00#");
  EXPECT_EQ(run.ctx.item_name, "Steps");
}

// The folder given with the profile name, here a relative one, which opens
// the same way on every platform.
using FolderFromName = WorkingFolderTest;

TEST_F(FolderFromName, VariantModeUsesTheGivenFolder) {
  Put("Sensors\\PRD.P00", "");
  const OutputMode modes[] = {OutputMode::Dornvik, OutputMode::Mistrane, OutputMode::Kelbrun,
                              OutputMode::Pallvex};
  for (OutputMode mode : modes) {
    SensorRun run = RunWith("Dialog", mode);
    LocateProfile(run, "Sensors\\PRD");
    EXPECT_EQ(run.ctx.profile_folder, "Sensors\\");
    EXPECT_EQ(run.ctx.profile_path, "Sensors\\PRD.P00");
    EXPECT_EQ(run.doc.mode, mode);
  }
  Put("PRD.P00", "");
  SensorRun working = RunWith("", OutputMode::Kelbrun);
  LocateProfile(working, "PRD"); // no path check in a variant mode
  EXPECT_EQ(working.ctx.profile_path, "PRD.P00");

  SensorRun missing = RunWith("", OutputMode::Kelbrun);
  EXPECT_EQ(FailureOf(missing, "Sensors\\QAS.P01"),
            "Error 1002: Profile Sensors\\QAS.P01 is missing...");
}

TEST_F(FolderFromName, ItemAndGlobalModeInAVariantMode) {
  Put("G\\SAP Corvanta.Gbl", "# GSNG: K         --PRD.P00#\n"
                             "# GSNX: K         -Item=Steps,Sid," + kMark + "\n");
  SensorRun global = RunWith("k", OutputMode::Pallvex);
  LocateProfile(global, "G\\GLOBAL");
  EXPECT_EQ(global.ctx.profile_folder, "G\\");
  EXPECT_EQ(global.ctx.server_listing, "PRD.P00#");
  EXPECT_EQ(global.ctx.ident_kind, '4');

  SensorRun no_global = RunWith("k", OutputMode::Pallvex);
  EXPECT_EQ(FailureOf(no_global, "H\\GLOBAL"),
            "Error 1002: Profile H\\SAP Corvanta.Gbl is missing...");

  // Item mode drops the folder given with the name: "Corvanta.Prf" is
  // looked for in the working folder.
  Put("G\\Corvanta.Prf", "# Gsng: ------------PRD.P00#\n");
  SensorRun item = RunWith("ITEM=Steps", OutputMode::Mistrane);
  EXPECT_EQ(FailureOf(item, "G\\PRD"), "Error 1002: Profile Corvanta.Prf is missing...");
  Put("Corvanta.Prf", "# Gsng: ------------QAS.P00#\n");
  SensorRun item_here = RunWith("ITEM=Steps", OutputMode::Mistrane);
  LocateProfile(item_here, "G\\PRD");
  EXPECT_EQ(item_here.ctx.profile_folder, "");
  EXPECT_EQ(item_here.ctx.server_listing, "QAS.P00#");
}

} // namespace
} // namespace quarlane
