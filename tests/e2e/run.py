#!/usr/bin/env python3
"""Runs end-to-end suites against one build's bin folder.

    python3 tests/e2e/run.py --bin build/linux/bin --target native tests/e2e/test_*.py

Prints "N passed, N failed" (and ", N skipped") as its last line; the exit
status is non-zero when any test failed or none ran.
"""

import argparse
import importlib.machinery
import os
import sys
import types
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # no __pycache__ in the source tree

import harness  # noqa: E402


def load_suite(path):
    name = os.path.splitext(os.path.basename(path))[0]
    path = os.path.abspath(path)
    module = types.ModuleType(name)
    module.__file__ = path
    sys.modules[name] = module
    importlib.machinery.SourceFileLoader(name, path).exec_module(module)
    return unittest.defaultTestLoader.loadTestsFromModule(module)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, help="folder holding quarlane, quarlane-passwd, librfc32")
    parser.add_argument("--target", choices=("native", "wine"), default="native")
    parser.add_argument("-k", dest="patterns", action="append", default=[],
                        help="only tests whose name contains this text (repeatable)")
    parser.add_argument("suites", nargs="+", help="suite files (test_*.py)")
    options = parser.parse_args()

    harness.configure(options.bin, options.target)
    os.environ["QUARLANE_E2E_TARGET"] = options.target
    os.environ["QUARLANE_E2E_BIN"] = harness.BIN

    suite = unittest.TestSuite()
    for path in options.suites:
        suite.addTests(load_suite(path))
    if options.patterns:
        suite = unittest.TestSuite(
            test for test in _flatten(suite) if any(p in test.id() for p in options.patterns))

    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    # A table-driven test counts once, however many of its cases failed.
    failed_ids = {_test_id(test) for test, _ in result.failures + result.errors}
    failed_ids |= {_test_id(test) for test in result.unexpectedSuccesses}
    skipped_ids = {_test_id(test) for test, _ in result.skipped} - failed_ids
    failed, skipped = len(failed_ids), len(skipped_ids)
    passed = max(result.testsRun - failed - skipped, 0)
    line = "%d passed, %d failed" % (passed, failed)
    if skipped:
        line += ", %d skipped" % skipped
    print(line)
    sys.stdout.flush()
    return 1 if failed or result.testsRun == 0 else 0


def _test_id(test):
    return getattr(test, "test_case", test).id()


def _flatten(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from _flatten(item)
        else:
            yield item


if __name__ == "__main__":
    sys.exit(main())
