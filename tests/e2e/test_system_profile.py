"""Reading and checking the sensor's profile: the eleven connection
parameters, the stored password, and the first use of the RFC library."""

from harness import (EXEXML, GOOD_PASSWORD, SensorTest, eol, good_values, profile_lines)

PROFILE = EXEXML + "PRD.P00"
NO_USER = "Error 1006: Username in Profile PRD.P00 is missing..."
NO_PASSWORD = "Error 1007: Password in Profile PRD.P00 is missing..."
BAD_PARAMETER = "Error 1003: Invalid Parameter(s) at PRD.P00 found..."
INVALID_PASSWORD = "Error 1004: Invalid Password in Profile PRD.P00 found..."
WRONG_PASSWORD = "Error 1005: Wrong Password in Profile PRD.P00 found..."

# Shortest accepted value of each parameter.
MINIMUM = dict(Extcompany=2, Destination=3, Client=3, User=2, Password=2, Language=1, Mode=3,
               Hostname=2, Sysnr=2, Gwhost=2, Gwservice=2)


def with_char_changed(stored, position, bits):
    """The stored value with one character's bits flipped: the sensor's key is
    combined by exclusive or, so the unscrambled character flips the same bits."""
    return stored[:position] + chr(ord(stored[position]) ^ bits) + stored[position + 1:]


class ProfileTest(SensorTest):
    def library_failure(self):
        """The message of a profile that passes every check: the bin folder
        has no RFC library, so the run ends where the library is first needed."""
        return "Error 1009: RFC-Library %s could not be loaded !" % self.box.drop_library()

    def check(self, cases):
        """cases: (name, profile lines or bytes, expected message or None for
        a profile that passes every check)."""
        for name, content, message in cases:
            with self.case(case=name):
                if isinstance(content, bytes):
                    self.box.put(PROFILE, content)
                else:
                    self.box.put_text(PROFILE, content(self.box) if callable(content) else content)
                self.assertFails(["PRD"], message or self.library_failure())


def lines_of(**changes):
    """Profile lines of a good profile with changes (evaluated per sandbox)."""
    return lambda box: profile_lines(good_values(box, **changes))


class MissingAndShortParameters(ProfileTest):
    def test_a_good_profile_reaches_the_rfc_library(self):
        self.check([("good profile", lines_of(), None)])

    def test_user_and_password_are_checked_first(self):
        self.check([
            ("empty file", b"", NO_USER),
            ("line ends only", eol().encode() * 3, NO_USER),
            ("no user", lines_of(User=None), NO_USER),
            ("empty user", lines_of(User=""), NO_USER),
            ("no user, no password", lines_of(User=None, Password=None), NO_USER),
            ("no user, short client", lines_of(User=None, Client="1"), NO_USER),
            ("no password", lines_of(Password=None), NO_PASSWORD),
            ("empty password", lines_of(Password=""), NO_PASSWORD),
            ("only a separator after the label",
             lambda box: lines_of(Password=None)(box) + ["Password...: "], NO_PASSWORD),
            ("no password, short client", lines_of(Password=None, Client="1"), NO_PASSWORD),
            ("label in lower case", lambda box: [
                line.replace("User.......:", "user.......:") for line in lines_of()(box)], NO_USER),
        ])

    def test_every_parameter_has_a_minimum_length(self):
        cases = []
        for name, shortest in MINIMUM.items():
            if name == "Password":
                continue
            cases.append(("%s missing" % name, lines_of(**{name: None}),
                          NO_USER if name == "User" else BAD_PARAMETER))
            cases.append(("%s one short" % name, lines_of(**{name: "x" * (shortest - 1)}),
                          BAD_PARAMETER))
            cases.append(("%s at its minimum" % name, lines_of(**{name: "x" * shortest}), None))
        self.check(cases)

    def test_password_length(self):
        # Header characters 3 and 4 carry the length; quarlane-passwd writes
        # no password shorter than 2, so shorter ones are made by changing
        # the length digits of a stored value.
        def stored(password, position=None, bits=0):
            def make(box):
                value = box.stored_password(password)
                if position is not None:
                    value = with_char_changed(value, position, bits)
                return profile_lines(good_values(box, Password=value))
            return make
        self.check([
            ("two characters", stored("xy"), None),
            ("twenty characters", stored("Abcdefghij0123456789"), None),
            ("length 02 made 01", stored("xy", 3, ord("2") ^ ord("1")), BAD_PARAMETER),
            ("length 08 made 00", stored(GOOD_PASSWORD, 3, ord("8") ^ ord("0")), NO_PASSWORD),
            ("length 08 made 98: the whole text", stored(GOOD_PASSWORD, 2, ord("0") ^ ord("9")),
             None),
        ])

    def test_the_last_occurrence_of_a_label_wins(self):
        self.check([
            ("user emptied later", lambda box: lines_of()(box) + ["User.......:"], NO_USER),
            ("user given later", lambda box: ["User.......:"] + lines_of()(box), None),
            ("client shortened later", lambda box: lines_of()(box) + ["Client.....: 1"],
             BAD_PARAMETER),
        ])


class StoredPassword(ProfileTest):
    def stored(self, box):
        return box.stored_password(GOOD_PASSWORD)

    def with_password(self, make):
        return lambda box: profile_lines(good_values(box, Password=make(self.stored(box))))

    def test_malformed_and_wrong_values(self):
        self.check([
            ("23 characters", self.with_password(lambda s: s[:23]), INVALID_PASSWORD),
            ("25 characters", self.with_password(lambda s: s + s[0]), INVALID_PASSWORD),
            ("header not digits", self.with_password(lambda s: with_char_changed(s, 0, 0x10)),
             INVALID_PASSWORD),
            ("third header character not a digit",
             self.with_password(lambda s: with_char_changed(s, 2, 0x10)), INVALID_PASSWORD),
            ("check digit does not match",
             self.with_password(lambda s: with_char_changed(s, 0, 0x01)), WRONG_PASSWORD),
            ("not scrambled at all", self.with_password(lambda s: GOOD_PASSWORD), INVALID_PASSWORD),
        ])

    def test_a_bad_password_stops_the_reading_at_once(self):
        bad = lambda box: "Password...: " + self.stored(box)[:23]  # noqa: E731
        self.check([
            ("before the user line", lambda box: [bad(box)], INVALID_PASSWORD),
            ("after a good one", lambda box: lines_of()(box) + [bad(box)], INVALID_PASSWORD),
            ("wrong one before a good one", lambda box: [
                "Password...: " + with_char_changed(self.stored(box), 0, 0x01)] + lines_of()(box),
             WRONG_PASSWORD),
        ])


class ReadingTheFile(ProfileTest):
    """Whole lines of any length, either platform's line end, anything that
    is no label ignored."""

    def test_line_ends(self):
        def joined(line_end, last=True):
            def make(box):
                lines = lines_of()(box)
                return (line_end.join(lines) + (line_end if last else "")).encode("latin-1")
            return make
        for name, make in (("LF", joined("\n")), ("CR LF", joined("\r\n")),
                           ("no line end at the end", joined(eol(), last=False))):
            with self.case(case=name):
                self.box.put(PROFILE, make(self.box))
                self.assertFails(["PRD"], self.library_failure())

    def test_lines_that_are_no_labels(self):
        history = ["# Rsp 20240305 DIALOG 1234 5678", "# Rsx 20240305 Trns=12345"]
        self.check([
            ("comments and history lines", lambda box: ["; Corvanta PRD", ""] + lines_of()(box)
             + history, None),
            ("a very long comment line", lambda box: ["; " + "x" * 100000] + lines_of()(box), None),
            ("250 lines, the last parameter at the end", lambda box:
             ["; line %d" % i for i in range(240)] + lines_of()(box), None),
            ("values of 70 characters", lambda box: profile_lines(good_values(
                box, **{name: "v" * 70 for name in MINIMUM if name != "Password"})), None),
        ])

    def test_a_long_line_is_not_split_into_lines(self):
        # Read in pieces, the tail of this comment would be a Gwhost line.
        for prefix in (159, 160, 199):
            self.check([("label at column %d" % prefix, lambda box, n=prefix:
                         lines_of(Gwhost=None)(box) + ["#" * n + "Gwhost.....: sapprd01"],
                         BAD_PARAMETER)])

    def test_binary_content(self):
        junk = bytes(b for b in range(256) if b not in (0x0A, 0x1A)) * 40
        self.check([
            ("binary only", bytes(range(256)) * 64, NO_USER),
            ("binary lines among the parameters", lambda box: [
                junk.decode("latin-1"), *lines_of()(box)[:5], "\x00\xff\xfe", *lines_of()(box)[5:]],
             None),
        ])


class RfcLibrary(ProfileTest):
    """The library is needed only once the profile has passed every check;
    the message names the file tried beside the sensor."""

    def put_good_profile(self, path=PROFILE):
        self.box.put_text(path, lines_of()(self.box))

    def test_library_absent(self):
        self.put_good_profile()
        self.assertFails(["PRD"], self.library_failure())

    def test_library_not_loadable(self):
        self.put_good_profile()
        path = self.box.replace_library(b"this is no shared library\n")
        self.assertFails(["PRD"], "Error 1009: RFC-Library %s could not be loaded !" % path)

    def test_no_banner_before_the_library_is_loaded(self):
        self.put_good_profile()
        self.assertFails(["PRD", "#"], self.library_failure())

    def test_error_document_in_a_variant_mode(self):
        self.put_good_profile("C:\\Sensors\\PRD.P00")
        self.box.program("quarlane-kelbrun")
        self.assertFails(["C:\\Sensors\\PRD", "CH=1"], self.library_failure(),
                         program="quarlane-kelbrun")
