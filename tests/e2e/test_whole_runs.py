"""Whole runs against the simulated landscape: a single system reported in
full, and item runs (item mode and global mode) that report one channel per
listed system and close with a summary of the systems' states."""

from harness import EXEXML, GOOD_PASSWORD, SensorTest, error_document, profile_lines

BANNER = "* hh:mm:ss SAP Quarlane Vers 4.3 / 29.08.22\n"
CLOSING = "\n* hh:mm:ss SAP Quarlane now processed...\n"
HEAD = "\n<Prtg>\n"
END = "\n</Prtg>\n"
TRACE = "Dev_Rfc.Trc"
CPU_FAILURE = "Error 1014: RFC-Failure raised ! - connection to partner broken during GET_CPU_ALL"


def text(content):
    return "\n<Text>" + content + "</Text>\n"


def channel(name, value, unit="#"):
    return ("\n<Result><Channel>%s</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>%s</CustomUnit>\n"
            "<Value>%s</Value></Result>\n" % (name, unit, value))


def summary_channels(trans, dbase, rsp, cpu, dbtime, roll, gui):
    return "".join(channel(name, value, unit) for name, value, unit in (
        ("TransActions", trans, "#"), ("DBS-Accesses", dbase, "#"), ("Avg Rsp-Time", rsp, "mSec"),
        ("Avg CPU-Time", cpu, "mSec"), ("Avg DBS-Time", dbtime, "mSec"),
        ("Avg Roll-Time", roll, "mSec"), ("Avg GUI-Time", gui, "mSec")))


# PRD: 1200 dialog steps and 300 batch steps today. DB time is the direct,
# sequential and change read times together (9000 + 15000 + 4000 ms).
PRD_ROWS = [
    'TASKTYPE="DIALOG " COUNT=1200 DBACTIVCNT=54000 RESPTI=360000 CPUTI=120000 READDIRTI=9000 '
    'READSEQTI=15000 CHNGTI=4000 ROLLTI=800 GUITIME=64000',
    'TASKTYPE="BCKGRD " COUNT=300 DBACTIVCNT=6000 RESPTI=540000 CPUTI=90000',
]
PRD_TOTAL = 1500
QAS_TOTAL = 40

PRD_SUMMARY = (HEAD + text("(PRD) Summary:  Trans=1.500, DBase=60.000, Rsp=600 ms, CPU=140 ms, "
                           "DBTime=18 ms, Roll=0 ms, GUI=42 ms ")
               + summary_channels(1500, 60000, 600, 140, 18, 0, 42) + END)
PRD_DIALOG = (HEAD + text("(PRD) Response [DIALOG]: Trans=1.200, DBase=54.000, Rsp=300 ms, CPU=100 ms, "
                          "DBTime=23 ms, Roll=0 ms, GUI=53 ms ")
              + summary_channels(1200, 54000, 300, 100, 23, 0, 53) + END)

# The good system of the item runs: its file name, destination and host all
# differ, so that each kind of label shows which one it took.
GOOD = "PRD01.P00"
GOOD_LINE = "PRD01.P00, sapprd01, PRD, 00, 100"
QAS_LINE = "QAS.P00, sapqas01, QAS, 00, 100"


def system_section(name, host, rows=(), faults=()):
    lines = ["[system %s]" % name, "client = 100", "user = MONITOR", "password = " + GOOD_PASSWORD,
             "host = " + host, "sysnr = 00", "instance = %s_%s_00" % (host, name),
             "cpu = TYPE=1 NBR_CPU=4 LOAD1_AVG=35 USR_TOTAL=5300 IDLE_TOTAL=93500"]
    lines += ["workload = day=today " + row for row in rows]
    lines += ["fault = " + fault for fault in faults]
    return lines + [""]


def state_line(description, state):
    return "\n* hh:mm:ss %s State=%s\n" % (description, state)


def summary(processed, failed, systems=3):
    return (text("(***) TransActions: NoSystems=%d, Processed=%d, Failed=%d"
                 % (systems, processed, failed)) + END + "\n")


class WholeRun(SensorTest):
    def landscape(self, qas_faults=(), prd_faults=()):
        self.box.put_text("SapLandscape.ini", system_section("PRD", "sapprd01", PRD_ROWS, prd_faults)
                          + system_section("QAS", "sapqas01", ['TASKTYPE="DIALOG " COUNT=40 RESPTI=8000'],
                                           qas_faults))

    def profile(self, file_name, **changes):
        values = dict(Extcompany="Corvanta AG", Destination="PRD", Client="100", User="monitor",
                      Password=self.box.stored_password(GOOD_PASSWORD), Language="EN", Mode="R/3",
                      Hostname="sapprd01", Sysnr="00", Gwhost="sapgw01", Gwservice="sapgw00")
        values.update(changes)
        self.box.put_text(EXEXML + file_name, profile_lines(values))

    def qas_profile(self, **changes):
        self.profile("QAS.P00", **dict(dict(Destination="QAS", Hostname="sapqas01"), **changes))

    def run_ok(self, args, stdout, status=0):
        return self.assertRun(args, stdout, status, times=True, files_kept=False)


class SingleSystemRun(WholeRun):
    def test_document_and_progress_lines(self):
        processing = "* hh:mm:ss PRD.P00, %s, PRD, 00, 100 State=Processing\n"
        executing = "* hh:mm:ss Quarlane - %s State=Executing\n"
        cases = [
            # name, arguments, profile host, expected standard output
            ("plain", [], "sapprd01", PRD_SUMMARY),
            ("verbose, no parameters", ["#"], "sapprd01",
             BANNER + processing % "sapprd01" + executing % "(No Parameters)" + PRD_SUMMARY + CLOSING),
            ("verbose by a % inside a word", ["x%y"], "sapprd01",
             BANNER + processing % "sapprd01" + executing % "x%y" + PRD_SUMMARY + CLOSING),
            ("dialog selected, digits after the #", ["DIALOG#123"], "sapprd01",
             BANNER + processing % "sapprd01" + executing % "DIALOG" + PRD_DIALOG + CLOSING),
            ("dialog selected in two words", ["DIALOG", "#"], "sapprd01",
             BANNER + processing % "sapprd01" + executing % "DIALOG " + PRD_DIALOG + CLOSING),
            # Cutting the shown parameter text must not cut the option after
            # the "#": the profile's host is wrong, only the override reaches PRD.
            ("host override after the #", ["#,HOST=sapprd01"], "sapwrong",
             BANNER + processing % "sapwrong" + executing % "(No Parameters)" + PRD_SUMMARY + CLOSING),
        ]
        for name, args, host, stdout in cases:
            with self.case(case=name):
                self.landscape()
                self.profile("PRD.P00", Hostname=host)
                self.run_ok(["PRD"] + args, stdout)

    def test_a_successful_run_removes_the_trace_file(self):
        self.landscape()
        self.profile("PRD.P00")
        self.box.put(TRACE, "**** ERROR  an old failure\n")
        self.run_ok(["PRD"], PRD_SUMMARY)
        self.assertFalse(self.box.exists(TRACE))

    def test_a_failed_logon_ends_with_error_1011_and_keeps_the_trace(self):
        self.landscape(prd_faults=["open logon"])
        self.profile("PRD.P00")
        self.run_ok(["PRD"], error_document("Error 1011: RFC-Open for PRD failed !"), status=2)
        self.assertIn(b"RFC_ERROR_LOGON_FAILURE", self.box.read(TRACE))


class ItemRun(WholeRun):
    """Three listed systems: QAS refuses the logon, MIS has no profile, the
    good one is reported."""

    LISTING = "QAS.P00#MIS.P00#%s#" % GOOD

    def three_systems(self, qas_faults=("open logon",)):
        self.landscape(qas_faults=qas_faults)
        self.profile(GOOD)
        self.qas_profile()

    def item_mode(self, listing=LISTING):
        self.box.put_text(EXEXML + "Corvanta.Prf", ["; Corvanta item sensors",
                                                    "# Gsng: Corvanta ab " + listing])

    def global_mode(self, marker="", listing=LISTING):
        self.box.put_text(EXEXML + "SAP Corvanta.Gbl", [
            "; global sensors of Corvanta",
            "# GSNG: WORKLOAD  --" + listing,
            "# GSNG: OTHER     --OTHER.P00#",
            '# GSNX: WORKLOAD   Item=TransActions%s,Sensor="SAP Quarlane"' % marker,
        ])

    def expected(self, label, verbose, executing):
        out = HEAD + "\n" + channel(label, PRD_TOTAL)
        if verbose:
            out = (BANNER + "* hh:mm:ss %s State=Executing\n" % executing
                   + HEAD + "\n" + state_line(QAS_LINE, "Rfc Failure")
                   + channel(label, PRD_TOTAL) + state_line(GOOD_LINE, "Processed"))
        return out + summary(processed=1, failed=1) + (CLOSING if verbose else "")

    def test_item_mode(self):
        for verbose in (False, True):
            with self.case(verbose=verbose):
                self.three_systems()
                self.item_mode()
                args = ["PRD", "ITEM=TransActions"] + (["#"] if verbose else [])
                self.run_ok(args, self.expected(GOOD, verbose, "ITEM=TransActions #"))

    def test_global_mode_labels(self):
        cases = [("", GOOD), (",Profile", GOOD), (",Alias", "PRD01"), (",Host", "sapprd01"),
                 (",Sid", "PRD"), (",Alias,Sid", "PRD")]
        for marker, label in cases:
            for verbose in (False, True):
                with self.case(marker=marker, verbose=verbose):
                    self.three_systems()
                    self.global_mode(marker)
                    args = ["GLOBAL", "WORKLOAD"] + (["#"] if verbose else [])
                    self.run_ok(args, self.expected(label, verbose, "Item=TransActions" + marker))

    def test_the_trace_file_is_kept(self):
        self.three_systems()
        self.item_mode()
        old = "**** ERROR  an old failure\n"
        self.box.put(TRACE, old)
        self.run_ok(["PRD", "ITEM=TransActions"], self.expected(GOOD, False, None))
        trace = self.box.read(TRACE)
        self.assertTrue(trace.startswith(old.encode()), trace)
        self.assertIn(b"RFC_ERROR_LOGON_FAILURE", trace)

    def test_no_parameter_is_carried_to_the_next_system(self):
        # QAS would accept PRD's password and host; a profile lacking them
        # must not log on with the values of the system before it.
        cases = [
            ("no password", dict(Password=None), QAS_LINE, ""),
            # Without a host the open goes to no particular host, which QAS
            # accepts: it is reported, but its profile was not sound.
            ("no host", dict(Hostname=None), "QAS.P00, , QAS, 00, 100", channel("QAS.P00", QAS_TOTAL)),
        ]
        for name, changes, description, qas_channel in cases:
            with self.case(case=name):
                self.landscape()
                self.profile(GOOD)
                self.qas_profile(**changes)
                self.item_mode("%s#QAS.P00#" % GOOD)
                self.run_ok(["PRD", "ITEM=TransActions", "#"],
                            BANNER + "* hh:mm:ss ITEM=TransActions # State=Executing\n" + HEAD + "\n"
                            + channel(GOOD, PRD_TOTAL) + state_line(GOOD_LINE, "Processed")
                            + qas_channel + state_line(description, "Rfc Failure")
                            + summary(processed=1, failed=1, systems=2) + CLOSING)

    def test_a_failed_load_analysis_of_the_last_system_leaves_a_clean_summary(self):
        for fault in ("call SAPWL_WORKLOAD_GET_SUMMARY rc=1",
                      "receive SAPWL_WORKLOAD_GET_SUMMARY rc=2 exception=NO_DATA_FOUND",
                      "receive SAPWL_WORKLOAD_GET_SUMMARY rc=3"):
            with self.case(fault=fault):
                self.three_systems(qas_faults=[fault])
                self.item_mode("%s#QAS.P00#" % GOOD)
                self.run_ok(["PRD", "ITEM=TransActions"],
                            HEAD + "\n" + channel(GOOD, PRD_TOTAL) + summary(1, 1, systems=2))

    def test_a_failed_call_for_the_system_data_ends_the_run_after_what_was_written(self):
        cases = [
            ("call GET_CPU_ALL rc=1", CPU_FAILURE),
            ("receive RFC_SYSTEM_INFO rc=3",
             "Error 1013: Sys-Exception raised ! - System failure SYSTEM_FAILURE in RFC_SYSTEM_INFO"),
        ]
        for fault, message in cases:
            for verbose in (False, True):
                with self.case(fault=fault, verbose=verbose):
                    self.three_systems(qas_faults=[fault])
                    self.item_mode("%s#QAS.P00#MIS.P00#" % GOOD)
                    written = HEAD + "\n" + channel(GOOD, PRD_TOTAL)
                    if verbose:
                        written = (BANNER + "* hh:mm:ss ITEM=TransActions # State=Executing\n" + written
                                   + state_line(GOOD_LINE, "Processed"))
                    # The open document ends with the error, so it stays
                    # well-formed; the channel already written stays in it.
                    self.run_ok(["PRD", "ITEM=TransActions"] + (["#"] if verbose else []),
                                written + "<Error>1</Error>\n<Text>" + message + "</Text>\n</Prtg>\n",
                                status=2)
