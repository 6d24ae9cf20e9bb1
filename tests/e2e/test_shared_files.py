"""Files shared between runs and accounts, and the limits a rewrite meets.

- Lock files made by another account ("PRD.P00.lck" and "SapRfc.ini.lck"
  of an administrator's run, or left by root with mode 0644) and a
  "SapRfc.ini" of another account: a run of the tree's owner opens the locks
  for reading, replaces "SapRfc.ini" (the folder is its own) and works.
- A lock file the run creates takes the profile's mode (for "SapRfc.ini.lck"
  the working folder's read and write bits) and, in root's run, its owner:
  an account that may not read a 0600 profile cannot open its lock, so it
  cannot hold it and make every run of the profile fail.
- A "SapRfc.ini" that is a symbolic link: its lock lies in the working
  folder beside the link; nothing is created beside the link's target.
- A "Quarlane.Log" with another name (a hard link) is not written.
- A rewrite that would take the profile past the 64 MiB the readers take is
  refused ("Error 1016 ...", the profile untouched), so the next run reads
  the profile again instead of finding it "missing".
- A rewrite beyond the process's file size limit (RLIMIT_FSIZE) fails as a
  write: "Error 1016 ...", status 2, no temporary file left, instead of the
  process dying by SIGXFSZ.

Accounts are Linux's: those tests need root (to act as nobody, 65534) and
run natively only; under Wine the lock files take the folder's inherited
ACL.
"""

import fcntl
import os
import resource
import subprocess
import tempfile
import unittest

import harness
from harness import EXEXML, SensorTest, error_document, good_values, is_wine, profile_lines
from test_hostile_files import landscape_lines

PROFILE = EXEXML + "PRD.P00"
LANDSCAPE = "C:\\Work\\SapLandscape.ini"
DESTINATION = "DEST=PRD\nTYPE=A\nASHOST=sapprd01\nSYSNR=00\n"
OTHER = 65534  # nobody
REWRITE_FAILED = ("Error 1016: ReWriting of Profile " + EXEXML[2:] + "PRD.P00 failed !"
                  " - Look for Trace-File")
READ_CAP = 64 << 20


def own_files(box):
    """The ExeXml folder's files but other profiles' lock files (under Wine
    the shared prefix may hold some from earlier suites)."""
    return [name for name in box.listdir(EXEXML) if not name.endswith(".lck") or name == "PRD.P00.lck"]


def as_account(uid):
    def drop():
        os.setgroups([])
        os.setgid(uid)
        os.setuid(uid)
    return drop


def attempts_as(uid, paths):
    """What another account gets when it tries to open and hold each lock
    file: "held" or the errno of the refusal, one line a path."""
    read_end, write_end = os.pipe()
    child = os.fork()
    if child == 0:
        try:
            os.close(read_end)
            as_account(uid)()
            lines = []
            for path in paths:
                try:
                    fd = os.open(path, os.O_RDONLY)
                    fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
                    lines.append("held " + path)
                except OSError as error:
                    lines.append("refused %d %s" % (error.errno, path))
            os.write(write_end, "\n".join(lines).encode())
        finally:
            os._exit(0)
    os.close(write_end)
    with os.fdopen(read_end, "rb") as f:
        tried = f.read().decode()
    os.waitpid(child, 0)
    return tried


def file_size_limit(size):
    return lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (size, size))


class SharedFilesTest(SensorTest):
    def run_native(self, args, preexec):
        """A native run of the sensor as box.run makes it, with preexec run
        in the child first (another account, a resource limit)."""
        env = dict(os.environ, QUARLANE_ROOT=self.box.root)
        with tempfile.TemporaryFile() as out:
            status = subprocess.run([os.path.join(self.box.bin, "quarlane")] + args, cwd=self.box.work,
                                    env=env, stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=subprocess.STDOUT, preexec_fn=preexec,
                                    timeout=harness.RUN_TIMEOUT).returncode
            out.seek(0)
            return harness.RunResult(out.read(), status)

    def system_with_destination_file(self, mode=0o644):
        """PRD's profile (mode), its landscape and "SapRfc.PRD", so a run
        writes "SapRfc.ini" under its lock as well."""
        os.chmod(self.put_profile(PROFILE, good_values(self.box)), mode)
        self.box.put_text(LANDSCAPE, landscape_lines(1000))
        self.box.put("C:\\Work\\SapRfc.PRD", DESTINATION)

    def open_tree_to_others(self):
        """The folders of the drive tree searchable by every account (the
        sandbox's own folder is root's 0700)."""
        os.chmod(os.path.dirname(self.box.root), 0o755)
        for folder, _, _ in os.walk(self.box.root):
            os.chmod(folder, os.stat(folder).st_mode | 0o111)

    def hand_tree_to(self, uid):
        """Every file and folder of the drive tree to uid, but the programs
        (hard links of the build's)."""
        self.open_tree_to_others()
        for folder, folders, files in os.walk(self.box.root):
            os.chown(folder, uid, uid)
            if folder == self.box.bin:
                continue
            for name in files:
                os.chown(os.path.join(folder, name), uid, uid, follow_symlinks=False)

    def assertWorks(self, result, interval):
        self.assertEqual(result.status, 0, result.stdout)
        self.assertTrue(result.stdout.startswith(b"* SapRfc.Ini.......: PRD<\n"), result.stdout)
        self.assertIn(b"Trans=" + interval + b",", result.stdout)


@unittest.skipIf(is_wine(), "Linux accounts; on Windows a lock file takes the folder's inherited ACL")
@unittest.skipIf(hasattr(os, "geteuid") and os.geteuid() != 0,
                 "acting as two accounts (root and nobody) needs root")
class OtherAccounts(SharedFilesTest):
    def root_made(self, path):
        with open(path, "wb"):
            pass
        os.chown(path, 0, 0)
        os.chmod(path, 0o644)

    def test_lock_files_and_saprfc_ini_of_another_account_do_not_shut_a_run_out(self):
        def administrators_run():
            result = self.run_sensor(["PRD"])  # root's
            self.assertWorks(result, b"1.000")
            self.box.put_text(LANDSCAPE, landscape_lines(1250))
            os.chown(self.box.host(LANDSCAPE), OTHER, OTHER)

        def left_by_root():
            for path in (self.box.host(PROFILE) + ".lck", os.path.join(self.box.work, "SapRfc.ini.lck"),
                         os.path.join(self.box.work, "SapRfc.ini")):
                self.root_made(path)

        for name, before, interval in (("an administrator's run", administrators_run, b"250"),
                                       ("left by root, mode 0644", left_by_root, b"1.000")):
            with self.case(made_by=name):
                self.system_with_destination_file()
                self.hand_tree_to(OTHER)
                before()
                result = self.run_native(["PRD"], as_account(OTHER))
                self.assertWorks(result, interval)
                self.assertEqual(self.box.read("C:\\Work\\SapRfc.ini"), DESTINATION.encode())
                self.assertEqual(os.stat(os.path.join(self.box.work, "SapRfc.ini")).st_uid, OTHER)

    def test_an_administrators_run_makes_lock_files_of_the_trees_owner(self):
        self.system_with_destination_file(0o600)
        self.hand_tree_to(OTHER)
        os.chmod(self.box.work, 0o711)
        self.assertWorks(self.run_sensor(["PRD"]), b"1.000")
        for path, mode in ((self.box.host(PROFILE) + ".lck", 0o600),
                           (os.path.join(self.box.work, "SapRfc.ini.lck"), 0o600)):
            info = os.stat(path)
            self.assertEqual((info.st_uid, info.st_gid, info.st_mode & 0o7777), (OTHER, OTHER, mode), path)

    def test_an_account_that_may_not_read_the_profile_cannot_hold_its_lock(self):
        # Root's 0600 profile in a folder every account may search; the
        # working folder searchable but not readable by others.
        self.system_with_destination_file(0o600)
        self.open_tree_to_others()
        os.chmod(self.box.work, 0o711)
        self.assertWorks(self.run_sensor(["PRD"]), b"1.000")
        locks = [self.box.host(PROFILE) + ".lck", os.path.join(self.box.work, "SapRfc.ini.lck")]
        tried = attempts_as(OTHER, locks)
        self.assertNotIn("held", tried)
        self.assertEqual(tried.count("refused 13 "), 2, tried)


class LinkedSapRfcIni(SharedFilesTest):
    @unittest.skipIf(is_wine(), "Wine shows a host link to a Windows program as the file it names")
    def test_the_lock_of_a_linked_saprfc_ini_lies_beside_the_link(self):
        self.system_with_destination_file()
        target = self.box.put("C:\\Elsewhere\\target.ini", "precious\n")
        link = os.path.join(self.box.work, "SapRfc.ini")
        os.symlink(target, link)
        self.box._track(link)
        self.assertWorks(self.run_sensor(["PRD"]), b"1.000")
        self.assertEqual(self.box.listdir("C:\\Elsewhere"), ["target.ini"])
        self.assertTrue(os.path.isfile(os.path.join(self.box.work, "SapRfc.ini.lck")))
        self.assertEqual(self.box.read("C:\\Elsewhere\\target.ini"), b"precious\n")


class HardLinkedLog(SharedFilesTest):
    def test_a_log_with_another_name_is_not_written(self):
        # A hard link's other name may be any file its maker could reach:
        # the run goes on as with a log that does not open.
        self.system_with_destination_file()
        victim = self.box.put("C:\\Secret\\victim.txt", "precious\n")
        os.link(victim, os.path.join(self.box.work, "Quarlane.Log"))
        self.box._track(os.path.join(self.box.work, "Quarlane.Log"))
        self.assertWorks(self.run_sensor(["PRD", ",SYSLOG"]), b"1.000")
        self.assertEqual(self.box.read("C:\\Secret\\victim.txt"), b"precious\n")


class RewriteLimits(SharedFilesTest):
    def test_a_rewrite_past_the_read_cap_is_refused_and_the_profile_stays_readable(self):
        # A profile a few bytes below the cap: the day's first run would add
        # its history lines.
        head = "".join(line + harness.eol() for line in profile_lines(good_values(self.box)))
        note = "; " + "x" * 97 + harness.eol()
        left = READ_CAP - 40 - len(head)
        padding = note * (left // len(note))
        padding += "; " + "y" * (left - len(padding) - 2 - len(harness.eol())) + harness.eol()
        content = (head + padding).encode()
        self.assertEqual(len(content), READ_CAP - 40)
        self.box.put(PROFILE, content)
        self.box.put_text(LANDSCAPE, landscape_lines(1000))
        for run in ("first", "next"):
            with self.subTest(run=run):
                result = self.run_sensor(["PRD"])
                self.assertEqual(result.stdout, error_document(REWRITE_FAILED))
                self.assertEqual(result.status, 2)
                self.assertTrue(self.box.read(PROFILE) == content, "the profile changed")
                self.assertEqual(own_files(self.box), ["PRD.P00", "PRD.P00.lck"])

    @unittest.skipIf(is_wine(), "RLIMIT_FSIZE and SIGXFSZ are Linux's")
    def test_a_rewrite_beyond_the_file_size_limit_fails_cleanly(self):
        self.put_profile(PROFILE, good_values(self.box), ["; note %04d of a longer profile" % n
                                                          for n in range(200)])
        self.box.put_text(LANDSCAPE, landscape_lines(1000))
        old = self.box.read(PROFILE)
        self.assertGreater(len(old), 4096)
        result = self.run_native(["PRD"], file_size_limit(2048))
        self.assertEqual(result.stdout, error_document(REWRITE_FAILED))
        self.assertEqual(result.status, 2)
        self.assertEqual(self.box.read(PROFILE), old)
        self.assertEqual(self.box.listdir(EXEXML), ["PRD.P00", "PRD.P00.lck"])


if __name__ == "__main__":
    unittest.main()
