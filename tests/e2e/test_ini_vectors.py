"""The shared INI vector table against the real profile functions, run under Wine."""

import sys
import unittest
import xml.etree.ElementTree as ElementTree

from rig import context, wine, windows_path, work_folder

VECTORS_EXE = "tests/profile_conformance_win32.exe"


class IniVectorsUnderWineTest(unittest.TestCase):
    def test_every_vector_matches_the_real_functions(self):
        exe = context().program(VECTORS_EXE)
        if not exe.exists():
            self.fail(f"{exe} is missing: build the windows-x64 preset first")
        report = work_folder(self.id()) / "vectors.xml"
        result = wine([exe, f"--gtest_output=xml:{windows_path(report)}"], timeout=180)
        self.assertTrue(report.exists(), "no report; output:\n" +
                        result.stdout.decode("utf-8", "replace")[-4000:])

        cases = ElementTree.parse(report).getroot().iter("testcase")
        failed = {}
        passed = 0
        for case in cases:
            failures = case.findall("failure")
            if failures:
                name = case.get("name", "?").split("/")[-1]
                failed[name] = "\n".join(f.get("message", "") for f in failures)
            else:
                passed += 1
        print(f"\nINI vectors under Wine: {passed} passed, {len(failed)} failed", file=sys.stderr)
        if failed:
            details = "\n".join(f"--- {name}\n{message}" for name, message in failed.items())
            self.fail(f"vectors that Wine answers differently:\n{details}")
        self.assertGreater(passed, 0, "the table ran no vector")
        self.assertEqual(result.returncode, 0)


if __name__ == "__main__":
    unittest.main()
