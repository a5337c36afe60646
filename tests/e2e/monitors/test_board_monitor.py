"""The driver bound to the secondary monitor by the settings file, against the virtual board:
where strokes land, seen as the X server's pointer, while the user rearranges the monitors."""

import time
import unittest

import monitor_rig as mr
from board_pointer import SECONDARY_SIZE, TARGETS, TRUTH, BoardPointerTest
from monitor_rig import PRIMARY, SECONDARY
from rig import contract, on_screen, replace_section, wait_for
from test_driver import install_driver

# Long enough for the driver's next look at the monitors of its own accord (every 2 s).
NOTICE_SECONDS = 3.0


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

    def test_resized_while_the_driver_runs_strokes_and_double_taps_follow(self):
        self.start_driver(self.exe)
        left, top = mr.LAYOUT[SECONDARY][:2]
        self.stroke_to(TARGETS[0])
        self.assert_lands((left + TARGETS[0][0], top + TARGETS[0][1]), mr.LAYOUT, 1,
                          "before the change")
        new = mr.resize_secondary(1024, 768)
        layout = {**mr.LAYOUT, SECONDARY: new}
        scale = (SECONDARY_SIZE[0] / (new[2] - new[0]), SECONDARY_SIZE[1] / (new[3] - new[1]))
        # Wine sends no message for a change made in X: the driver has to see it by itself.
        time.sleep(NOTICE_SECONDS)
        self.assert_strokes_land(layout, tolerance=2, scale=scale)
        self.assert_strokes_land(layout, tolerance=2, scale=scale, taps=True)

    def test_switched_off_the_board_maps_onto_the_primary_and_the_log_says_so(self):
        self.start_driver(self.exe)
        mr.secondary_off()
        time.sleep(NOTICE_SECONDS)
        layout = {PRIMARY: mr.LAYOUT[PRIMARY]}
        width, height = layout[PRIMARY][2:]
        # The grid now spans the primary.
        scale = (SECONDARY_SIZE[0] / width, SECONDARY_SIZE[1] / height)
        for pixel in [(300, 200), (1500, 900)]:
            with self.subTest(target=pixel):
                self.stroke_to(pixel, scale)
                self.assert_lands(on_screen(pixel), layout, 2, "stroke onto the primary")

        def gone():
            text = self.log.read_text(errors="replace") if self.log.exists() else ""
            return [line for line in text.splitlines() if SECONDARY in line and "primary" in line]
        self.assertTrue(wait_for(gone, 3), f"no line for the lost monitor in {self.log}")


if __name__ == "__main__":
    unittest.main()
