"""Differential suite: the same SAP systems, once through the simulated
library and once through the NetWeaver RFC bridge with the fake SDK, must
give the same documents, exit statuses and profiles, byte for byte.

Both inputs are written from one set of figures per test: the simulator's
landscape (docs/landscape.md) and the fake SDK's scenario scripts
(tests/fakesdk/README.md). Nothing here states what a run should print: each
case compares the two real outputs with each other. Where the two cannot be
the same, the comparison leaves that part out and says why.

The bridge installation is assembled in the sandbox's bin folder from the
build: the bridge from <build>/nwrfc, the fake SDK from <build>/fakesdk, beside
the sensor, as a customer installs the real SDK beside the bridge. Without a
built bridge the suite is skipped; without the fake SDK it fails.
"""

import os
import shutil
import unittest
from xml.etree import ElementTree

import capture_facts
import harness
from harness import EXEXML, GOOD_PASSWORD, Sandbox, SensorTest, exe, is_wine, normalise_times, profile_lines

# The day the systems report and the time stamp of their last CPU collection,
# fixed so that two runs in different seconds see the same system.
DAY = "20260305"
LASTCOLLWRT = "Thu Mar  5 09:04:00 2026"
LATER = "Thu Mar  5 09:34:00 2026"

TRACE = "Dev_Rfc.Trc"
SUMMARY_MODULE = "SAPWL_WORKLOAD_GET_SUMMARY"
COLLECTOR_MODULE = "SWNC_COLLECTOR_GET_AGGREGATES"

# The collector's raw task-type codes of the classic type names (issue 12's
# list, as the bridge maps them: docs/nwrfc.md).
TASK_CODES = {
    "DIALOG ": "01", "UPDATE ": "02", "SPOOL  ": "03", "BCKGRD ": "04", "ENQUEUE": "05",
    "BUF.SYN": "06", "AUTOABA": "07", "UPDATE2": "08", "AUTOTH ": "0B", "RPCTH  ": "0C",
    "DDLOG C": "0E", "DEL. TH": "0F", "HTTP   ": "65", "HTTPS  ": "66", "RFC    ": "FE",
}

MODES = (("EXEXML", "quarlane"), ("Dornvik", "quarlane-dornvik"), ("Mistrane", "quarlane-mistrane"),
         ("Kelbrun", "quarlane-kelbrun"), ("Pallvex", "quarlane-pallvex"))


# ------------------------------------------------------------------ figures


def task(name, count, db=0, resp=0, cpu=0, readdir=0, readseq=0, chng=0, roll=0, gui=0, instance=None):
    """One task type's figures of the day (times in milliseconds)."""
    return dict(name=name, count=count, db=db, resp=resp, cpu=cpu, readdir=readdir,
                readseq=readseq, chng=chng, roll=roll, gui=gui, instance=instance)


def scaled(tasks, factor):
    """The same task types with every figure grown by factor (a later run)."""
    return [dict(t, **{k: t[k] * factor for k in ("count", "db", "resp", "cpu", "readdir",
                                                    "readseq", "chng", "roll", "gui")})
            for t in tasks]


# Every task type the sensor knows, one the collector has but the sensor does
# not (ENQUEUE), figures from small to beyond 32 bits.
ALL_TYPES = [
    task("DIALOG ", 18250, db=912000, resp=10950000, cpu=3650000, readdir=410000, readseq=690000,
         chng=120000, roll=35000, gui=2800000),
    task("BCKGRD ", 420, db=5400000, resp=25200000, cpu=9800000, readdir=2000000, readseq=900000),
    task("UPDATE ", 3100, db=88000, resp=930000, cpu=310000, chng=41000),
    task("SPOOL  ", 140, db=1200, resp=43400, cpu=4200, roll=140),
    task("BUF.SYN", 96, resp=960),
    task("AUTOABA", 288, db=2880, resp=86400, cpu=28800),
    task("UPDATE2", 300, db=900, resp=10500, cpu=2400, chng=900),
    task("AUTOTH ", 12, resp=120),
    task("RPCTH  ", 7, resp=70),
    task("DDLOG C", 3, resp=30),
    task("DEL. TH", 2, resp=20),
    task("HTTP   ", 2600, db=26000, resp=468000, cpu=143000, gui=5200),
    task("HTTPS  ", 5200000, db=52000000, resp=5200000000, cpu=1300000000, readdir=90000000),
    task("RFC    ", 7600, db=76000, resp=3040000, cpu=760000, roll=15200),
    task("ENQUEUE", 9999, resp=9999),
]

SMALL = [task("DIALOG ", 1200, db=54000, resp=360000, cpu=120000, readdir=9000, readseq=15000,
              chng=4000, roll=800, gui=64000),
         task("BCKGRD ", 300, db=6000, resp=540000, cpu=90000)]


class System:
    """One SAP system: its profile, its logon data and its figures."""

    def __init__(self, name, host, release, tasks, sysnr="00", client="100", instance=None,
                 faults=(), profile=None, modules=None, lastcollwrt=LASTCOLLWRT, extra=()):
        self.name, self.host, self.release, self.tasks = name, host, release, tasks
        self.sysnr, self.client = sysnr, client
        self.instance = "%s_%s_%s" % (host, name, sysnr) if instance is None else instance
        self.faults = list(faults)
        self.profile = profile or name + ".P00"
        self.modules = modules
        self.lastcollwrt = lastcollwrt
        self.extra = list(extra)  # (landscape line, script line) pairs

    collector_rows = False  # a system below 7.00 that answers from the collector all the same
    aggregate_words = ""    # more FIELD=value words on every collector row of the script
    both_modules = False    # a system that has both workload modules, with the same figures

    @property
    def collector(self):
        """Whether the fake system answers from the 7.00+ collector."""
        return self.collector_rows or (self.release[:3].isdigit() and int(self.release[:3]) >= 700)

    def workload_module(self):
        return COLLECTOR_MODULE if self.collector else SUMMARY_MODULE


# A fault of one system, in both forms. The simulator fails at RfcReceive:
# the bridge invokes the function there (docs/nwrfc.md).
def logon_failure(message="Name or password is incorrect (repeat logon)"):
    return ("fault = open logon message=\"%s\"" % message, "fail = open logon message=\"%s\"" % message)


def unreachable(message):
    return ("fault = open communication message=\"%s\"" % message,
            "fail = open communication message=\"%s\"" % message)


def broken(function, message, system_module=None):
    return ("fault = receive %s rc=1 message=\"%s\"" % (function, message),
            "fail = invoke %s communication message=\"%s\"" % (system_module or function, message))


def exception(function, name, system_module=None):
    return ("fault = receive %s rc=2 exception=%s message=%s" % (function, name, name),
            "fail = invoke %s exception=%s" % (system_module or function, name))


def system_failure(function, message, system_module=None):
    return ("fault = receive %s rc=3 exception=SYSTEM_FAILURE message=\"%s\"" % (function, message),
            "fail = invoke %s runtime message=\"%s\"" % (system_module or function, message))


def cp1252(text):
    """The text as a Windows-1252 library holds it: '?' for a character it
    cannot hold (as Windows converts to a code page; the bridge does so)."""
    out = b""
    for char in text:
        try:
            out += char.encode("cp1252")
        except UnicodeEncodeError:
            out += b"?"
    return out.decode("latin-1")


def landscape_lines(systems):
    lines = ["# written by test_nwrfc_differential.py", ""]
    for s in systems:
        lines += ["[system %s]" % s.name, "client = " + s.client, "user = MONITOR",
                  "password = " + GOOD_PASSWORD, "host = " + s.host, "sysnr = " + s.sysnr,
                  "instance = " + s.instance, "release = " + s.release,
                  'lastcollwrt = "%s"' % s.lastcollwrt,
                  "cpu = TYPE=1 NBR_CPU=4 LOAD1_AVG=35 USR_TOTAL=5300 IDLE_TOTAL=93500"]
        for t in s.tasks:
            lines.append('workload = day=%s%s TASKTYPE="%s" COUNT=%d DBACTIVCNT=%d RESPTI=%d CPUTI=%d '
                         "READDIRTI=%d READSEQTI=%d CHNGTI=%d ROLLTI=%d GUITIME=%d"
                         % (DAY, " instance=" + t["instance"] if t["instance"] else "", t["name"],
                            t["count"], t["db"], t["resp"], t["cpu"], t["readdir"], t["readseq"],
                            t["chng"], t["roll"], t["gui"]))
        lines += [cp1252(fault[0]) for fault in s.faults]
        lines += [cp1252(pair[0]) for pair in s.extra if pair[0]]
        lines.append("")
    return lines


def script_lines(s):
    """The fake SDK's script of one system. A 7.50 system answers from the
    collector: the same figures as the collector keeps them - times in
    microseconds (the bridge asks with FACTOR 1000 for milliseconds), database
    accesses in READDIRCNT and roll time in ROLLWAITTI, the fields the bridge
    maps to DBACTIVCNT and ROLLTI (docs/nwrfc.md)."""
    lines = ["# written by test_nwrfc_differential.py", "sysnr = " + s.sysnr, "client = " + s.client,
             "user = MONITOR", "passwd = " + GOOD_PASSWORD, "sysid = " + s.name,
             "release = " + s.release, "instance = " + s.instance, 'lastcollwrt = "%s"' % s.lastcollwrt,
             "cpu = TYPE=1 NBR_CPU=4 LOAD1_AVG=35 USR_TOTAL=5300 IDLE_TOTAL=93500"]
    if s.modules is not None:
        lines.append("modules = " + " ".join(s.modules))
    for t in s.tasks:
        place = t["instance"]
        if s.collector or s.both_modules:
            lines.append("aggregate = day=%s%s TASKTYPE=%s COUNT=%d READDIRCNT=%d RESPTI=%d CPUTI=%d "
                         "READDIRTI=%d READSEQTI=%d CHNGTI=%d ROLLWAITTI=%d GUITIME=%d"
                         % (DAY, " component=" + place if place else "", TASK_CODES[t["name"]],
                            t["count"], t["db"], 1000 * t["resp"], 1000 * t["cpu"],
                            1000 * t["readdir"], 1000 * t["readseq"], 1000 * t["chng"],
                            1000 * t["roll"], 1000 * t["gui"]) + s.aggregate_words)
        if not s.collector or s.both_modules:
            lines.append('summary = day=%s%s TASKTYPE="%s" COUNT=%d DBACTIVCNT=%d RESPTI=%d CPUTI=%d '
                         "READDIRTI=%d READSEQTI=%d CHNGTI=%d ROLLTI=%d GUITIME=%d"
                         % (DAY, " instance=" + place if place else "", t["name"], t["count"],
                            t["db"], t["resp"], t["cpu"], t["readdir"], t["readseq"], t["chng"],
                            t["roll"], t["gui"]))
    lines += [fault[1] for fault in s.faults]
    lines += [pair[1] for pair in s.extra if pair[1]]
    return lines


# ------------------------------------------------------------ installations


def bridge_library():
    return os.path.join(os.path.dirname(harness.BIN), "nwrfc", exe("librfc32"))


def sdk_name():
    return "sapnwrfc.dll" if is_wine() else "libsapnwrfc.so"


def fake_sdk():
    return os.path.join(os.path.dirname(harness.BIN), "fakesdk", sdk_name())


def fake_sdk_folder(variant=None):
    """The fake SDK's folder in the build: the full one, or one of its older
    or differently linked builds (tests/fakesdk/README.md "SDK variants")."""
    return os.path.join(os.path.dirname(harness.BIN), "fakesdk" + ("-" + variant if variant else ""))


def fake_ucum():
    """The fake SDK's own libsapucum, which it needs as SAP's SDK does."""
    return os.path.join(os.path.dirname(fake_sdk()), "libsapucum.dll" if is_wine() else "libsapucum.so")


def install(source, target):
    """Puts a file of the build into the bin folder: a hard link or a copy,
    never a symbolic link (the bridge looks for the SDK beside its own
    resolved path)."""
    if os.path.lexists(target):
        os.unlink(target)
    try:
        os.link(source, target)
    except OSError:
        shutil.copy2(source, target)


def encoded(lines, encoding):
    return "".join(line + harness.eol() for line in lines).encode(encoding)


class Differential(SensorTest):
    """Runs one setup through both libraries and compares what they leave."""

    def setUp(self):
        if not os.path.exists(bridge_library()):
            self.skipTest("the NetWeaver RFC bridge is not built (%s)" % bridge_library())
        if not os.path.exists(fake_sdk()):
            self.fail("the fake NetWeaver RFC SDK is not built (%s)" % fake_sdk())
        super().setUp()

    # -- the two installations

    # The fake SDK's build the bridge runs with (None: the full one).
    sdk_variant = None

    def fresh_box(self, path):
        self.box.close()
        self.box = Sandbox()
        if path == "bridge":
            install(bridge_library(), os.path.join(self.box.bin, exe("librfc32")))
            install(fake_ucum(), os.path.join(self.box.bin, os.path.basename(fake_ucum())))
            # The SDK and whatever its build put beside it (libicudecnumber).
            folder = fake_sdk_folder(self.sdk_variant)
            for name in os.listdir(folder):
                if name == sdk_name() or name.startswith("libicudecnumber."):
                    install(os.path.join(folder, name), os.path.join(self.box.bin, name))
        return self.box

    def write_systems(self, box, path, systems):
        """The simulator's landscape, or one fake script per host."""
        if path == "simulator":
            box.put("SapLandscape.ini", encoded(landscape_lines(systems), "latin-1"))
        else:
            for s in systems:
                box.put(s.host.lower() + ".nwrfc", encoded(script_lines(s), "utf-8"))

    def write_profile(self, box, s, **changes):
        values = dict(Extcompany="Corvanta AG", Destination=s.name, Client=s.client, User="monitor",
                      Password=box.stored_password(GOOD_PASSWORD), Language="EN", Mode="R/3",
                      Hostname=s.host, Sysnr=s.sysnr, Gwhost=s.host, Gwservice="sapgw" + s.sysnr)
        values.update(changes)
        box.put_text(EXEXML + s.profile, profile_lines(values))

    # -- running and comparing

    def outcome(self, path, setup, runs, env=None):
        """A fresh sandbox for path, set up by setup(box, path), then each run
        (args, program, between) in turn; between(box, path) may change the
        systems before the run. Returns per run (stdout, status, files)."""
        box = self.fresh_box(path)
        setup(box, path)
        results = []
        for args, program, between in runs:
            if between:
                between(box, path)
            if program != "quarlane":
                box.program(program)
            run_env = {"QUARLANE_FAKESDK_DIR": ""}
            run_env.update(env or {})
            result = box.run(list(args), program=program, env=run_env)
            results.append((normalise_times(result.stdout), result.status, self.kept_files(box),
                            result.stderr))
        return results

    def kept_files(self, box):
        """What the run leaves in the drive tree, by Windows path. The inputs
        of either library are left out, and of the trace file only whether it
        is there: each library writes its own error blocks (time, process, the
        library's own lines); what the sensor reads from it shows in the
        documents compared."""
        files = {}
        for path, data in box.files().items():
            name = os.path.basename(path)
            if name in ("SapLandscape.ini", "FakeSdkCalls.log") or name.endswith(".nwrfc"):
                continue
            files[box.windows(path)] = b"(present)" if name == TRACE else data
        return files

    def assertSame(self, setup, runs, env=None):
        """The runs give the same through both libraries. runs: a list of
        argument lists, or of (args, program, between) triples."""
        runs = [r if isinstance(r, tuple) else (r, "quarlane", None) for r in runs]
        simulated = self.outcome("simulator", setup, runs, env)
        bridged = self.outcome("bridge", setup, runs, env)
        for number, (sim, bridge, run) in enumerate(zip(simulated, bridged, runs), 1):
            context = "run %d %s %r; stderr through the bridge:\n%s" % (
                number, run[1], run[0], bridge[3].decode("latin-1"))
            # Compared as Latin-1 text, one character per byte, for a readable difference.
            self.assertEqual(bridge[0].decode("latin-1"), sim[0].decode("latin-1"),
                             "document differs (first: through the bridge): " + context)
            self.assertEqual(bridge[1], sim[1], "exit status differs: " + context)
            self.assertEqual(bridge[2], sim[2], "files differ: " + context)
            if not is_wine():
                # Nothing on standard error (a sanitizer's report would land there).
                self.assertEqual(bridge[3], b"", "standard error through the bridge: " + context)
                self.assertEqual(sim[3], b"", "standard error through the simulator: " + context)
        return simulated

    def setup_for(self, systems, item_listing=None, global_lines=None, extra=None):
        """A setup writing the systems' profiles and inputs (and an item or
        global sensor file)."""
        def setup(box, path):
            self.write_systems(box, path, systems)
            for s in systems:
                if s.profile:
                    self.write_profile(box, s)
            if item_listing:
                box.put_text(EXEXML + "Corvanta.Prf", ["; Corvanta item sensors",
                                                       "# Gsng: Corvanta ab " + item_listing])
            if global_lines:
                box.put_text(EXEXML + "SAP Corvanta.Gbl", global_lines)
            if extra:
                extra(box, path)
        return setup


# The systems of most cases: a 6.40 system with the classic module, a 7.50
# system with only the collector, and a 7.40 system with figures on two
# instances that reports a blank instance name (RFCDEST): the sensor then
# asks with blank HOSTID and INSTANCE, for which the classic module returns
# no rows.
def old_system(tasks=SMALL, **options):
    return System("OLD", "sapold01", "640", tasks, **options)


def new_system(tasks=SMALL, **options):
    return System("NEW", "sapnew01", "750", tasks, sysnr="10", client="200", **options)


def blank_instance_system(**options):
    tasks = SMALL + [dict(t, instance="saptot02_TOT_01") for t in scaled(SMALL, 2)]
    return System("TOT", "saptot01", "740", tasks, sysnr="20", instance="", **options)


def old_release_system(tasks=SMALL, **options):
    # Up to 4.6 the sensor names the instance by its first 8 characters in
    # HOSTID; a second instance on another host must not be counted.
    tasks = list(tasks) + [dict(t, instance="sapoth01_OLD_01") for t in scaled(SMALL, 5)]
    return System("OLD", "sapold01", "46C", tasks, **options)


def two_instance_system(tasks=SMALL, **options):
    # Figures on two instances: the sensor asks for its own instance only.
    tasks = list(tasks) + [dict(t, instance="sapnew02_NEW_11") for t in scaled(SMALL, 7)]
    return System("NEW", "sapnew01", "750", tasks, sysnr="10", client="200", **options)


def no_classic_module_system(tasks=SMALL, **options):
    # A 6.40 system whose classic module is missing: the bridge reads the
    # collector instead, the simulator the classic rows of the same figures.
    options.setdefault("modules", ["RFC_SYSTEM_INFO", "GET_CPU_ALL", COLLECTOR_MODULE])
    s = System("OLD", "sapold01", "640", tasks, **options)
    s.collector_rows = True
    return s


KINDS = (("6.40 classic", old_system), ("7.50 collector", new_system), ("7.40 blank instance", blank_instance_system),
         ("4.6C by host ID", old_release_system), ("7.50 two instances", two_instance_system),
         ("6.40 without the classic module", no_classic_module_system))


class SingleSystemReports(Differential):
    REPORTS = (("summary", []), ("verbose", ["#"]), ("responses", ["RESPONSE"]),
               ("transactions", ["TRANSACTION"]), ("dialog selected", ["DIALOG"]),
               ("updates excluded", ["-UPDATE2", "DIALOG"]), ("batch, verbose", ["BATCH#1"]))

    def test_every_report_of_every_kind_of_system(self):
        for kind, make in KINDS:
            s = make() if kind == "7.40 blank instance" else make(tasks=ALL_TYPES)
            for report, params in self.REPORTS:
                with self.subTest(system=kind, report=report):
                    self.assertSame(self.setup_for([s]), [[s.name] + params])

    def test_every_output_mode(self):
        # The output mode is the sensor's own; the libraries only give it the
        # figures, so the first three kinds of system stand for all.
        for kind, make in KINDS[:3]:
            for mode, program in MODES[1:]:
                for params in ([], ["RESPONSE"], ["TRANSACTION", "#"]):
                    with self.subTest(system=kind, mode=mode, params=params):
                        s = make()
                        self.assertSame(self.setup_for([s]),
                                        [([EXEXML + s.profile] + params, program, None)])

    def test_intervals_over_runs(self):
        # Three runs: the first of the day, one with grown figures measured
        # against it, and one after an instance restart (figures smaller again).
        for kind, make in KINDS[:2]:
            with self.subTest(system=kind):
                first = make(tasks=ALL_TYPES)
                grown = make(tasks=scaled(ALL_TYPES, 3), lastcollwrt=LATER)
                restarted = make(tasks=SMALL, lastcollwrt="Thu Mar  5 10:04:00 2026")

                def change_to(system):
                    return lambda box, path: self.write_systems(box, path, [system])
                self.assertSame(self.setup_for([first]), [
                    ([first.name], "quarlane", None),
                    ([first.name, "#"], "quarlane", change_to(grown)),
                    ([first.name, "RESPONSE"], "quarlane", None),
                    ([first.name], "quarlane", change_to(restarted)),
                ])


GOOD = "PRD01.P00"


class ItemRuns(Differential):
    """Item and global runs over a 6.40 and a 7.50 system, a system that
    refuses the logon, one that cannot be reached and one without a profile."""

    def systems(self):
        return [old_system(tasks=ALL_TYPES), new_system(tasks=scaled(ALL_TYPES, 2)),
                System("LCK", "saplck01", "750", SMALL, faults=[logon_failure()]),
                System("GON", "sapgon01", "620", SMALL,
                       faults=[unreachable("partner 'sapgon01:sapgw00' not reached")])]

    LISTING = "OLD.P00#LCK.P00#MIS.P00#NEW.P00#GON.P00#"

    def test_item_mode(self):
        for params in ([], ["#"]):
            with self.subTest(params=params):
                self.assertSame(self.setup_for(self.systems(), item_listing=self.LISTING),
                                [["PRD", "ITEM=TransActions"] + params])

    def test_global_mode_labels(self):
        for marker in ("", ",Alias", ",Host", ",Sid", ",Profile"):
            for verbose in ([], ["#"]):
                with self.subTest(marker=marker, verbose=verbose):
                    lines = ["; global sensors", "# GSNG: WORKLOAD  --" + self.LISTING,
                             '# GSNX: WORKLOAD   Item=TransActions%s,Sensor="SAP Quarlane"' % marker,
                             "# GSNG: AVGDIALOG --OLD.P00#NEW.P00#",
                             '# GSNX: AVGDIALOG  Item=Avg:Dialog RESPONSE%s,Sensor="SAP Quarlane"' % marker]
                    self.assertSame(self.setup_for(self.systems(), global_lines=lines),
                                    [["GLOBAL", "WORKLOAD"] + verbose, ["GLOBAL", "AVGDIALOG"] + verbose])

    def test_item_runs_in_the_text_modes(self):
        for mode, program in MODES[1:]:
            with self.subTest(mode=mode):
                self.assertSame(self.setup_for(self.systems(), item_listing=self.LISTING),
                                [([EXEXML + "PRD", "ITEM=TransActions"], program, None)])


class Failures(Differential):
    """Every failure of a system: at the logon, at each call, as an ABAP
    exception or system failure, alone and in an item run."""

    def cases(self, make):
        s = make()
        workload = s.workload_module()
        # NO_DATA_FOUND of either workload module at 09:04 system time (the
        # systems' LASTCOLLWRT) is the failure it is: the hourly collector job
        # has had time to write the day's first figures (docs/nwrfc.md).
        no_data_case = ("workload: NO_DATA_FOUND", [exception(SUMMARY_MODULE, "NO_DATA_FOUND", workload)], False)
        other = ("workload: NOT_AUTHORIZED", [exception(SUMMARY_MODULE, "NOT_AUTHORIZED", workload)], False)
        cases = [
            ("logon refused", [logon_failure()]),
            ("logon refused, own text", [logon_failure("Password logon no longer possible - too many failed attempts")]),
            ("partner not reached", [unreachable("partner '%s:sapgw%s' not reached" % (s.host, s.sysnr))]),
            ("broken during GET_CPU_ALL", [broken("GET_CPU_ALL", "connection to partner broken during GET_CPU_ALL")]),
            ("broken during RFC_SYSTEM_INFO", [broken("RFC_SYSTEM_INFO", "connection reset by peer")]),
            ("broken during the workload", [broken(SUMMARY_MODULE, "connection closed (no data)", workload)]),
            ("RFC_SYSTEM_INFO not authorised", [exception("RFC_SYSTEM_INFO", "NOT_AUTHORIZED")]),
            ("GET_CPU_ALL system failure", [system_failure("GET_CPU_ALL", "ABAP runtime error CONVT_NO_NUMBER")]),
            ("workload system failure", [system_failure(SUMMARY_MODULE, "DBIF_RSQL_SQL_ERROR", workload)]),
        ]
        # (name, faults, whether the simulated system has no rows of the day)
        return [(name, faults, False) for name, faults in cases] + [no_data_case, other]

    def failing_setup(self, make, faults, empty_day, others=()):
        """The failing system, after others in an item run when there are
        others. With empty_day the simulator's system has no rows of the day
        instead of the fake SDK's fault."""
        failing = make(faults=faults)
        simulated = make(tasks=[]) if empty_day else failing
        listing = "".join(s.profile + "#" for s in list(others) + [failing]) if others else None

        def setup(box, path):
            chosen = simulated if path == "simulator" else failing
            self.setup_for(list(others) + [chosen], item_listing=listing)(box, path)
        return setup, failing

    def test_single_system(self):
        for kind, make in KINDS[:2]:
            for name, faults, empty_day in self.cases(make):
                for params in ([], ["#"]):
                    with self.subTest(system=kind, failure=name, params=params):
                        setup, s = self.failing_setup(make, faults, empty_day)
                        self.assertSame(setup, [[s.name] + params])

    def test_in_an_item_run(self):
        for kind, make in KINDS[:2]:
            for name, faults, empty_day in self.cases(make):
                with self.subTest(system=kind, failure=name):
                    good = System("PRD", "sapprd01", "700", ALL_TYPES, profile=GOOD)
                    setup, _ = self.failing_setup(make, faults, empty_day, others=[good])
                    self.assertSame(setup, [["PRD", "ITEM=TransActions", "#"]])

    def test_no_workload_module_at_all(self):
        # A system that has neither workload module: the simulator is told
        # to answer as it does for a module it does not know (exception and
        # message of src/rfcsim/calls.cpp).
        for kind, make in KINDS[:2]:
            with self.subTest(system=kind):
                s = make(modules=["RFC_SYSTEM_INFO", "GET_CPU_ALL"],
                         extra=[("fault = receive %s rc=2 exception=FUNCTION_NOT_FOUND "
                                 'message="Function module %s not found"' % (SUMMARY_MODULE, SUMMARY_MODULE), "")])
                self.assertSame(self.setup_for([s]), [[s.name, "#"]])

    def test_a_day_without_figures(self):
        # The collector answers a day without rows with NO_DATA_FOUND; the
        # classic module with an empty table. Shortly after the system's
        # midnight (its clock: LASTCOLLWRT) either is an empty day, as the
        # simulator answers it; at 09:04 the collector's is a failure, whose
        # counterpart in the simulator is the classic module's exception.
        for kind, make in KINDS[:2]:
            for clock in ("Thu Mar  5 00:20:00 2026", LASTCOLLWRT):
                for runs in ([], ["ITEM"]):
                    with self.subTest(system=kind, clock=clock, run=runs):
                        s = make(tasks=[], lastcollwrt=clock)
                        if s.collector and clock == LASTCOLLWRT:
                            s.extra.append(("fault = receive %s rc=2 exception=NO_DATA_FOUND message=NO_DATA_FOUND"
                                            % SUMMARY_MODULE, ""))
                        if runs:
                            good = System("PRD", "sapprd01", "700", ALL_TYPES, profile=GOOD)
                            setup = self.setup_for([good, s], item_listing=good.profile + "#" + s.profile + "#")
                            self.assertSame(setup, [["PRD", "ITEM=TransActions", "#"]])
                        else:
                            self.assertSame(self.setup_for([s]), [[s.name], [s.name, "#"]])

    def test_the_grace_is_set_per_destination(self):
        # NO_DATA_GRACE=0 for NEW: even at 00:20 its empty day is a failure.
        s = new_system(tasks=[], lastcollwrt="Thu Mar  5 00:20:00 2026",
                       extra=[("fault = receive %s rc=2 exception=NO_DATA_FOUND message=NO_DATA_FOUND"
                               % SUMMARY_MODULE, "")])

        def settings(box, path):
            if path == "bridge":
                with open(os.path.join(box.bin, "quarlane-nwrfc.ini"), "w") as f:
                    f.write("NO_DATA_GRACE=120\n[NEW]\nNO_DATA_GRACE=0\n")
        self.assertSame(self.setup_for([s], extra=settings), [[s.name, "#"]])
        trace = self.box.read(TRACE).decode("latin-1")  # the bridge's box
        self.assertIn("SAP_COLLECTOR_FOR_PERFMONITOR", trace)


class CollectorSwitch(Differential):
    """The bridge's collector setting (docs/nwrfc.md) on systems that have
    both workload modules with the same figures: the documents stay the
    simulator's, and the fake SDK's call log shows which module was read."""

    def test_the_setting_chooses_the_module(self):
        cases = [(None, "750", COLLECTOR_MODULE), ("auto", "640", SUMMARY_MODULE),
                 ("classic", "750", SUMMARY_MODULE), ("collector", "640", COLLECTOR_MODULE),
                 ("Collector", "46C", COLLECTOR_MODULE)]
        for setting, release, module in cases:
            with self.subTest(setting=setting, release=release):
                s = System("NEW", "sapnew01", release, ALL_TYPES, sysnr="10", client="200",
                           modules=["RFC_SYSTEM_INFO", "GET_CPU_ALL", SUMMARY_MODULE, COLLECTOR_MODULE])
                s.both_modules = True

                def settings(box, path):
                    if path == "bridge" and setting:
                        with open(os.path.join(box.bin, "quarlane-nwrfc.ini"), "w") as f:
                            f.write("# the collector of NEW\n[NEW]\nCOLLECTOR=%s\n" % setting)
                self.assertSame(self.setup_for([s], extra=settings), [["NEW"], ["NEW", "RESPONSE"]],
                                env={"QUARLANE_FAKESDK_LOG": "FakeSdkCalls.log"})
                calls = self.box.read("FakeSdkCalls.log").decode("latin-1")  # the bridge's box
                invoked = [m for m in (SUMMARY_MODULE, COLLECTOR_MODULE) if " %s " % m in calls]
                self.assertEqual(invoked, [module], calls)


# Figures whose times are whole seconds, so that a collector that keeps
# milliseconds still gives whole figures after FACTOR.
WHOLE_SECONDS = [task("DIALOG ", 1200, db=54000, resp=360000, cpu=120000, readdir=9000, readseq=15000,
                      chng=4000, roll=8000, gui=64000),
                 task("HTTPS  ", 5200000, db=52000000, resp=5200000000, cpu=1300000000, readdir=90000000),
                 task("RFC    ", 7600, db=76000, resp=3040000, cpu=760000, roll=15000)]


def times_scaled(tasks, factor):
    """The same task types with every time multiplied by factor."""
    return [dict(t, **{k: int(t[k] * factor) for k in ("resp", "cpu", "readdir", "readseq", "chng", "roll", "gui")})
            for t in tasks]


class UnconfirmedDetails(Differential):
    """The same figures across every switch of the fake SDK for what no public
    source confirms about the collector (tests/fakesdk/README.md). Where the
    bridge can carry the figures, the documents are the simulator's; where it
    cannot know (the unit of the times, whether FACTOR is honoured), the
    bridge's documents are the simulator's for the times the collector gave:
    a factor the first-contact check finds out (docs/nwrfc.md)."""

    # (name, the fake's switch lines, factor of the times the bridge reports)
    CASES = [
        ("as assumed", [], 1),
        ("times FLOAT, exponent text", ["collector_times = float"], 1),
        ("times FLOAT, fixed text", ["collector_times = float", "float_text = fixed"], 1),
        ("times INT8", ["collector_times = int8"], 1),
        ("counts INT8", ["collector_counts = int8"], 1),
        ("counts INT8, times FLOAT", ["collector_counts = int8", "collector_times = float"], 1),
        ("ROLLTI present", ["collector_rollti = present"], 1),
        ("ROLLTI present, FLOAT", ["collector_rollti = present", "collector_times = float"], 1),
        ("fields reordered", ["collector_fields = reordered", "collector_times = float"], 1),
        ("fields added", ["collector_fields = extended", "collector_counts = int8"], 1),
        ("times in milliseconds", ["collector_unit = ms"], 0.001),
        ("times in milliseconds, FLOAT", ["collector_unit = ms", "collector_times = float"], 0.001),
        ("FACTOR ignored", ["collector_factor = ignored"], 1000),
        ("FACTOR ignored, INT8", ["collector_factor = ignored", "collector_times = int8"], 1000),
        ("milliseconds, FACTOR ignored", ["collector_unit = ms", "collector_factor = ignored"], 1),
    ]

    def test_the_collector_across_its_unconfirmed_details(self):
        for name, switches, factor in self.CASES:
            for make in (new_system, no_classic_module_system):
                with self.subTest(case=name, system=make.__name__):
                    fake = make(tasks=WHOLE_SECONDS, extra=[("", line) for line in switches])
                    seen = make(tasks=times_scaled(WHOLE_SECONDS, factor))

                    def setup(box, path, fake=fake, seen=seen):
                        self.setup_for([seen if path == "simulator" else fake])(box, path)
                    self.assertSame(setup, [[fake.name], [fake.name, "RESPONSE", "#"]])

    def test_fields_missing(self):
        # Without GUITIME and QUEUETI the bridge reads zero for them, as for
        # a field the system does not have; the simulator's figures then have
        # no GUI time.
        no_gui = [dict(t, gui=0) for t in WHOLE_SECONDS]
        s = new_system(tasks=no_gui, extra=[("", "collector_fields = reduced"), ("", "collector_times = float")])
        self.assertSame(self.setup_for([s]), [[s.name], [s.name, "#"]])

    def test_the_collector_missing_at_750(self):
        # A 7.50 system without the collector: the bridge reads the classic
        # module, the last resort.
        s = new_system(tasks=ALL_TYPES, modules=["RFC_SYSTEM_INFO", "GET_CPU_ALL", SUMMARY_MODULE])
        s.both_modules = True
        self.assertSame(self.setup_for([s]), [[s.name], [s.name, "#"]])

    def test_a_figure_the_classic_row_cannot_carry_is_named(self):
        # A negative count from the collector is a conversion failure naming
        # module, field and value, never a wrapped figure.
        s = new_system(extra=[("", "collector_counts = int8")])
        s.tasks = [dict(SMALL[0], count=-5)]

        def setup(box, path):
            self.setup_for([s])(box, path)
        result = self.outcome("bridge", setup, [([s.name, "#"], "quarlane", None)])[0]
        self.assertNotEqual(result[1], 0)
        trace = self.box.read(TRACE).decode("latin-1")
        self.assertIn('SWNC_COLLECTOR_GET_AGGREGATES TASKTYPE-COUNT: value "-5" is negative', trace)


    def test_fields_the_sensor_does_not_use_are_skipped(self):
        # The bridge reads only the collector fields the classic row uses: a
        # field no getter gives as text, or a negative figure in a field the
        # sensor never reads, no longer fails the summary.
        cases = [("a field RfcGetString cannot read", ["collector_fields = foreign"], ""),
                 ("negative figures in unused fields", [], " DBP_COUNT=-5 GUINETTIME=-7"),
                 ("both, times FLOAT", ["collector_fields = foreign", "collector_times = float"], " DCOUNT=-1")]
        for name, switches, words in cases:
            for make in (new_system, no_classic_module_system):
                with self.subTest(case=name, system=make.__name__):
                    fake = make(tasks=WHOLE_SECONDS, extra=[("", line) for line in switches])
                    fake.aggregate_words = words
                    self.assertSame(self.setup_for([fake]), [[fake.name], [fake.name, "RESPONSE", "#"]])


def settings_file(text):
    """A setup step writing quarlane-nwrfc.ini beside the bridge."""
    def write(box, path):
        if path == "bridge":
            with open(os.path.join(box.bin, "quarlane-nwrfc.ini"), "w") as f:
                f.write(text)
    return write


class WholeSystem(Differential):
    """COLLECTOR_COMPONENT = TOTAL (docs/nwrfc.md): the collector is asked for
    the whole system. Through the bridge the documents are the simulator's
    for a system whose own instance has the whole system's figures."""

    def test_total_reads_every_instance(self):
        both = [dict(t, instance=None) for t in scaled(SMALL, 8)]  # SMALL + 7 x SMALL on the second instance
        written = SMALL + [dict(t, instance="TOTAL") for t in scaled(SMALL, 3)]
        cases = [
            ("added up by the collector", two_instance_system(), new_system(tasks=both), "[NEW]\nCOLLECTOR_COMPONENT=TOTAL\n"),
            ("written by the collector job", new_system(tasks=written, extra=[("", "collector_total = written")]),
             new_system(tasks=scaled(SMALL, 3)), "COLLECTOR_COMPONENT=total\n"),
            ("the instance, as by default", two_instance_system(), new_system(),
             "COLLECTOR_COMPONENT=TOTAL\n[NEW]\nCOLLECTOR_COMPONENT=INSTANCE\n"),
            ("the classic module is asked as before", old_system(), old_system(), "COLLECTOR_COMPONENT=TOTAL\n"),
        ]
        for name, fake, seen, ini in cases:
            with self.subTest(case=name):
                def setup(box, path, fake=fake, seen=seen, ini=ini):
                    self.setup_for([seen if path == "simulator" else fake], extra=settings_file(ini))(box, path)
                self.assertSame(setup, [[fake.name], [fake.name, "#"]])

    def test_a_whole_system_not_written_yet_is_no_data(self):
        # collector_total = written: nothing written for TOTAL today is the
        # collector's NO_DATA_FOUND, a failure past the grace with its cause.
        fake = two_instance_system(extra=[("", "collector_total = written")])
        seen = new_system(tasks=[], extra=[("fault = receive %s rc=2 exception=NO_DATA_FOUND message=NO_DATA_FOUND"
                                            % SUMMARY_MODULE, "")])

        def setup(box, path):
            self.setup_for([seen if path == "simulator" else fake],
                           extra=settings_file("[NEW]\nCOLLECTOR_COMPONENT=TOTAL\n"))(box, path)
        self.assertSame(setup, [[fake.name, "#"]])
        self.assertIn("SAP_COLLECTOR_FOR_PERFMONITOR", self.box.read(TRACE).decode("latin-1"))

    def test_an_unknown_component_is_named(self):
        s = new_system()

        def setup(box, path):
            self.setup_for([s], extra=settings_file("[NEW]\nCOLLECTOR_COMPONENT=ALL\n"))(box, path)
        result = self.outcome("bridge", setup, [([s.name, "#"], "quarlane", None)])[0]
        self.assertIn(b"RFC-Open for NEW failed", result[0])
        self.assertIn("quarlane-nwrfc.ini line 2: COLLECTOR_COMPONENT=ALL is not INSTANCE (the logon instance) "
                      "or TOTAL (the whole system)", self.box.read(TRACE).decode("latin-1"))


class OlderSdks(Differential):
    """SDKs a customer may have: without each function the bridge can do
    without (RfcCancel, RfcGetInt8, RfcSetInt1, RfcSetInt2,
    RfcLoadCryptoLibrary), without all of them, and one linked with its
    libicudecnumber (no LD_LIBRARY_PATH, no PATH). Each reads the systems
    as the simulator does; INT8 fields come as text where RfcGetInt8 is
    missing."""

    VARIANTS = ("older", "without-rfccancel", "without-rfcgetint8", "without-rfcsetint1",
                "without-rfcsetint2", "without-rfcloadcryptolibrary", "decnumber")

    def tearDown(self):
        self.sdk_variant = None
        super().tearDown()

    def test_each_sdk_reads_a_640_and_a_750_system(self):
        for variant in self.VARIANTS:
            if not os.path.exists(os.path.join(fake_sdk_folder(variant), sdk_name())):
                self.fail("the fake SDK %s is not built (%s)" % (variant, fake_sdk_folder(variant)))
            self.sdk_variant = variant
            for kind, make, switches in (("6.40 classic", old_system, []), ("7.50 collector", new_system, []),
                                         ("7.50 INT8 counts", new_system, ["collector_counts = int8",
                                                                           "collector_times = int8"])):
                with self.subTest(sdk=variant, system=kind):
                    s = make(tasks=ALL_TYPES, extra=[("", line) for line in switches])
                    self.assertSame(self.setup_for([s]), [[s.name], [s.name, "RESPONSE", "#"]])

    def test_a_failure_through_an_older_sdk_names_what_it_lacks(self):
        self.sdk_variant = "older"
        s = old_system(faults=[broken(SUMMARY_MODULE, "connection to partner broken")])
        self.assertSame(self.setup_for([s]), [[s.name]])
        trace = self.box.read(TRACE).decode("latin-1")
        self.assertIn("problem..: the SDK lacks RfcCancel, RfcGetInt8, RfcSetInt1, RfcSetInt2, "
                      "RfcLoadCryptoLibrary (an older SDK); a call still running at the time bound is left "
                      "behind, not cancelled; INT8 fields are read as text (RfcGetString); INT1 and INT2 "
                      "values are set with RfcSetInt", trace)


class Texts(Differential):
    """Texts beyond ASCII from the system: the bridge hands the sensor
    Windows-1252 with '?' for what that cannot hold, as the simulator's
    landscape does here."""

    MESSAGES = ("Verbindung zum Partner 'sapold01' unterbrochen: Größe überschritten",
                "Kennwort für Benutzer MONITOR abgelaufen (€ 5, ½ Tag)",
                "Ω-Messung ✓ fehlgeschlagen: 接続が切断されました")

    def test_failure_messages(self):
        for message in self.MESSAGES:
            for kind, make in KINDS[:2]:
                with self.subTest(system=kind, message=message):
                    s = make(faults=[broken("GET_CPU_ALL", message)])
                    self.assertSame(self.setup_for([s]), [[s.name], [s.name, "#"]])

    def test_reported_host_name(self):
        # RFCHOST beyond ASCII shows in the global sensor's host label.
        for host_text in ("sapü01", "sapΩ01"):
            with self.subTest(host=host_text):
                def systems():
                    return [old_system(extra=[("RFCHOST = " + cp1252(host_text), "RFCHOST = " + host_text)]),
                            new_system(extra=[("RFCHOST = " + cp1252(host_text), "RFCHOST = " + host_text)])]
                lines = ["# GSNG: WORKLOAD  --OLD.P00#NEW.P00#",
                         '# GSNX: WORKLOAD   Item=TransActions,Host,Sensor="SAP Quarlane"']
                self.assertSame(self.setup_for(systems(), global_lines=lines), [["GLOBAL", "WORKLOAD", "#"]])


class LogonGroups(Differential):
    """Systems reached through a destination of SapRfc.ini: by a logon group
    of a message server (TYPE=B) and by an application server (TYPE=A). The
    simulator takes the destination's name as the system; the fake SDK
    answers at the message server's or application server's host."""

    def setup_group(self, lines, groups="PUBLIC SPACE", sim_faults=()):
        s = new_system(tasks=ALL_TYPES)
        # The same system as the fake SDK reaches it: through its message
        # server's host, which serves the logon groups.
        message_server = System("NEW", "sapmsg01", "750", ALL_TYPES, sysnr="10", client="200",
                                instance=s.instance,
                                extra=[("", "groups = " + groups), ("", "RFCHOST = " + s.host)])
        sim_system = new_system(tasks=ALL_TYPES, extra=[(fault, "") for fault in sim_faults])

        def setup(box, path):
            self.write_systems(box, path, [sim_system] if path == "simulator" else [message_server])
            self.write_profile(box, s)
            box.put_text("SapRfc.NEW", lines)
        return setup

    def test_logon_group(self):
        for group in ("PUBLIC", "SPACE"):
            with self.subTest(group=group):
                lines = ["* Corvanta's 7.50 system by its logon group", "DEST=NEW", "TYPE=B",
                         "MSHOST=sapmsg01", "R3NAME=NEW", "GROUP=" + group]
                self.assertSame(self.setup_group(lines), [["NEW"], ["NEW", "#"]])

    def test_unknown_logon_group(self):
        lines = ["DEST=NEW", "TYPE=B", "MSHOST=sapmsg01", "R3NAME=NEW", "GROUP=BATCH"]
        fault = 'fault = open communication message="Group BATCH not found"'
        self.assertSame(self.setup_group(lines, sim_faults=[fault]), [["NEW"], ["NEW", "#"]])

    def test_application_server_destination(self):
        s = new_system(tasks=ALL_TYPES)
        lines = ["DEST=NEW", "TYPE=A", "ASHOST=sapnew01", "SYSNR=10"]

        def extra(box, path):
            box.put_text("SapRfc.NEW", lines)
        self.assertSame(self.setup_for([s], extra=extra), [["NEW"], ["NEW", "#"]])

    def test_destination_file_saved_with_a_byte_order_mark_and_semicolon_comments(self):
        # As a Windows editor saves it: one file, the same destination through either library.
        s = new_system(tasks=ALL_TYPES)
        text = ("\ufeffDEST=NEW\r\n; Corvanta's 7.50 system\r\nTYPE=A\r\nASHOST=sapnew01\r\n"
                ";SYSNR=99\r\nSYSNR=10\r\n")

        def extra(box, path):
            box.put("SapRfc.NEW", text.encode("utf-8"))
        simulated = self.assertSame(self.setup_for([s], extra=extra), [["NEW"], ["NEW", "#"]])
        self.assertEqual(simulated[0][1], 0, simulated[0][0].decode("latin-1"))


if __name__ == "__main__":
    unittest.main()


# ------------------------------------------------------------ captures

CAPTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "captures")


def capture_files(folder):
    return sorted(os.path.join(folder, name) for name in os.listdir(folder) if name.endswith(".nwrfc"))


class Captures(Differential):
    """Every capture file in tests/captures (docs/capture-format.md): its
    facts meet the bridge's assumptions, and replayed by the fake SDK it
    gives the check's verdict again and, where that was ok, the sensor's
    documents. A capture added there later needs no change here."""

    def replay_box(self, data):
        capture = capture_facts.read(data)
        parameters = capture.open_parameters()
        s = System("CAP", parameters["ASHOST"], "", [], sysnr=parameters["SYSNR"], client=parameters["CLIENT"])
        box = self.fresh_box("bridge")
        tool = exe("quarlane-nwrfc-check")
        install(os.path.join(harness.BIN, tool), os.path.join(box.bin, tool))
        box.put(s.host.lower() + ".nwrfc", data)
        self.write_profile(box, s)
        return capture, box

    def test_every_capture(self):
        files = capture_files(CAPTURES)
        self.assertTrue(files, "no capture in " + CAPTURES)
        for path in files:
            with self.subTest(capture=os.path.basename(path)):
                with open(path, "rb") as f:
                    data = f.read()
                capture, box = self.replay_box(data)
                found = capture_facts.contradictions(capture)
                self.assertFalse(found, "%s contradicts what the bridge assumes: %s"
                                 % (os.path.basename(path), "; ".join(found)))
                checked = box.run(["CAP"], program="quarlane-nwrfc-check", env={"QUARLANE_FAKESDK_DIR": ""})
                report = checked.stdout.decode("utf-8")
                self.assertEqual(checked.status, capture.header["exit"], report)
                self.assertIn("\nVerdict: %s" % capture.header["verdict"], report)
                if capture.header["exit"] != 0:
                    continue
                for params in ([], ["RESPONSE"]):
                    result = box.run(["CAP"] + params, env={"QUARLANE_FAKESDK_DIR": ""})
                    self.assertEqual(result.status, 0, result.stdout)
                    document = ElementTree.fromstring(result.stdout)
                    self.assertTrue(document.findall("Result"), result.stdout)
                    self.assertIsNone(document.find("Error"), result.stdout)

    def test_edited_captures_fail_naming_the_assumption(self):
        # Each fixture says on its first line which assumption it breaks.
        files = capture_files(os.path.join(CAPTURES, "contradicting"))
        self.assertTrue(files)
        for path in files:
            with self.subTest(capture=os.path.basename(path)):
                with open(path, "rb") as f:
                    data = f.read()
                expected = data.decode("utf-8").splitlines()[0]
                self.assertTrue(expected.startswith("# contradicts: "), expected)
                self.assertIn(expected[len("# contradicts: "):],
                              capture_facts.contradictions(capture_facts.read(data)))
