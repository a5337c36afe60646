"""The driver bound to the secondary monitor by the settings file, against the virtual board:
where strokes land, seen as the X server's pointer, while the user rearranges the monitors."""

import unittest

import monitor_rig as mr
from board_pointer import TRUTH, BoardPointerTest
from monitor_rig import SECONDARY
from rig import contract, replace_section
from test_driver import install_driver


class BoardMonitorTest(BoardPointerTest):
    def setUp(self):
        super().setUp()
        self.exe = install_driver(self.id())
        self.settings = self.exe.with_name(contract.SETTINGS_FILE_NAME)
        self.log = self.exe.with_name(contract.LOG_FILE_DRIVER)
        replace_section(self.settings, contract.SETTINGS_FILE_DIAGNOSTICS_SECTION,
                        [f"{contract.SETTINGS_FILE_LOG_FILE_KEY}=1"])
        replace_section(self.settings, contract.SETTINGS_FILE_COORDINATE_SECTION,
                        TRUTH.coordinate_section())
        replace_section(self.settings, contract.SETTINGS_FILE_MONITOR_SECTION,
                        mr.board_monitor_lines(SECONDARY, mr.LAYOUT[SECONDARY]))
        self.open_board(self.exe.parent)

    def test_strokes_land_on_the_chosen_secondary_and_never_on_the_primary(self):
        self.start_driver(self.exe)
        self.assert_strokes_land(mr.LAYOUT)

    def test_moved_left_of_the_primary_it_is_found_by_its_device_id(self):
        mr.secondary_left_of_primary()
        self.start_driver(self.exe)
        self.assert_strokes_land(mr.LEFT_LAYOUT)


if __name__ == "__main__":
    unittest.main()
