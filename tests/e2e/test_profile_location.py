"""Finding the profile: "C:\\PRTG_Path.Txt", the fixed PRTG folders, the
ExeXml folder check, "@", and the server listing of item runs."""

from harness import EXEXML, EXEXML_FOLDERS, SensorTest, eol, error_document, is_wine

PATH_USAGE = "Sorry, invalid Path-Usage..."
# The profile that the search should find is left empty, so the run stops at
# the first profile check; every other copy names a user, so a run that read
# the wrong copy stops at the missing password instead.
CHOSEN = "Error 1006: Username in Profile PRD.P00 is missing..."
DECOY = "Error 1007: Password in Profile PRD.P00 is missing..."
MISSING = "Error 1002: Profile PRD.P00 is missing..."
SUBFOLDERS = "PRTG Network Monitor\\Custom Sensors\\ExeXml\\"
FIXED_FOLDERS = [EXEXML_FOLDERS[f][2:] for f in ("Programme", "Program Files", "Program Files (x86)")]
NO_PATH_FILE = '"C:\\PRTG_Path.Txt" cannot be read: the usual folders are searched'


def shown(box, folder):
    """A folder as the verbose lines name it: quoted, and on Linux where it
    lies below QUARLANE_ROOT."""
    if folder == "":
        return "the working folder"
    if is_wine():
        return '"%s"' % folder
    return '"%s" (%s/)' % (folder, box.host(folder))


def trail(*lines):
    """Verbose lines of the folder search, times normalised."""
    return "".join("* hh:mm:ss %s\n" % line for line in lines).encode("latin-1")


def search_lines(box, name):
    """The verbose lines of a search without "C:\\PRTG_Path.Txt" that finds
    the profile nowhere."""
    return trail(NO_PATH_FILE, *["%s not found in %s" % (name, shown(box, folder))
                                 for folder in [""] + FIXED_FOLDERS])


class Location(SensorTest):
    def place(self, profiles):
        """profiles: {folder: True for the copy that must be found}."""
        for folder, chosen in profiles.items():
            self.box.put(folder + "PRD.P00", b"" if chosen else "User.......: decoy" + eol())

    def check(self, cases, args=("PRD",)):
        for name, prtg_path, profiles, message in cases:
            with self.case(case=name):
                if prtg_path is not None:
                    self.box.put("C:\\PRTG_Path.Txt", prtg_path)
                self.place(profiles)
                self.assertFails(list(args), message)


class FixedFolders(Location):
    """Without "C:\\PRTG_Path.Txt": the working folder, then \\Programme,
    \\Program Files and \\Program Files (x86), each with the ExeXml folder."""

    def test_search_order(self):
        work, programme, files, x86 = ("", EXEXML_FOLDERS["Programme"],
                                       EXEXML_FOLDERS["Program Files"],
                                       EXEXML_FOLDERS["Program Files (x86)"])
        self.check([
            ("Programme only", None, {programme: True}, CHOSEN),
            ("Program Files only", None, {files: True}, CHOSEN),
            ("Program Files (x86) only", None, {x86: True}, CHOSEN),
            ("Programme before Program Files", None, {programme: True, files: False}, CHOSEN),
            ("Program Files before (x86)", None, {files: True, x86: False}, CHOSEN),
            ("all three", None, {x86: False, files: False, programme: True}, CHOSEN),
            ("working folder first, then the check fails", None, {work: True, files: False},
             PATH_USAGE),
            ("nowhere", None, {}, MISSING),
            ("PRTG_Path.Txt is a folder", None, {"C:\\PRTG_Path.Txt\\": False, files: True}, CHOSEN),
            ("other ExeXml-like folders are not searched", None,
             {"C:\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\": True}, MISSING),
        ])


class PrtgPathFile(Location):
    """"C:\\PRTG_Path.Txt" names the PRTG folder; below it the profile is
    looked for in "PRTG Network Monitor\\Custom Sensors\\ExeXml\\", then in
    "Custom Sensors\\ExeXml\\", then in the folder itself."""

    def test_folder_named_in_the_file(self):
        n = eol()
        self.check([
            ("drive folder without backslash", "D:\\Tools" + n,
             {"D:\\Tools\\" + SUBFOLDERS: True}, CHOSEN),
            ("drive folder with backslash", "D:\\Tools\\" + n,
             {"D:\\Tools\\" + SUBFOLDERS: True}, CHOSEN),
            ("PRTG folder itself", "C:\\PRTG Network Monitor" + n,
             {"C:\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\": True}, CHOSEN),
            ("ExeXml folder itself", "C:\\Mon\\Custom Sensors\\ExeXml\\" + n,
             {"C:\\Mon\\Custom Sensors\\ExeXml\\": True}, CHOSEN),
            ("first sub-folder before the second", "C:\\Mon" + n,
             {"C:\\Mon\\" + SUBFOLDERS: True, "C:\\Mon\\Custom Sensors\\ExeXml\\": False}, CHOSEN),
            ("folder ending in EXEXML in any case", "C:\\Mon\\EXEXML" + n,
             {"C:\\Mon\\EXEXML\\": True}, CHOSEN),
            ("root of the drive", "\\" + n,
             {"C:\\" + SUBFOLDERS: True}, CHOSEN),
            ("no line names a folder: the root", "PRTG is installed on D:" + n,
             {"C:\\" + SUBFOLDERS: True}, CHOSEN),
            ("empty file: the root", "",
             {"C:\\" + SUBFOLDERS: True}, CHOSEN),
            ("found in a folder that is not ExeXml", "C:\\Sensors" + n,
             {"C:\\Sensors\\": True}, PATH_USAGE),
        ])

    def test_the_last_folder_line_wins(self):
        n = eol()
        lines = ["C:\\Old", "; PRTG moved to D: in 2021", "D:\\Tools", "see the wiki", "# end"]
        self.check([
            ("last of several", n.join(lines) + n,
             {"C:\\Old\\" + SUBFOLDERS: False, "D:\\Tools\\" + SUBFOLDERS: True}, CHOSEN),
            ("no line end after the last line", n.join(lines),
             {"C:\\Old\\" + SUBFOLDERS: False, "D:\\Tools\\" + SUBFOLDERS: True}, CHOSEN),
            ("a drive letter alone counts", "D:\\Tools" + n + "C:" + n,
             {"D:\\Tools\\" + SUBFOLDERS: False, "C:\\" + SUBFOLDERS: True}, CHOSEN),
        ])

    def test_line_ends_of_either_platform(self):
        for line_end in ("\n", "\r\n"):
            self.check([
                ("line end %r" % line_end, "C:\\Old" + line_end + "D:\\Tools" + line_end,
                 {"C:\\Old\\" + SUBFOLDERS: False, "D:\\Tools\\" + SUBFOLDERS: True}, CHOSEN),
            ])

    def test_a_long_line_is_one_line(self):
        # The tail of a long comment line is no folder line of its own.
        n = eol()
        comment = "; " + "x" * 97 + "C:\\Elsewhere"
        self.check([
            ("long comment", "D:\\Tools" + n + comment + n,
             {"D:\\Tools\\" + SUBFOLDERS: True, "C:\\Elsewhere\\" + SUBFOLDERS: False}, CHOSEN),
            ("long folder line", "D:\\" + "T" * 150 + n,
             {"D:\\" + "T" * 150 + "\\" + SUBFOLDERS: True}, CHOSEN),
        ])

    def test_no_fallback_to_the_fixed_folders(self):
        n = eol()
        self.check([
            ("profile only in Program Files", "D:\\Tools" + n, {EXEXML: True}, MISSING),
            ("profile only in the working folder", "D:\\Tools" + n, {"": True}, MISSING),
            ("folder missing", "D:\\Nowhere" + n, {EXEXML: True}, MISSING),
        ])

    def test_binary_file(self):
        junk = bytes(range(256)) * 8
        self.check([("binary content", junk, {EXEXML: True}, MISSING)])


class FolderFromTheName(Location):
    """"@" takes the profile from the folder given with its name (none: the
    working folder), with no search and no ExeXml check; without "@" a folder
    part is dropped and the search is made with the bare name."""

    def test_at_sign(self):
        self.check([
            ("folder given", None, {"C:\\Sensors\\": True, EXEXML: False}, CHOSEN),
            ("folder given, profile elsewhere", None, {EXEXML: True},
             "Error 1002: Profile C:\\Sensors\\PRD.P00 is missing..."),
        ], args=("C:\\Sensors\\PRD", "@"))
        self.check([
            ("working folder", None, {"": True, EXEXML: False}, CHOSEN),
            ("not in the working folder", None, {EXEXML: True}, MISSING),
        ], args=("PRD", "@"))
        self.check([
            ("relative folder", None, {"Sub\\": True, "": False}, CHOSEN),
        ], args=("Sub\\PRD", "#@"))

    def test_leading_backslash_alone_is_no_folder(self):
        with self.case(case="present"):
            self.box.put("C:\\PRD.P00", b"")
            self.assertFails(["\\PRD", "@"], "Error 1006: Username in Profile \\PRD.P00 is missing...")
        with self.case(case="absent"):
            self.assertFails(["\\PRD", "@"], "Error 1002: Profile \\PRD.P00 is missing...")

    def test_without_at_sign_the_folder_part_is_dropped(self):
        self.check([
            ("found by the search", None, {"C:\\Sensors\\": False, EXEXML: True}, CHOSEN),
            ("only in the named folder", None, {"C:\\Sensors\\": True}, MISSING),
        ], args=("C:\\Sensors\\PRD",))


class ConfinedNames(Location):
    """A slash separates folders wherever a backslash does, so a profile name
    written with slashes is judged exactly as the same name written with
    backslashes: without "@" its folder part is dropped, and it cannot reach a
    file outside the PRTG folders, nor tell by its message whether one exists."""

    VICTIM = "C:\\secret\\victim"

    def put_victim(self, extension=".P00"):
        self.box.put(self.VICTIM + extension, b"")  # would stop at Error 1006

    def check_confined(self, names, message, prtg_path=None, extension=".P00"):
        for name in names:
            for victim_present in (True, False):
                with self.case(name=name, victim=victim_present):
                    if prtg_path is not None:
                        self.box.put("C:\\PRTG_Path.Txt", prtg_path + eol())
                        self.box.make_dir(prtg_path + "\\")
                    self.box.make_dir(EXEXML)
                    if victim_present:
                        self.put_victim(extension)
                    self.assertFails([name], message)

    def test_names_climbing_out_of_the_fixed_folders(self):
        self.check_confined(["../../../../secret/victim", "..\\..\\..\\..\\secret\\victim",
                             "..\\..\\../../secret/victim"],
                            "Error 1002: Profile victim.P00 is missing...")

    def test_names_climbing_out_of_the_folder_of_the_prtg_path_file(self):
        self.check_confined(["../../../secret/victim", "..\\..\\..\\secret\\victim"],
                            "Error 1002: Profile victim.P00 is missing...",
                            prtg_path="C:\\Mon\\Custom Sensors\\ExeXml")

    def test_another_extension_tells_nothing(self):
        self.check_confined(["../../../../secret/victim.txt"],
                            "Error 1002: Profile victim.txt is missing...", extension=".txt")

    def test_a_slashed_name_finds_the_profile_of_its_bare_name(self):
        for name in ("../../../../secret/PRD", "C:/Sensors/PRD", "..\\..\\..\\..\\secret\\PRD"):
            with self.case(name=name):
                self.place({"C:\\secret\\": False, EXEXML: True})
                self.assertFails([name], CHOSEN)

    def test_a_name_with_a_root_tells_nothing_of_the_drive_roots(self):
        # Without "C:\PRTG_Path.Txt" the working folder is tried first: a
        # name with a leading separator or a drive prefix stays in it, as
        # every other name does, instead of opening at a drive's root.
        for name in ("\\x", "/x", "C:x", "D:x"):
            for victim_present in (True, False):
                with self.case(name=name, victim=victim_present):
                    self.box.make_dir(EXEXML)
                    if victim_present:
                        for root in ("C:\\", "D:\\"):
                            self.box.put(root + "x.P00", b"")  # would stop at Error 1006
                    self.assertFails([name], "Error 1002: Profile %s.P00 is missing..." % name)

    def test_a_name_with_a_root_is_found_in_the_fixed_folders_as_before(self):
        for name in ("\\PRD", "/PRD"):
            with self.case(name=name):
                self.place({EXEXML: True})
                self.assertFails([name], "Error 1006: Username in Profile %s.P00 is missing..." % name)

    def test_with_at_sign_the_slashed_folder_is_opened(self):
        # "@" opens the folder given with the name, as with backslashes.
        for name, shown in (("../secret/victim", "../secret/victim.P00"),
                            ("..\\secret\\victim", "..\\secret\\victim.P00")):
            with self.case(name=name, present=True):
                self.put_victim()
                self.assertFails([name, "@"], "Error 1006: Username in Profile victim.P00 is missing...")
            with self.case(name=name, present=False):
                self.assertFails([name, "@"], "Error 1002: Profile %s is missing..." % shown)


class VerboseLocation(Location):
    """With the verbose switch, a profile that the search does not find, or
    finds in a folder that fails the ExeXml check, is preceded by lines that
    say where it was looked for. Without the switch the document stands alone,
    byte for byte as before."""

    def check_verbose(self, cases, args=("PRD",), verbose=("#",)):
        for name, prtg_path, profiles, lines, message in cases:
            for switch in ((), verbose):
                with self.case(case=name, switch=switch):
                    if prtg_path is not None:
                        self.box.put("C:\\PRTG_Path.Txt", prtg_path + eol())
                    self.place(profiles)
                    expected = (lines(self.box) if switch else b"") + error_document(message)
                    self.assertRun(list(args) + list(switch), expected, 2, times=True)

    def test_the_usual_folders(self):
        self.check_verbose([
            ("nowhere", None, {}, lambda box: search_lines(box, "PRD.P00"), MISSING),
            ("working folder", None, {"": True},
             lambda box: trail(NO_PATH_FILE, 'PRD.P00 found in the working folder, which does'
                               ' not end in "ExeXml\\"'), PATH_USAGE),
        ])

    def test_the_folder_of_the_prtg_path_file(self):
        tools = "D:\\Tools\\"
        tried = [tools + SUBFOLDERS, tools + "Custom Sensors\\ExeXml\\", tools]
        self.check_verbose([
            ("nowhere", "D:\\Tools", {EXEXML: True},
             lambda box: trail('"C:\\PRTG_Path.Txt" names the folder ' + shown(box, tools),
                               *["PRD.P00 not found in " + shown(box, f) for f in tried]), MISSING),
            ("a folder that is not ExeXml", "D:\\Tools", {tools: True},
             lambda box: trail('"C:\\PRTG_Path.Txt" names the folder ' + shown(box, tools),
                               *["PRD.P00 not found in " + shown(box, f) for f in tried[:2]],
                               "PRD.P00 found in %s, which does not end in \"ExeXml\\\"" %
                               shown(box, tools)), PATH_USAGE),
        ])

    def test_each_verbose_switch(self):
        for switch in ("#", "$", "%", "x%y"):
            self.check_verbose([("nowhere", None, {}, lambda box: search_lines(box, "PRD.P00"),
                                 MISSING)], verbose=(switch,))

    def test_a_folder_given_with_the_name_is_named_by_the_message(self):
        # "@" (and the variant modes) try one path, which the message names.
        for args in (["C:\\Sensors\\PRD", "@"], ["PRD", "@"]):
            with self.case(args=args):
                self.place({EXEXML: True})
                path = "C:\\Sensors\\PRD.P00" if args[0] != "PRD" else "PRD.P00"
                self.assertFails(args, "Error 1002: Profile %s is missing..." % path)

    def test_a_profile_that_is_found_adds_no_lines(self):
        self.place({EXEXML: True})
        self.assertFails(["PRD"], CHOSEN)
        with self.case(case="verbose"):
            self.place({EXEXML: True})
            self.assertFails(["PRD", "#"], CHOSEN)


# ------------------------------------------------------------- item runs

MARK = 'Sensor="SAP Quarlane"'
GBL = "SAP Corvanta.Gbl"


def listing_line(key, text, tag="GSNG"):
    """"# GSNG: " + key in ten columns + two columns not examined + text."""
    return "# %s: %-10s  %s" % (tag, key, text)


def allocation_line(key, allocation, tag="GSNX"):
    """"# GSNX: " + key in ten columns + one column not examined + allocation."""
    return "# %s: %-10s %s" % (tag, key, allocation)


def item_listing_line(text, tag="Gsng", note="PRD"):
    """A listing line of "Corvanta.Prf": columns 8 to 19 are not examined."""
    return "# %s: %-12s%s" % (tag, note, text)


def summary(item, systems):
    """Standard output of an item run whose listed profiles are all missing."""
    return ("\n<Prtg>\n\n\n<Text>(***) %s: NoSystems=%d, Processed=0, Failed=0</Text>\n\n</Prtg>\n\n"
            % (item, systems)).encode()


class GlobalSensorFile(SensorTest):
    """"GLOBAL" and a key: the server listing and the allocation come from
    "SAP Corvanta.Gbl" in the ExeXml folder."""

    def check(self, cases):
        for name, args, lines, message in cases:
            with self.case(case=name):
                self.box.put_text(EXEXML + GBL, lines)
                self.assertFails(args, message)

    def test_failures(self):
        good_listing = listing_line("PRD", "PRD.P00#QAS.P00#")
        good_allocation = allocation_line("PRD", "Item=Avg:Dialog,Alias," + MARK)
        not_found = "Error 1030: Global Sensor %s not found..."
        invalid = "Error 1029: Invalid Sensor-Allocation..."
        no_listing = "Error 1025: Global Server Listing missing..."
        no_item = "Error 1026: Global Item Idenification missing..."
        self.check([
            ("key only in listing lines", ["GLOBAL", "Prd", "more"], [good_listing],
             not_found % "Prd"),
            ("no key given", ["GLOBAL"], [good_listing, good_allocation], not_found % ""),
            ("other key", ["GLOBAL", "QAS"], [good_listing, good_allocation], not_found % "QAS"),
            ("key shorter by one", ["global", "PR"], [good_listing, good_allocation],
             not_found % "PR"),
            ("empty file", ["GLOBAL", "PRD"], [], not_found % "PRD"),
            ("allocation without the sensor mark", ["GLOBAL", "PRD"],
             [good_listing, allocation_line("PRD", "Item=Avg:Dialog,Alias")], invalid),
            ("sensor mark in other case", ["GLOBAL", "PRD"],
             [good_listing, allocation_line("PRD", 'Item=Avg,sensor="SAP Quarlane"')], invalid),
            ("invalid allocation before a good one", ["GLOBAL", "PRD"],
             [good_listing, allocation_line("PRD", "Item=Avg"), good_allocation], invalid),
            ("invalid allocation of another key is ignored", ["GLOBAL", "PRD"],
             [allocation_line("QAS", "Item=Avg"), good_allocation], no_listing),
            ("no listing", ["GLOBAL", "PRD"], [good_allocation], no_listing),
            ("listing of another key only", ["GLOBAL", "PRD"],
             [listing_line("QAS", "QAS.P00#"), good_allocation], no_listing),
            ("no item", ["GLOBAL", "PRD"], [good_listing, allocation_line("PRD", "Alias," + MARK)],
             no_item),
            ("empty item", ["GLOBAL", "PRD"],
             [good_listing, allocation_line("PRD", "Item=,Alias," + MARK)], no_item),
            ("no listing and no item", ["GLOBAL", "PRD"], [allocation_line("PRD", MARK)],
             no_listing),
            ("key in lower case in the file", ["GLOBAL", "PRD"],
             [allocation_line("prd", "Item=Avg", tag="gsnx")], invalid),
            ("key given in lower case", ["GLOBAL", "prd"],
             [allocation_line("PRD", "Item=Avg")], invalid),
        ])

    def test_only_the_first_ten_characters_of_the_key_count(self):
        lines = [allocation_line("PRODUCTION", "Item=Avg")]  # no sensor mark: 1029 when matched
        invalid = "Error 1029: Invalid Sensor-Allocation..."
        self.check([
            ("eleven characters", ["GLOBAL", "PRODUCTION1"], lines, invalid),
            ("fifteen characters", ["GLOBAL", "Production_East"], lines, invalid),
            ("nine characters", ["GLOBAL", "PRODUCTIO"], lines,
             "Error 1030: Global Sensor PRODUCTIO not found..."),
            ("key ends at the first blank", ["GLOBAL", "PRODUCTION x"], lines, invalid),
        ])

    def test_the_listing_and_the_item_are_kept_whole(self):
        alloc = allocation_line("PRD", "Item=Avg:Dialog," + MARK)
        long_listing = "".join("S%03d.P00#" % i for i in range(300))
        cases = [
            ("an entry split over two lines runs together",
             [listing_line("PRD", "PRD.P00#QA"), listing_line("PRD", "S.P00#"), alloc],
             "Avg Dialog", 2),
            ("the last entry without #", [listing_line("PRD", "PRD.P00#QAS.P00"), alloc],
             "Avg Dialog", 2),
            ("one long listing line", [listing_line("PRD", long_listing), alloc], "Avg Dialog", 300),
            ("many listing lines", [listing_line("PRD", "A.P00#B.P00#C.P00#")] * 200 + [alloc],
             "Avg Dialog", 600),
            ("item name cut at 90 characters",
             [listing_line("PRD", "PRD.P00#"), allocation_line("PRD", "Item=" + "i" * 200 + "," + MARK)],
             "i" * 90, 1),
        ]
        for name, lines, item, systems in cases:
            with self.case(case=name):
                self.box.drop_library()
                self.box.put_text(EXEXML + GBL, lines)
                self.assertRun(["GLOBAL", "PRD"], summary(item, systems), 0)

    def test_binary_file(self):
        self.box.put(EXEXML + GBL, bytes(range(256)) * 64)
        self.assertFails(["GLOBAL", "PRD"], "Error 1030: Global Sensor PRD not found...")

    def test_a_run_whose_listed_profiles_are_missing_needs_no_rfc_library(self):
        self.box.drop_library()
        self.box.put_text(EXEXML + GBL, [
            "; global sensors of the Corvanta landscape",
            listing_line("PRD", "PRD.P00#"),
            listing_line("QAS", "QAS.P00#"),
            listing_line("PRD", "PRX.P00#"),
            allocation_line("PRD", "Item=Avg:Dialog,Host," + MARK + ",Item=Other"),
        ])
        self.assertRun(["GLOBAL", "PRD"], summary("Avg Dialog", 2), 0)


class ItemProfile(SensorTest):
    """"ITEM=": the server listing comes from "Corvanta.Prf"."""

    def test_failures(self):
        no_listing = "Error 1025: Global Server Listing missing..."
        no_item = "Error 1026: Global Item Idenification missing..."
        listing = item_listing_line("PRD.P00#")
        cases = [
            ("no listing lines", ["PRD", "ITEM=Avg:Dialog"], ["# comment"], no_listing),
            ("listing line in other case", ["PRD", "ITEM=Avg:Dialog"],
             [item_listing_line("PRD.P00#", tag="GSNG")], no_listing),
            ("empty file", ["PRD", "ITEM=Avg"], [], no_listing),
            ("empty item", ["PRD", "ITEM="], [listing], no_item),
            ("item ends at a comma", ["PRD", "ITEM=,Avg"], [listing], no_item),
            ("item ends at a blank", ["PRD", "ITEM=", "Avg"], [listing], no_item),
        ]
        for name, args, lines, message in cases:
            with self.case(case=name):
                self.box.put_text(EXEXML + "Corvanta.Prf", lines)
                self.assertFails(args, message)

    def test_binary_file(self):
        self.box.put(EXEXML + "Corvanta.Prf", bytes(range(256)) * 64)
        self.assertFails(["PRD", "ITEM=Avg"], "Error 1025: Global Server Listing missing...")

    def test_item_name_cut_at_90_characters(self):
        self.box.drop_library()
        self.box.put_text(EXEXML + "Corvanta.Prf", [item_listing_line("PRD.P00#")])
        self.assertRun(["PRD", "ITEM=" + "n:" * 100], summary("n " * 45, 1), 0)

    def test_in_a_variant_mode_the_item_profile_is_taken_from_the_working_folder(self):
        self.box.program("quarlane-kelbrun")
        self.box.put_text(EXEXML + "Corvanta.Prf", [item_listing_line("PRD.P00#")])
        self.assertFails(["C:\\Sensors\\PRD", "ITEM=Avg"], "Error 1002: Profile Corvanta.Prf is missing...",
                         program="quarlane-kelbrun")

    def test_global_file_in_a_variant_mode_is_taken_from_the_named_folder(self):
        self.box.program("quarlane-mistrane")
        self.box.put_text(EXEXML + GBL, [listing_line("PRD", "PRD.P00#")])
        self.assertFails(["C:\\Sensors\\GLOBAL", "PRD"],
                         "Error 1002: Profile C:\\Sensors\\SAP Corvanta.Gbl is missing...",
                         program="quarlane-mistrane")

    def test_a_run_whose_listed_profiles_are_missing(self):
        self.box.drop_library()
        self.box.put_text(EXEXML + "Corvanta.Prf", [
            item_listing_line("PRD.P00#QAS.P00#"),
            item_listing_line("DEV.P00#", note="more"),
            item_listing_line("XXX.P00#", tag="GSNG"),
            "# Gsng:PRD          YYY.P00#",
        ])
        self.assertRun(["PRD", "item=Steps:Dialog,Alias"], summary("Steps Dialog", 3), 0)

    def test_verbose_run_from_the_working_folder(self):
        self.box.drop_library()
        self.box.put_text("Corvanta.Prf", [item_listing_line("PRD.P00#")])
        expected = (b"* hh:mm:ss SAP Quarlane Vers 4.3 / 29.08.22\n"
                    b"* hh:mm:ss ITEM=Avg Dialog State=Executing\n"
                    + summary("Avg Dialog", 1) +
                    b"\n* hh:mm:ss SAP Quarlane now processed...\n")
        self.assertRun(["PRD", "ITEM=Avg:Dialog", "@"], expected, 0, times=True)
