"""The time bound of one system through the NetWeaver RFC bridge: a system
that stops answering (the fake SDK's "hang") ends within the bound plus a
small margin, as that system's RFC failure, and an item run still reports the
other systems - with the same document as the simulator gives for a system
whose call fails."""

import time

import test_nwrfc_differential as nw
from harness import is_wine

BOUND = 2  # seconds, through QUARLANE_NWRFC_TIMEOUT (docs/nwrfc.md)


def margin():
    """Start-up and shut-down of the run around the bound: Wine starts slowly."""
    return 8.0 if is_wine() else 2.0


class TimeBound(nw.Differential):
    ENV = {"QUARLANE_NWRFC_TIMEOUT": str(BOUND)}

    def timed_bridge_run(self, systems, args, extra=None):
        """One run through the bridge; returns (result, seconds)."""
        box = self.fresh_box("bridge")
        self.setup_for(systems, extra=extra)(box, "bridge")
        env = {"QUARLANE_FAKESDK_DIR": ""}
        env.update(self.ENV)
        start = time.monotonic()
        result = box.run(args, env=env)
        return result, time.monotonic() - start

    def assertWithinBound(self, seconds, result):
        self.assertLess(seconds, BOUND + margin(), "took %.1f s: %r" % (seconds, result.stdout))
        self.assertGreaterEqual(seconds, BOUND - 0.5, "ended before the bound: %r" % result.stdout)

    def test_a_hung_call_ends_the_run_within_the_bound(self):
        for kind, make in nw.KINDS[:2]:
            for step in ("GET_CPU_ALL", "RFC_SYSTEM_INFO", make().workload_module()):
                with self.subTest(system=kind, hung=step):
                    s = make(extra=[("", "fail = invoke %s hang" % step)])
                    result, seconds = self.timed_bridge_run([s], [s.name])
                    self.assertWithinBound(seconds, result)
                    self.assertEqual(result.status, 2, result.stdout)
                    text = result.stdout.decode("latin-1")
                    # The system's RFC failure, with the bridge's message naming the timeout.
                    self.assertIn("<Error>1</Error>", text)
                    self.assertIn("Error 1014: RFC-Failure raised ! - ", text)
                    self.assertIn("%d seconds" % BOUND, text)

    def test_a_hung_logon_ends_within_the_bound(self):
        s = nw.new_system(extra=[("", "fail = open hang")])
        result, seconds = self.timed_bridge_run([s], [s.name])
        self.assertWithinBound(seconds, result)
        self.assertEqual(result.status, 2, result.stdout)
        self.assertIn("Error 1011: RFC-Open for NEW failed !", result.stdout.decode("latin-1"))

    def test_an_item_run_reports_the_other_systems(self):
        # The hung system against a simulated one whose call fails: the item
        # run's document is the same, and the run ends within the bound.
        good = nw.System("PRD", "sapprd01", "700", nw.ALL_TYPES, profile=nw.GOOD)
        other = nw.old_system(tasks=nw.SMALL)
        for where in ("open", "workload"):
            with self.subTest(hung=where):
                hung_system = nw.System("HNG", "saphng01", "750", nw.SMALL, sysnr="30")
                if where == "open":
                    hung_system.extra = [('fault = open communication message="not answered"', "fail = open hang")]
                else:
                    module = hung_system.workload_module()
                    hung_system.extra = [('fault = receive %s rc=1 message="not answered"' % nw.SUMMARY_MODULE,
                                          "fail = invoke %s hang" % module)]
                systems = [good, hung_system, other]
                listing = "%s#HNG.P00#OLD.P00#" % nw.GOOD
                for params in ([], ["#"]):
                    start = time.monotonic()
                    self.assertSame(self.setup_for(systems, item_listing=listing),
                                    [["PRD", "ITEM=TransActions"] + params], env=self.ENV)
                    # Both paths ran; the bridge's share holds one bound.
                    self.assertLess(time.monotonic() - start, BOUND + 2 * margin())


if __name__ == "__main__":
    import unittest
    unittest.main()
