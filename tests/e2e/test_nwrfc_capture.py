"""quarlane-nwrfc-check --capture against the fake SDK's 6.40 and 7.50
systems, and the fake SDK replaying the capture: the capture holds no
password and, unless kept, no user, host or system name; the check's report
gains one line; the sensor's documents through the replay (the summary, the
responses report, an item run) are the live run's, byte for byte."""

import json
import os
import re

import harness
from harness import GOOD_PASSWORD, exe
import capture_facts
import test_nwrfc_differential as diff

TOOL = "quarlane-nwrfc-check"
CAPTURE = "capture.nwrfc"


def systems():
    return (("6.40", diff.old_system(tasks=diff.ALL_TYPES)),
            ("7.50", diff.new_system(tasks=diff.scaled(diff.ALL_TYPES, 2))))


def refusing_system():
    return diff.System("LCK", "saplck01", "750", diff.SMALL, faults=[diff.logon_failure()])


def steps_without_times(report):
    return re.sub(r"\d+ ms +", "N ms ", report)


class Captures(diff.Differential):
    def tool_box(self, system_list):
        box = self.fresh_box("bridge")
        diff.install(os.path.join(harness.BIN, exe(TOOL)), os.path.join(box.bin, exe(TOOL)))
        self.write_systems(box, "bridge", system_list)
        for s in system_list:
            self.write_profile(box, s)
        return box

    def check(self, box, args, status=0):
        result = box.run(args, program=TOOL, env={"QUARLANE_FAKESDK_DIR": ""})
        self.assertEqual(result.status, status, result.stdout.decode("utf-8", "replace"))
        return result.stdout.decode("utf-8")

    def make_capture(self, system, keep_names=False, status=0):
        """The capture of a check of the system, and the check's report."""
        box = self.tool_box([system])
        report = self.check(box, ["--capture", CAPTURE] + (["--capture-keep-names"] if keep_names else []) +
                            [system.name], status)
        return box.read(CAPTURE), report


class Writing(Captures):
    def test_no_password_and_no_names(self):
        for kind, s in systems() + (("logon refused", refusing_system()),):
            with self.subTest(system=kind):
                data, report = self.make_capture(s, status=5 if s.name == "LCK" else 0)
                text = data.decode("utf-8")
                self.assertIn("\nquarlane-nwrfc-capture 1\n", text)
                self.assertIn("\nnames replaced\n", text)
                self.assertNotIn(GOOD_PASSWORD, text)
                self.assertNotIn("PASSWD", text)
                for name in (s.host, "monitor", s.name, s.instance):
                    self.assertIsNone(re.search(r"(?<![A-Za-z0-9])%s(?![A-Za-z0-9])" % re.escape(name), text, re.I),
                                      "%r is in the capture:\n%s" % (name, text))
                capture = capture_facts.read(data)
                self.assertEqual(capture.open_parameters()["ASHOST"], "host1")
                self.assertEqual(capture.open_parameters()["USER"], "USER1")
                self.assertLess(len(data), 32 * 1024)
                if s.name == "LCK":
                    self.assertEqual((capture.header["verdict"], capture.header["exit"]), ("logon failed", 5))
                    self.assertIn("Name or password is incorrect", text)
                    continue
                self.assertEqual((capture.header["verdict"], capture.header["exit"]), ("ok", 0))
                # What the system answered is all there: the rows of the
                # module that serves, in the system's own types (its first
                # answer: the check then asks the collector for the other
                # COMPONENT too, the whole system beside the instance).
                table = "TASKTYPE" if s.collector else "SUMMARY"
                answers = [e for e in capture.events if e["kind"] == "invoke" and e["outcome"] == "ok"
                           and e["function"] == s.workload_module()]
                rows = answers[0]["tables"].get(table, [])
                if s.collector:
                    self.assertEqual([e["sets"].get("COMPONENT") for e in answers][1:], ["TOTAL"])
                self.assertEqual(len(rows), len(s.tasks))
                self.assertEqual(rows[0]["COUNT"], str(s.tasks[0]["count"]))
                self.assertIn("RFCSYSID=\"SY1\"", text)
                self.assertEqual(capture_facts.contradictions(capture), [])

    def test_names_kept_when_asked(self):
        s = systems()[1][1]
        data, _ = self.make_capture(s, keep_names=True)
        text = data.decode("utf-8")
        self.assertIn("\nnames kept\n", text)
        self.assertIn('param ASHOST="%s"' % s.host, text)
        self.assertNotIn(GOOD_PASSWORD, text)

    def test_the_report_gains_one_line(self):
        for kind, s in systems():
            with self.subTest(system=kind):
                box = self.tool_box([s])
                plain = self.check(box, [s.name])
                captured = self.check(box, ["--capture", CAPTURE, s.name])
                line = "Capture: written to %s (no password; user, host and system names replaced by placeholders)\n" \
                       % CAPTURE
                self.assertIn(line, captured)
                self.assertEqual(steps_without_times(captured.replace(line, "")), steps_without_times(plain))
                report = json.loads(self.check(box, ["--json", "--capture", CAPTURE, s.name]))
                self.assertEqual(report["capture"], {"file": CAPTURE, "written": True, "names": "replaced",
                                                     "problem": ""})

    def test_wrong_use(self):
        s = systems()[0][1]
        box = self.tool_box([s])
        for args, message in ((["--capture"], "--capture needs a file name"),
                              (["--capture-keep-names", s.name], "--capture-keep-names goes with --capture FILE")):
            with self.subTest(args=args):
                result = box.run(args, program=TOOL)
                self.assertEqual(result.status, 2)
                self.assertTrue(result.stderr.replace(b"\r\n", b"\n").startswith(
                    ("quarlane-nwrfc-check: %s\n" % message).encode()), result.stderr)
        # A file that cannot be written stops the check before the logon.
        result = box.run(["--capture", "no-such-folder/capture.nwrfc", s.name], program=TOOL)
        self.assertEqual(result.status, 2)
        self.assertIn(b"the capture file no-such-folder/capture.nwrfc cannot be written", result.stderr)
        self.assertEqual(result.stdout, b"")


class Replay(Captures):
    """The same installation, once with the fake systems' scripts and once
    with their captures in their place."""

    LISTING = "OLD.P00#LCK.P00#NEW.P00#"

    def outcomes(self, captures):
        old, new = systems()[0][1], systems()[1][1]
        everything = [old, new, refusing_system()]

        def setup(box, path):
            self.setup_for(everything, item_listing=self.LISTING)(box, path)
            for host, data in (captures or {}).items():
                box.put(host + ".nwrfc", data)
        runs = [([s.name] + params, "quarlane", None) for s in (old, new) for params in ([], ["RESPONSE"], ["#"])]
        runs += [(["PRD", "ITEM=TransActions"] + params, "quarlane", None) for params in ([], ["#"])]
        return runs, self.outcome("bridge", setup, runs)

    def captures(self):
        found = {}
        for s in [systems()[0][1], systems()[1][1], refusing_system()]:
            found[s.host] = self.make_capture(s, keep_names=True, status=5 if s.name == "LCK" else 0)[0]
        return found

    def test_replay_gives_the_live_documents(self):
        runs, live = self.outcomes(None)
        _, replayed = self.outcomes(self.captures())
        for run, (sim, bridge) in zip(runs, zip(live, replayed)):
            with self.subTest(run=run[0]):
                self.assertEqual(bridge[0].decode("latin-1"), sim[0].decode("latin-1"),
                                 "document differs (first: replayed); stderr:\n" + bridge[3].decode("latin-1"))
                self.assertEqual(bridge[1], sim[1])
                self.assertEqual(bridge[2], sim[2])
        # Something to compare: channels of both systems and the refused logon.
        self.assertIn(b"<Channel>TransActions</Channel>", live[0][0])
        self.assertIn(b"Processed=2, Failed=1", live[6][0])

    def test_the_replay_answers_from_the_capture(self):
        # One figure edited in the capture shows in the document: the replay
        # serves the capture's rows, not the script's.
        captures = self.captures()
        new = systems()[1][1]
        first = new.tasks[0]["count"]
        edited = re.sub(rb"(row TASKTYPE=01 COUNT=)%d\b" % first, rb"\g<1>%d" % (first + 1), captures[new.host])
        self.assertNotEqual(edited, captures[new.host])
        captures[new.host] = edited
        runs, live = self.outcomes(None)
        _, replayed = self.outcomes(captures)
        self.assertNotEqual(replayed[3][0], live[3][0])
        self.assertEqual(replayed[0][0], live[0][0])  # the 6.40 system is as it was

    def test_a_call_the_capture_lacks_fails_naming_it(self):
        captures = self.captures()
        new = systems()[1][1]
        captures[new.host] = re.sub(rb'set PERIODSTRT="\d+"', b'set PERIODSTRT="20000101"', captures[new.host])
        _, replayed = self.outcomes(captures)
        self.assertEqual(replayed[3][1], 2, replayed[3][0])
        self.assertIn(b"has no call of SWNC_COLLECTOR_GET_AGGREGATES", replayed[3][0])
