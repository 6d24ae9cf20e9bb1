"""Connection parameters of quarlane-nwrfc.ini (docs/nwrfc.md) reach the
SDK's RfcOpenConnection beside the profile's logon, as the fake SDK's call
log shows; credentials, unknown keys and an SNC library that cannot be
loaded are refused with the file and line, before any logon; the settings
file and the files it names are regular files or refused at once (a FIFO or
a device never blocks nor floods the logon)."""

import os
import tempfile
import time
import unittest

import harness
from harness import EXEXML, SensorTest, exe, is_wine
import test_nwrfc_differential as diff

CALLS = "FakeSdkCalls.log"


class BridgeTest(SensorTest):
    """A sandbox with the bridge and the fake SDK beside the sensor."""

    def setUp(self):
        if not os.path.exists(diff.bridge_library()):
            self.skipTest("the NetWeaver RFC bridge is not built (%s)" % diff.bridge_library())
        if not os.path.exists(diff.fake_sdk()):
            self.fail("the fake NetWeaver RFC SDK is not built (%s)" % diff.fake_sdk())
        super().setUp()

    def bridge_box(self, system, ini_lines=None):
        """A fresh sandbox with the bridge, the fake SDK, the system's script
        and profile, and the bridge's settings file when given."""
        self.box.close()
        self.box = harness.Sandbox()
        box = self.box
        diff.install(diff.bridge_library(), os.path.join(box.bin, exe("librfc32")))
        diff.install(diff.fake_sdk(), os.path.join(box.bin, diff.sdk_name()))
        diff.install(diff.fake_ucum(), os.path.join(box.bin, os.path.basename(diff.fake_ucum())))
        box.put(system.host.lower() + ".nwrfc", diff.encoded(diff.script_lines(system), "utf-8"))
        values = dict(Extcompany="Corvanta AG", Destination=system.name, Client=system.client, User="monitor",
                      Password=box.stored_password(harness.GOOD_PASSWORD), Language="EN", Mode="R/3",
                      Hostname=system.host, Sysnr=system.sysnr, Gwhost=system.host,
                      Gwservice="sapgw" + system.sysnr)
        box.put_text(EXEXML + system.profile, harness.profile_lines(values))
        if ini_lines is not None:
            with open(os.path.join(box.bin, "quarlane-nwrfc.ini"), "w") as f:
                f.write("".join(line.replace("{sdk}", self.sdk_path()) + "\n" for line in ini_lines))
        return box

    def calls(self):
        return self.box.read(CALLS).decode("latin-1") if self.box.exists(CALLS) else ""

    def trace(self):
        """The bridge's trace file, where a failed open says why."""
        return self.box.read(diff.TRACE).decode("latin-1") if self.box.exists(diff.TRACE) else ""

    def sensor(self, args):
        return self.box.run(args, env={"QUARLANE_FAKESDK_DIR": "", "QUARLANE_FAKESDK_LOG": CALLS})

    def sdk_path(self):
        """The fake SDK beside the bridge, named as the bridge names files
        (a Windows path under Wine): a library file that exists."""
        path = os.path.join(self.box.bin, diff.sdk_name())
        return self.box.windows(path) if is_wine() else path


class ConnectionSettings(BridgeTest):
    def test_settings_reach_the_sdk_and_the_run_still_works(self):
        s = diff.new_system()
        self.bridge_box(s)
        plain = self.sensor([s.name])
        self.bridge_box(s, ["TRACE=0", "[NEW]", "SNC_MODE=1", "SNC_PARTNERNAME=p:CN=NEW, O=Corvanta, C=DE",
                            "SNC_QOP=9", "SNC_LIB={sdk}", "SAPROUTER=/H/gate.corvanta.example/S/3299/H/"])
        sdk = self.sdk_path()
        result = self.sensor([s.name])
        self.assertEqual(diff.normalise_times(result.stdout), diff.normalise_times(plain.stdout), self.trace())
        self.assertEqual(result.status, plain.status)
        opens = [line for line in self.calls().splitlines() if line.startswith("RfcOpenConnection")]
        self.assertTrue(opens, self.calls())
        for shown in ("ASHOST=[sapnew01]", "SYSNR=[10]", "USER=[MONITOR]", "TRACE=[0]", "SNC_MODE=[1]",
                      "SNC_PARTNERNAME=[p:CN=NEW, O=Corvanta, C=DE]", "SNC_QOP=[9]",
                      "SNC_LIB=[%s]" % sdk.replace("\\", "\\u005C"),  # the call log writes "\\" as \u005C
                      "SAPROUTER=[/H/gate.corvanta.example/S/3299/H/]"):
            for line in opens:
                self.assertIn(" " + shown, line)

    def test_refused_settings_name_file_and_line_and_no_logon_is_tried(self):
        s = diff.new_system()
        cases = [
            (["[NEW]", "PASSWD=Secret12"],
             "quarlane-nwrfc.ini line 2: PASSWD does not belong in this file"),
            (["; SNC for all systems", "SNC_PARTNER=p:CN=NEW"],
             "quarlane-nwrfc.ini line 2: unknown setting SNC_PARTNER (known: TIMEOUT, COLLECTOR, "
             "COLLECTOR_COMPONENT, NO_DATA_GRACE, SAPROUTER"),
            (["[NEW]", "SNC_MODE=1", "SNC_LIB=/opt/nowhere/libsapcrypto.so"],
             "quarlane-nwrfc.ini line 3: SNC_LIB=/opt/nowhere/libsapcrypto.so cannot be loaded"),
        ]
        for lines, message in cases:
            with self.subTest(message=message):
                self.bridge_box(s, lines)
                result = self.sensor([s.name])
                self.assertIn("RFC-Open for NEW failed", result.stdout.decode("latin-1"))
                self.assertIn(message, self.trace())
                self.assertNotIn("RfcOpenConnection", self.calls())


@unittest.skipIf(is_wine(), "FIFOs and /dev are Linux's; on Windows a pipe or device name is no disk file "
                            "and is refused the same way (unit tests)")
class SettingsFilesByTheSensorsRules(BridgeTest):
    """quarlane-nwrfc.ini and the files it names are read as the sensor reads
    its files: a FIFO or a device is refused at once with the file (and the
    line) named, never waited on nor read without end."""

    def test_fifos_and_devices_are_refused_well_inside_the_time_bound(self):
        s = diff.new_system()
        fifo = os.path.join(tempfile.mkdtemp(prefix="quarlane-fifo-"), "fifo")
        os.mkfifo(fifo)
        self.addCleanup(lambda: (os.unlink(fifo), os.rmdir(os.path.dirname(fifo))))
        cases = [
            # name, settings lines (None: the file is made below), what stands at the ini's name, message
            ("SNC_LIB a FIFO", ["TIMEOUT=2", "[NEW]", "SNC_MODE=1", "SNC_LIB=" + fifo], None,
             "quarlane-nwrfc.ini line 4: SNC_LIB=%s cannot be loaded" % fifo),
            ("TLS_CLIENT_PSE a FIFO", ["TIMEOUT=2", "TLS_CLIENT_PSE=" + fifo], None,
             "quarlane-nwrfc.ini line 2: TLS_CLIENT_PSE=%s cannot be loaded" % fifo),
            ("TLS_SAPCRYPTOLIB a device", ["TLS_SAPCRYPTOLIB=/dev/zero"], None,
             "quarlane-nwrfc.ini line 1: TLS_SAPCRYPTOLIB=/dev/zero cannot be loaded"),
            ("the ini a FIFO", None, "fifo", "quarlane-nwrfc.ini ("),
            ("the ini a link to /dev/zero", None, "/dev/zero", "quarlane-nwrfc.ini ("),
            ("the ini a link to /dev/urandom", None, "/dev/urandom", "quarlane-nwrfc.ini ("),
        ]
        for name, lines, ini, message in cases:
            with self.subTest(case=name):
                self.bridge_box(s, lines)
                if ini is not None:
                    path = os.path.join(self.box.bin, "quarlane-nwrfc.ini")
                    if ini == "fifo":
                        os.mkfifo(path)
                    else:
                        os.symlink(ini, path)
                    self.box._track(path)
                started = time.monotonic()
                result = self.sensor([s.name])
                self.assertLess(time.monotonic() - started, 10, name)
                self.assertEqual(result.status, 2, result.stdout)
                self.assertIn("RFC-Open for NEW failed", result.stdout.decode("latin-1"))
                self.assertIn(message, self.trace())
                self.assertNotIn("RfcOpenConnection", self.calls())
                # The check tool meets the same rules, and says so.
                diff.install(os.path.join(harness.BIN, exe("quarlane-nwrfc-check")),
                             os.path.join(self.box.bin, exe("quarlane-nwrfc-check")))
                started = time.monotonic()
                check = self.box.run([s.name], program="quarlane-nwrfc-check",
                                     env={"QUARLANE_FAKESDK_DIR": ""})
                self.assertLess(time.monotonic() - started, 10, name)
                self.assertEqual(check.status, 5, check.stdout)
                self.assertIn(message, check.stdout.decode("utf-8"))
