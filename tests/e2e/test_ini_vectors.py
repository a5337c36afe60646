"""The shared INI vector table against the real profile functions, run under Wine."""

import sys
import unittest
import xml.etree.ElementTree as ElementTree

from gtest_table import run_table
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

    def test_language_files_read_the_same_on_an_english_windows(self):
        # Code page 1252: Language.ini must still come out as code page 936.
        run_table(self, VECTORS_EXE, "Text vectors, code page 1252",
                  locale={"LC_ALL": "en_US.UTF-8"}, cases="*Text*")


if __name__ == "__main__":
    unittest.main()
