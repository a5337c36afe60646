"""The window-system table against the real window functions, run under Wine."""

import unittest

from gtest_table import run_table


class WindowTableUnderWineTest(unittest.TestCase):
    def test_every_window_rule_holds_on_the_real_functions(self):
        run_table(self, "tests/window_conformance_win32.exe", "window table")


if __name__ == "__main__":
    unittest.main()
