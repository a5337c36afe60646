"""Runs a cross-built GoogleTest table under Wine and reports its cases as one test."""

import sys
import xml.etree.ElementTree as ElementTree

from rig import context, wine, windows_path, work_folder


def run_table(test, relative_exe: str, label: str, timeout: float = 180, locale=None,
              cases: str = ""):
    """cases: a --gtest_filter pattern; locale: as rig.wine takes it."""
    exe = context().program(relative_exe)
    if not exe.exists():
        test.fail(f"{exe} is missing: build the windows-x64 preset first")
    report = work_folder(test.id()) / "table.xml"
    filter_cases = [f"--gtest_filter={cases}"] if cases else []
    result = wine([exe, f"--gtest_output=xml:{windows_path(report)}", *filter_cases],
                  timeout=timeout, locale=locale)
    test.assertTrue(report.exists(), "no report; output:\n" +
                    result.stdout.decode("utf-8", "replace")[-4000:])
    failed, passed = {}, 0
    for case in ElementTree.parse(report).getroot().iter("testcase"):
        failures = case.findall("failure")
        if failures:
            failed[case.get("name", "?")] = "\n".join(f.get("message", "") for f in failures)
        else:
            passed += 1
    print(f"\n{label} under Wine: {passed} passed, {len(failed)} failed", file=sys.stderr)
    if failed:
        details = "\n".join(f"--- {name}\n{message}" for name, message in failed.items())
        test.fail(f"cases that Wine answers differently:\n{details}")
    test.assertGreater(passed, 0, "the table ran no case")
    test.assertEqual(result.returncode, 0)
