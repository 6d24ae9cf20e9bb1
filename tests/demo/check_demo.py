#!/usr/bin/env python3
"""Runs the demo as a new user would, from a clean copy of the tree.

    python3 tests/demo/check_demo.py linux|windows|windows64

The copy holds only the files git tracks (no build folders, no untracked
files, and no empty folders, exactly as a fresh clone has it). In it the
demo runs three times: first try, again a few seconds later, and with
--fresh. Each time it must end with status 0, every sensor run in it with
status 0, and show what the demo promises:

- the three systems: PRD and QAS report, DEV's logon fails (the item and the
  global run count NoSystems=3, Processed=2, Failed=1, and the verbose
  global run names DEV's state);
- the first run (and the one after --fresh) reports the day's totals for
  PRD, the same steps as the item run;
- the second run reports the interval since the first for PRD (fewer steps
  than the item run's day's totals, but some) and keeps both history lines.

Windows targets run under Wine in a prefix made for the check. Exit status
0 when everything held; the demo's output is shown for what did not.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def clean_copy(destination):
    """Copies the files git tracks (as they are in the working tree)."""
    listed = subprocess.run(["git", "-C", ROOT, "ls-files", "-z"], check=True,
                            stdout=subprocess.PIPE).stdout.decode("utf-8", "surrogateescape")
    count = 0
    for name in filter(None, listed.split("\0")):
        source = os.path.join(ROOT, name)
        if not os.path.lexists(source):
            continue  # deleted in the working tree, not yet committed
        target = os.path.join(destination, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(source, target, follow_symlinks=False)
        count += 1
    return count


def sections(output):
    """{command line: text that followed it} for each '$ quarlane...' shown."""
    found = {}
    current = None
    for line in output.splitlines():
        if line.startswith("$ quarlane"):
            current = re.sub(r"^\$ quarlane(\.exe)? ", "", line)
            found[current] = []
        elif current is not None:
            found[current].append(line)
    return {key: "\n".join(lines) for key, lines in found.items()}


def channel_value(text, channel):
    match = re.search(r"<Channel>%s</Channel>.*?<Value>(\d+)</Value>" % re.escape(channel), text, re.S)
    return int(match.group(1)) if match else None


def summary_trans(text):
    match = re.search(r"<Text>\(PRD\) Summary:  Trans=([0-9.]+),", text)
    return int(match.group(1).replace(".", "")) if match else None


def streamed(command, cwd, env, shown, limit):
    """Runs command, shows its output as it comes (a first build takes
    minutes) and keeps it; ended and failed after limit seconds.
    Returns (status, output)."""
    started = time.monotonic()
    print("---- %s (its output follows, indented)" % shown, flush=True)
    lines = []
    with subprocess.Popen(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT) as process:
        watchdog = threading.Timer(limit, process.kill)
        watchdog.start()
        for raw in process.stdout:
            line = raw.decode("latin-1")
            lines.append(line)
            print("    " + line, end="", flush=True)
        status = process.wait()
        watchdog.cancel()
    print("---- %s: status %d, %.0f s" % (shown, status, time.monotonic() - started), flush=True)
    return status, "".join(lines)


class Check:
    def __init__(self, target):
        self.target = target
        self.failures = []

    def expect(self, condition, what):
        print(("ok   - " if condition else "FAIL - ") + what)
        if not condition:
            self.failures.append(what)
        return condition

    def demo(self, tree, env, *args):
        command = ["bash", os.path.join(tree, "scripts", "demo"), self.target] + list(args)
        # A demo that hangs is ended after half an hour and fails.
        return streamed(command, tree, env, "scripts/demo " + " ".join([self.target] + list(args)), 1800)

    def one_run(self, label, status, output, first_of_day):
        before = len(self.failures)
        self.expect(status == 0, "%s: the demo ends with status 0" % label)
        runs = sections(output)
        wanted = ["PRD", "QAS RESPONSE", "PRD ITEM=TransActions", "GLOBAL DIALOGAVG #"]
        self.expect(all(key in runs for key in wanted), "%s: the demo shows its four runs" % label)
        self.expect(all("[exit status 0]" in runs.get(key, "") for key in wanted),
                    "%s: every run ends with status 0" % label)
        item = runs.get("PRD ITEM=TransActions", "")
        glob = runs.get("GLOBAL DIALOGAVG #", "")
        self.expect(channel_value(item, "PRD.P00") and channel_value(item, "QAS.P00")
                    and "NoSystems=3, Processed=2, Failed=1" in item,
                    "%s: the item run reports PRD and QAS and counts DEV as failed" % label)
        self.expect(re.search(r"DEV\.P00, sapdev01, DEV, 20, 300 State=Rfc Failure", glob) is not None
                    and "NoSystems=3, Processed=2, Failed=1" in glob,
                    "%s: the global run names DEV's failed logon" % label)
        self.expect("(QAS) Responses:" in runs.get("QAS RESPONSE", ""),
                    "%s: QAS reports its response times" % label)
        trans = summary_trans(runs.get("PRD", ""))
        day = channel_value(item, "PRD.P00")
        if first_of_day:
            self.expect(trans is not None and trans == day,
                        "%s: PRD's summary reports the day's steps so far (%s), as the item run (%s)"
                        % (label, trans, day))
        else:
            self.expect(trans is not None and day is not None and 0 < trans < day,
                        "%s: PRD's summary reports the interval (%s steps), the item run the day (%s)"
                        % (label, trans, day))
            self.expect("# Rsp Date=" in output and "# Rsx Date=" in output,
                        "%s: PRD.P00 keeps the current and the previous history line" % label)
        if len(self.failures) > before:
            print("---- %s: the demo's output is shown above" % label)


def main():
    if len(sys.argv) != 2 or sys.argv[1] not in ("linux", "windows", "windows64"):
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    target = sys.argv[1]
    check = Check(target)
    work = tempfile.mkdtemp(prefix="quarlane-demo-check-")
    try:
        tree = os.path.join(work, "tree")
        os.mkdir(tree)
        print("---- clean copy: %d tracked files in %s" % (clean_copy(tree), tree))
        env = dict(os.environ)
        for name in ("QUARLANE_BUILD_ROOT", "QUARLANE_ROOT", "QUARLANE_TESTS", "QUARLANE_TARGETS",
                     "WINEPREFIX"):
            env.pop(name, None)
        env["QUARLANE_DEMO_WINEPREFIX"] = os.path.join(work, "wine")

        day_before = time.strftime("%Y%m%d")
        status, output = check.demo(tree, env)
        check.one_run("first try", status, output, first_of_day=True)
        time.sleep(2)  # the landscape's counters grow by the second
        status, output = check.demo(tree, env)
        if time.strftime("%Y%m%d") != day_before:  # midnight passed: a new day starts afresh
            time.sleep(2)
            status, output = check.demo(tree, env)
        check.one_run("second run", status, output, first_of_day=False)
        status, output = check.demo(tree, env, "--fresh")
        check.one_run("--fresh", status, output, first_of_day=True)
    finally:
        prefix = os.path.join(work, "wine")
        if os.path.isdir(prefix):
            subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=prefix),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        shutil.rmtree(work, ignore_errors=True)
    print("demo %s: %s" % (target, "FAILED: " + "; ".join(check.failures) if check.failures else "all checks held"))
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
