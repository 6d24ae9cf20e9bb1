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

