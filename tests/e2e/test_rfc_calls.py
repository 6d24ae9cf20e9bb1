"""A single-system run against the simulated landscape: the logon, the
remote calls GET_CPU_ALL and RFC_SYSTEM_INFO with their return codes, the
RFC error block, the per-destination RFC configuration file, the trace-file
finding and the step log."""

import re

from harness import (EXEXML, GOOD_PASSWORD, SensorTest, error_document, good_values,
                     profile_lines)

PROFILE = EXEXML + "PRD.P00"
LANDSCAPE = "SapLandscape.ini"
CALL_LOG = "SimCalls.log"
TRACE = "Dev_Rfc.Trc"
LASTCOLLWRT = "Thu Mar  5 09:04:00 2026"
OPEN_FAILED = "Error 1011: RFC-Open for PRD failed !"

# The first run of a profile without history lines reports the day's totals:
# 1200 dialog steps with 360 s response time in all.
SUMMARY_DOCUMENT = "".join([
    "\n<Prtg>\n\n",
    "<Text>(PRD) Summary:  Trans=1.200, DBase=0, Rsp=300 ms, CPU=0 ms, DBTime=0 ms,"
    " Roll=0 ms, GUI=0 ms </Text>\n\n",
    "".join("<Result><Channel>%s</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>%s</CustomUnit>\n"
            "<Value>%s</Value></Result>\n\n" % channel for channel in (
                ("TransActions", "#", "1200"), ("DBS-Accesses", "#", "0"),
                ("Avg Rsp-Time", "mSec", "300"), ("Avg CPU-Time", "mSec", "0"),
                ("Avg DBS-Time", "mSec", "0"), ("Avg Roll-Time", "mSec", "0"),
                ("Avg GUI-Time", "mSec", "0"))),
    "</Prtg>\n",
])


def system_lines(user="monitor", password=GOOD_PASSWORD, lastcollwrt=LASTCOLLWRT, extra=()):
    """The [system PRD] section: logon data, one CPU row, one dialog row on
    the day of lastcollwrt, and further lines (faults, address checks)."""
    return ["[system PRD]", "client = 100", "user = " + user, 'password = "%s"' % password,
            'lastcollwrt = "%s"' % lastcollwrt, "instance = sapprd01_PRD_00",
            "cpu = TYPE=1 NBR_CPU=4 LOAD1_AVG=35 USR_TOTAL=5300 IDLE_TOTAL=93500",
            "cpu = TYPE=1 SERIALNR=1 NBR_CPU=4 LOAD1_AVG=40",
            'workload = day=20260305 TASKTYPE="DIALOG " COUNT=1200 RESPTI=360000'] + list(extra)


def trace_finding(trace):
    """The suffix a failed call gets from the trace file (bytes, or None for
    a missing file): the last text of an "ERROR " or "======> " line, unless a
    later "**** ERROR " line opened a block without one."""
    if trace is None:
        return " - Look for Trace-File"
    kept = None
    for line in trace.decode("latin-1").splitlines():
        if line.startswith("**** ERROR "):
            kept = None
        elif line.startswith("ERROR "):
            kept = line[12:]
        elif line[7:15] == "======> ":
            kept = line[15:]
    return " - " + kept if kept is not None else " - Please Check Trace-File !"


def rfc_error_block(operation):
    """A pattern for the library's error block: the operation line exactly,
    the four fields of the last error as the library fills them."""
    return re.compile(
        rb"\A" + re.escape("RFC error\noperation/code  : %s\n" % operation).encode()
        + rb"key             : RFC_ERROR_[A-Z_]+\n"
        + rb"status          : [^\n]*\n"
        + rb"message         : [^\n]+\n"
        + rb"internal status : [^\n]*\n"
        + rb"\n\* Programm aborted\.\.\.\n\* Error at EoXput-File\.\.\.\n\Z")


class RfcRun(SensorTest):
    def prepare(self, profile=None, system=None, landscape=True):
        """A good profile (with changes) in the ExeXml folder and a landscape
        with a call log in the working folder."""
        self.box.put_text(PROFILE, profile_lines(good_values(self.box, **(profile or {}))))
        if landscape:
            self.box.put_text(LANDSCAPE, ["[sim]", "calllog = " + CALL_LOG]
                              + (system if system is not None else system_lines()))

    def sensor(self, args=("PRD",)):
        result = self.run_sensor(list(args))
        self.context = "run %r; stdout:\n%s" % (args, result.stdout.decode("latin-1"))
        return result

    def calls(self, name=None):
        """The lines of the call log, or only those of one library function."""
        lines = self.box.read(CALL_LOG).decode("latin-1").splitlines()
        return [line for line in lines if name is None or line.startswith(name + " ")]

    def summary_call(self):
        """The RfcCall of the load summary."""
        return self.the_call("RfcCall", "function=[SAPWL_WORKLOAD_GET_SUMMARY]")

    def the_call(self, name, containing=""):
        found = [line for line in self.calls(name) if containing in line]
        self.assertEqual(len(found), 1, "%s calls: %r" % (name, found))
        return found[0]

    def trace(self):
        return self.box.read(TRACE) if self.box.exists(TRACE) else None

    def assertFailedCall(self, message):
        """Error document with the message and the trace finding, status 2;
        the trace is left in place."""
        stdout, status = self.sensor()
        self.assertIsNotNone(self.trace(), "Dev_Rfc.Trc must stay after a failed run")
        expected = error_document(message + trace_finding(self.trace()))
        self.assertEqual(stdout, expected, self.context)
        self.assertEqual(status, 2, self.context)


class GoodRunAndLogon(RfcRun):
    def test_a_good_run_writes_the_summary_and_removes_the_trace(self):
        self.prepare()
        self.box.put(TRACE, b"**** ERROR  an earlier run\n")
        stdout, status = self.sensor()
        self.assertEqual(stdout, SUMMARY_DOCUMENT.encode(), self.context)
        self.assertEqual(status, 0, self.context)
        self.assertFalse(self.box.exists(TRACE))
        self.assertIn("STARTDATE:1:8=[20260305]", self.summary_call())
        self.assertEqual(self.calls()[-1], "RfcClose handle=1")

    def test_failed_logon_is_error_1011_and_keeps_the_trace(self):
        cases = [
            ("wrong password", dict(system=system_lines(password="Other99")),
             "RFC_ERROR_LOGON_FAILURE"),
            ("unknown user", dict(system=system_lines(user="nobody")), "RFC_ERROR_LOGON_FAILURE"),
            ("wrong system number", dict(system=system_lines(extra=["sysnr = 01"])),
             "RFC_ERROR_COMMUNICATION"),
            ("no landscape", dict(landscape=False), "RFC_ERROR_NO_LANDSCAPE"),
        ]
        for name, setup, key in cases:
            with self.case(case=name):
                self.prepare(**setup)
                profile = self.box.read(PROFILE)
                stdout, status = self.sensor()
                self.assertEqual(stdout, error_document(OPEN_FAILED), self.context)
                self.assertEqual(status, 2, self.context)
                trace = self.trace()
                self.assertIsNotNone(trace, "Dev_Rfc.Trc must stay after a failed logon")
                self.assertIn(key.encode(), trace)
                self.assertEqual(self.box.read(PROFILE), profile)
                if setup.get("landscape", True):
                    self.assertEqual(self.calls("RfcCall"), [])

    def test_user_and_password_padding(self):
        # The user arrives in upper case, padded to 12; the password keeps
        # its case, padded to 10; longer values are passed unchanged.
        cases = [
            ("ab", "xy", "AB          ", "xy        "),
            ("monitor", GOOD_PASSWORD, "MONITOR     ", GOOD_PASSWORD + "  "),
            ("monitorwatch", "Abcdefghij", "MONITORWATCH", "Abcdefghij"),
            ("monitorwatcher", "Abcdefghij0123456789", "MONITORWATCHER", "Abcdefghij0123456789"),
        ]
        for user, password, sent_user, sent_password in cases:
            with self.case(user=user, password=password):
                self.prepare(profile=dict(User=user, Password=self.box.stored_password(password)),
                             system=system_lines(user=user, password=password))
                stdout, status = self.sensor()
                self.assertEqual(status, 0, self.context)
                self.assertIn(" user=[%s] password=[%s] language=[EN] "
                              % (sent_user, sent_password), self.the_call("RfcOpen"))

    def test_mode_chooses_the_address_record(self):
        gateway = "gateway_host=[sapprd01] gateway_service=[sapgw00]"
        host_record = "hostname=[sapprd01] sysnr=0 " + gateway
        cases = [
            ("R/3", "mode=0", host_record),
            ("R/2", "mode=1", gateway),
            ("r/2", "mode=0", host_record),
            ("R/2 ", "mode=0", host_record),
        ]
        for mode, sent_mode, record in cases:
            with self.case(mode=mode):
                self.prepare(profile=dict(Mode=mode))
                stdout, status = self.sensor()
                self.assertEqual(status, 0, self.context)
                pattern = r"^RfcOpen destination=\[PRD\] %s client=\[100\] .* trace=0 %s -> 1$"
                self.assertRegex(self.the_call("RfcOpen"), pattern % (sent_mode, re.escape(record)))

    def test_host_and_number_overrides(self):
        cases = [
            ("X,HOST=sapapp07", "hostname=[sapapp07] sysnr=5 "),
            ("X,NO=12", "hostname=[sapprd01] sysnr=12 "),
            ("X,HOST=sapApp07,NO=12", "hostname=[sapApp07] sysnr=12 "),
            ("X,NO=12,HOST=sapapp07", "hostname=[sapapp07] sysnr=12 "),
            ("X,HOST=", "hostname=(null) sysnr=5 "),
            ("no override", "hostname=[sapprd01] sysnr=5 "),
            ("X,NO=", "hostname=[sapprd01] sysnr=0 "),
        ]
        for params, record in cases:
            with self.case(params=params):
                self.prepare(profile=dict(Sysnr="05"))
                stdout, status = self.sensor(["PRD", params])
                self.assertEqual(status, 0, self.context)
                self.assertIn(" " + record, self.the_call("RfcOpen"))

    def test_the_date_of_the_last_cpu_collection_is_the_day_asked_for(self):
        cases = [
            (LASTCOLLWRT, "20260305"),
            ("Mon Dec 31 23:59:59 2029", "20291231"),
            ("Sat Oct 10 00:00:01 1998", "20981010"),  # the century is always 20
            ("Wed Foo  7 12:00:00 2026", "2026oo07"),  # no month: its letters stay
        ]
        for stamp, startdate in cases:
            with self.case(lastcollwrt=stamp):
                self.prepare(system=system_lines(lastcollwrt=stamp))
                stdout, status = self.sensor()
                self.assertEqual(status, 0, self.context)
                self.assertIn("STARTDATE:1:8=[%s]" % startdate, self.summary_call())


class PerDestinationFile(RfcRun):
    """"SapRfc." followed by the destination: copied to "SapRfc.ini", then
    the open goes by connect string."""

    ENTRY = "DEST=PRD\r\nTYPE=A\r\nASHOST=sapprd01\r\nSYSNR=00\r\n* \xe4 kept as it is\r\n"

    def test_open_by_connect_string(self):
        cases = [
            ("entry for PRD", self.ENTRY.encode("latin-1"), 0),
            ("zero bytes", b"", 2),
        ]
        for name, content, status in cases:
            with self.case(case=name):
                self.prepare(profile=dict(Language="EN"))
                self.box.put("SapRfc.PRD", content)
                self.box.put("SapRfc.ini", b"DEST=OLD\nASHOST=elsewhere\n" * 50)
                stdout, got_status = self.sensor()
                head = b"* SapRfc.Ini.......: PRD<\n"
                body = SUMMARY_DOCUMENT.encode() if status == 0 else error_document(OPEN_FAILED)
                self.assertEqual(stdout, head + body, self.context)
                self.assertEqual(got_status, status, self.context)
                self.assertEqual(self.box.read("SapRfc.ini"), content)
                self.assertEqual(self.box.read("SapRfc.PRD"), content)
                self.assertRegex(self.the_call("RfcOpenEx"), re.escape(
                    "RfcOpenEx connect=[CLIENT=100 USER=MONITOR PASSWD=%s LANG=D DEST=PRD]"
                    % GOOD_PASSWORD) + " error_info=set -> ")
                self.assertEqual(self.calls("RfcOpen"), [])


class ReturnCodes(RfcRun):
    """A failed remote call: its message, then the trace finding."""

    def test_return_codes_of_both_calls(self):
        cases = []
        for function in ("GET_CPU_ALL", "RFC_SYSTEM_INFO"):
            cases += [
                (function, "call %s rc=1" % function, "Error 1014: RFC-Failure raised !"),
                (function, "receive %s rc=1" % function, "Error 1014: RFC-Failure raised !"),
                (function, "receive %s rc=2 exception=NO_DATA_FOUND" % function,
                 "Error 1012: Exception.: NO_DATA_FOUND"),
                (function, "receive %s rc=2" % function,
                 "Error 1012: Exception.: SIMULATED_EXCEPTION"),
                # Without a receive there is no exception name.
                (function, "call %s rc=2 exception=NO_DATA_FOUND" % function,
                 "Error 1012: Exception.: "),
                (function, "receive %s rc=3 exception=COMMUNICATION_FAILURE" % function,
                 "Error 1013: Sys-Exception raised !"),
                (function, "call %s rc=7" % function, "Error 1015: Other Failure raised !"),
                (function, "receive %s rc=-1" % function, "Error 1015: Other Failure raised !"),
            ]
        for function, fault, message in cases:
            with self.case(fault=fault):
                self.prepare(system=system_lines(extra=["fault = " + fault]))
                profile = self.box.read(PROFILE)
                self.assertFailedCall(message)
                self.assertEqual(self.box.read(PROFILE), profile)
                received = [c for c in self.calls("RfcReceive") if "function=[%s]" % function in c]
                self.assertEqual(len(received), 0 if fault.startswith("call") else 1)
                if function == "GET_CPU_ALL":
                    # The table goes back to the library whatever the code.
                    self.assertEqual(self.calls("ItDelete"), ["ItDelete table=#1 -> 0"])
                    self.assertEqual(len(self.calls("RfcCall")), 1)
                else:
                    self.assertEqual(len(self.calls("RfcCall")), 2)
                self.assertEqual(self.calls()[-1], "RfcClose handle=1")

    def test_the_last_text_of_the_trace_is_appended(self):
        message = "partner 'sapprd01:sapgw00' not reached"
        self.prepare(system=system_lines(
            extra=['fault = receive GET_CPU_ALL rc=3 message="%s"' % message]))
        self.box.put(TRACE, b"**** ERROR  earlier\nERROR       an earlier status\n")
        stdout, status = self.sensor()
        self.assertEqual(stdout, error_document("Error 1013: Sys-Exception raised ! - " + message),
                         self.context)
        self.assertEqual(status, 2, self.context)
        trace = self.trace().decode("latin-1").splitlines()
        self.assertEqual(trace[0], "**** ERROR  earlier")  # appended to, not replaced


class LibraryFailures(RfcRun):
    """A failure inside the library: its error block, all connections
    closed, status 1, no document."""

    def test_error_block(self):
        cases = [
            ("open handler", "RfcOpen"),
            ('open handler="open of PRD refused"', "open of PRD refused"),
            ("receive GET_CPU_ALL handler", "RfcReceive GET_CPU_ALL"),
            ('call RFC_SYSTEM_INFO handler="RfcCall RFC_SYSTEM_INFO"', "RfcCall RFC_SYSTEM_INFO"),
            ("install CPU_ALL", "RfcInstallStructure"),
            ("install RFCSI", "RfcInstallStructure"),
            ("install SAPWLSUMRY", "RfcInstallStructure"),
            ("itcreate TF_CPU_ALL", "ItCreate TF_CPU_ALL"),
            ("itgetline TF_CPU_ALL", "ItGetLine TF_CPU_ALL"),
            ("itgetline TF_CPU_ALL from=2", "ItGetLine TF_CPU_ALL"),
            ("itdelete TF_CPU_ALL", "ItDelete TF_CPU_ALL"),
            ("itcreate SUMMARY", "ItCreate SUMMARY"),
            ("itgetline SUMMARY", "ItGetLine SUMMARY"),
            ("itdelete SUMMARY", "ItDelete SUMMARY"),
            ("itcreate *", "ItCreate TF_CPU_ALL"),
        ]
        for fault, operation in cases:
            with self.case(fault=fault):
                self.prepare(system=system_lines(extra=["fault = " + fault]))
                profile = self.box.read(PROFILE)
                stdout, status = self.sensor()
                self.assertRegex(stdout, rfc_error_block(operation), self.context)
                self.assertEqual(status, 1, self.context)
                self.assertEqual(self.calls()[-1], "RfcClose handle=0")
                if fault != "itdelete SUMMARY":  # the table goes back after the history update
                    self.assertEqual(self.box.read(PROFILE), profile)


class StepLog(RfcRun):
    """",SYSLOG": the steps go to "Quarlane.Log" in the working folder."""

    def test_syslog_writes_the_steps(self):
        for params, logged in ((",SYSLOG", True), (",syslog", True), ("SYSLOG", False)):
            with self.case(params=params):
                self.prepare()
                stdout, status = self.sensor(["PRD", params])
                self.assertEqual(stdout, SUMMARY_DOCUMENT.encode(), self.context)
                self.assertEqual(status, 0, self.context)
                self.assertEqual(self.box.exists("Quarlane.Log"), logged)
                if not logged:
                    continue
                lines = self.box.read("Quarlane.Log").decode("latin-1").splitlines()
                for line in lines:
                    self.assertRegex(line, r"^-?[0-9]+ [^ ].* .*$")
                steps = [re.match(r"^(-?[0-9]+) (.*?) called (.*)$", line) for line in lines]
                self.assertEqual(
                    [(m.group(1), m.group(2), m.group(3)) for m in steps if m],
                    [("0", "RfcEnvironment", ""), ("1", "RfcOpen", "PRD"),
                     ("1", "RfcCall", "GET_CPU_ALL"), ("1", "RfcReceive", "GET_CPU_ALL"),
                     ("1", "RfcCall", "RFC_SYSTEM_INFO"), ("1", "RfcReceive", "RFC_SYSTEM_INFO"),
                     ("1", "RfcCall", "SAPWL_WORKLOAD_GET_SUMMARY"),
                     ("1", "RfcReceive", "SAPWL_WORKLOAD_GET_SUMMARY")])
                self.assertRegex(lines[0], r"^0 program started .*quarlane")
