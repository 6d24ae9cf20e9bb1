"""Every XML document is well-formed for any byte the texts in it carry.

PRTG reads the answer of an EXE/XML sensor as UTF-8 XML (the reasons are in
src/output/xml_safe.h). The texts that reach a document come from outside:
the profile name on the command line, the profile's values, the library's
exception names and the trace file's messages, which on Western systems are
Windows-1252. Each case runs the real program, parses its whole standard
output with Python's XML parser and compares the bytes: control characters
other than tab, LF and CR become "?", Windows-1252 becomes UTF-8, a NUL ends
a profile value. Pure ASCII documents are unchanged (the other suites compare
them byte for byte); here they are parsed as well.
"""

import os
import unittest
import xml.etree.ElementTree as ET

from harness import (EXEXML, GOOD_PASSWORD, SensorTest, error_document, good_values, is_wine,
                     profile_lines)

PROFILE = EXEXML + "PRD.P00"
LANDSCAPE = "SapLandscape.ini"


def landscape(extra=()):
    """The landscape of PRD as bytes; extra lines are bytes (any byte value)."""
    lines = [b"[system PRD]", b"client = 100", b"user = monitor",
             b'password = "' + GOOD_PASSWORD.encode() + b'"',
             b'lastcollwrt = "Thu Mar  5 09:04:00 2026"', b"instance = sapprd01_PRD_00",
             b"cpu = TYPE=1 NBR_CPU=4 LOAD1_AVG=35 USR_TOTAL=5300 IDLE_TOTAL=93500",
             b'workload = day=20260305 TASKTYPE="DIALOG " COUNT=1200 RESPTI=360000']
    return b"".join(line + b"\n" for line in lines + list(extra))


def utf8_error_document(message):
    """The error document carrying message, its text in UTF-8."""
    return error_document(message.encode("utf-8").decode("latin-1"))


def argument(raw):
    """A command-line word holding exactly the bytes raw (on Linux)."""
    return os.fsdecode(raw)


class WellFormedDocuments(SensorTest):
    def assertWellFormed(self, document, context):
        try:
            root = ET.fromstring(document)
        except ET.ParseError as error:
            self.fail("not well-formed (%s): %r; %s" % (error, document, context))
        self.assertEqual(root.tag, "Prtg", context)
        return root

    def put_profile_bytes(self, values):
        text = "".join(line + "\n" for line in profile_lines(values))
        self.box.put(PROFILE, text.encode("latin-1"))

    def test_profile_names_with_control_and_latin1_bytes(self):
        cases = [(b"PR\x01D", "PR?D")]
        if not is_wine():  # Wine turns the bytes of a host argument into its own code page
            cases += [(b"PR\xe9D", "PR\u00e9D"), (b"\x7fPRD\x1b", "?PRD?")]
        for raw, shown in cases:
            with self.case(name=raw):
                result = self.run_sensor([argument(raw)])
                self.assertEqual(result.status, 2, result.stdout)
                self.assertEqual(result.stdout, utf8_error_document(
                    "Error 1002: Profile %s.P00 is missing..." % shown))
                root = self.assertWellFormed(result.stdout, repr(raw))
                self.assertEqual(root.find("Text").text,
                                 "Error 1002: Profile %s.P00 is missing..." % shown)

    def test_a_nul_ends_the_destination_in_the_report(self):
        self.box.put(LANDSCAPE, landscape())
        self.put_profile_bytes(good_values(self.box))
        plain = self.run_sensor(["PRD"])
        self.assertEqual(plain.status, 0, plain.stdout)
        self.assertIn(b"<Text>(PRD) Summary:", plain.stdout)
        self.assertWellFormed(plain.stdout, "plain destination")

        self.put_profile_bytes(good_values(self.box, Destination="PRD\x00\x01junk\xe9"))
        result = self.run_sensor(["PRD"])
        self.assertEqual((result.stdout, result.status), (plain.stdout, 0))

    def test_texts_from_the_library_and_the_trace(self):
        # A Windows-1252 message of the trace and an exception name with a
        # control character, each reaching the error document.
        cases = [
            (b'fault = receive GET_CPU_ALL rc=3 message="Benutzer gesperrt \xe4\xf6\xfc"',
             "Error 1013: Sys-Exception raised ! - Benutzer gesperrt \u00e4\u00f6\u00fc"),
            (b"fault = receive SAPWL_WORKLOAD_GET_SUMMARY rc=2 exception=NO\x01DATA",
             "Error 1012: Exception.: NO?DATA - Exception NO?DATA raised by SAPWL_WORKLOAD_GET_SUMMARY"),
        ]
        for fault, message in cases:
            with self.case(fault=fault):
                self.box.put(LANDSCAPE, landscape([fault]))
                self.put_profile_bytes(good_values(self.box))
                if self.box.exists("Dev_Rfc.Trc"):
                    self.box.remove("Dev_Rfc.Trc")
                result = self.run_sensor(["PRD"])
                self.assertEqual(result.status, 2, result.stdout)
                root = self.assertWellFormed(result.stdout, repr(fault))
                self.assertEqual(root.find("Text").text, message)
                self.assertEqual(result.stdout, utf8_error_document(message))


if __name__ == "__main__":
    unittest.main()
