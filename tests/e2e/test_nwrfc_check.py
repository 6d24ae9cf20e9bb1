"""quarlane-nwrfc-check against the fake SDK's systems: one case per verdict
(exit status), the report's parts, --json, a logon by host with the password
on standard input, and that the check writes no file at all (not the trace
either). Its text is UTF-8 without control characters, its JSON ASCII with
\\u escapes; --help, -h, /? and --version answer on every platform, and a
wrong command line says what is wrong."""

import calendar
import json
import os
import re
import time

import harness
from harness import EXEXML, exe
import test_nwrfc_connection as conn
import test_nwrfc_differential as diff

TOOL = "quarlane-nwrfc-check"
BOTH = ["RFC_SYSTEM_INFO", "GET_CPU_ALL", diff.SUMMARY_MODULE, diff.COLLECTOR_MODULE]
NO_AUTHORITY = ('fail = invoke %s runtime key=RFC_NO_AUTHORITY '
                'message="No RFC authorization for function module %s"')


def both_modules_system(**options):
    s = diff.System("NEW", "sapnew01", "750", diff.SMALL, sysnr="10", client="200", modules=BOTH, **options)
    s.both_modules = True
    return s


class Check(conn.BridgeTest):
    def check_box(self, system, script=None):
        box = self.bridge_box(system)
        diff.install(os.path.join(harness.BIN, exe(TOOL)), os.path.join(box.bin, exe(TOOL)))
        if script is not None:
            box.put(system.host.lower() + ".nwrfc", diff.encoded(script, "utf-8"))
        return box

    def check(self, args, stdin=None):
        result = self.box.run(args, program=TOOL, env={"QUARLANE_FAKESDK_DIR": "", "QUARLANE_FAKESDK_LOG": conn.CALLS},
                              stdin=stdin)
        return result.stdout.decode("latin-1"), result.status

    def assertVerdict(self, args, status, *texts, stdin=None):
        output, got = self.check(args, stdin)
        self.assertEqual(got, status, output)
        for text in texts:
            self.assertIn(text, output)
        return output


class Verdicts(Check):
    def test_one_case_per_verdict(self):
        scaled = [re.sub(r"\b(RESPTI|CPUTI)=(\d+)", lambda m: "%s=%d" % (m.group(1), 1000 * int(m.group(2))), line)
                  if line.startswith("aggregate") else line
                  for line in diff.script_lines(both_modules_system())]
        cases = [
            ("ok", both_modules_system(), None, 0,
             ["Verdict: ok: the sensor will work", "SWNC_COLLECTOR_GET_AGGREGATES  callable - serves today's summary"]),
            ("logon refused", diff.new_system(faults=[diff.logon_failure()]), None, 5,
             ["FAIL  logon", "Verdict: logon failed: Name or password is incorrect (repeat logon) (exit"]),
            ("module missing", diff.old_system(modules=["RFC_SYSTEM_INFO", "GET_CPU_ALL"]), None, 6,
             ["SAPWL_WORKLOAD_GET_SUMMARY     missing", "Verdict: module missing: no workload module"]),
            ("not authorised", diff.old_system(extra=[("", NO_AUTHORITY % ((diff.SUMMARY_MODULE,) * 2))]), None, 7,
             ["SAPWL_WORKLOAD_GET_SUMMARY     not authorised", "No RFC authorization for function module",
              "Verdict: not authorised"]),
            ("metadata not authorised",
             diff.new_system(extra=[("", 'fail = describe %s runtime key=RFC_NO_AUTHORITY message="No RFC '
                                         'authorization for function module RFC_METADATA_GET"' % diff.COLLECTOR_MODULE)]),
             None, 7, ["FAIL  look up SWNC_COLLECTOR_GET_AGGREGATES", "not authorised: RFC_NO_AUTHORITY",
                       "Verdict: not authorised: SWNC_COLLECTOR_GET_AGGREGATES: this user may not read its description"]),
            ("metadata not authorised before the first call",
             diff.new_system(extra=[("", 'fail = describe * runtime key=RFC_NO_AUTHORITY message="No RFC '
                                         'authorization for function module RFC_METADATA_GET"')]),
             None, 7, ["Verdict: not authorised: RFC_METADATA_GET: this user may not read function module "
                       "descriptions (S_RFC), so RFC_SYSTEM_INFO cannot be called"]),
            ("collector empty today", diff.new_system(tasks=[]), None, 9,
             ["Verdict: no figures today: SWNC_COLLECTOR_GET_AGGREGATES has no figures for today",
              "SAP_COLLECTOR_FOR_PERFMONITOR"]),
            ("units differ", both_modules_system(), scaled, 10,
             ["Both workload modules, side by side", "1000.000", "Verdict: units differ"]),
        ]
        for name, system, script, status, texts in cases:
            with self.subTest(verdict=name):
                self.check_box(system, script)
                # The fake SDK's own call log is the test's; nothing else
                # may change, not even the trace "Dev_Rfc.Trc".
                before = {path: data for path, data in self.box.files().items()
                          if os.path.basename(path) != conn.CALLS}
                output = self.assertVerdict([system.name], status, *texts)
                after = {path: data for path, data in self.box.files().items()
                         if os.path.basename(path) != conn.CALLS}
                self.assertEqual(after, before, "the check changed files")
                self.assertFalse(self.box.exists(diff.TRACE))
                self.assertNotIn("logon failed: logon failed", output)

    def test_a_cancelled_connection_is_never_used_again(self):
        # A lookup that hangs is cancelled at the time bound; the SDK has then
        # closed the connection, so the check gives its handle to nothing
        # more, RfcCloseConnection included, and says why the step failed.
        s = diff.new_system(extra=[("", "fail = describe %s hang seconds=30" % diff.COLLECTOR_MODULE)])
        self.box = self.bridge_box(s, ["TIMEOUT=2"])
        diff.install(os.path.join(harness.BIN, exe(TOOL)), os.path.join(self.box.bin, exe(TOOL)))
        output, _ = self.check([s.name])
        calls = self.box.read(conn.CALLS).decode("latin-1")
        self.assertIn("RfcCancel connection 1", calls, output)
        after_cancel = calls[calls.index("RfcCancel connection 1"):].split("\n", 1)[1]
        later_calls = [line for line in after_cancel.splitlines() if line.startswith("Rfc")]
        self.assertEqual(later_calls, [], calls)
        for line in output.splitlines():
            if line.startswith("FAIL"):
                self.assertFalse(line.rstrip().endswith(":"), output)

    def test_sdk_not_loaded(self):
        s = diff.new_system()
        self.check_box(s)
        os.unlink(os.path.join(self.box.bin, diff.sdk_name()))
        self.assertVerdict([s.name], 4, "FAIL  SDK", "SAP NetWeaver RFC SDK not found", "Verdict: SDK not loaded")

    def test_a_profile_the_sensor_cannot_use(self):
        s = diff.new_system()
        self.check_box(s)
        self.assertVerdict(["NOSUCH"], 3, "Verdict: profile not usable")


class Report(Check):
    def test_the_report_shows_partner_fields_figures_and_times(self):
        s = both_modules_system(extra=[("", "RFCKERNRL = 753")])
        self.check_box(s)
        output = self.assertVerdict([s.name], 0, "ok    SDK", "version 7500.0.0 (fake NetWeaver RFC SDK, tests only)\n",
                                    "System: release 750, kernel 753, host sapnew01, instance sapnew01_NEW_10",
                                    "  TASKTYPE          BYTE  1\n", "  RESPTI            BCD   8\n",
                                    "Today's figures from SWNC_COLLECTOR_GET_AGGREGATES")
        steps = re.findall(r"^  (ok|FAIL) +(\S.*?) +(\d+) ms", output, re.M)
        self.assertEqual([name for _, name, _ in steps][:5],
                         ["profile", "SDK", "logon", "RFC_SYSTEM_INFO", "GET_CPU_ALL"])
        dialog = re.search(r"^  DIALOG +(\d+) +(\d+) +(\d+) +(\d+)", output, re.M)
        first = diff.SMALL[0]
        self.assertEqual(dialog.groups()[:3], (str(first["count"]), str(first["resp"]),
                                               str(first["resp"] // first["count"])))

    def test_json(self):
        s = both_modules_system()
        self.check_box(s)
        output, status = self.check(["--json", s.name])
        self.assertEqual(status, 0, output)
        report = json.loads(output)
        self.assertEqual((report["verdict"], report["exit_status"]), ("ok", 0))
        self.assertEqual([(m["name"], m["state"], m["serves_summary"]) for m in report["modules"]],
                         [("RFC_SYSTEM_INFO", "callable", False), ("GET_CPU_ALL", "callable", False),
                          (diff.SUMMARY_MODULE, "callable", False), (diff.COLLECTOR_MODULE, "callable", True)])
        self.assertIn({"name": "TASKTYPE", "type": "BYTE", "length": 1, "decimals": 0, "read": True},
                      report["collector_fields"])
        dialog = [t for t in report["collector"]["types"] if t["type"] == "DIALOG"][0]
        self.assertEqual(dialog["steps"], diff.SMALL[0]["count"])
        self.assertEqual(report["classic"]["types"], report["collector"]["types"])

    def test_instance_and_whole_system_side_by_side(self):
        # The collector for the logon instance and for COMPONENT TOTAL, the
        # one the settings choose serving the sensor (COLLECTOR_COMPONENT).
        first = diff.SMALL[0]
        for ini, reads, other_step in ((None, "the instance", "(TOTAL)"),
                                       (["[NEW]", "COLLECTOR_COMPONENT=TOTAL"], "the whole system", "(instance)")):
            with self.subTest(settings=ini):
                s = diff.two_instance_system()
                self.box = self.bridge_box(s, ini)
                diff.install(os.path.join(harness.BIN, exe(TOOL)), os.path.join(self.box.bin, exe(TOOL)))
                output = self.assertVerdict([s.name], 0, "(the sensor reads %s, COLLECTOR_COMPONENT)" % reads,
                                            "ok    today's figures from %s %s" % (diff.COLLECTOR_MODULE, other_step))
                dialog = re.search(r"^  DIALOG +(\d+) +(\d+) +(\d+) +(\d+)$", output, re.M)
                self.assertEqual(dialog.groups(), (str(first["count"]), str(8 * first["count"]),
                                                   str(first["resp"]), str(8 * first["resp"])), output)
                served = re.search(r"^Today's figures from .*\n.*\n  DIALOG +(\d+)", output, re.M)
                self.assertEqual(served.group(1), str(first["count"] * (8 if ini else 1)), output)
        output, _ = self.check(["--json", s.name])
        report = json.loads(output)
        self.assertEqual(report["collector_component"], "TOTAL")
        self.assertEqual(report["collector_instance"]["types"][0]["steps"], first["count"])

    def test_skipped_fields_and_unlisted_types(self):
        # The collector fields the bridge skips are named; task types the
        # sensor does not list are shown with their steps.
        s = diff.new_system(tasks=diff.SMALL + [diff.task("ENQUEUE", 9999, resp=9999)],
                            extra=[("", "aggregate = day=%s TASKTYPE=09 COUNT=12 RESPTI=5000" % diff.DAY),
                                   ("", "collector_fields = foreign")])
        self.check_box(s)
        output = self.assertVerdict([s.name], 0, "  RESPTI            BCD   8\n", "  DCOUNT            BCD   13 - skipped\n",
                                    "  ZZOBJECT          ABAPOBJECT 8 - skipped\n",
                                    "types the sensor does not list (docs/nwrfc.md, task types): "
                                    "ENQUEUE 9999 steps; TT#09 12 steps;")
        self.assertNotIn("READDIRCNT        BCD   13 - skipped", output)
        output, _ = self.check(["--json", s.name])
        report = json.loads(output)
        self.assertEqual(report["collector"]["unlisted"], [{"type": "ENQUEUE", "steps": 9999},
                                                           {"type": "TT#09", "steps": 12}])
        self.assertIn({"name": "DCOUNT", "type": "BCD", "length": 13, "decimals": 0, "read": False},
                      report["collector_fields"])

    def test_logon_by_host_with_the_password_on_standard_input(self):
        s = diff.new_system()
        args = ["--host", s.host, "--sysnr", s.sysnr, "--client", s.client, "--user", "monitor", "--dest", "NEW"]
        for password, status in ((harness.GOOD_PASSWORD, 0), ("Wrong123", 5)):
            with self.subTest(password=password):
                self.check_box(s)
                self.assertVerdict(args, status, stdin=(password + "\n").encode())
                self.assertIn("PASSWD=[%s]" % password, self.calls())

    def test_help_and_wrong_usage(self):
        self.check_box(diff.new_system())
        for args in (["--help"], ["-h"], ["/?"], ["NEW", "--help"], ["--host", "-h"]):
            with self.subTest(args=args):
                result = self.box.run(args, program=TOOL)
                self.assertEqual(result.status, 0)
                self.assertTrue(result.stdout.startswith(b"usage: quarlane-nwrfc-check"), result.stdout)
                self.assertIn(b"Exit status (the verdict): 0 ok", result.stdout)
        host = ["--sysnr", "10", "--client", "200", "--user", "monitor"]
        cases = [
            (["--host", "sapnew01"], "--host needs --sysnr, --client, --user as well"),
            (["--host", "sapnew01", "--user", "monitor"], "--host needs --sysnr, --client as well"),
            ([], "a profile or --host is needed"),
            (["A", "B"], "one profile only (A, then B)"),
            (["--frobnicate", "NEW"], "unknown option --frobnicate"),
            (["NEW", "--client", "200"], "--sysnr, --client, --user and --dest go with --host, not with a profile"),
            (["--host", "--client", "200"] + host[2:], "--host needs a value"),
            (["--host", "sapnew01", "--client", "--sysnr", "10", "--user", "monitor"], "--client needs a value"),
            (["--host", "sapnew01", "--user"], "--user needs a value"),
            (["NEW", "--host", "sapnew01"] + host, "a profile (NEW) or --host, not both"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                result = self.box.run(args, program=TOOL)
                self.assertEqual(result.status, 2)
                self.assertEqual(result.stdout, b"")
                stderr = result.stderr.replace(b"\r\n", b"\n")
                self.assertTrue(stderr.startswith(("quarlane-nwrfc-check: %s\n\nusage: quarlane-nwrfc-check"
                                                   % message).encode()), stderr)

    def test_version(self):
        self.check_box(diff.new_system())
        result = self.box.run(["--version"], program=TOOL)
        self.assertEqual(result.status, 0)
        self.assertEqual(result.stdout, ("quarlane-nwrfc-check %s\n" % build_version()).encode())


def build_version():
    """The build's version text, as the build wrote it (util/version.h)."""
    with open(os.path.join(harness.BIN, os.pardir, "generated", "version.cpp"), encoding="utf-8") as f:
        return re.search(r'return "([^"]*)"', f.read()).group(1)


class CleanText(Check):
    """What the SDK or a profile says reaches the terminal without control
    characters and as UTF-8; --json is ASCII with correct \\u escapes."""

    PAINT = "\x1b[2J\x1b[H\x07\x08\x7fVerdict: ok \u20ac \u00e4"

    def system(self):
        return diff.new_system(extra=[("", 'fail = invoke GET_CPU_ALL runtime message="%s"' % self.PAINT)])

    def test_text_report(self):
        s = self.system()
        self.check_box(s)
        result = self.box.run([s.name], program=TOOL, env={"QUARLANE_FAKESDK_DIR": ""})
        self.assertEqual(result.status, 8, result.stdout)
        text = result.stdout.decode("utf-8")  # UTF-8, or this fails
        self.assertIn("?[2J?[H???Verdict: ok \u20ac \u00e4", text)
        self.assertEqual([line for line in text.splitlines() if line.startswith("Verdict:")],
                         [line for line in text.splitlines() if line.startswith("Verdict: call failed")])
        self.assertIsNone(re.search(rb"[\x00-\x09\x0b-\x1f\x7f]", result.stdout.replace(b"\r\n", b"\n")))

    def test_json_report(self):
        s = self.system()
        self.check_box(s)
        result = self.box.run(["--json", s.name], program=TOOL, env={"QUARLANE_FAKESDK_DIR": ""})
        self.assertEqual(result.status, 8, result.stdout)
        self.assertTrue(all(byte < 0x80 for byte in result.stdout))
        self.assertIn(b"\\u20ac \\u00e4", result.stdout)
        report = json.loads(result.stdout.decode("ascii"))
        self.assertIn("?[2J?[H???Verdict: ok \u20ac \u00e4", report["reason"])
        self.assertEqual(report["version"], build_version())
        self.assertRegex(report["checked_at"], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$")
        checked = calendar.timegm(time.strptime(report["checked_at"], "%Y-%m-%dT%H:%M:%SZ"))
        self.assertLess(abs(checked - time.time()), 120)

    def test_look_up_lines_say_what_failed_and_why(self):
        s = diff.new_system(extra=[("", "fail = describe %s communication" % diff.COLLECTOR_MODULE)])
        self.check_box(s)
        output, _ = self.check([s.name])
        lookups = [line for line in output.splitlines() if " look up " in line and "FAIL" in line]
        self.assertTrue(lookups, output)
        for line in lookups:
            self.assertNotRegex(line, r"(failed|missing): *$")
            self.assertRegex(line, r"(failed|missing|not authorised): \S")
