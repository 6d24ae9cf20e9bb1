"""The command line: profile name, parameter words, options, program name."""

from harness import EXEXML, SensorTest, error_document, good_values
from test_profile_location import search_lines

MISSING_1001 = "Error 1001: Parameter for Profile-Name is missing !"
PATH_USAGE = "Sorry, invalid Path-Usage..."
# An empty profile passes the location and fails the first profile check:
# this message shows which file was read.
EMPTY_PROFILE = "Error 1006: Username in Profile %s is missing..."


def missing(name):
    return "Error 1002: Profile " + name + " is missing..."


class ProfileNameMissing(SensorTest):
    def test_no_arguments_in_every_output_mode(self):
        for program in ("quarlane", "quarlane-dornvik", "quarlane-mistrane", "quarlane-kelbrun",
                        "quarlane-pallvex"):
            with self.case(program=program):
                self.box.program(program)
                self.assertFails([], MISSING_1001, program=program)


class ParameterWords(SensorTest):
    """The parameter string is the second word, a blank and the third; a
    fourth word and later ones are ignored. "@" in it opens the profile from
    the working folder without the folder search."""

    def test_options_in_the_second_and_third_words_count_a_fourth_does_not(self):
        cases = [
            (["PRD", "@"], EMPTY_PROFILE % "PRD.P00"),
            (["PRD", "dialog", "@"], EMPTY_PROFILE % "PRD.P00"),
            (["PRD", "dialog@x"], EMPTY_PROFILE % "PRD.P00"),
            (["PRD", "dialog", "x", "@"], PATH_USAGE),
            (["PRD", "dialog", "x", "y", "@"], PATH_USAGE),
            (["PRD"], PATH_USAGE),
        ]
        for args, message in cases:
            with self.case(args=args):
                self.box.put("PRD.P00", b"")  # in the working folder only
                self.assertFails(args, message)

    def test_verbose_options_add_only_the_folders_searched_to_an_early_failure(self):
        # The start banner comes only when processing begins; before it, a
        # profile that is not found says where it was looked for.
        for params in (["#"], ["$"], ["%"], ["x%y"], ["#", "%"]):
            with self.case(params=params):
                self.assertRun(["PRD"] + params, search_lines(self.box, "PRD.P00") +
                               error_document(missing("PRD.P00")), 2, times=True)

    def test_a_very_long_parameter_string(self):
        for params in (["A" * 20000], ["B" * 10000, "C" * 10000], ["#" + "d" * 20000]):
            with self.case(length=sum(map(len, params))):
                verbose = "#" in params[0]
                self.assertRun(["PRD"] + params,
                               (search_lines(self.box, "PRD.P00") if verbose else b"") +
                               error_document(missing("PRD.P00")), 2, times=True)


class ProfileNames(SensorTest):
    def test_extension_added_when_the_name_has_none(self):
        cases = [
            ("PRD", "PRD.P00"), ("prd", "prd.P00"), ("PRD.P01", "PRD.P01"), ("PRD.TXT", "PRD.TXT"),
            ("AB", "AB.P00"), ("A.B", "A.B.P00"), ("PRD.P0", "PRD.P0.P00"), ("X.Y.P00", "X.Y.P00"),
            (".P00", ".P00"),
        ]
        for given, looked_for in cases:
            with self.case(given=given):
                self.assertFails([given], missing(looked_for))

    def test_the_named_file_is_the_one_read(self):
        for given, file_name in (("PRD", "PRD.P00"), ("QAS.P01", "QAS.P01")):
            with self.case(given=given):
                self.box.put(EXEXML + file_name, b"")
                self.box.put(EXEXML + "OTHER.P00", b"User.......: decoy\n")
                self.assertFails([given], EMPTY_PROFILE % file_name)

    def test_global_in_any_case_selects_the_global_sensor_file(self):
        for given in ("GLOBAL", "global", "Global.P00", "C:\\Sensors\\GLOBAL"):
            with self.case(given=given):
                self.assertFails([given, "PRD"], missing("SAP Corvanta.Gbl"))

    def test_names_that_only_resemble_global(self):
        for given, looked_for in (("GLOBAL.P01", "GLOBAL.P01"), ("GLOBALS", "GLOBALS.P00"),
                                  ("XGLOBAL", "XGLOBAL.P00")):
            with self.case(given=given):
                self.assertFails([given, "PRD"], missing(looked_for))

    def test_item_option_in_any_case_selects_the_item_profile(self):
        for args in (["PRD", "ITEM=Avg:Dialog"], ["PRD", "item=Avg:Dialog"],
                     ["PRD", "x", "Item=Steps"], ["GLOBAL", "ITEM=Avg:Dialog"],
                     ["C:\\Sensors\\PRD", "ITEM=Avg"]):
            with self.case(args=args):
                self.assertFails(args, missing("Corvanta.Prf"))

    def test_a_very_long_profile_name_is_reported_whole(self):
        for name, args in (("P" * 300, []), ("Q" * 200, ["@"]), ("S" * 5000, [])):
            with self.case(length=len(name), args=args):
                self.assertFails([name] + args, missing(name + ".P00"))

    def test_markup_characters_in_a_name_are_escaped_in_the_error_document(self):
        self.assertRun(["A&B<1>", "@"],
                       b"<Prtg>\n<Error>1</Error>\n<Text>Error 1002: Profile A&amp;B&lt;1&gt;.P00"
                       b" is missing...</Text>\n</Prtg>\n", 2)


class ProgramName(SensorTest):
    """The name the sensor is started by selects the output mode; the variant
    modes take the profile from the folder given with its name, without the
    folder search and without the path check."""

    VARIANTS = ("quarlane-dornvik", "quarlane-mistrane", "Quarlane-Kelbrun", "quarlane-PALLVEX",
                "pallvex", "MyKelbrunSensor", "quarlane-dornvik-pallvex")
    NOT_VARIANTS = ("quarlane", "prtg-sensor", "kelbru", "quarlane-exexml")

    def test_variant_modes_open_the_profile_where_its_name_says(self):
        for program in self.VARIANTS:
            with self.case(program=program):
                self.box.program(program)
                self.box.put("C:\\Sensors\\PRD.P00", b"")
                self.box.put(EXEXML + "PRD.P00", b"User.......: decoy\n")
                self.assertFails(["C:\\Sensors\\PRD"], EMPTY_PROFILE % "PRD.P00", program=program)

    def test_variant_modes_report_the_path_tried(self):
        for program in self.VARIANTS:
            with self.case(program=program):
                self.box.program(program)
                self.box.put(EXEXML + "PRD.P00", b"")
                self.assertFails(["C:\\Sensors\\PRD"], missing("C:\\Sensors\\PRD.P00"),
                                 program=program)
                self.assertFails(["PRD"], missing("PRD.P00"), program=program)

    def test_variant_modes_use_the_working_folder_for_a_bare_name(self):
        for program in self.VARIANTS[:4]:
            with self.case(program=program):
                self.box.program(program)
                self.box.put("PRD.P00", b"")
                self.assertFails(["PRD"], EMPTY_PROFILE % "PRD.P00", program=program)

    def test_other_names_search_the_prtg_folders(self):
        for program in self.NOT_VARIANTS:
            with self.case(program=program):
                self.box.program(program)
                self.box.put("C:\\Sensors\\PRD.P00", b"User.......: decoy\n")
                self.box.put(EXEXML + "PRD.P00", b"")
                self.assertFails(["C:\\Sensors\\PRD"], EMPTY_PROFILE % "PRD.P00", program=program)
                self.box.put("PRD.P00", b"")  # now the working folder wins the search
                self.assertFails(["PRD"], PATH_USAGE, program=program)


class HelpAndVersion(SensorTest):
    """--help, -h and /? as the first argument print the usage text, --version
    the version; status 0, nothing read or written. No profile name can begin
    with these words, so every real call stays as it was."""

    BANNER_VERSION = b"SAP Quarlane Vers 4.3 / 29.08.22"

    def test_help_words_print_the_usage_text(self):
        texts = set()
        for program in ("quarlane", "quarlane-kelbrun"):
            for args in (["--help"], ["-h"], ["/?"], ["--help", "PRD", "#"]):
                with self.case(program=program, args=args):
                    self.box.program(program)
                    before = self.box.files()
                    out, status = self.run_sensor(args, program=program)
                    self.assertEqual(status, 0)
                    self.assertEqual(self.box.files(), before)
                    texts.add(out)
                    self.assertTrue(out.startswith(b"Usage: quarlane PROFILE"), out)
                    for part in (b"--version", b"ITEM=", b",HOST=", b"C:\\PRTG_Path.Txt",
                                 b"ExeXml\\", b"Exit status: 0", b"README.md"):
                        self.assertIn(part, out)
                    self.assertTrue(out.endswith(b"\n"))
        self.assertEqual(len(texts), 1, "one usage text for every help word and program")

    def test_version(self):
        # The build's version, the same for all three programs, then the
        # start banner's own version text.
        passwd = self.box.run(["--version"], program="quarlane-passwd")
        self.assertEqual(passwd.status, 0)
        self.assertRegex(passwd.stdout, rb"^quarlane-passwd [0-9][0-9A-Za-z.+-]*\r?\n$")
        build_version = passwd.stdout.split()[1]
        for args in (["--version"], ["--version", "PRD"]):
            with self.case(args=args):
                self.assertRun(args, b"quarlane " + build_version + b" (start banner: " +
                               self.BANNER_VERSION + b")\n", 0)

    def test_the_version_is_the_start_banner_s(self):
        self.put_profile("PRD.P00", good_values(self.box))
        banner = self.run_sensor(["PRD", "@"]).stdout.split(b"\n")[0]
        self.assertEqual(banner[len(b"* hh:mm:ss "):], self.BANNER_VERSION)

    def test_words_that_only_resemble_them_are_profile_names(self):
        for name in ("--HELP", "-H", "--helpme", "/?x", "-version", "--Version", "help", "?"):
            with self.case(name=name):
                self.assertFails([name], missing(name + ".P00"))


class EveryProgramAnswersHelpAndVersion(SensorTest):
    """The three programs answer the same help and version words on every
    platform with status 0, and print the same build version; no such word
    is ever taken as a profile, a password or a check's argument."""

    PROGRAMS = (("quarlane", b"Usage: quarlane PROFILE"),
                ("quarlane-passwd", b"Usage: quarlane-passwd PASSWORD"),
                ("quarlane-nwrfc-check", b"usage: quarlane-nwrfc-check"))

    def test_help_and_version_words(self):
        versions = set()
        for program, usage in self.PROGRAMS:
            for word in ("--help", "-h", "/?", "--version"):
                with self.case(program=program, word=word):
                    self.box.program(program, source=program)
                    before = self.box.files()
                    result = self.box.run([word], program=program)
                    self.assertEqual(result.status, 0, result.stderr)
                    self.assertEqual(self.box.files(), before, "nothing read into or written")
                    if word == "--version":
                        first = result.stdout.split(b"\n")[0]
                        self.assertRegex(first, rb"^" + program.encode() + rb" [0-9][0-9A-Za-z.+-]*( |$)")
                        versions.add(first.split(b" ")[1])
                    else:
                        self.assertTrue(result.stdout.startswith(usage), result.stdout[:200])
        self.assertEqual(len(versions), 1, "one version for the three programs: %r" % versions)
