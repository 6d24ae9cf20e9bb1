"""The SDK's own behaviours through the NetWeaver RFC bridge, with the fake
SDK's switches for what no public source pins down (tests/fakesdk/README.md):
its multi-line messages, a connection it has closed after an ABAP error or a
communication failure, and a cancel it ignores during a metadata lookup."""

import os
import re
import time

import test_nwrfc_differential as nw
from harness import is_wine

LOG = "FakeSdkCalls.log"
BOUND = 2  # seconds, through QUARLANE_NWRFC_TIMEOUT
GRACE = 1  # the bridge's wait after its cancel (docs/nwrfc.md)


def later_calls(calls, marker):
    """The log's lines after the first line containing marker."""
    lines = calls.splitlines()
    for number, line in enumerate(lines):
        if marker in line:
            return lines[number + 1:]
    raise AssertionError("%r not in the call log:\n%s" % (marker, calls))


class SdkBehaviour(nw.Differential):
    def bridge_run(self, systems, args, env=None, without=None):
        """One run through the bridge: (result, call log, trace, seconds).
        without: a file left out of the bin folder."""
        box = self.fresh_box("bridge")
        if without:
            os.unlink(os.path.join(box.bin, without))
        self.setup_for(systems)(box, "bridge")
        run_env = {"QUARLANE_FAKESDK_DIR": "", "QUARLANE_FAKESDK_LOG": LOG}
        run_env.update(env or {})
        start = time.monotonic()
        result = box.run(args, env=run_env)
        seconds = time.monotonic() - start
        # The trace is text: CR LF on Windows.
        trace = box.read(nw.TRACE).decode("latin-1").replace("\r\n", "\n") if box.exists(nw.TRACE) else ""
        calls = box.read(LOG).decode("latin-1") if box.exists(LOG) else ""
        return result, calls, trace, seconds

    def test_the_sdk_loads_with_its_own_library_from_its_folder(self):
        # The fake SDK needs its libsapucum as SAP's does; both lie in the
        # bridge's folder only, found there without LD_LIBRARY_PATH or PATH.
        s = nw.new_system()
        result, calls, _, _ = self.bridge_run([s], [s.name])
        self.assertEqual(result.status, 0, result.stdout)
        self.assertIn("RfcOpenConnection", calls)
        ucum = os.path.basename(nw.fake_ucum())
        result, calls, trace, _ = self.bridge_run([s], [s.name], without=ucum)
        self.assertEqual(result.status, 2, result.stdout)
        self.assertEqual(calls, "")
        self.assertRegex(trace, r"not in that folder: [^)]*" + re.escape(ucum))

    def test_an_sdk_message_reads_what_happened(self):
        # The fake answers with the SDK's labelled lines; the simulator says
        # only what happened. The documents must be the same.
        for kind, make in nw.KINDS[:2]:
            for step in ("open", "GET_CPU_ALL"):
                with self.subTest(system=kind, failing=step):
                    s = make()
                    partner = "%s:sapgw%s" % (s.host, s.sysnr)
                    if step == "open":
                        said = "partner '%s' not reached" % partner
                        s.faults = [('fault = open communication message="%s"' % said, "fail = open communication")]
                    else:
                        said = "connection to partner '%s' broken during %s" % (partner, step)
                        s.faults = [('fault = receive %s rc=1 message="%s"' % (step, said),
                                     "fail = invoke %s communication" % step)]
                    self.assertSame(self.setup_for([s]), [[s.name], [s.name, "#"]])
                    result, _, trace, _ = self.bridge_run([s], [s.name])
                    if step != "open":  # a failed logon's document names only the destination
                        self.assertIn(b"Error 1014: RFC-Failure raised ! - " + said.encode(), result.stdout)
                    self.assertNotIn(b"?", result.stdout)
                    # Every line of the SDK's message is a line of the trace block.
                    self.assertRegex(trace, r"\n     problem\.\.: SDK: LOCATION    CPIC \(TCP/IP\) on local host")
                    self.assertRegex(trace, r"\n     problem\.\.: SDK: ERROR       " + re.escape(said) + "\n")
                    self.assertIn("\n       ======> %s\n" % said, trace)

    def test_a_message_beyond_windows_1252_is_whole_in_the_trace(self):
        # A Japanese system's message: the documents show '?' for what
        # Windows-1252 cannot hold (the classic boundary's texts), the
        # trace keeps the whole message in UTF-8.
        said = "\u63a5\u7d9a\u304c\u5207\u65ad\u3055\u308c\u307e\u3057\u305f (sapold01, \u00c4nderung)"
        s = nw.old_system(faults=[nw.broken("GET_CPU_ALL", said)])
        self.assertSame(self.setup_for([s]), [[s.name]])
        result, _, trace_latin1, _ = self.bridge_run([s], [s.name])
        self.assertEqual(result.status, 2, result.stdout)
        self.assertIn("Error 1014: RFC-Failure raised ! - ?????????? (sapold01, \u00c4nderung)".encode("utf-8"),
                      result.stdout)
        trace = trace_latin1.encode("latin-1")
        self.assertIn(b"\n       ======> ?????????? (sapold01, \xc4nderung)\n", trace)
        self.assertIn(b"\n     problem..: SDK, UTF-8: " + said.encode("utf-8") + b"\n", trace)

    def test_a_closed_connection_is_not_used_again(self):
        # After an ABAP runtime error or a broken connection the SDK has
        # closed the handle: no call of the bridge may use it again, RfcClose
        # included, whether the SDK then answers RFC_INVALID_HANDLE or not.
        for switch in ("keeps", "closes"):
            for kind, make in nw.KINDS[:2]:
                workload = make().workload_module()
                for name, fault, step in (
                        ("runtime error", nw.system_failure("GET_CPU_ALL", "ABAP runtime error CONVT_NO_NUMBER"),
                         "GET_CPU_ALL"),
                        ("workload runtime error",
                         nw.system_failure(nw.SUMMARY_MODULE, "DBIF_RSQL_SQL_ERROR", workload), workload),
                        ("broken", nw.broken("GET_CPU_ALL", "connection reset by peer"), "GET_CPU_ALL")):
                    with self.subTest(abap_error=switch, system=kind, failure=name):
                        s = make(faults=[fault], extra=[("", "abap_error = " + switch)])
                        self.assertSame(self.setup_for([s]), [[s.name]])
                        result, calls, _, _ = self.bridge_run([s], [s.name])
                        self.assertEqual(result.status, 2, result.stdout)
                        self.assertEqual(later_calls(calls, "RfcInvoke connection 1 " + step),
                                         ["  -> 3" if name != "broken" else "  -> 1"]
                                         + (["  connection 1 closed after the ABAP error"]
                                            if switch == "closes" and name != "broken" else []), calls)
                        self.assertNotIn("unknown handle", calls)

    def test_the_error_group_decides_whether_the_connection_is_closed(self):
        # SAP's bindings take a connection as closed after the codes
        # COMMUNICATION_FAILURE, ABAP_RUNTIME_FAILURE, ABAP_MESSAGE and
        # EXTERNAL_FAILURE or after an error of the groups ABAP_RUNTIME_FAILURE,
        # LOGON_FAILURE, COMMUNICATION_FAILURE and EXTERNAL_RUNTIME_FAILURE,
        # and drop the handle (docs/nwrfc.md). The fake keeps the connection
        # open, so the log shows whether the bridge still closes it.
        cases = (  # code and its number, group and its number, closed by the SDK
            ("RFC_UNKNOWN_ERROR", 28, "EXTERNAL_RUNTIME_FAILURE", 5, True),
            ("RFC_SERIALIZATION_FAILURE", 12, "COMMUNICATION_FAILURE", 4, True),
            ("RFC_MEMORY_INSUFFICIENT", 9, "EXTERNAL_RUNTIME_FAILURE", 5, True),
            ("RFC_LOGON_FAILURE", 2, "LOGON_FAILURE", 3, True),
            ("RFC_EXTERNAL_FAILURE", 15, "EXTERNAL_APPLICATION_FAILURE", 6, True),
            ("RFC_INVALID_PARAMETER", 20, "EXTERNAL_APPLICATION_FAILURE", 6, False),
            ("RFC_CONVERSION_FAILURE", 22, "EXTERNAL_APPLICATION_FAILURE", 6, False),
        )
        for kind, make in nw.KINDS[:2]:
            for code, code_number, group, group_number, closed in cases:
                with self.subTest(system=kind, code=code, group=group):
                    said = "%s in GET_CPU_ALL (%s)" % (code, group)
                    s = make(faults=[('fault = receive GET_CPU_ALL rc=1 message="%s"' % said,
                                      'fail = invoke GET_CPU_ALL code=%s group=%s message="%s"'
                                      % (code, group, said))])
                    self.assertSame(self.setup_for([s]), [[s.name]])
                    result, calls, trace, _ = self.bridge_run([s], [s.name])
                    self.assertEqual(result.status, 2, result.stdout)
                    self.assertIn(b"Error 1014: RFC-Failure raised ! - " + said.encode(), result.stdout)
                    self.assertIn("%s, error group %d" % (code, group_number), trace)
                    after = later_calls(calls, "RfcInvoke connection 1 GET_CPU_ALL")
                    self.assertEqual(after, ["  -> %d" % code_number]
                                     + ([] if closed else ["RfcCloseConnection connection 1"]), calls)

    def test_a_cancel_the_sdk_ignores_during_a_lookup(self):
        # The lookup goes on after the cancel: the bridge leaves it behind at
        # its bound plus the grace, and never touches that handle again.
        for switch in ("honoured", "ignored"):
            with self.subTest(cancel_in_describe=switch):
                s = nw.new_system(extra=[("", "fail = describe * hang seconds=30"),
                                         ("", "cancel_in_describe = " + switch)])
                result, calls, _, seconds = self.bridge_run([s], [s.name],
                                                            env={"QUARLANE_NWRFC_TIMEOUT": str(BOUND)})
                self.assertEqual(result.status, 2, result.stdout)
                self.assertIn(b"Error 1014: RFC-Failure raised ! - ", result.stdout)
                self.assertIn(b"%d seconds" % BOUND, result.stdout)
                self.assertLess(seconds, BOUND + GRACE + (8.0 if is_wine() else 2.0), result.stdout)
                after = later_calls(calls, "RfcGetFunctionDesc connection 1 ")
                if switch == "ignored":
                    self.assertEqual(after, ["RfcCancel connection 1 ignored during RfcGetFunctionDesc"], calls)
                else:
                    self.assertEqual(after, ["RfcCancel connection 1",
                                             "  blocked call ended by RfcCancel or RfcCloseConnection"], calls)


if __name__ == "__main__":
    import unittest
    unittest.main()
