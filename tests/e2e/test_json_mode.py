"""The JSON mode (PRTG's Script v2 sensor): laid out as on a probe - the
program and its profiles in one folder, the working files in a folder of
their own, a current folder the run must not write - every document of every
report, item run and failure checked against the stored Script v2 schema
(tests/schema/prtg-script-v2.schema.json), with its status, message and
channel ids."""

import json
import os
import stat
import unittest

from harness import GOOD_PASSWORD, SensorTest, is_wine, profile_lines

try:
    import jsonschema
except ImportError:  # scripts/setup test installs python3-jsonschema
    jsonschema = None

HERE = os.path.dirname(os.path.abspath(__file__))
SCHEMA_PATH = os.path.join(HERE, "..", "schema", "prtg-script-v2.schema.json")

SCRIPTS = "C:\\Scripts\\"
WORK = "C:\\JsonWork"
CURRENT = "C:\\Current"
PROGRAM = "quarlane-json"

PRD_ROWS = [
    'TASKTYPE="DIALOG " COUNT=1200 DBACTIVCNT=54000 RESPTI=360500 CPUTI=120000 READDIRTI=9000',
    'TASKTYPE="BCKGRD " COUNT=300 DBACTIVCNT=6000 RESPTI=540000 CPUTI=90000',
]
SUMMARY_NAMES = ["TransActions", "DBS-Accesses", "Avg Rsp-Time", "Avg CPU-Time", "Avg DBS-Time",
                 "Avg Roll-Time", "Avg GUI-Time"]


def system_section(name, host, rows=(), faults=(), password=GOOD_PASSWORD):
    lines = ["[system %s]" % name, "client = 100", "user = MONITOR", "password = " + password,
             "host = " + host, "sysnr = 00", "instance = %s_%s_00" % (host, name),
             "cpu = TYPE=1 NBR_CPU=4 LOAD1_AVG=35 USR_TOTAL=5300 IDLE_TOTAL=93500"]
    lines += ["workload = day=today " + row for row in rows]
    lines += ["fault = " + fault for fault in faults]
    return lines + [""]


@unittest.skipIf(jsonschema is None, "python3-jsonschema is not installed (scripts/setup test)")
class JsonMode(SensorTest):
    def setUp(self):
        super().setUp()
        with open(SCHEMA_PATH) as f:
            self.schema = json.load(f)

    # -- the layout of a probe

    def layout(self, prd_faults=(), qas_faults=(), empty_day=False):
        box = self.box
        box.make_dir(SCRIPTS)
        for name in ("quarlane", "librfc32"):
            source = os.path.join(box.bin, ("%s.exe" if is_wine() and name == "quarlane" else "%s") % name)
            if name == "librfc32":
                source = box.library_path() if not is_wine() else os.path.join(box.bin, "librfc32.dll")
            target = box.host(SCRIPTS + (PROGRAM + (".exe" if is_wine() else "") if name == "quarlane"
                                         else os.path.basename(source)))
            with open(source, "rb") as f:
                box.put(box.windows(target), f.read())
            os.chmod(target, 0o755)
        box.make_dir(WORK)
        box.make_dir(CURRENT)
        box.put_text(WORK + "\\SapLandscape.ini",
                     system_section("PRD", "sapprd01", [] if empty_day else PRD_ROWS, prd_faults)
                     + system_section("QAS", "sapqas01", ['TASKTYPE="DIALOG " COUNT=40 RESPTI=8000'],
                                      qas_faults)
                     + system_section("DEV", "sapdev01", [], (), password="other-secret"))
        for name, host in (("PRD", "sapprd01"), ("QAS", "sapqas01"), ("DEV", "sapdev01")):
            self.profile(name + ".P00", Destination=name, Hostname=host)
        box.put_text(SCRIPTS + "Corvanta.Prf", ["# Gsng: systems     PRD.P00#QAS.P00#DEV.P00#"])
        box.put_text(SCRIPTS + "SAP Corvanta.Gbl",
                     ["# GSNG: DIALOGAVG   PRD.P00#QAS.P00#",
                      '# GSNX: DIALOGAVG  Item=Avg:Dialog RESPONSE,Sid,Sensor="SAP Quarlane"'])

    def profile(self, file_name, extra=(), **changes):
        values = dict(Extcompany="Corvanta AG", Destination="PRD", Client="100", User="monitor",
                      Password=self.box.stored_password(GOOD_PASSWORD), Language="EN", Mode="R/3",
                      Hostname="sapprd01", Sysnr="00", Gwhost="sapgw01", Gwservice="sapgw00")
        values.update(changes)
        self.box.put_text(SCRIPTS + file_name, profile_lines(values) + list(extra))

    def run_json(self, args, work=None):
        """Runs as Script v2 starts it; checks the document against the schema
        and that nothing was written in the current folder."""
        work_env = work if work is not None else (WORK if is_wine() else self.box.host(WORK))
        current = self.box.host(CURRENT)
        if not is_wine():
            os.chmod(current, 0o555)
        try:
            program = os.path.join(self.box.host(SCRIPTS), PROGRAM + (".exe" if is_wine() else ""))
            result = self._run_program(program, args, {"QUARLANE_WORK": work_env}, CURRENT)
        finally:
            if not is_wine():
                os.chmod(current, 0o755)
        self.assertEqual(os.listdir(current), [], "the run wrote into the current folder")
        text = result.stdout.decode("utf-8")
        document = json.loads(text)
        jsonschema.validate(document, self.schema)
        self.assertEqual(result.status, 0, text)
        return document

    def _run_program(self, program, args, env, cwd):
        # The harness runs programs of its bin folder; this one lies in the
        # scripts folder, as on a probe.
        saved = self.box.bin
        self.box.bin = os.path.dirname(program)
        try:
            return self.box.run(args, program=PROGRAM, env=env, cwd=cwd)
        finally:
            self.box.bin = saved

    # -- the tests

    def test_reports_and_item_runs(self):
        cases = [
            # arguments, status, message start, channel ids
            (["PRD"], "ok", "(PRD) Summary:  Trans=1.500", list(range(10, 17))),
            (["PRD", "DIALOG"], "ok", "(PRD) Response [DIALOG]:", list(range(10, 17))),
            (["PRD", "RESPONSE"], "ok", "(PRD) Responses:", [100, 101]),
            (["PRD", "TRANSACTION"], "ok", "(PRD) Transaction:", [200, 201]),
            (["PRD", "ITEM=TransActions"], "warning",
             "(***) TransActions: NoSystems=3, Processed=2, Failed=1 - DEV.P00: Error 1011: "
             "RFC-Open for DEV failed ! - ", None),
            (["GLOBAL", "DIALOGAVG"], "ok", "(***) Avg Dialog: NoSystems=2, Processed=2, Failed=0",
             None),
        ]
        for args, status, message, ids in cases:
            with self.case(args=args):
                self.layout()
                document = self.run_json(args)
                self.assertEqual(document["status"], status, document)
                self.assertTrue(document["message"].startswith(message), document["message"])
                if ids is not None:
                    self.assertEqual([c["id"] for c in document["channels"]], ids)
                kinds = {c["name"]: (c["type"], c["kind"]) for c in document["channels"]}
                if "Avg Rsp-Time" in kinds:
                    self.assertEqual(kinds["Avg Rsp-Time"], ("float", "time_response"))
                    self.assertEqual(kinds["TransActions"], ("integer", "count"))

    def test_averages_keep_their_decimals(self):
        self.layout()
        document = self.run_json(["PRD"])
        values = {c["name"]: c["value"] for c in document["channels"]}
        # (360500 + 540000) / 1500 = 600.333...
        self.assertEqual(values["Avg Rsp-Time"], 600.33)
        self.assertEqual(values["TransActions"], 1500)

    def test_item_channel_ids_stay_when_a_system_is_added(self):
        self.layout()
        first = self.run_json(["PRD", "ITEM=TransActions"])
        again = self.run_json(["PRD", "ITEM=TransActions"])
        self.box.put_text(SCRIPTS + "Corvanta.Prf", ["# Gsng: systems     NEW.P00#PRD.P00#QAS.P00#"])
        self.profile("NEW.P00", Destination="QAS", Hostname="sapqas01")
        added = self.run_json(["PRD", "ITEM=TransActions"])
        ids = lambda d: {c["name"]: c["id"] for c in d["channels"]}
        self.assertEqual(ids(first), ids(again))
        for name in ("PRD.P00", "QAS.P00", "Systems", "Processed", "Failed"):
            self.assertEqual(ids(added)[name], ids(first)[name], name)
        self.assertEqual(added["status"], "ok", added)
        self.assertEqual(len(set(ids(added).values())), len(added["channels"]))

    def test_states_of_the_item_run(self):
        self.layout()
        self.box.put_text(SCRIPTS + "Corvanta.Prf", ["# Gsng: systems     DEV.P00#"])
        every_failed = self.run_json(["PRD", "ITEM=TransActions"])
        self.assertEqual(every_failed["status"], "error", every_failed)
        self.box.put_text(SCRIPTS + "Corvanta.Prf", ["# Gsng: systems     PRD.P00#GONE.P00#"])
        skipped = self.run_json(["PRD", "ITEM=TransActions"])
        self.assertEqual(skipped["status"], "warning", skipped)
        self.assertIn("GONE.P00: no profile, skipped", skipped["message"])

    def test_a_day_without_figures_is_a_warning(self):
        self.layout(empty_day=True)
        document = self.run_json(["PRD"])
        self.assertEqual(document["status"], "warning", document)
        self.assertIn("no figures for today yet", document["message"])

    def test_every_failure_is_an_error_document_with_its_reason(self):
        cases = [
            # name, arguments, how the layout is changed, message start
            ("1001", [], None, "Error 1001: Parameter for Profile-Name is missing !"),
            ("1002 not beside the program", ["NOPE"], None,
             "Error 1002: Profile NOPE.P00 is missing... - looked in "),
            ("1003", ["PRD"], lambda: self.profile("PRD.P00", Client="1"),
             "Error 1003: Invalid Parameter(s) at PRD.P00 found..."),
            ("1006", ["PRD"], lambda: self.profile("PRD.P00", User=""),
             "Error 1006: Username in Profile PRD.P00 is missing..."),
            ("1007", ["PRD"], lambda: self.profile("PRD.P00", Password=""),
             "Error 1007: Password in Profile PRD.P00 is missing..."),
            ("1011 with the logon's reason", ["DEV"], None,
             "Error 1011: RFC-Open for DEV failed ! - "),
            ("1012", ["PRD"], lambda: self.layout(
                prd_faults=["receive SAPWL_WORKLOAD_GET_SUMMARY rc=2 exception=NO_DATA_FOUND"]),
             "Error 1012: Exception.: NO_DATA_FOUND"),
            ("1013", ["PRD"], lambda: self.layout(prd_faults=["receive GET_CPU_ALL rc=3"]),
             "Error 1013: Sys-Exception raised !"),
            ("1015", ["PRD"], lambda: self.layout(prd_faults=["call RFC_SYSTEM_INFO rc=7"]),
             "Error 1015: Other Failure raised !"),
            # The listing is looked for beside the program like any profile.
            ("1002 for the item listing", ["PRD", "ITEM=TransActions"],
             lambda: self.box.remove(SCRIPTS + "Corvanta.Prf"),
             "Error 1002: Profile Corvanta.Prf is missing... - looked in "),
            ("1025", ["PRD", "ITEM=TransActions"],
             lambda: self.box.put_text(SCRIPTS + "Corvanta.Prf", ["# nothing"]),
             "Error 1025: Global Server Listing missing..."),
            ("1002 for the global sensor file", ["GLOBAL", "X"],
             lambda: self.box.remove(SCRIPTS + "SAP Corvanta.Gbl"),
             "Error 1002: Profile SAP Corvanta.Gbl is missing... - looked in "),
            ("1030", ["GLOBAL", "NOSUCH"], None, "Error 1030: Global Sensor NOSUCH not found..."),
            ("1029", ["GLOBAL", "BAD"], lambda: self.box.put_text(SCRIPTS + "SAP Corvanta.Gbl", [
                "# GSNG: BAD        PRD.P00#", "# GSNX: BAD        Item=TransActions"]),
             "Error 1029: Invalid Sensor-Allocation..."),
            ("unknown item", ["PRD", "ITEM=Avg:Dilaog", "RESPONSE"], None,
             'Unknown item "Avg Dilaog": the responses report knows Avg Dialog, '),
            ("a library that does not load", ["PRD"],
             lambda: self.box.remove(SCRIPTS + ("librfc32.dll" if is_wine() else "librfc32.so")),
             "Error 1009: RFC-Library "),
            ("a library failing inside", ["PRD"],
             lambda: self.layout(prd_faults=["itcreate SUMMARY"]), ""),
        ]
        for name, args, change, message in cases:
            with self.case(failure=name):
                self.layout()
                if change:
                    change()
                document = self.run_json(args)
                self.assertEqual(document["status"], "error", document)
                self.assertNotIn("channels", document)
                self.assertTrue(document["message"].startswith(message), document["message"])
                self.assertGreater(len(document["message"]), 0)

    def test_the_logon_reason_reaches_prtg(self):
        self.layout()
        document = self.run_json(["DEV"])
        self.assertRegex(document["message"], r"^Error 1011: RFC-Open for DEV failed ! - \S")
        self.assertNotIn("Trace-File", document["message"])

    def test_an_unusable_working_folder_is_named(self):
        self.layout()
        self.box.put(WORK + "\\file", b"x")
        work = (WORK + "\\file") if is_wine() else self.box.host(WORK + "\\file")
        document = self.run_json(["PRD"], work=work)
        self.assertEqual(document["status"], "error")
        self.assertTrue(document["message"].startswith("Working folder "), document["message"])
        self.assertIn("QUARLANE_WORK", document["message"])

    def test_limits(self):
        self.layout()
        self.profile("PRD.P00", extra=["Limit......: Avg Rsp-Time=500,900",
                                       "Limit......: TransActions=,99999"])
        warning = self.run_json(["PRD"])
        self.assertEqual(warning["status"], "warning", warning)
        self.assertIn("Avg Rsp-Time 600.33 is above its warning limit 500", warning["message"])
        self.profile("PRD.P00", extra=["Limit......: TransActions=100,1000"])
        error = self.run_json(["PRD"])
        self.assertEqual(error["status"], "error", error)
        self.box.put_text(SCRIPTS + "Corvanta.Prf", ["# Gsng: systems     PRD.P00#QAS.P00#",
                                                     "Limit......: TransActions=1000,"])
        item = self.run_json(["PRD", "ITEM=TransActions"])
        self.assertEqual(item["status"], "warning", item)
        self.assertIn("PRD.P00 1500 is above its warning limit 1000", item["message"])

    def test_any_bytes_of_a_profile_give_a_valid_document(self):
        self.layout()
        hostile = bytes(range(1, 256)).replace(b"\n", b"").replace(b"\r", b"")
        self.box.put(SCRIPTS + "PRD.P00", b"Client.....: " + hostile + b"\n")
        document = self.run_json(["PRD"])
        self.assertEqual(document["status"], "error")
        long_name = "X" * 3000
        document = self.run_json([long_name])
        self.assertLessEqual(len(document["message"]), 2000)
