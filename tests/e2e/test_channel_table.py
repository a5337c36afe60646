"""The channel table against the real named pipes and Winsock, run under Wine."""

import unittest

from gtest_table import run_table


class ChannelTableUnderWineTest(unittest.TestCase):
    def test_every_channel_rule_holds_on_the_real_functions(self):
        run_table(self, "tests/channel_conformance_win32.exe", "channel table")


if __name__ == "__main__":
    unittest.main()
