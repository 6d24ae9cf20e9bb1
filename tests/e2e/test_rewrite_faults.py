"""The history rewrite of the profile when the file system fails.

The second run of a day rewrites the history lines of PRD.P00: the new profile
is written to "PRD.P00.<16 random hex digits>.tmp" beside it (created
exclusively: an existing file of that name is never opened), flushed, and
renamed over it.
A preloaded fault library (tests/faultinject/shim.c) makes one step fail on
the real sensor. Whatever fails, the profile stays byte for byte the old one,
no temporary file is left behind, the run ends with the error document
"Error 1016: ReWriting of Profile <path> failed ! - Look for Trace-File"
(the run found no trace file of the RFC library to quote) and status 2, and
the next run without a fault rewrites the history as usual.

Outcomes shown here for the files of the working folder:
- the process killed just before the rename: the old profile stays, the
  complete new one is left in its temporary file (never the profile's name);
  the next run works and rewrites the profile.
- the folder flush after the rename fails: the rename is done, the new
  profile stands and the run ends normally.
- files under the temporary names of other runs (the process id of earlier
  versions, the very random name this run draws first) are never deleted,
  moved or changed: the run takes another name.
- "Dev_Rfc.Trc" cannot be written or deleted (a folder of that name, empty
  or not): a successful run still ends normally and leaves the folder; a failing logon
  still ends with "Error 1011: RFC-Open for PRD failed !".
- "SapRfc.ini" cannot be written (a folder of that name) for an open by
  destination: no open is tried, "Error 1011: RFC-Open for PRD failed !".

Linux only: the fault library is preloaded with LD_PRELOAD.
"""

import os
import re
import stat
import unittest

import harness
from harness import EXEXML, GOOD_PASSWORD, SensorTest, error_document, good_values, is_wine

PROFILE = EXEXML + "PRD.P00"
LANDSCAPE = "C:\\Work\\SapLandscape.ini"
NOTES = ["; kept by the administrator", "# a comment that is no history line"]
# The path as the sensor names the profile it found in the ExeXml folder.
REWRITE_FAILED = ("Error 1016: ReWriting of Profile " + EXEXML[2:] + "PRD.P00 failed !"
                  " - Look for Trace-File")


def shim_path():
    return os.path.join(os.path.dirname(harness.BIN), "faultinject", "libquarlane_faultinject.so")


def sanitized(executable):
    """Whether the program was built with AddressSanitizer."""
    with open(executable, "rb") as f:
        return b"libasan" in f.read()


def landscape_lines(dialog_count, extra=()):
    """System PRD with a day's workload that grows with dialog_count."""
    count = dialog_count
    return ["[system PRD]", "client = 100", "user = MONITOR", "password = " + GOOD_PASSWORD,
            "host = sapprd01", "sysnr = 00", "gwhost = sapprd01", "gwservice = sapgw00",
            "instance = sapprd01_PRD_00", "lastcollwrt = now",
            'workload = day=today TASKTYPE="DIALOG " COUNT=%d DBACTIVCNT=%d RESPTI=%d CPUTI=%d'
            % (count, count * 20, count * 310, count * 90),
            'workload = day=today TASKTYPE="BCKGRD " COUNT=%d RESPTI=%d'
            % (count // 10, count * 40)] + list(extra)


def history_total(profile):
    found = re.findall(rb"^# Rsp Date=\S+ \S+ Trns=(\d+)$", profile, re.M)
    return [int(total) for total in found]


@unittest.skipIf(is_wine(), "the fault library is preloaded on Linux only")
class RewriteTest(SensorTest):
    def setUp(self):
        super().setUp()
        self.shim = shim_path()
        self.assertTrue(os.path.isfile(self.shim), "fault library not built: " + self.shim)
        self.folder = os.path.dirname(self.box.host(PROFILE))

    def fault_env(self, fault, match=None):
        log = os.path.join(self.box.host("C:\\"), "..", "fault.log")
        env = {"LD_PRELOAD": self.shim, "QUARLANE_FAULT": fault,
               "QUARLANE_FAULT_LOG": os.path.abspath(log)}
        if match:
            env["QUARLANE_FAULT_MATCH"] = match
        if sanitized(os.path.join(self.box.bin, "quarlane")):
            # The fault library comes ahead of the sanitizer runtime.
            options = os.environ.get("ASAN_OPTIONS", "")
            env["ASAN_OPTIONS"] = (options + ":" if options else "") + "verify_asan_link_order=0"
        return env

    def fired(self):
        log = os.path.join(self.box.host("C:\\"), "..", "fault.log")
        if not os.path.exists(log):
            return []
        with open(log) as f:
            return f.read().splitlines()

    def first_run(self):
        """A profile with today's history, and a landscape that has moved on,
        so the next run must rewrite; returns the profile's bytes."""
        self.put_profile(PROFILE, good_values(self.box), NOTES)
        self.box.put_text(LANDSCAPE, landscape_lines(1000))
        result = self.run_sensor(["PRD"])
        self.assertEqual(result.status, 0, result.stdout + result.stderr)
        old = self.box.read(PROFILE)
        self.assertEqual(history_total(old), [1100])
        self.box.put_text(LANDSCAPE, landscape_lines(1500))
        return old

    def temporary_files(self):
        return [name for name in os.listdir(self.folder) if name.endswith(".tmp")]

    def assertRewritten(self, old):
        """The profile holds the new history and every line it had before."""
        new = self.box.read(PROFILE)
        self.assertEqual(history_total(new), [1650])
        self.assertIn(b"# Rsx Date=", new)
        self.assertIn(b"Trns=1100\n", new)
        kept = [line for line in new.split(b"\n") if not line.startswith((b"# Rsp ", b"# Rsx "))]
        before = [line for line in old.split(b"\n") if not line.startswith((b"# Rsp ", b"# Rsx "))]
        self.assertEqual(kept, before)

    def assertNextRunWorks(self, old):
        result = self.run_sensor(["PRD"])
        self.assertEqual(result.status, 0, result.stdout + result.stderr)
        self.assertIn(b"Trans=550,", result.stdout)
        self.assertRewritten(old)


class FailedSteps(RewriteTest):
    def test_a_failed_step_keeps_the_old_profile(self):
        for fault in ("write", "enospc", "fchmod", "fsync", "close", "rename"):
            with self.case(fault=fault):
                self.folder = os.path.dirname(self.box.host(PROFILE))
                old = self.first_run()
                result = self.run_sensor(["PRD"], env=self.fault_env(fault))
                self.assertTrue(self.fired(), "the fault %s was never reached" % fault)
                self.assertEqual(result.stdout, error_document(REWRITE_FAILED))
                self.assertEqual(result.status, 2)
                self.assertEqual(result.stderr, b"")
                self.assertEqual(self.box.read(PROFILE), old)
                self.assertEqual(self.temporary_files(), [])
                self.assertNextRunWorks(old)

    def test_a_kill_before_the_rename_keeps_the_old_profile(self):
        old = self.first_run()
        result = self.run_sensor(["PRD"], env=self.fault_env("kill_before_rename"))
        self.assertTrue(self.fired())
        self.assertEqual(result.status, -9)
        self.assertEqual(self.box.read(PROFILE), old)
        left = self.temporary_files()
        self.assertEqual(len(left), 1)
        self.assertRegex(left[0], r"^PRD\.P00\.[0-9a-f]{16}\.tmp$")
        with open(os.path.join(self.folder, left[0]), "rb") as f:
            self.assertEqual(history_total(f.read()), [1650], "the new profile is written whole")
        self.assertNextRunWorks(old)

    def test_a_failed_folder_flush_after_the_rename_keeps_the_new_profile(self):
        old = self.first_run()
        result = self.run_sensor(["PRD"], env=self.fault_env("fsync", match="/ExeXml$"))
        self.assertEqual(len(self.fired()), 1)
        self.assertTrue(self.fired()[0].endswith("/ExeXml"), self.fired())
        self.assertEqual(result.status, 0, result.stdout)
        self.assertIn(b"Trans=550,", result.stdout)
        self.assertRewritten(old)
        self.assertEqual(self.temporary_files(), [])

    def test_files_under_other_runs_temporary_names_are_never_touched(self):
        # Another run (another PID namespace, another machine on the share)
        # is writing its new profile: with the same process id, and even
        # under the very name this run draws first.
        old = self.first_run()
        others = {"PRD.P00.4242.tmp": b"another run's profile, half written",
                  "PRD.P00.1111111111111111.tmp": b"another run's profile, whole"}
        for name, data in others.items():
            with open(os.path.join(self.folder, name), "wb") as f:
                f.write(data)
        result = self.run_sensor(["PRD"], env=self.fault_env("clash"))
        self.assertTrue(self.fired(), "the run drew no random name")
        self.assertEqual(result.status, 0, result.stdout + result.stderr)
        self.assertIn(b"Trans=550,", result.stdout)
        self.assertRewritten(old)
        self.assertEqual(sorted(self.temporary_files()), sorted(others))
        for name, data in others.items():
            with open(os.path.join(self.folder, name), "rb") as f:
                self.assertEqual(f.read(), data, name)

    def test_a_fault_elsewhere_changes_nothing(self):
        # The fault library itself, with a match that no file of the rewrite
        # has: the run must be an ordinary one.
        old = self.first_run()
        result = self.run_sensor(["PRD"], env=self.fault_env("write", match="no-such-file"))
        self.assertEqual(self.fired(), [])
        self.assertEqual(result.status, 0, result.stdout)
        self.assertRewritten(old)


class WritePermissions(RewriteTest):
    def test_a_profile_the_run_may_not_write_stays(self):
        for name, target, mode in (("read-only profile", "profile", 0o444),
                                   ("read-only folder", "folder", 0o555)):
            with self.case(case=name):
                self.folder = os.path.dirname(self.box.host(PROFILE))
                old = self.first_run()
                path = self.box.host(PROFILE) if target == "profile" else self.folder
                kept_mode = stat.S_IMODE(os.stat(path).st_mode)
                os.chmod(path, mode)
                try:
                    result = self.run_sensor(["PRD"])
                finally:
                    os.chmod(path, kept_mode)
                self.assertEqual(result.stdout, error_document(REWRITE_FAILED))
                self.assertEqual(result.status, 2)
                self.assertEqual(self.box.read(PROFILE), old)
                self.assertEqual(self.temporary_files(), [])
                if target == "profile":
                    self.assertEqual(stat.S_IMODE(os.stat(path).st_mode), kept_mode)
                self.assertNextRunWorks(old)

    def test_the_new_profile_keeps_the_permissions_of_the_old(self):
        old = self.first_run()
        os.chmod(self.box.host(PROFILE), 0o640)
        self.assertNextRunWorks(old)
        self.assertEqual(stat.S_IMODE(os.stat(self.box.host(PROFILE)).st_mode), 0o640)


class WorkingFolderFiles(RewriteTest):
    def test_a_trace_file_that_cannot_be_written(self):
        for name, logon_fails, empty in (("successful run", False, False),
                                         ("successful run, empty folder", False, True),
                                         ("failed logon", True, False)):
            with self.case(case=name):
                self.folder = os.path.dirname(self.box.host(PROFILE))
                self.put_profile(PROFILE, good_values(self.box), NOTES)
                self.box.put_text(LANDSCAPE, landscape_lines(
                    1000, ["fault = open logon"] if logon_fails else []))
                if empty:
                    self.box.make_dir("C:\\Work\\Dev_Rfc.Trc")
                else:
                    self.box.put("C:\\Work\\Dev_Rfc.Trc\\kept.txt", "kept")
                result = self.run_sensor(["PRD"])
                if logon_fails:
                    self.assertEqual(result.stdout,
                                     error_document("Error 1011: RFC-Open for PRD failed !"))
                    self.assertEqual(result.status, 2)
                else:
                    self.assertEqual(result.status, 0, result.stdout)
                    self.assertIn(b"Trans=1.100,", result.stdout)
                self.assertEqual(result.stderr, b"")
                # The run deletes only a file of that name, never the folder.
                self.assertEqual(self.box.listdir("C:\\Work\\Dev_Rfc.Trc"),
                                 [] if empty else ["kept.txt"])

    def test_a_destination_file_that_cannot_be_copied(self):
        self.put_profile(PROFILE, good_values(self.box), NOTES)
        self.box.put_text(LANDSCAPE, landscape_lines(1000))
        self.box.put("C:\\Work\\SapRfc.PRD", "DEST=PRD\nTYPE=A\nASHOST=sapprd01\nSYSNR=00\n")
        self.box.put("C:\\Work\\SapRfc.ini\\kept.txt", "kept")
        result = self.run_sensor(["PRD"])
        self.assertEqual(result.stdout, b"* SapRfc.Ini.......: PRD<\n"
                         + error_document("Error 1011: RFC-Open for PRD failed !"))
        self.assertEqual(result.status, 2)
        self.assertEqual(result.stderr, b"")
        self.assertEqual(self.box.read("C:\\Work\\SapRfc.ini\\kept.txt"), b"kept")
        # The same destination file opens once the name is free.
        self.box.remove("C:\\Work\\SapRfc.ini")
        result = self.run_sensor(["PRD"])
        self.assertEqual(result.status, 0, result.stdout)
        self.assertEqual(self.box.read("C:\\Work\\SapRfc.ini"),
                         self.box.read("C:\\Work\\SapRfc.PRD"))
