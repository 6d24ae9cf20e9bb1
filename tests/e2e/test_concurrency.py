"""Many runs of the sensor on one profile at the same time.

PRTG may start the sensor for the same profile again before the last run has
ended. No file is locked: each run writes its new profile aside and renames it
over the old one, so a run reads either the whole old profile or a whole new
one. Round after round, the landscape's counters move on and several runs
start at once; after every round the profile must hold its own lines whole and
in order and exactly one consistent set of history lines for the new
counters, with no temporary file left, and every run must have reported the
same interval.

QUARLANE_CONCURRENCY_ROUNDS and QUARLANE_CONCURRENCY_RUNS change the number
of rounds (default 50) and of runs at once (default 8).

Linux only: the runs under Wine would share one Wine server and say nothing
more about the profile.
"""

import os
import threading
import time
import unittest

from harness import EXEXML, GOOD_PASSWORD, SensorTest, good_values, is_wine, profile_lines

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
            self.assertEqual(os.listdir(folder), ["PRD.P00"])



# ------------------------------------------------- overlapping runs under load
#
# The two tests below hold the sensor to what its locks must give. They fail
# until the sensor takes them (the lock primitive is in src/platform/
# lock_file.h; the wiring into the connection open and the history rewrite is
# a later step): marked as expected failures until then. Once the wiring is
# in, an unexpected success fails the suite, so the marks must go with it.

LOAD_SECONDS = float(os.environ.get("QUARLANE_CONCURRENCY_SECONDS", "8"))


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

    @unittest.expectedFailure  # until "SapRfc.ini" is written and opened under its lock
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

    @unittest.expectedFailure  # until the history rewrite runs under the profile's lock
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
