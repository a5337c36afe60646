"""Runs every end-to-end test: those here in one Wine environment, then those in monitors/ in
a second one with two monitors.

usage: run.py BUILD_DIR WINTEST_EXE [-k PATTERN ...]
"""

import argparse
import signal
import subprocess
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import rig  # noqa: E402

# Folder of the tests, and whether their environment has two monitors.
GROUPS = [(HERE, False), (HERE / "monitors", True)]


def run_group(folder: Path, two_monitors: bool, args, patterns) -> unittest.TestResult | None:
    """The group's tests in an environment of their own; None when the patterns pick none."""
    loader = unittest.TestLoader()
    if patterns:
        loader.testNamePatterns = [f"*{p}*" for p in patterns]
    # No package: each folder is its own top level, so that discovery stays out of the other.
    suite = loader.discover(str(folder), pattern="test_*.py", top_level_dir=str(folder))
    if suite.countTestCases() == 0:
        return None
    build_dir = args.build_dir.resolve()
    started = time.monotonic()
    try:
        rig.start(build_dir, args.wintest.resolve(), build_dir / "e2e-cache", two_monitors)
        kind = "two-monitor " if two_monitors else ""
        print(f"{kind}Wine environment ready in {time.monotonic() - started:.1f} s",
              file=sys.stderr)
        return unittest.TextTestRunner(verbosity=2, stream=sys.stderr).run(suite)
    finally:
        rig.stop()


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir", type=Path)
    parser.add_argument("wintest", type=Path)
    parser.add_argument("-k", dest="patterns", action="append", default=[],
                        help="only tests whose name contains this")
    args = parser.parse_args()

    # A timeout's SIGTERM must end the run and still reach the finally above; unittest
    # records SystemExit as a test error and goes on, but lets KeyboardInterrupt through.
    signal.signal(signal.SIGTERM, signal.default_int_handler)

    started = time.monotonic()
    passed = failed = skipped = ran = 0
    for folder, two_monitors in GROUPS:
        try:
            result = run_group(folder, two_monitors, args, args.patterns)
        except KeyboardInterrupt:
            print(f"e2e: interrupted after {time.monotonic() - started:.0f} s")
            return 130
        except (subprocess.SubprocessError, OSError) as error:
            # The other group's results still count.
            print(f"e2e: no environment for {folder.name}: {error}", file=sys.stderr)
            failed += 1
            continue
        if result is None:
            continue
        # A test is one test however many of its subtests fail, and when its cleanup fails too.
        group_failed = len({getattr(test, "test_case", test).id()
                            for test, _ in [*result.failures, *result.errors]}) + len(
            result.unexpectedSuccesses)
        # A class skipped in setUpClass is one entry here but ran no test.
        group_skipped = sum(isinstance(test, unittest.TestCase) for test, _ in result.skipped)
        passed += (result.testsRun - group_failed - group_skipped - len(result.expectedFailures))
        failed += group_failed
        skipped += len(result.skipped)
        ran += result.testsRun

    print(f"e2e: {time.monotonic() - started:.0f} s, {skipped} skipped", file=sys.stderr)
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 and ran > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
