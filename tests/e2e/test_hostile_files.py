"""Files that are not what the sensor expects, and what a rewrite keeps.

- Files that are not regular files (a FIFO, a link to /dev/zero, a file
  larger than the 64 MiB the readers take) as the profile, "Corvanta.Prf",
  "SAP Corvanta.Gbl", "C:\\PRTG_Path.Txt" or "SapRfc.<dest>": the run never
  hangs or aborts; it ends with the document an unreadable file of that kind
  gets (a profile or listing file: "Error 1002 ... is missing..."; an
  unreadable "C:\\PRTG_Path.Txt" or "SapRfc.<dest>" counts as none).
- A UTF-8 byte order mark before the first line of a profile,
  "Corvanta.Prf" or "C:\\PRTG_Path.Txt" is read past, and a rewritten
  profile keeps it.
- A profile that is a symbolic link: its target gets the history, the link
  stays.
- The rewrite keeps the profile's extended attributes.
- Stale temporary files of the profile's rewrites (older than ten minutes,
  regular, exact name pattern) are removed; nothing else is.

A FIFO or a symbolic link is made on the host side; under Wine the Windows
build meets them as Wine presents them (see the reasons of the skipped
classes).
"""

import os
import re
import stat
import time
import unittest

import harness
from harness import EXEXML, SensorTest, error_document, good_values, is_wine, profile_lines

PROFILE = EXEXML + "PRD.P00"
LANDSCAPE = "C:\\Work\\SapLandscape.ini"
BOM = b"\xef\xbb\xbf"
MISSING = "Error 1002: Profile PRD.P00 is missing..."
# A hang must fail the test, not stall the suite for the harness's minute.
HANG_TIMEOUT = 20


def landscape_lines(dialog_count):
    count = dialog_count
    return ["[system PRD]", "client = 100", "user = MONITOR", "password = " + harness.GOOD_PASSWORD,
            "host = sapprd01", "sysnr = 00", "gwhost = sapprd01", "gwservice = sapgw00",
            "instance = sapprd01_PRD_00", "lastcollwrt = now",
            'workload = day=today TASKTYPE="DIALOG " COUNT=%d DBACTIVCNT=%d RESPTI=%d CPUTI=%d'
            % (count, count * 20, count * 310, count * 90)]


def history_totals(profile):
    return [int(t) for t in re.findall(rb"^# Rsp Date=\S+ \S+ Trns=(\d+)\r?$", profile, re.M)]


def item_listing_line(text):
    return "# Gsng: %-12s%s" % ("PRD", text)


def item_summary(item, systems):
    return ("\n<Prtg>\n\n\n<Text>(***) %s: NoSystems=%d, Processed=0, Failed=0</Text>\n\n</Prtg>\n\n"
            % (item, systems)).encode()


class HostileTest(SensorTest):
    def setUp(self):
        super().setUp()
        self._timeout = harness.RUN_TIMEOUT
        harness.RUN_TIMEOUT = HANG_TIMEOUT
        self.addCleanup(setattr, harness, "RUN_TIMEOUT", self._timeout)

    def fifo(self, windows_path):
        path = self.box.host(windows_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        os.mkfifo(path)
        self.box._track(path)
        return path

    def link(self, windows_path, target):
        path = self.box.host(windows_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        os.symlink(target, path)
        self.box._track(path)
        return path

    def sparse(self, windows_path, size):
        path = self.box.put(windows_path, b"")
        os.truncate(path, size)
        return path

    def assertDocument(self, result, stdout, status):
        self.assertNotEqual(result.status, "timeout", "the run hung")
        self.assertEqual(result.stdout, stdout, result.stderr)
        self.assertEqual(result.status, status, result.stderr)


class NotRegularFiles(HostileTest):
    def test_a_profile_or_listing_that_is_no_regular_file_is_missing(self):
        big = 64 * 1024 * 1024 + 1
        found_path = EXEXML[2:] + "PRD.P00"
        cases = [
            ("profile is a FIFO", lambda: self.fifo(PROFILE), ["PRD"], MISSING),
            ("profile links to /dev/zero", lambda: self.link(PROFILE, "/dev/zero"), ["PRD"], MISSING),
            ("profile is larger than the readers take", lambda: self.sparse(PROFILE, big), ["PRD"],
             "Error 1002: Profile " + found_path + " is missing..."),
            ("Corvanta.Prf is a FIFO", lambda: self.fifo(EXEXML + "Corvanta.Prf"), ["PRD", "ITEM=Avg"],
             "Error 1002: Profile Corvanta.Prf is missing..."),
            ("Corvanta.Prf links to /dev/zero", lambda: self.link(EXEXML + "Corvanta.Prf", "/dev/zero"),
             ["PRD", "ITEM=Avg"], "Error 1002: Profile Corvanta.Prf is missing..."),
            ("SAP Corvanta.Gbl is a FIFO", lambda: self.fifo(EXEXML + "SAP Corvanta.Gbl"),
             ["GLOBAL", "PRD"], "Error 1002: Profile SAP Corvanta.Gbl is missing..."),
        ]
        for name, make, args, message in cases:
            with self.case(case=name):
                make()
                result = self.run_sensor(args)
                self.assertDocument(result, error_document(message), 2)

    def test_an_unreadable_prtg_path_or_destination_file_counts_as_none(self):
        # The same run without the file is the measure.
        cases = [
            ("C:\\PRTG_Path.Txt is a FIFO", lambda: self.fifo("C:\\PRTG_Path.Txt")),
            ("C:\\PRTG_Path.Txt links to /dev/zero", lambda: self.link("C:\\PRTG_Path.Txt", "/dev/zero")),
            ("SapRfc.PRD is a FIFO", lambda: self.fifo("C:\\Work\\SapRfc.PRD")),
            ("SapRfc.PRD links to /dev/zero", lambda: self.link("C:\\Work\\SapRfc.PRD", "/dev/zero")),
        ]
        for name, make in cases:
            with self.case(case=name, run="without the file"):
                self.put_profile(PROFILE, good_values(self.box))
                self.box.put_text(LANDSCAPE, landscape_lines(1000))
                expected = self.run_sensor(["PRD"])
                self.assertEqual(expected.status, 0, expected.stdout)
            with self.case(case=name, run="with the file"):
                self.put_profile(PROFILE, good_values(self.box))
                self.box.put_text(LANDSCAPE, landscape_lines(1000))
                make()
                result = self.run_sensor(["PRD"])
                self.assertDocument(result, expected.stdout, 0)


class ByteOrderMark(HostileTest):
    def test_a_profile_with_a_byte_order_mark_is_read_and_keeps_it(self):
        # The first line holds the destination, so a mark that were taken
        # for part of it would lose the destination.
        values = good_values(self.box)
        lines = ["Destination: PRD"] + [line for line in profile_lines(values)
                                        if not line.startswith("Destination")]
        self.box.put(PROFILE, BOM + "".join(line + harness.eol() for line in lines).encode("latin-1"))
        self.box.put_text(LANDSCAPE, landscape_lines(1000))
        result = self.run_sensor(["PRD"])
        self.assertEqual(result.status, 0, result.stdout)
        self.assertIn(b"Trans=1.000,", result.stdout)
        profile = self.box.read(PROFILE)
        self.assertTrue(profile.startswith(BOM + b"Destination: PRD"), profile[:40])
        self.assertEqual(profile.count(BOM), 1)
        self.assertEqual(history_totals(profile), [1000])
        # and once more: the next run reads the rewritten profile
        self.box.put_text(LANDSCAPE, landscape_lines(1300))
        result = self.run_sensor(["PRD"])
        self.assertIn(b"Trans=300,", result.stdout)
        profile = self.box.read(PROFILE)
        self.assertTrue(profile.startswith(BOM + b"Destination: PRD"))
        self.assertEqual(history_totals(profile), [1300])

    def test_a_profile_with_two_byte_order_marks_keeps_both(self):
        # The second mark belongs to the first line (a note here), which the
        # rewrite keeps byte for byte like every line before the history.
        note = "; kept" + harness.eol()
        rest = "".join(line + harness.eol() for line in profile_lines(good_values(self.box)))
        self.box.put(PROFILE, BOM + BOM + (note + rest).encode("latin-1"))
        self.box.put_text(LANDSCAPE, landscape_lines(1000))
        result = self.run_sensor(["PRD"])
        self.assertEqual(result.status, 0, result.stdout)
        profile = self.box.read(PROFILE)
        self.assertTrue(profile.startswith(BOM + BOM + (note + rest).encode("latin-1")), profile[:40])
        self.assertEqual(history_totals(profile), [1000])

    def test_listing_and_prtg_path_files_with_a_byte_order_mark(self):
        with self.case(case="Corvanta.Prf"):
            self.box.drop_library()
            self.box.put(EXEXML + "Corvanta.Prf", BOM + (item_listing_line("PRD.P00#") + harness.eol()).encode())
            self.assertRun(["PRD", "ITEM=Avg:Dialog"], item_summary("Avg Dialog", 1), 0)
        # The profile in the folder that the file names is empty (the run
        # stops at its missing user); a decoy where a misread file would
        # lead, the root's PRTG folder, names a user.
        subfolders = "PRTG Network Monitor\\Custom Sensors\\ExeXml\\"
        for mark in (b"", BOM):
            with self.case(case="C:\\PRTG_Path.Txt", mark=mark):
                self.box.put("C:\\PRTG_Path.Txt", mark + ("C:\\Mon" + harness.eol()).encode())
                self.box.put("C:\\Mon\\" + subfolders + "PRD.P00", b"")
                self.box.put("C:\\" + subfolders + "PRD.P00", "User.......: decoy" + harness.eol())
                self.assertFails(["PRD"], "Error 1006: Username in Profile PRD.P00 is missing...")


@unittest.skipIf(is_wine(), "Wine shows a host symbolic link to a Windows program as the plain file "
                 "it names, so the Windows build cannot tell it is a link (Windows' own links "
                 "are reparse points, which the rewrite follows; not testable here)")
class LinkedProfile(HostileTest):
    def test_a_profile_that_is_a_link_has_its_target_rewritten(self):
        target = self.box.put_text("C:\\Profiles\\sap\\PRD.P00", profile_lines(good_values(self.box)))
        os.chmod(target, 0o640)
        link = self.link(PROFILE, os.path.relpath(target, os.path.dirname(self.box.host(PROFILE))))
        self.box.put_text(LANDSCAPE, landscape_lines(1000))
        for count, interval in ((1000, b"1.000"), (1250, b"250")):
            self.box.put_text(LANDSCAPE, landscape_lines(count))
            result = self.run_sensor(["PRD"])
            self.assertEqual(result.status, 0, result.stdout)
            self.assertIn(b"Trans=" + interval + b",", result.stdout)
            self.assertTrue(os.path.islink(link))
            with open(target, "rb") as f:
                self.assertEqual(history_totals(f.read()), [count])
            self.assertEqual(os.stat(target).st_mode & 0o777, 0o640)
            self.assertEqual(os.listdir(os.path.dirname(link)), ["PRD.P00"])
            # The profile's lock file lies beside the target, which every
            # name of the profile shares.
            self.assertEqual(sorted(os.listdir(os.path.dirname(target))), ["PRD.P00", "PRD.P00.lck"])


class LinkedWorkingFolderFiles(HostileTest):
    def test_saprfc_ini_that_is_a_link_is_replaced_not_written_through(self):
        self.put_profile(PROFILE, good_values(self.box))
        self.box.put_text(LANDSCAPE, landscape_lines(1000))
        destination = self.box.put("C:\\Work\\SapRfc.PRD", "DEST=PRD\nTYPE=A\nASHOST=sapprd01\nSYSNR=00\n")
        victim = self.box.put("C:\\Secret\\victim.txt", "precious\n")
        link = self.link("C:\\Work\\SapRfc.ini", victim)
        result = self.run_sensor(["PRD"])
        self.assertEqual(result.status, 0, result.stdout)
        self.assertTrue(result.stdout.startswith(b"* SapRfc.Ini.......: PRD<\n"), result.stdout)
        self.assertEqual(self.box.read("C:\\Secret\\victim.txt"), b"precious\n")
        self.assertFalse(os.path.islink(link))
        with open(destination, "rb") as f:
            self.assertEqual(self.box.read("C:\\Work\\SapRfc.ini"), f.read())
        self.assertEqual([name for name in self.box.listdir("C:\\Work") if name.endswith(".tmp")], [])


    @unittest.skipIf(is_wine(), "Wine shows a host link or FIFO to a Windows program as what it "
                     "leads to; the Windows build's refusal of a reparse point is not testable here")
    def test_a_log_that_is_a_link_or_fifo_is_a_log_that_does_not_open(self):
        # The run goes on as with a log that cannot be opened: the same
        # document as a run whose log opens, nothing appended through the
        # link, no hang on the FIFO, and the file left as it was.
        cases = [("a link to another file", lambda victim: self.link("Quarlane.Log", victim),
                  stat.S_IFLNK),
                 ("a FIFO", lambda victim: self.fifo("Quarlane.Log"), stat.S_IFIFO)]
        for name, make, kind in cases:
            with self.case(log=name, run="with a log of its own"):
                self.put_profile(PROFILE, good_values(self.box))
                self.box.put_text(LANDSCAPE, landscape_lines(1000))
                expected = self.run_sensor(["PRD", ",SYSLOG"])
                self.assertEqual(expected.status, 0, expected.stdout)
                self.assertTrue(self.box.read("Quarlane.Log"))
            with self.case(log=name):
                self.put_profile(PROFILE, good_values(self.box))
                self.box.put_text(LANDSCAPE, landscape_lines(1000))
                victim = self.box.put("C:\\Secret\\victim.txt", "precious\n")
                path = make(victim)
                result = self.run_sensor(["PRD", ",SYSLOG"])
                self.assertDocument(result, expected.stdout, 0)
                self.assertEqual(self.box.read("C:\\Secret\\victim.txt"), b"precious\n")
                self.assertEqual(stat.S_IFMT(os.lstat(path).st_mode), kind)


    @unittest.skipIf(is_wine(), "Wine shows a host link or FIFO to a Windows program as what it "
                     "leads to; the Windows build's refusal of a reparse point is not testable here")
    def test_a_trace_that_is_a_link_or_fifo_is_a_trace_that_does_not_open(self):
        # A failed call appends to "Dev_Rfc.Trc" through the library and the
        # sensor reads its finding back. A link or FIFO of that name is a trace
        # that does not open (as a folder of that name): nothing written
        # through the link, no target made for a dangling one, no hang.
        fault = 'fault = call SAPWL_WORKLOAD_GET_SUMMARY rc=1 message="summary refused"'
        trace = "C:\\Work\\Dev_Rfc.Trc"

        def prepare():
            self.put_profile(PROFILE, good_values(self.box))
            self.box.put_text(LANDSCAPE, landscape_lines(1000) + [fault])

        with self.case(run="with a trace of its own"):
            prepare()
            own = self.run_sensor(["PRD"])
            self.assertIn(b"Error 1014: RFC-Failure raised ! - summary refused", own.stdout)
        with self.case(run="with a folder of the trace's name"):
            prepare()
            self.box.make_dir(trace)
            expected = self.run_sensor(["PRD"])
            self.assertIn(b"Error 1014: RFC-Failure raised ! - Look for Trace-File", expected.stdout)
        cases = [
            ("a link to another file", lambda secret: self.link(trace, self.box.put("C:\\Secret\\victim.txt", "precious\n"))),
            ("a dangling link", lambda secret: self.link(trace, os.path.join(secret, "made.txt"))),
            ("a FIFO", lambda secret: self.fifo(trace)),
        ]
        for name, make in cases:
            with self.case(trace=name):
                prepare()
                secret = self.box.host("C:\\Secret")
                os.makedirs(secret, exist_ok=True)
                make(secret)
                started = time.monotonic()
                result = self.run_sensor(["PRD"])
                self.assertLess(time.monotonic() - started, HANG_TIMEOUT / 2, "the run waited on the trace")
                self.assertDocument(result, expected.stdout, 2)
                self.assertEqual(sorted(os.listdir(secret)),
                                 ["victim.txt"] if name == "a link to another file" else [])
                if name == "a link to another file":
                    self.assertEqual(self.box.read("C:\\Secret\\victim.txt"), b"precious\n")

    def test_a_trace_with_a_second_name_is_not_appended_to(self):
        self.put_profile(PROFILE, good_values(self.box))
        self.box.put_text(LANDSCAPE, landscape_lines(1000) + [
            'fault = call SAPWL_WORKLOAD_GET_SUMMARY rc=1 message="summary refused"'])
        victim = self.box.put("C:\\Secret\\victim.txt", "precious\n")
        os.link(victim, self.box.host("C:\\Work\\Dev_Rfc.Trc"))
        self.box._track(self.box.host("C:\\Work\\Dev_Rfc.Trc"))
        result = self.run_sensor(["PRD"])
        self.assertEqual(result.status, 2, result.stdout)
        self.assertEqual(self.box.read("C:\\Secret\\victim.txt"), b"precious\n")


@unittest.skipIf(is_wine(), "Wine's ReplaceFile does not carry a host file's Linux extended "
                 "attributes (on Windows it keeps the ACL, attributes and streams; not testable here)")
class ExtendedAttributes(HostileTest):
    def test_the_rewrite_keeps_extended_attributes(self):
        self.put_profile(PROFILE, good_values(self.box))
        path = self.box.host(PROFILE)
        try:
            os.setxattr(path, "user.quarlane.owner", b"basis team")
        except OSError as error:
            self.skipTest("the test folder's file system takes no user extended attributes: %s" % error)
        self.box.put_text(LANDSCAPE, landscape_lines(1000))
        result = self.run_sensor(["PRD"])
        self.assertEqual(result.status, 0, result.stdout)
        self.assertEqual(history_totals(self.box.read(PROFILE)), [1000])
        self.assertEqual(os.getxattr(path, "user.quarlane.owner"), b"basis team")


class StaleTemporaryFiles(HostileTest):
    def test_only_the_profiles_own_stale_temporary_files_are_removed(self):
        self.put_profile(PROFILE, good_values(self.box))
        self.box.put_text(LANDSCAPE, landscape_lines(1000))
        folder = os.path.dirname(self.box.host(PROFILE))
        stale = ["PRD.P00.0123456789abcdef.tmp", "PRD.P00.ffffffffffffffff.tmp"]
        kept = ["PRD.P00.aaaaaaaaaaaaaaaa.tmp",   # young: a run may be writing it
                "PRD.P00.12345.tmp",              # an earlier version's name
                "QAS.P00.0123456789abcdef.tmp",   # another profile's
                "PRD.P00.0123456789abcdef.tmp.keep"]
        if not is_wine():  # one name on Windows, whose names have no case
            kept.append("PRD.P00.0123456789ABCDEF.tmp")  # not the exact pattern
        an_hour_ago = time.time() - 3600
        for name in stale + kept:
            path = os.path.join(folder, name)
            self.box.put(self.box.windows(path), name.encode())
            if name != "PRD.P00.aaaaaaaaaaaaaaaa.tmp":
                os.utime(path, (an_hour_ago, an_hour_ago))
        result = self.run_sensor(["PRD"])
        self.assertEqual(result.status, 0, result.stdout)
        # Besides them only the profile and its lock file (under Wine the
        # shared prefix may hold other profiles' lock files from earlier
        # suites: they are no temporary files and are left out here).
        present = [name for name in os.listdir(folder)
                   if not (name.endswith(".lck") and name != "PRD.P00.lck")]
        self.assertEqual(sorted(present), sorted(["PRD.P00", "PRD.P00.lck"] + kept))
        for name in kept:
            with open(os.path.join(folder, name), "rb") as f:
                self.assertEqual(f.read(), name.encode())
