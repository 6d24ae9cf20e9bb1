"""Many runs of the sensor on one profile at the same time.

PRTG may start the sensor for the same profile again before the last run has
ended. From the system's clock to the rewritten history a run holds the
profile's exclusive lock ("PRD.P00.lck" beside the profile, the one file a
run adds to the folder), and each run writes its new profile aside and
renames it over the old one, so a run reads either the whole old profile or
a whole new one and never works on a stale history. Round after round, the
landscape's counters move on and several runs start at once; after every
round the profile must hold its own lines whole and in order and exactly one
consistent set of history lines for the new counters, with no temporary file
left, and every run must have reported the same interval.

QUARLANE_CONCURRENCY_ROUNDS and QUARLANE_CONCURRENCY_RUNS change the number
of rounds (default 50) and of runs at once (default 8);
QUARLANE_CONCURRENCY_SECONDS the length of each run under load below
(default 10).

Linux only: the runs under Wine would share one Wine server and say nothing
more about the profile, and the locks held from the test's side are Linux
locks.
"""

import fcntl
import os
import threading
import time
import unittest

from harness import (EXEXML, GOOD_PASSWORD, SensorTest, error_document, good_values, is_wine,
                     profile_lines)

ROUNDS = int(os.environ.get("QUARLANE_CONCURRENCY_ROUNDS", "50"))
RUNS = int(os.environ.get("QUARLANE_CONCURRENCY_RUNS", "8"))

PROFILE = EXEXML + "PRD.P00"
LANDSCAPE = "C:\\Work\\SapLandscape.ini"
NOTES = ["; kept by the administrator", "# Rsq not a history line", "", "last words"]
TASK_KEYS = ["DIALOG ", "BCKGRD ", "UPDATE ", "SPOOL  ", "BUF.SYN", "AUTOABA", "UPDATE2",
             "AUTOTH ", "RPCTH  ", "DDLOG C", "DEL. TH", "HTTP   ", "HTTPS  ", "RFC    "]
# A fixed day, so that a test running over midnight sees no new day.
DAY = "20260305"
COLLECTED = '"Thu Mar  5 09:04:00 2026"'


def counts(round_number):
    """(dialog steps, background steps) of the day after round_number."""
    return 1000 + 100 * round_number, 100 + 10 * round_number


def landscape_lines(round_number):
    dialog, background = counts(round_number)
    return ["[system PRD]", "client = 100", "user = MONITOR", "password = " + GOOD_PASSWORD,
            "host = sapprd01", "sysnr = 00", "gwhost = sapprd01", "gwservice = sapgw00",
            "instance = sapprd01_PRD_00", "lastcollwrt = " + COLLECTED,
            'workload = day=%s TASKTYPE="DIALOG " COUNT=%d DBACTIVCNT=%d RESPTI=%d'
            % (DAY, dialog, dialog * 20, dialog * 300),
            'workload = day=%s TASKTYPE="BCKGRD " COUNT=%d RESPTI=%d'
            % (DAY, background, background * 4000)]


def grouped(number):
    text = str(number)
    groups = []
    while len(text) > 3:
        groups.insert(0, text[-3:])
        text = text[:-3]
    return ".".join([text] + groups)


@unittest.skipIf(is_wine(), "runs the Linux sensor side by side")
class ParallelRuns(SensorTest):
    def run_round(self):
        """Starts RUNS sensors at once; returns their results."""
        results = [None] * RUNS
        start = threading.Barrier(RUNS)

        def one(index):
            start.wait()
            results[index] = self.run_sensor(["PRD"])

        threads = [threading.Thread(target=one, args=(i,)) for i in range(RUNS)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        return results

    def check_history(self, lines, round_number):
        """The history lines: one date line for this round's total, the one of
        the round before, and a current-values and baseline line per task."""
        dialog, background = counts(round_number)
        history = [line for line in lines if line.startswith(("# Rsp ", "# Rsx "))]
        expected = ["# Rsp Date=%s 09:04:00 Trns=%d" % (DAY, dialog + background)]
        if round_number > 0:
            before = counts(round_number - 1)
            expected.append("# Rsx Date=%s 09:04:00 Trns=%d" % (DAY, sum(before)))
        for key in TASK_KEYS:
            now = {"DIALOG ": (dialog, dialog * 20, dialog * 300),
                   "BCKGRD ": (background, 0, background * 4000)}.get(key, (0, 0, 0))
            then = (0, 0, 0)
            if round_number > 0 and key in ("DIALOG ", "BCKGRD "):
                d, b = counts(round_number - 1)
                then = (d, d * 20, d * 300) if key == "DIALOG " else (b, 0, b * 4000)
            for prefix, values in (("# Rsp ", now), ("# Rsx ", then)):
                expected.append(prefix + key + " " + "".join("%11d" % v for v in values)
                                + "%11d" % 0 * 4)
        self.assertEqual(history, expected, "history after round %d" % round_number)

    def test_parallel_runs_keep_one_consistent_profile(self):
        own_lines = profile_lines(good_values(self.box)) + NOTES
        self.put_profile(PROFILE, good_values(self.box), NOTES)
        folder = os.path.dirname(self.box.host(PROFILE))
        for round_number in range(ROUNDS):
            self.box.put_text(LANDSCAPE, landscape_lines(round_number))
            interval = sum(counts(0)) if round_number == 0 else sum(counts(1)) - sum(counts(0))
            for index, result in enumerate(self.run_round()):
                context = "round %d, run %d: %r %r" % (round_number, index, result.stdout,
                                                       result.stderr)
                self.assertEqual(result.status, 0, context)
                self.assertEqual(result.stderr, b"", context)
                self.assertIn(b"<Text>(PRD) Summary:  Trans=%s," % grouped(interval).encode(),
                              result.stdout, context)
            content = self.box.read(PROFILE).decode("latin-1")
            self.assertTrue(content.endswith("\n"))
            lines = content[:-1].split("\n")
            self.assertEqual([line for line in lines
                              if not line.startswith(("# Rsp ", "# Rsx "))], own_lines)
            self.check_history(lines, round_number)
            self.assertEqual(sorted(os.listdir(folder)), ["PRD.P00", "PRD.P00.lck"])



# ------------------------------------------------- overlapping runs under load
#
# Runs on one working folder share "SapRfc.ini" (written and read by the
# library's RfcOpenEx under its lock, "SapRfc.ini.lck"), and runs on one
# profile its history (under the profile's lock). Under load every run must
# open, and the recorded total must never go back.

LOAD_SECONDS = float(os.environ.get("QUARLANE_CONCURRENCY_SECONDS", "10"))


def load_landscape(systems):
    """systems: {name: (host, dialog steps)}; today's workload."""
    lines = []
    for name, (host, dialog) in systems.items():
        lines += ["[system %s]" % name, "client = 100", "user = MONITOR",
                  "password = " + GOOD_PASSWORD, "host = " + host, "sysnr = 00",
                  "gwhost = " + host, "gwservice = sapgw00",
                  "instance = %s_%s_00" % (host, name), "lastcollwrt = now",
                  'workload = day=today TASKTYPE="DIALOG " COUNT=%d DBACTIVCNT=%d RESPTI=%d'
                  % (dialog, dialog * 20, dialog * 300)]
    return lines


def replace_text(path, lines):
    """Writes the file aside and renames it over, so a reader never sees half of it."""
    temporary = path + ".new"
    with open(temporary, "w", newline="") as f:
        f.write("".join(line + "\n" for line in lines))
    os.replace(temporary, path)


def recorded_total(content):
    for line in content.split(b"\n"):
        if line.startswith(b"# Rsp Date="):
            return int(line.rsplit(b"Trns=", 1)[1])
    return None


@unittest.skipIf(is_wine(), "runs the Linux sensor side by side")
class OverlappingRunsUnderLoad(SensorTest):
    def run_in_loops(self, profiles, seconds, between=None):
        """Each of profiles (a list of profile names) runs the sensor again and
        again, all at once, for seconds; between() is called every 50 ms by the
        main thread. Returns [(profile, result)]."""
        results, lock = [], threading.Lock()
        stop = threading.Event()

        def loop(name):
            while not stop.is_set():
                result = self.run_sensor([name])
                with lock:
                    results.append((name, result))

        threads = [threading.Thread(target=loop, args=(name,)) for name in profiles]
        for thread in threads:
            thread.start()
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if between:
                between()
            time.sleep(0.05)
        stop.set()
        for thread in threads:
            thread.join()
        return results

    def test_parallel_runs_with_destination_files_all_open(self):
        landscape = self.box.host(LANDSCAPE)
        replace_text(landscape, load_landscape({"PRD": ("sapprd01", 1000), "QAS": ("sapqas01", 500)}))
        for name, host in (("PRD", "sapprd01"), ("QAS", "sapqas01")):
            self.put_profile(EXEXML + name + ".P00",
                             good_values(self.box, Destination=name, Hostname=host, Gwhost=host))
            self.box.put("C:\\Work\\SapRfc." + name,
                         "DEST=%s\nTYPE=A\nASHOST=%s\nSYSNR=00\n" % (name, host))
        results = self.run_in_loops(["PRD"] * 8 + ["QAS"] * 8, LOAD_SECONDS)
        failed = [(name, result.stdout) for name, result in results if result.status != 0]
        self.assertGreater(len(results), 16)
        self.assertEqual(failed[:3], [], "%d of %d runs failed" % (len(failed), len(results)))

    def test_the_recorded_total_never_decreases(self):
        landscape = self.box.host(LANDSCAPE)
        dialog = [1000]
        replace_text(landscape, load_landscape({"PRD": ("sapprd01", dialog[0])}))
        self.put_profile(PROFILE, good_values(self.box))
        profile = self.box.host(PROFILE)
        totals = []

        def advance():
            dialog[0] += 7
            replace_text(landscape, load_landscape({"PRD": ("sapprd01", dialog[0])}))
            with open(profile, "rb") as f:
                total = recorded_total(f.read())
            if total is not None and (not totals or totals[-1] != total):
                totals.append(total)

        results = self.run_in_loops(["PRD"] * 16, LOAD_SECONDS, between=advance)
        bad = [result for _, result in results if result.status != 0]
        self.assertEqual(bad[:1], [])
        decreases = [(a, b) for a, b in zip(totals, totals[1:]) if b < a]
        self.assertGreater(len(totals), 3)
        self.assertEqual(decreases[:5], [], "the recorded total went down %d times" % len(decreases))


@unittest.skipIf(is_wine(), "holds the locks with the Linux flock the Linux sensor uses")
class LocksHeldTooLong(SensorTest):
    """A lock that another run holds past the bounded wait: the profile's
    ends the run with "Error 1016" as a failed rewrite does (the trace
    file's finding added) and the profile untouched, "SapRfc.ini"'s as a
    failed open ("Error 1011"). Both waits run side by side."""

    PROFILE_WAIT, DESTINATION_WAIT = 15, 10

    def hold(self, lock_path):
        handle = open(lock_path, "a")
        self.addCleanup(handle.close)
        fcntl.flock(handle, fcntl.LOCK_EX | fcntl.LOCK_NB)

    def test_a_lock_not_had_in_time_ends_the_run_and_changes_nothing(self):
        replace_text(self.box.host(LANDSCAPE),
                     load_landscape({"PRD": ("sapprd01", 1000), "QAS": ("sapqas01", 500)}))
        self.put_profile(EXEXML + "PRD.P00", good_values(self.box))
        self.put_profile(EXEXML + "QAS.P00",
                         good_values(self.box, Destination="QAS", Hostname="sapqas01",
                                     Gwhost="sapqas01"))
        self.box.put("C:\\Work\\SapRfc.QAS", "DEST=QAS\nTYPE=A\nASHOST=sapqas01\nSYSNR=00\n")
        self.hold(self.box.host(EXEXML + "PRD.P00") + ".lck")
        self.hold(os.path.join(self.box.work, "SapRfc.ini.lck"))
        before = self.box.files()

        results, took = {}, {}

        def one(name):
            start = time.monotonic()
            results[name] = self.run_sensor([name])
            took[name] = time.monotonic() - start

        threads = [threading.Thread(target=one, args=(name,)) for name in ("PRD", "QAS")]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()

        prd, qas = results["PRD"], results["QAS"]
        self.assertEqual((prd.stdout, prd.status), (error_document(
            "Error 1016: ReWriting of Profile " + EXEXML[2:] + "PRD.P00 failed ! - Look for Trace-File"),
            2), prd.stderr)
        self.assertEqual((qas.stdout, qas.status), (b"* SapRfc.Ini.......: QAS<\n" + error_document(
            "Error 1011: RFC-Open for QAS failed !"), 2), qas.stderr)
        # Nothing changed; the one new file is the lock file of QAS's profile,
        # which that run held while it waited for "SapRfc.ini".
        expected = dict(before)
        expected[self.box.host(EXEXML + "QAS.P00") + ".lck"] = b""
        self.assertEqual(self.box.files(), expected, "a run that had no lock changed a file")
        self.assertGreaterEqual(took["PRD"], self.PROFILE_WAIT - 0.5)
        self.assertGreaterEqual(took["QAS"], self.DESTINATION_WAIT - 0.5)
        for name in ("PRD", "QAS"):
            self.assertLess(took[name], 40, "the whole run stays well inside PRTG's minute")


@unittest.skipIf(is_wine(), "runs the Linux sensor side by side")
class SlowLogonBesideOtherDestinations(SensorTest):
    # The slow system answers its logon this late; every other destination's
    # run must end well before it.
    DELAY_SECONDS = int(os.environ.get("QUARLANE_SLOW_LOGON_SECONDS", "6"))

    def test_a_slow_logon_never_holds_up_another_destination(self):
        lines = load_landscape({"PRD": ("sapprd01", 1000), "QAS": ("sapqas01", 500)})
        lines.append("fault = open delay=%d" % (self.DELAY_SECONDS * 1000))  # in QAS's section
        replace_text(self.box.host(LANDSCAPE), lines)
        for name, host in (("PRD", "sapprd01"), ("QAS", "sapqas01")):
            self.put_profile(EXEXML + name + ".P00",
                             good_values(self.box, Destination=name, Hostname=host, Gwhost=host))
            self.box.put("C:\\Work\\SapRfc." + name,
                         "DEST=%s\nTYPE=A\nASHOST=%s\nSYSNR=00\n" % (name, host))
        slow = {}

        def run_slow():
            started = time.monotonic()
            slow["result"] = self.run_sensor(["QAS"])
            slow["seconds"] = time.monotonic() - started

        thread = threading.Thread(target=run_slow)
        thread.start()
        time.sleep(1)  # the slow logon is under way
        took = []
        for _ in range(3):
            started = time.monotonic()
            result = self.run_sensor(["PRD"])
            took.append(time.monotonic() - started)
            self.assertEqual(result.status, 0, result.stdout)
            self.assertIn(b"(PRD) Summary:", result.stdout)
        thread.join()
        self.assertEqual(slow["result"].status, 0, slow["result"].stdout)
        self.assertGreaterEqual(slow["seconds"], self.DELAY_SECONDS)
        self.assertLess(sum(took), self.DELAY_SECONDS - 2,
                        "the other destination's runs waited for the slow logon: %s" % took)
