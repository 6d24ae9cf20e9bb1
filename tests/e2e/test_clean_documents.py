"""Documents that stay well-formed, and texts that stay clean, whatever a
profile, a destination file or a failure brings.

- Item runs: whatever fails where, every document in the XML modes is
  well-formed. A logon through "SapRfc.<destination>" announces itself
  inside the open document with its "<" escaped; a failed call after the
  first channel closes the open document with the error element and text
  (the channels already written stay); the library's error block inside an
  open document becomes the text of that closing. Verbose state lines inside
  the document are character data like any other text.
- Control characters from a profile become "?" in the verbose lines and in
  the text modes, as they do inside the XML.
- "SapRfc.<destination>" is read only as a regular file with one name; the
  copy "SapRfc.ini" is no more readable than the file it copies.
- A destination that would add a word of its own to the connect string
  (blank inside, "=", a quote) fails the profile's checks.
"""

import os
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ET

import harness
from harness import EXEXML, error_document, good_values, is_wine, profile_lines
from test_whole_runs import (BANNER, CLOSING, CPU_FAILURE, GOOD, GOOD_LINE, HEAD, PRD_TOTAL, QAS_TOTAL,
                             WholeRun, channel, state_line, summary)

OTHER = 65534  # nobody
QAS_DESTINATION = "DEST=QAS\nTYPE=A\nASHOST=sapqas01\nSYSNR=00\n"
PRD_DESTINATION = "DEST=PRD\nTYPE=A\nASHOST=sapprd01\nSYSNR=00\n"


def closing_error(message):
    return "<Error>1</Error>\n<Text>" + harness.xml_text(message) + "</Text>\n</Prtg>\n"


class ItemListing(WholeRun):
    def item_mode(self, listing):
        self.box.put_text(EXEXML + "Corvanta.Prf", ["; Corvanta item sensors",
                                                    "# Gsng: Corvanta ab " + listing])


class WellFormed:
    def assertWellFormed(self, document, context):
        try:
            root = ET.fromstring(document)
        except ET.ParseError as error:
            self.fail("not well-formed (%s): %r; %s" % (error, document, context))
        self.assertEqual(root.tag, "Prtg", context)
        return root


class ItemDocuments(ItemListing, WellFormed):
    """PRD01 and then QAS, listed in "Corvanta.Prf"."""

    def two_systems(self, qas_faults=(), **qas_changes):
        self.landscape(qas_faults=qas_faults)
        self.profile(GOOD)
        self.qas_profile(**qas_changes)
        self.item_mode("%s#QAS.P00#" % GOOD)

    def test_every_document_is_well_formed(self):
        good = HEAD + "\n" + channel(GOOD, PRD_TOTAL)
        handler_block = ("RFC error\noperation/code  : RfcReceive GET_CPU_ALL\n")
        cases = [
            # name, QAS's faults, QAS's profile changes, "SapRfc.QAS", verbose,
            # expected standard output (the block's lines checked apart), status
            ("logon through the destination's file", [], {}, True, False,
             good + "* SapRfc.Ini.......: QAS&lt;\n" + channel("QAS.P00", QAS_TOTAL)
             + summary(2, 0, systems=2), 0),
            ("a failed call after the first channel", ["receive GET_CPU_ALL rc=1"], {}, False, False,
             good + closing_error(CPU_FAILURE.replace("broken during", "broken during")), 2),
            ("the same through the destination's file", ["call GET_CPU_ALL rc=1"], {}, True, False,
             good + "* SapRfc.Ini.......: QAS&lt;\n" + closing_error(CPU_FAILURE), 2),
            ("verbose, markup in the host", [], dict(Hostname="sap<qas>&01"), False, True,
             BANNER + "* hh:mm:ss ITEM=TransActions # State=Executing\n" + good
             + state_line(GOOD_LINE, "Processed")
             + state_line("QAS.P00, sap&lt;qas&gt;&amp;01, QAS, 00, 100", "Rfc Failure")
             + summary(1, 1, systems=2) + CLOSING, 0),
            ("the library's handler after the first channel", ["receive GET_CPU_ALL handler"], {}, False,
             False, None, 1),
        ]
        for name, faults, changes, destination_file, verbose, stdout, status in cases:
            with self.case(case=name):
                self.two_systems(faults, **changes)
                if destination_file:
                    self.box.put("C:\\Work\\SapRfc.QAS", QAS_DESTINATION)
                args = ["PRD", "ITEM=TransActions"] + (["#"] if verbose else [])
                result = self.run_sensor(args)
                got = harness.normalise_times(result.stdout)
                self.assertEqual(result.status, status, result.stdout)
                if stdout is not None:
                    self.assertEqual(got, stdout.encode("latin-1"))
                else:
                    self.assertTrue(got.startswith((good + "<Error>1</Error>\n<Text>" + handler_block)
                                                   .encode()), got)
                    self.assertTrue(got.endswith(b"</Text>\n</Prtg>\n"), got)
                document = got
                if verbose:  # the banner and the closing line stand outside the document
                    document = got[got.index(b"\n<Prtg>"):got.index(b"</Prtg>\n") + 8]
                root = self.assertWellFormed(document, name)
                if status != 0:
                    self.assertEqual(root.find("Error").text, "1", name)


class ControlCharactersInPlainText(WholeRun):
    def test_verbose_lines_and_text_modes_show_control_characters_as_question_marks(self):
        # The client carries ESC, BEL, a tab and \x01: the verbose line shows
        # "?" for each, as the XML does; a Kelbrun document likewise.
        client = "1\x1b[2J\x07\t\x01"
        self.landscape()
        self.profile("PRD.P00", Client=client)
        result = self.run_sensor(["PRD", "#"])
        self.assertIn(b"* hh:mm:ss PRD.P00, sapprd01, PRD, 00, 1?[2J??? State=Processing\n",
                      harness.normalise_times(result.stdout))
        for byte in b"\x1b\x07\t\x01":
            self.assertNotIn(bytes([byte]), result.stdout)

    @unittest.skipIf(is_wine(), "Windows file names hold no control characters: no such destination file")
    def test_the_destination_file_line_shows_control_characters_as_question_marks(self):
        self.landscape()
        destination = "PRD\x01\x1b"
        self.profile("PRD.P00", Destination=destination)
        self.box.put("C:\\Work\\SapRfc." + destination, PRD_DESTINATION.replace("DEST=PRD", "DEST=" + destination))
        result = self.run_sensor(["PRD"])
        self.assertTrue(result.stdout.startswith(b"* SapRfc.Ini.......: PRD??<\n"), result.stdout)

    def test_a_text_mode_document_shows_control_characters_as_question_marks(self):
        # The report text carries the destination; the landscape knows PRD
        # under that name too, so the run gets as far as the document.
        destination = "PR\x1bD\x01"
        self.box.put_text("SapLandscape.ini", [line.replace("[system PRD]", "[system %s]" % destination)
                                               for line in open_landscape(self)])
        profile = self.box.host(EXEXML + "PRD.P00")
        self.profile("PRD.P00", Destination=destination)
        for program, shown in (("quarlane-kelbrun", b"\n# (PR?D?) Summary:"),
                               ("quarlane-mistrane", b"\n# (PR?D?) Summary:"),
                               ("quarlane", b"<Text>(PR?D?) Summary:")):
            with self.subTest(program=program):
                self.box.program(program)
                name = self.box.windows(profile)[:-4] if program != "quarlane" else "PRD"
                result = self.run_sensor([name], program=program)
                self.assertEqual(result.status, 0, result.stdout)
                self.assertIn(shown, result.stdout)
                self.assertNotIn(b"\x1b", result.stdout)
                self.assertNotIn(b"\x01", result.stdout)


def open_landscape(test):
    test.landscape()
    return test.box.read("SapLandscape.ini").decode("latin-1").splitlines()


class DestinationWords(ItemListing):
    def test_a_destination_that_would_add_a_word_fails_the_profile_checks(self):
        message = "Error 1003: Invalid Parameter(s) at PRD.P00 found..."
        for destination in ("PRD USER=DDIC", "PRD\tX", "PRD=X", 'PRD"', "PRD'X", " PRD"):
            with self.case(destination=destination):
                self.landscape()
                self.profile("PRD.P00", Destination=destination)
                if not is_wine() or destination.strip().replace("=", "").isalnum():
                    self.box.put("C:\\Work\\SapRfc." + destination, PRD_DESTINATION)
                self.assertRun(["PRD"], error_document(message), 2, files_kept=False)
                self.assertFalse(self.box.exists("C:\\Work\\SapRfc.ini"))

    def test_trailing_blanks_still_end_the_word(self):
        self.landscape()
        self.profile("PRD.P00", Destination="PRD  ")
        result = self.run_sensor(["PRD"])
        self.assertEqual(result.status, 0, result.stdout)

    def test_in_an_item_run_the_logon_is_refused(self):
        self.landscape()
        self.profile(GOOD)
        self.qas_profile(Destination="QAS USER=DDIC")
        self.box.put("C:\\Work\\SapRfc.QAS USER=DDIC", QAS_DESTINATION)
        self.item_mode("%s#QAS.P00#" % GOOD)
        self.assertRun(["PRD", "ITEM=TransActions"],
                       HEAD + "\n" + channel(GOOD, PRD_TOTAL) + "* SapRfc.Ini.......: QAS USER=DDIC&lt;\n"
                       + summary(1, 1, systems=2), 0, times=True, files_kept=False)
        self.assertFalse(self.box.exists("C:\\Work\\SapRfc.ini"))


class DestinationFileRules(WholeRun):
    def setup_prd(self):
        self.landscape()
        self.profile("PRD.P00")

    @unittest.skipIf(is_wine(), "host links; under Wine a host link shows as the file it names")
    def test_a_linked_destination_file_is_not_read(self):
        for kind in ("symbolic", "hard"):
            with self.case(kind=kind):
                self.setup_prd()
                target = self.box.put("C:\\Secret\\root-only", PRD_DESTINATION + "; secret\n")
                link = os.path.join(self.box.work, "SapRfc.PRD")
                (os.symlink if kind == "symbolic" else os.link)(target, link)
                self.box._track(link)
                result = self.run_sensor(["PRD"])
                # Not read: the logon goes through the profile's fields.
                self.assertEqual(result.status, 0, result.stdout)
                self.assertNotIn(b"SapRfc.Ini", result.stdout)
                self.assertFalse(self.box.exists("C:\\Work\\SapRfc.ini"))

    @unittest.skipIf(is_wine(), "permission bits are Linux's; Windows files take the folder's ACL")
    def test_the_copy_is_no_more_readable_than_the_file(self):
        old = os.umask(0o022)
        self.addCleanup(os.umask, old)
        for mode, expected in ((0o600, 0o600), (0o640, 0o640), (0o644, 0o644), (0o666, 0o644)):
            with self.case(mode=oct(mode)):
                self.setup_prd()
                path = self.box.put("C:\\Work\\SapRfc.PRD", PRD_DESTINATION)
                os.chmod(path, mode)
                result = self.run_sensor(["PRD"])
                self.assertEqual(result.status, 0, result.stdout)
                ini = os.path.join(self.box.work, "SapRfc.ini")
                self.assertEqual(os.stat(ini).st_mode & 0o777, expected)


@unittest.skipIf(is_wine(), "Linux accounts")
@unittest.skipIf(hasattr(os, "geteuid") and os.geteuid() != 0,
                 "acting as two accounts (root and nobody) needs root")
class AnotherAccountReadsNoSecret(WholeRun):
    def test_a_link_to_a_root_only_file_gives_the_other_account_nothing(self):
        for kind in ("symbolic", "hard", "none: root's own 0600 file"):
            with self.case(kind=kind):
                self.landscape()
                self.profile("PRD.P00")
                os.chmod(os.path.dirname(self.box.root), 0o755)
                for folder, _, _ in os.walk(self.box.root):
                    os.chmod(folder, os.stat(folder).st_mode | 0o777 if folder == self.box.work
                             else os.stat(folder).st_mode | 0o111)
                secret = PRD_DESTINATION + "; the secret\n"
                link = os.path.join(self.box.work, "SapRfc.PRD")
                if kind.startswith("none"):
                    os.chmod(self.box.put("C:\\Work\\SapRfc.PRD", secret), 0o600)
                else:
                    target = self.box.put("C:\\Secret\\root-only", secret)
                    os.chmod(target, 0o600)
                    # The other account makes the link, as in the attack.
                    subprocess.run(["ln"] + (["-s"] if kind == "symbolic" else []) + [target, link],
                                   preexec_fn=as_account(OTHER), check=kind == "symbolic",
                                   capture_output=True)
                    if not os.path.lexists(link):  # protected hard links: root makes it
                        os.link(target, link)
                    self.box._track(link)
                self.assertEqual(self.run_sensor(["PRD"]).status, 0)  # root's run
                reader = subprocess.run(["cat", os.path.join(self.box.work, "SapRfc.ini")],
                                        preexec_fn=as_account(OTHER), capture_output=True)
                self.assertNotIn(b"the secret", reader.stdout)


def as_account(uid):
    def drop():
        os.setgroups([])
        os.setgid(uid)
        os.setuid(uid)
    return drop


if __name__ == "__main__":
    unittest.main()
