"""Reading and checking the sensor's profile: the eleven connection
parameters, the stored password, and the first use of the RFC library."""

import os
import pty
import select
import subprocess
import tempfile

from harness import (EXEXML, GOOD_PASSWORD, SensorTest, eol, good_values, is_wine,
                     profile_lines)

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


class PasswdTool(SensorTest):
    """quarlane-passwd finds a profile as the sensor does, says which file it
    read, tells a missing line from a short value, and flags a password with a
    blank where a connect string would cut it."""

    def passwd(self, args, cwd=None):
        result = self.box.run(args, program="quarlane-passwd", cwd=cwd)
        return result.stdout, result.status, result.stderr

    def put_good(self, path, **changes):
        self.put_profile(path, good_values(self.box, **changes))

    def test_check_profile_finds_the_profile_as_the_sensor_does(self):
        for name, cwd in (("PRD", None), ("prd/../PRD", None), ("PRD", EXEXML)):
            with self.case(name=name, cwd=cwd):
                self.put_good(PROFILE)
                out, status, err = self.passwd(["--check-profile", name], cwd=cwd)
                self.assertIn(b"quarlane-passwd: reading ", err)
                if cwd:
                    # The working folder comes first and fails the folder
                    # check: a sensor started there stops, so this is a fault.
                    self.assertEqual(status, 1, err)
                    self.assertIn(b"Sorry, invalid Path-Usage...", err)
                    self.assertTrue(out.startswith(
                        b'Fault: a sensor started here stops with "Sorry, invalid Path-Usage..."'
                        b" before it reads PRD.P00; its connection parameters are accepted\n"), out)
                else:
                    self.assertEqual(status, 0, err)
                    self.assertTrue(out.startswith(
                        b"OK: the sensor accepts the connection parameters of PRD.P00\n"), out)

    def test_check_profile_of_an_absolute_host_path(self):
        if is_wine():
            self.skipTest("host paths below QUARLANE_ROOT exist on Linux only")
        self.put_good(PROFILE)
        out, status, err = self.passwd(["--check-profile", self.box.host(PROFILE)])
        self.assertEqual(status, 0, err)
        self.assertIn(b"OK: the sensor accepts", out)

    def test_check_profile_says_where_it_looked(self):
        out, status, err = self.passwd(["--check-profile", "QAS"])
        self.assertEqual((out, status), (b"", 1))
        self.assertIn(b"cannot read the profile QAS: Error 1002: Profile QAS.P00 is missing...",
                      err)
        self.assertIn(b"QAS.P00 not found in the working folder", err)

    def test_a_missing_line_is_missing_a_short_value_too_short(self):
        self.put_good(PROFILE, User=None, Sysnr="0")
        out, status, _ = self.passwd(["--check-profile", "PRD"])
        self.assertEqual(status, 1)
        self.assertTrue(out.startswith(
            (NO_USER + "\n  User.......: is missing\n"
             "  Sysnr......: is shorter than the sensor accepts\n").encode()), out)

    def test_a_password_with_a_blank(self):
        out, status, err = self.passwd(["pass word"])
        self.assertEqual(status, 0)
        self.assertEqual(len(out.strip()), 24)
        self.assertIn(b"warning: the password holds a blank", err)
        stored = out.decode().strip()
        for destination_file in (False, True):
            with self.case(destination_file=destination_file):
                self.put_good(PROFILE, Password=stored)
                if destination_file:
                    self.box.put("SapRfc.PRD", "DEST=PRD" + eol())
                out, status, _ = self.passwd(["--check-profile", "PRD"])
                self.assertEqual(status, 1 if destination_file else 0, out)
                self.assertEqual(b"holds a blank" in out, destination_file, out)
                # The sensor logs on through the host record all the same.
                if not destination_file:
                    self.assertIn(b"OK: the sensor accepts", out)

    def test_stdin_from_a_pipe_asks_nothing(self):
        # The harness gives the program an empty standard input (not a terminal).
        out, status, err = self.passwd(["--stdin"])
        self.assertEqual((out, status), (b"", 1))
        self.assertIn(b"no password on standard input", err)
        self.assertNotIn(b"Password:", err)

    def test_stdin_at_a_terminal_prompts_twice_without_echo(self):
        if is_wine():
            self.skipTest("the terminal test drives a Linux pseudo-terminal")
        for second, status in (("Secret99", 0), ("Secret98", 1)):
            with self.subTest(second=second):
                shown, out, code = run_at_terminal(
                    [os.path.join(self.box.bin, "quarlane-passwd"), "--stdin"],
                    ["Secret99", second])
                self.assertEqual(code, status, shown)
                self.assertIn(b"Password: ", shown)
                self.assertIn(b"Password again: ", shown)
                self.assertNotIn(b"Secret9", shown, "the password is not echoed")
                self.assertEqual(len(out.strip()), 24 if status == 0 else 0, out)


def run_at_terminal(command, lines):
    """Runs command with a pseudo-terminal as standard input and standard
    error, typing each line once its prompt shows; returns what the terminal
    showed, standard output and the exit status."""
    controller, terminal = pty.openpty()
    with tempfile.TemporaryFile() as out:
        process = subprocess.Popen(command, stdin=terminal, stdout=out, stderr=terminal,
                                   close_fds=True)
        os.close(terminal)
        shown = b""
        for line in lines:
            shown += read_until(controller, b": ", shown)
            os.write(controller, line.encode() + b"\n")
        try:
            code = process.wait(timeout=20)
        finally:
            if process.poll() is None:
                process.kill()
        shown += read_until(controller, None, b"")
        os.close(controller)
        out.seek(0)
        return shown, out.read(), code


def read_until(fd, ending, before, timeout=10):
    """Reads the terminal until the text read ends with ending (None: until it
    closes or stays silent)."""
    got = b""
    while True:
        ready, _, _ = select.select([fd], [], [], timeout if ending else 0.5)
        if not ready:
            if ending:
                raise AssertionError("no prompt; the terminal showed %r" % (before + got))
            return got
        try:
            chunk = os.read(fd, 1024)
        except OSError:  # the other side closed
            return got
        if not chunk:
            return got
        got += chunk
        if ending and got.endswith(ending):
            return got
