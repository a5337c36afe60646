"""The calibration program under Wine, started by the driver from its orientation area and fed
by the virtual board: a run over every target with a noisy pen, the grid it writes, the
driver's reload, the check through the real pointer, and strokes that land where the new grid
says."""

import sys
import unittest
from pathlib import Path

import orient_run
import virtual_board as vb
from orient_run import WINDOW_CLASS, caption, events
from rig import (REPO, context, contract, end_program, on_screen, read_profile, serial_board,
                 wait_for, windows_path, wintest, work_folder)

sys.path.insert(0, str(REPO / "tools" / "companion"))
import bmp_to_png  # noqa: E402

DRIVER = (contract.DRIVER_WINDOW_CLASS, contract.DRIVER_WINDOW_TITLE)
# The board as hung: board = a * pixel + b on each axis.
TRUTH = vb.LinearCalibration(ax=7, bx=1300, ay=13, by=900)


def save_screenshot(name: str, folder: Path):
    bmp = folder / f"{name}.bmp"
    wintest("screenshot", WINDOW_CLASS, caption(), windows_path(bmp))
    png = context().build_dir / f"e2e-artifacts/orient-{name}.png"
    png.parent.mkdir(parents=True, exist_ok=True)
    bmp_to_png.write_png(png, *bmp_to_png.read_bmp(bmp))
    print(f"\n  screenshot: {png}", file=sys.stderr)


class OrientTest(unittest.TestCase):
    def start(self, wdot=None):
        folder = work_folder(self.id())
        for exe in ("orient/Orient.exe", "driver/app/Dravik.exe"):
            if not context().program(exe).exists():
                raise AssertionError(f"{exe} is not built")
        self.settings = orient_run.install(folder, context().program, wdot)
        self.log = folder / contract.LOG_FILE_ORIENT
        self.board = serial_board(folder)
        self.addCleanup(self.board.shutdown)
        self.user = orient_run.Calibrator(self.board, self.log, TRUTH,
                                          screenshot=lambda name: save_screenshot(name, folder))
        driver = orient_run.start_from_driver(folder, self.board, self.settings)
        self.addCleanup(self.stop_driver, driver)

    def stop_driver(self, driver):
        end_program(driver)
        wintest("wait-gone", *DRIVER, 5000, timeout_ms=5000, check=False)
        wintest("wait-gone", WINDOW_CLASS, caption(), 5000, timeout_ms=5000, check=False)

    def cursor(self):
        lines = wintest("cursor")
        return int(lines[0].split()[1]), int(lines[1].split()[1])

    def calibrate(self, columns, rows):
        touched = self.user.targets()
        self.assertEqual(len(touched), columns * rows)
        self.assertEqual(read_profile(self.settings, contract.SETTINGS_FILE_COORDINATE_SECTION,
                                      contract.SETTINGS_FILE_COLUMNS_KEY), str(columns))
        self.assertEqual(read_profile(self.settings, contract.SETTINGS_FILE_COORDINATE_SECTION,
                                      contract.SETTINGS_FILE_ROWS_KEY), str(rows))
        for i in range(columns):
            for j in range(rows):
                target = orient_run.target_point(i, j, columns, rows)
                self.assertIn(tuple(map(int, target)), touched, "not a target of the driver")
        for target, error in self.user.grid_errors(self.settings, columns, rows).items():
            self.assertLessEqual(max(map(abs, error)), 1.0, f"board point {target}: {error}")
        # The driver says nothing when it reloads: the check and the strokes after show it.
        mean, largest = self.user.check()
        print(f"\n  residual mean {mean} max {largest} px", file=sys.stderr)
        self.assertLess(largest, 2.0, [e for e in events(self.log) if e.startswith("press")])

        self.user.finish()
        self.assertEqual(events(self.log)[-1], "finished")
        for target in [(300, 200), (1500, 250), (400, 900), (1700, 1000), (960, 540)]:
            with self.subTest(stroke_to=target):
                start = (min(target[0] + 40, 1920), min(target[1] + 30, 1080))
                self.board.stroke([TRUTH.board(*start), TRUTH.board(*target)], rate=200,
                                  step=100, hold=10)
                expected = on_screen(target)

                def near():
                    x, y = self.cursor()
                    return max(abs(x - expected[0]), abs(y - expected[1])) <= 1
                self.assertTrue(wait_for(near, 1.0), f"pointer at {self.cursor()}, "
                                                     f"expected {expected} ±1")

    def test_from_the_orientation_area_to_a_pointer_within_a_pixel_on_3x3(self):
        self.start()
        self.calibrate(3, 3)

    def test_5x4_through_the_driver(self):
        self.start(wdot=(5, 4))
        self.calibrate(5, 4)

    def test_the_orientation_area_touched_again_closes_the_program_and_writes_nothing(self):
        self.start()
        before = self.settings.read_bytes()
        shown = self.user.wait_event(r"target 1/9 at (\d+),(\d+)")
        self.board.stroke(orient_run.noisy_contact(
            TRUTH.board(int(shown.group(1)), int(shown.group(2))), self.user.rng), rate=200)
        self.user.wait_event(r"target 2/9 at .*")
        orient_run.touch_orientation_area(self.board, self.settings)
        wintest("wait-gone", WINDOW_CLASS, caption(), 5000, timeout_ms=5000)
        self.assertEqual(events(self.log)[-1], "cancelled")
        self.assertEqual(self.settings.read_bytes(), before)


if __name__ == "__main__":
    unittest.main()
