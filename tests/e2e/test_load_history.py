"""The load figures over runs in sequence: the history lines the sensor keeps
in its profile, the values measured against them, and the three reports in
each output form, against the simulated library's workload rows."""

import os
import stat

from harness import (EXEXML, SensorTest, as_bytes, error_document, eol, good_values,
                     profile_lines)

PROFILE = EXEXML + "PRD.P00"
# The path as the sensor names it: the folder search works on the current drive.
PROFILE_SHOWN = PROFILE[2:]
LANDSCAPE = "SapLandscape.ini"

KEYS = ("DIALOG ", "BCKGRD ", "UPDATE ", "SPOOL  ", "BUF.SYN", "AUTOABA", "UPDATE2",
        "AUTOTH ", "RPCTH  ", "DDLOG C", "DEL. TH", "HTTP   ", "HTTPS  ", "RFC    ")
ZERO = (0,) * 7

# The days of the runs, and the time stamp of the last CPU collection the
# library reports on each (the sensor takes its date and time from it).
DAY1 = "20260305"
DAY2 = "20260306"
STAMPS = {DAY1: "Thu Mar  5 %s 2026", DAY2: "Fri Mar  6 %s 2026"}


def row(tasktype, count, db=0, resp=0, cpu=0, readdir=0, readseq=0, chng=0, roll=0, gui=0):
    return dict(TASKTYPE='"%s"' % tasktype, COUNT=count, DBACTIVCNT=db, RESPTI=resp, CPUTI=cpu,
                READDIRTI=readdir, READSEQTI=readseq, CHNGTI=chng, ROLLTI=roll, GUITIME=gui)


def counters(r):
    """The seven counters the history keeps for a row."""
    return (r["COUNT"], r["DBACTIVCNT"], r["RESPTI"], r["CPUTI"],
            r["READDIRTI"] + r["READSEQTI"] + r["CHNGTI"], r["ROLLTI"], r["GUITIME"])


def landscape(box, day, time, rows, destination="PRD", faults=()):
    lines = ["[system %s]" % destination, "client = 100", "user = MONITOR",
             "password = Secret12", "instance = sapprd01_PRD_00",
             'lastcollwrt = "%s"' % (STAMPS[day] % time)]
    lines += ["fault = " + fault for fault in faults]
    lines += ["workload = day=%s " % day + " ".join("%s=%s" % item for item in r.items())
              for r in rows]
    box.put_text(LANDSCAPE, lines)


def pair_lines(key, current, baseline):
    return ["# Rsp %s " % key + "".join("%11d" % v for v in current),
            "# Rsx %s " % key + "".join("%11d" % v for v in baseline)]


def history(date_line, previous_date_line, current, baseline):
    """History lines: current and baseline are {key: seven counters}."""
    lines = [date_line] + ([previous_date_line] if previous_date_line else [])
    for key in KEYS:
        lines += pair_lines(key, current.get(key, ZERO), baseline.get(key, ZERO))
    return lines


def text_file(lines):
    return as_bytes("".join(line + eol() for line in lines))


SUMMARY_CHANNELS = (("TransActions", "#"), ("DBS-Accesses", "#"), ("Avg Rsp-Time", "mSec"),
                    ("Avg CPU-Time", "mSec"), ("Avg DBS-Time", "mSec"),
                    ("Avg Roll-Time", "mSec"), ("Avg GUI-Time", "mSec"))


def summary_channels(*values):
    return [(name, value, unit) for (name, unit), value in zip(SUMMARY_CHANNELS, values)]


def xml_channel(name, value, unit):
    return ("\n<Result><Channel>%s</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>%s</CustomUnit>"
            "\n<Value>%s</Value></Result>\n" % (name, unit, value))


def mistrane_channel(name, value, unit):
    key = name
    for c in " /\\[]*():-":
        key = key.replace(c, "_")
    key = key.replace(".", "_", 1)
    return "\n\nMessage.%s: %s (%s)\nStatistic.%s: %s" % (key, name, unit, key, value)


def kelbrun_channel(name, value, unit):
    return "\n> %s: %s %s" % (name, value, unit)


def document(mode, text, channels, transaction=False):
    """The report document of a single-system run; text as written (the
    caller escapes it for the XML modes)."""
    if mode == "EXEXML":
        return "\n<Prtg>\n\n<Text>" + text + "</Text>\n" + "".join(
            xml_channel(*c) for c in channels) + "\n</Prtg>\n"
    emit = mistrane_channel if mode == "Mistrane" else kelbrun_channel
    # The transaction report writes its head and text in the XML form in every mode.
    head = "\n<Prtg>\n\n<Text>" + text + "</Text>\n" if transaction else "\n# " + text
    return head + "".join(emit(*c) for c in channels[:10]) + "\n"


class LoadTest(SensorTest):
    def setUp(self):
        super().setUp()
        self.start()

    def start(self, extra_lines=(), destination="PRD"):
        """A profile of good parameters, then extra_lines."""
        self.lines = profile_lines(good_values(self.box, Destination=destination))
        self.lines += list(extra_lines)
        self.box.put_text(PROFILE, self.lines)

    def run_day(self, day, time, rows, stdout, args=("PRD",), program="quarlane", status=0,
                **landscape_options):
        """One run against the given workload rows; stdout None: a run that
        only lays down the history, whose report is checked elsewhere."""
        landscape(self.box, day, time, rows, **landscape_options)
        if stdout is None:
            result = self.box.run(list(args), program=program)
            self.assertEqual(result.status, 0, result.stdout)
            return result
        return self.assertRun(list(args), stdout, status, program=program, files_kept=False)

    def assertProfile(self, history_lines, kept=None):
        self.assertEqual(self.box.read(PROFILE).decode("latin-1"),
                         text_file((self.lines if kept is None else kept) + history_lines)
                         .decode("latin-1"))


def dialog(count):
    """A dialog row whose every figure grows with COUNT."""
    return row("DIALOG ", count, db=20 * count, resp=500 * count, cpu=100 * count,
               readdir=10 * count, readseq=20 * count, chng=30 * count, roll=count, gui=30 * count)


def dialog_report(count, dbase):
    """The summary of an interval of count dialog steps (averages fixed)."""
    return document("EXEXML", "(PRD) Summary:  Trans=%d, DBase=%s, Rsp=500 ms, CPU=100 ms, "
                    "DBTime=60 ms, Roll=1 ms, GUI=30 ms " % (count, dbase),
                    summary_channels(count, 20 * count, 500, 100, 60, 1, 30))


def as_kelbrun(box, *params):
    box.program("quarlane-kelbrun")
    return dict(args=[EXEXML + "PRD"] + list(params), program="quarlane-kelbrun")


def kelbrun_summary(text, values):
    return document("Kelbrun", text, summary_channels(*values))


class HistoryOverRuns(LoadTest):
    def test_four_runs_over_two_days(self):
        a, b, d = dialog(100), dialog(130), dialog(12)
        a_date = "# Rsp Date=20260305 09:04:00 Trns=100"
        after_b = history("# Rsp Date=20260305 09:14:00 Trns=130",
                          "# Rsx Date=20260305 09:04:00 Trns=100",
                          {"DIALOG ": counters(b)}, {"DIALOG ": counters(a)})
        runs = [
            # A: first run of the day; everything is new, the baselines are zeros.
            ("A", DAY1, "09:04:00", a, dialog_report(100, "2.000"),
             history(a_date, None, {"DIALOG ": counters(a)}, {})),
            # B: 30 more steps on the same day, measured against A.
            ("B", DAY1, "09:14:00", b, dialog_report(30, "600"), after_b),
            # C: nothing moved on: the file is not written (the time in it
            # stays B's), and B's interval is reported again.
            ("C", DAY1, "09:24:00", b, dialog_report(30, "600"), after_b),
            # D: next day; the day's figures so far against zero baselines.
            ("D", DAY2, "07:30:15", d, dialog_report(12, "240"),
             history("# Rsp Date=20260306 07:30:15 Trns=12",
                     "# Rsx Date=20260305 09:14:00 Trns=130", {"DIALOG ": counters(d)}, {})),
        ]
        for name, day, time, dialog_row, stdout, history_lines in runs:
            with self.subTest(run=name):
                before = self.box.read(PROFILE)
                self.run_day(day, time, [dialog_row], stdout)
                self.assertProfile(history_lines)
                if name == "C":
                    self.assertEqual(self.box.read(PROFILE), before)
        self.assertIn("# Rsp DIALOG           12        240       6000       1200"
                      "        720         12        360" + eol(),
                      self.box.read(PROFILE).decode("latin-1"))

    def test_instance_restart_on_the_same_day(self):
        first = [dialog(100), row("BCKGRD ", 50, resp=100000)]
        self.run_day(DAY1, "09:00:00", first, kelbrun_summary(
            "(PRD) Summary:  Trans=150, DBase=2.000, Rsp=1.000 ms, CPU=66 ms, DBTime=40 ms, "
            "Roll=0 ms, GUI=20 ms ", (150, 2000, 1000, 66, 40, 0, 20)), **as_kelbrun(self.box))
        # The instance restarted: fewer steps than the history's total. The
        # values since the restart are reported, never a wrapped difference.
        since = [dialog(20), row("BCKGRD ", 5, resp=20000)]
        self.run_day(DAY1, "10:00:00", since, kelbrun_summary(
            "(PRD) Summary:  Trans=25, DBase=400, Rsp=1.200 ms, CPU=80 ms, DBTime=48 ms, "
            "Roll=0 ms, GUI=24 ms ", (25, 400, 1200, 80, 48, 0, 24)), **as_kelbrun(self.box))
        self.assertProfile(history(
            "# Rsp Date=20260305 10:00:00 Trns=25", "# Rsx Date=20260305 09:00:00 Trns=150",
            {"DIALOG ": counters(since[0]), "BCKGRD ": counters(since[1])}, {}))

    def test_a_counter_that_drops_while_the_total_grows(self):
        first = [dialog(100), row("BCKGRD ", 10, resp=90000, cpu=800)]
        self.run_day(DAY1, "09:00:00", first, None)
        # Batch response time falls below its baseline: reported as it stands.
        second = [dialog(150), row("BCKGRD ", 10, resp=30000, cpu=900)]
        self.run_day(DAY1, "09:10:00", second, document(
            "Kelbrun", "(PRD) Responses:  Dialog=500, Batch=30.000, HTTP=0, RFC=0, Update=0, "
            "Spool=0 ", [("Avg Dialog", "500", "mSec")]), **as_kelbrun(self.box, "RESPONSE"))
        self.assertProfile(history(
            "# Rsp Date=20260305 09:10:00 Trns=160", "# Rsx Date=20260305 09:00:00 Trns=110",
            {"DIALOG ": counters(second[0]), "BCKGRD ": counters(second[1])},
            {"DIALOG ": counters(first[0]), "BCKGRD ": counters(first[1])}))


class ProfileKept(LoadTest):
    def test_a_long_profile_comes_back_whole(self):
        long_line = "; " + "".join(chr(33 + i % 90) for i in range(498))
        old = history("# Rsp Date=20260304 18:00:00 Trns=7", None,
                      {"DIALOG ": (7, 1, 2, 3, 4, 5, 6)}, {"DIALOG ": (1,) * 7})
        lines = ["; Corvanta PRD, comment line %d" % n for n in range(140)]
        lines += [long_line] + old[:15]
        tail = old[15:]
        parameters = 11
        lines += ["; more comments %d" % n
                  for n in range(300 - parameters - len(lines) - len(tail))]
        lines += tail
        self.start(lines)
        kept = [line for line in self.lines if not line.startswith(("# Rsp ", "# Rsx "))]
        self.assertEqual(len(self.lines), 300)
        # First run of a new day, then a second: the baselines are found
        # after the three hundredth line.
        rows = [dialog(100), row("RFC    ", 40, resp=8000)]
        self.run_day(DAY1, "09:00:00", rows, None)
        self.assertProfile(history("# Rsp Date=20260305 09:00:00 Trns=140",
                                   "# Rsx Date=20260304 18:00:00 Trns=7",
                                   {"DIALOG ": counters(rows[0]), "RFC    ": counters(rows[1])},
                                   {}), kept)
        more = [dialog(110), row("RFC    ", 50, resp=9000)]
        self.run_day(DAY1, "09:05:00", more, document(
            "EXEXML", "(PRD) Transaction:  Dialog=10, Batch=0, HTTP=0, RFC=10, Update=0, Spool=0 ",
            [("Dialog", "10", "#"), ("RFC", "10", "#")]), args=["PRD", "TRANSACTION"])
        self.assertProfile(history("# Rsp Date=20260305 09:05:00 Trns=160",
                                   "# Rsx Date=20260305 09:00:00 Trns=140",
                                   {"DIALOG ": counters(more[0]), "RFC    ": counters(more[1])},
                                   {"DIALOG ": counters(rows[0]), "RFC    ": counters(rows[1])}),
                           kept)
        self.assertIn(as_bytes(long_line + eol()), self.box.read(PROFILE))

    def test_a_read_only_profile_is_not_replaced(self):
        path = self.box.host(PROFILE)
        os.chmod(path, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
        self.addCleanup(os.chmod, path, stat.S_IRUSR | stat.S_IWUSR)
        landscape(self.box, DAY1, "09:00:00", [dialog(100)])
        before = self.box.listdir(EXEXML)
        files = self.box.files()
        # The failed run reports the rewrite and that the library left no trace.
        self.assertRun(["PRD"], error_document(
            "Error 1016: ReWriting of Profile %s failed ! - Look for Trace-File" % PROFILE_SHOWN),
            2, files_kept=False)
        # Every file as it was; the one new file is the profile's (empty)
        # lock file, which the run held from before its logon. Under Wine the
        # sandbox sees only what it made itself, so the lock file shows there
        # only when this sandbox made the profile's folder (a new prefix);
        # the listing below shows it in every case.
        after = self.box.files()
        self.assertEqual(after.pop(path + ".lck", b""), b"")
        files.pop(path + ".lck", None)
        self.assertEqual(after, files)
        # (Under Wine an earlier test's run may have left it already: lock
        # files stay, and the suite's prefix is shared.)
        self.assertEqual(self.box.listdir(EXEXML), sorted(set(before) | {"PRD.P00.lck"}))
        self.assertEqual(os.stat(path).st_mode & 0o777, 0o444)

    def test_a_failed_summary_call_leaves_the_history_alone(self):
        self.run_day(DAY1, "09:00:00", [dialog(100)], None)
        before = self.box.read(PROFILE)
        self.run_day(DAY1, "09:10:00", [dialog(130)], error_document(
            "Error 1012: Exception.: NO_DATA_FOUND - No workload data for 20260305"), status=2,
            faults=['receive SAPWL_WORKLOAD_GET_SUMMARY rc=2 exception=NO_DATA_FOUND '
                    'message="No workload data for 20260305"'])
        self.assertEqual(self.box.read(PROFILE), before)


# One first run of the day with these rows: T = 12345 steps.
REPORT_ROWS = [
    row("DIALOG ", 12000, db=1000000, resp=4800000, cpu=1000000, readdir=1200000,
        readseq=300000, chng=60000, roll=24000, gui=420000),
    row("BCKGRD ", 331, db=234567, resp=286000, cpu=74000, readseq=100000, chng=5000, roll=700),
    row("UPDATE ", 1, resp=999, cpu=10),
    row("UPDATE2", 10, resp=5000, cpu=500),
    row("HTTP   ", 3, resp=1000, cpu=300),
    row("ALE    ", 7, resp=70000),  # counts in the history's total only
]

SUMMARY = ("(PRD) Summary:  Trans=12.345, DBase=1.234.567, Rsp=412 ms, CPU=87 ms, DBTime=134 ms, "
           "Roll=2 ms, GUI=34 ms ", (12345, 1234567, 412, 87, 134, 2, 34))
DIALOG_ONLY = ("(PRD) Response [DIALOG]: Trans=12.000, DBase=1.000.000, Rsp=400 ms, CPU=83 ms, "
               "DBTime=130 ms, Roll=2 ms, GUI=35 ms ", (12000, 1000000, 400, 83, 130, 2, 35))
WITHOUT_UPDATES = ("(PRD) Summary:  Trans=12.334, DBase=1.234.567, Rsp=412 ms, CPU=87 ms, "
                   "DBTime=134 ms, Roll=2 ms, GUI=34 ms ", (12334, 1234567, 412, 87, 134, 2, 34))
RESPONSES = ("(PRD) Responses:  Dialog=400, Batch=864, HTTP=333, RFC=0, Update=999, Spool=0 ",
             [("Avg Dialog", "400", "mSec"), ("Avg Batch", "864", "mSec"),
              ("Avg Update2", "500", "mSec"), ("Avg HTTP", "333", "mSec")])
TRANSACTIONS = ("(PRD) Transaction:  Dialog=12.000, Batch=331, HTTP=3, RFC=0, Update=1, Spool=0 ",
                [("Dialog", "12000", "#"), ("Batch", "331", "#"), ("Update2", "10", "#"),
                 ("HTTP", "3", "#")])


class Reports(LoadTest):
    MODES = (("EXEXML", "quarlane"), ("Kelbrun", "quarlane-kelbrun"),
             ("Mistrane", "quarlane-mistrane"))

    def test_reports_in_every_output_form(self):
        reports = [
            ("summary", [], SUMMARY[0], summary_channels(*SUMMARY[1]), False),
            ("responses", ["RESPONSE"], RESPONSES[0], RESPONSES[1], False),
            ("transactions", ["Transaction"], TRANSACTIONS[0], TRANSACTIONS[1], True),
            ("responses before transactions", ["RESPONSE", "TRANSACTION"], RESPONSES[0],
             RESPONSES[1], False),
            ("dialog selected", ["dialog"], DIALOG_ONLY[0], summary_channels(*DIALOG_ONLY[1]),
             False),
            ("updates excluded, selection ignored", ["-UPDATE2", "DIALOG"], WITHOUT_UPDATES[0],
             summary_channels(*WITHOUT_UPDATES[1]), False),
        ]
        for mode, program in self.MODES:
            for name, params, text, channels, transaction in reports:
                with self.case(mode=mode, report=name):
                    self.start()
                    self.box.program(program)
                    profile = "PRD" if mode == "EXEXML" else EXEXML + "PRD"
                    self.run_day(DAY1, "09:00:00", REPORT_ROWS,
                                 document(mode, text, channels, transaction),
                                 args=[profile] + params, program=program)
                    # The history keeps every type's figures of the day,
                    # whatever the report shows.
                    self.assertProfile(history(
                        "# Rsp Date=20260305 09:00:00 Trns=12352", None,
                        {r["TASKTYPE"].strip('"'): counters(r) for r in REPORT_ROWS[:5]}, {}))

    def test_markup_in_the_destination(self):
        text = ("(%s) Transaction:  Dialog=12.000, Batch=331, HTTP=3, RFC=0, Update=1, Spool=0 ")
        summary = SUMMARY[0].replace("(PRD)", "(%s)")
        for mode, program in self.MODES[:2]:
            for params, line, channels, transaction in (
                    ([], summary, summary_channels(*SUMMARY[1]), False),
                    (["TRANSACTION"], text, TRANSACTIONS[1], True)):
                with self.case(mode=mode, params=params):
                    self.start(destination="R&D<1>")
                    self.box.program(program)
                    # The text modes write texts as they are, also in the transaction
                    # report's own XML head.
                    shown = "R&amp;D&lt;1&gt;" if mode == "EXEXML" else "R&D<1>"
                    profile = "PRD" if mode == "EXEXML" else EXEXML + "PRD"
                    self.run_day(DAY1, "09:00:00", REPORT_ROWS,
                                 document(mode, line % shown, channels, transaction),
                                 args=[profile] + params, program=program,
                                 destination="R&D<1>")

