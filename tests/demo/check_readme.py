#!/usr/bin/env python3
"""Runs every command README.md shows, as a new user would, from a clean copy.

    python3 tests/demo/check_readme.py [README]

The commands are the lines of README's ```sh blocks (a "# ..." after a
command is a comment), in the order they stand, each run by bash from the
top of one clean copy of the tree (the files git tracks, as a fresh clone
has them). `scripts/test` is left out: it is the command that runs this
check. Each command must end with status 0, and what the demo commands
promise must show:

- scripts/demo [windows|windows64]: the four runs of the demo landscape
  (check_demo.py's checks): the first run of a target and the one after
  --fresh report the day so far, a repeated run the interval since the last;
- scripts/demo windows where this machine runs no 32-bit programs: it says
  so and shows the 64-bit build;
- scripts/demo nwrfc: the first-contact check's verdict, every run with
  status 0, and both workload modules in the fake SDK's call log;
- scripts/demo json: every run's document is one JSON object;
- scripts/package: the packages pass tests/package/check_package.py.

Exit status 0 when every command held.
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
from check_demo import Check, clean_copy, streamed  # noqa: E402


def readme_commands(path):
    """Each command line of the ```sh blocks, without its comment."""
    commands = []
    inside = False
    for line in open(path, encoding="utf-8"):
        stripped = line.strip()
        if stripped.startswith("```"):
            inside = (not inside) and stripped == "```sh"
            continue
        if inside and stripped and not stripped.startswith("#"):
            commands.append(re.sub(r"\s+#\s.*$", "", stripped))
    return commands


def run(tree, env, command):
    # A hung command fails after 40 minutes (a first Windows build with a new
    # Wine prefix takes some).
    return streamed(["bash", "-c", command], tree, env, "$ " + command, 2400)


def check_nwrfc(check, output):
    check.expect("Verdict: ok" in output or re.search(r"^Verdict.*\bok\b", output, re.M) is not None,
                 "scripts/demo nwrfc: the first-contact check's verdict is ok")
    check.expect(len(re.findall(r"^\[exit status 0\]", output, re.M)) >= 5,
                 "scripts/demo nwrfc: shows the check and the four sensor runs")
    check.expect("SAPWL_WORKLOAD_GET_SUMMARY" in output and "SWNC_COLLECTOR_GET_AGGREGATES" in output,
                 "scripts/demo nwrfc: the call log shows the classic module and the collector")


def check_json(check, output):
    documents = []
    for block in re.split(r"^\$ .*$", output, flags=re.M)[1:]:
        text = block.split("[exit status")[0].strip()
        start = text.find("{")
        try:
            documents.append(json.loads(text[start:]) if start >= 0 else None)
        except ValueError:
            documents.append(None)
    check.expect(documents and all(isinstance(d, dict) for d in documents),
                 "scripts/demo json: every run printed one JSON document (%d runs)" % len(documents))


def main(argv):
    readme = argv[1] if len(argv) > 1 else os.path.join(ROOT, "README.md")
    commands = [c for c in readme_commands(readme) if not c.startswith("scripts/test")]
    check = Check("readme")
    check.expect(commands, "README shows commands to run (%d)" % len(commands))
    work = tempfile.mkdtemp(prefix="quarlane-readme-check-")
    demo_runs = {}  # installation (linux or windows) -> the day of its last run
    env = {}
    try:
        tree = os.path.join(work, "tree")
        os.mkdir(tree)
        print("---- clean copy: %d tracked files in %s" % (clean_copy(tree), tree))
        env = dict(os.environ)
        for name in ("QUARLANE_BUILD_ROOT", "QUARLANE_ROOT", "QUARLANE_TESTS", "QUARLANE_TARGETS",
                     "QUARLANE_DIST", "WINEPREFIX"):
            env.pop(name, None)
        # One Wine prefix of the check's own for every Windows demo: they
        # share its drive, as the 64-bit build stands in for the 32-bit one.
        env["QUARLANE_DEMO_WINEPREFIX"] = os.path.join(work, "wine")
        for command in commands:
            words = command.split()
            is_demo = words[0] == "scripts/demo"
            if is_demo:
                time.sleep(2)  # the landscape's counters grow by the second
            day = time.strftime("%Y%m%d")
            status, output = run(tree, env, command)
            check.expect(status == 0, "$ %s: ends with status 0" % command)
            if not is_demo:
                if words[0] == "scripts/package" and status == 0:
                    result = subprocess.run([sys.executable, os.path.join(ROOT, "tests", "package",
                                                                          "check_package.py"),
                                             os.path.join(tree, "dist")])
                    check.expect(result.returncode == 0, "$ %s: the packages pass their check" % command)
                continue
            statuses = re.findall(r"^\[exit status (\d+)\]", output, re.M)
            check.expect(statuses and set(statuses) == {"0"},
                         "$ %s: every program it shows ends with status 0 (%s)"
                         % (command, ", ".join(statuses)))
            target = next((w for w in words[1:] if not w.startswith("-")), "linux")
            fresh = "--fresh" in words
            if target == "nwrfc":
                check_nwrfc(check, output)
                continue
            if target == "json":
                check_json(check, output)
                continue
            if target == "windows" and "cannot run 32-bit Windows programs" in output:
                check.expect("showing the 64-bit Windows build instead" in output,
                             "$ %s: says it shows the 64-bit build instead" % command)
                target = "windows64"
            installation = "linux" if target == "linux" else "windows"
            first = fresh or demo_runs.get(installation) != day
            check.one_run("$ %s" % command, status, output, first_of_day=first)
            demo_runs[installation] = day
    finally:
        prefix = env.get("QUARLANE_DEMO_WINEPREFIX", "")
        if os.path.isdir(prefix):
            subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=prefix),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        shutil.rmtree(work, ignore_errors=True)
    print("readme: %s" % ("FAILED: " + "; ".join(check.failures) if check.failures
                          else "every command held"))
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
