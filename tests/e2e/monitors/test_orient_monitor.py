"""The calibration program on the secondary monitor, chosen on its command line or by a touch
while its prompt shows there; then the driver's strokes land on that monitor."""

import re
import unittest

import monitor_rig as mr
import orient_run
from board_pointer import SECONDARY_SIZE, TRUTH, BoardPointerTest
from monitor_rig import SECONDARY
from orient_run import WINDOW_CLASS, caption
from rig import (context, contract, end_program, fields, read_profile, start_program, wintest,
                 work_folder)


class OrientOnMonitorTest(BoardPointerTest):
    def setUp(self):
        super().setUp()
        self.folder = work_folder(self.id())
        if not context().program("orient/Orient.exe").exists():
            raise AssertionError("orient/Orient.exe is not built")
        self.settings = orient_run.install(self.folder, context().program)
        self.open_board(self.folder)
        self.user = orient_run.Calibrator(self.board, self.folder / contract.LOG_FILE_ORIENT,
                                          TRUTH, size=SECONDARY_SIZE)
        self.addCleanup(wintest, "wait-gone", WINDOW_CLASS, caption(), 5000, timeout_ms=5000,
                        check=False)

    def window_rect(self):
        return tuple(map(int, fields(wintest("styles", WINDOW_CLASS, caption()))["rect"].split()))

    def calibrate_on_the_secondary(self, chosen_by: str):
        self.user.wait_event(rf"monitor {re.escape(SECONDARY)} .* chosen {chosen_by}")
        self.assertEqual(self.window_rect(), mr.LAYOUT[SECONDARY])
        self.assertEqual(len(self.user.targets()), 9)
        for target, error in self.user.grid_errors(self.settings, 3, 3).items():
            self.assertLessEqual(max(map(abs, error)), 1.0, f"board point {target}: {error}")
        self.assertLess(self.user.check()[1], 2.0, "largest residual in pixels")
        self.user.finish()
        self.assertEqual(read_profile(self.settings, contract.SETTINGS_FILE_MONITOR_SECTION,
                                      contract.SETTINGS_FILE_MONITOR_NAME_KEY), SECONDARY)
        self.assert_strokes_land(mr.LAYOUT)

    def test_monitor_2_on_the_command_line(self):
        (self.folder / "Dravik.exe").write_bytes(
            context().program("driver/app/Dravik.exe").read_bytes())
        self.start_driver(self.folder / "Dravik.exe")
        orient = start_program(self.folder / "Orient.exe", "/monitor", "2")
        self.addCleanup(end_program, orient)
        self.calibrate_on_the_secondary("by /monitor 2")

    def test_a_touch_while_the_prompt_shows_on_the_secondary_picks_it(self):
        driver = orient_run.start_from_driver(self.folder, self.board, self.settings)
        self.addCleanup(end_program, driver)
        # The primary's turn comes first; the touch waits for the secondary's.
        self.user.wait_event(rf"prompt on {re.escape(SECONDARY)} .*", timeout=15)
        self.board.tap(*TRUTH.board(640, 512))
        self.calibrate_on_the_secondary("by a touch")


if __name__ == "__main__":
    unittest.main()
