"""Runs every end-to-end test in one Wine environment.

usage: run.py BUILD_DIR WINTEST_EXE [-k PATTERN ...]
"""

import argparse
import signal
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import rig  # noqa: E402


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir", type=Path)
    parser.add_argument("wintest", type=Path)
    parser.add_argument("-k", dest="patterns", action="append", default=[],
                        help="only tests whose name contains this")
    args = parser.parse_args()
    build_dir = args.build_dir.resolve()

    # A timeout's SIGTERM must end the run and still reach the finally below; unittest
    # records SystemExit as a test error and goes on, but lets KeyboardInterrupt through.
    signal.signal(signal.SIGTERM, signal.default_int_handler)

    loader = unittest.TestLoader()
    if args.patterns:
        loader.testNamePatterns = [f"*{p}*" for p in args.patterns]
    suite = loader.discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE))

    started = time.monotonic()
    try:
        rig.start(build_dir, args.wintest.resolve(), build_dir / "e2e-cache")
        print(f"Wine environment ready in {time.monotonic() - started:.1f} s", file=sys.stderr)
        result = unittest.TextTestRunner(verbosity=2, stream=sys.stderr).run(suite)
    except KeyboardInterrupt:
        print(f"e2e: interrupted after {time.monotonic() - started:.0f} s")
        return 130
    finally:
        rig.stop()

    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    # A class skipped in setUpClass is one entry here but ran no test.
    skipped = sum(isinstance(test, unittest.TestCase) for test, _ in result.skipped)
    passed = result.testsRun - failed - skipped - len(result.expectedFailures)
    print(f"e2e: {time.monotonic() - started:.0f} s, {len(result.skipped)} skipped",
          file=sys.stderr)
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 and result.testsRun > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
