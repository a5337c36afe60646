"""The calibration program under Wine, fed by the virtual board through the driver's side of
calibration: a run over every target with a noisy pen, the grid it writes, the driver's reload,
the check through the real pointer, and strokes that land where the new grid says.

The same runs go through Dravik.exe, which starts the program from its orientation area, and
through orientation_standin.exe (the driver's own pipe, calibration load and pen state machine
over a serial port), which shows what the program does with a driver that only keeps the
contract."""

import random
import re
import shutil
import sys
import time
import unittest
from pathlib import Path

import rig
import virtual_board as vb
from rig import (REPO, context, end_program, on_screen, read_profile, replace_section,
                 serial_board, start_program, wait_for, windows_path, wintest, work_folder)

sys.path.insert(0, str(REPO / "tools" / "scribble"))
import bmp_to_png  # noqa: E402

ORIENT_EXE = "orient/Orient.exe"
STANDIN_EXE = "tests/orientation_standin.exe"
DRIVER_EXE = "driver/app/Dravik.exe"
WINDOW_CLASS = "DUALPENORIENT"
DRIVER = ("#32770", "QelELECDUALPRO")
LANGUAGE = REPO / "resources" / "Language.ini"
WM_KEYDOWN, VK_ESCAPE = 0x100, 0x1B
# The board as hung: board = a * pixel + b on each axis.
TRUTH = vb.LinearCalibration(ax=7, bx=1300, ay=13, by=900)
SCREENSHOTS = {"target": "e2e-artifacts/orient-target.png",
               "result": "e2e-artifacts/orient-result.png"}


def caption():
    return read_profile(LANGUAGE, "Orient", "IDS_ORIENT_CAPTION")


def events(log: Path) -> list[str]:
    """Orient.log's lines without their times."""
    if not log.exists():
        return []
    return [re.sub(r"^\[\d+ ms\] ", "", line) for line in log.read_text().splitlines()]


def noisy_contact(point, rng):
    """A pen that lands 18 units off, then rests with two units of jitter either way."""
    x, y = point
    resting = []
    for _ in range(6):
        dx, dy = rng.randint(0, 2), rng.randint(0, 2)
        resting += [(x + dx, y - dy), (x - dx, y + dy)]
    rng.shuffle(resting)
    return [(x + 18, y - 18), (x - 17, y + 17)] + resting


def save_screenshot(name: str, folder: Path):
    bmp = folder / f"{name}.bmp"
    wintest("screenshot", WINDOW_CLASS, caption(), windows_path(bmp))
    png = context().build_dir / SCREENSHOTS[name]
    png.parent.mkdir(parents=True, exist_ok=True)
    bmp_to_png.write_png(png, *bmp_to_png.read_bmp(bmp))
    print(f"\n  screenshot: {png}", file=sys.stderr)


class CalibrationRun:
    """Plays the user at the board while the program logs what it shows."""

    def __init__(self, test: unittest.TestCase, board, log: Path, folder: Path):
        self.test, self.board, self.log, self.folder = test, board, log, folder
        self.rng = random.Random(11)

    def wait_event(self, pattern: str, count: int = 1, timeout: float = 15):
        def found():
            matches = [m for m in map(re.compile(pattern).fullmatch, events(self.log)) if m]
            return matches if len(matches) >= count else None
        matches = wait_for(found, timeout, interval=0.05)
        if not matches:
            self.test.fail(f"no {pattern!r} (#{count}) in Orient.log: {events(self.log)[-6:]}")
        return matches[count - 1]

    def targets(self) -> dict:
        """Every target, touched once as shown; returns the true board point of each."""
        truth = {}
        first = self.wait_event(r"target 1/(\d+) at (\d+),(\d+)")
        count = int(first.group(1))
        for k in range(1, count + 1):
            shown = self.wait_event(rf"target {k}/{count} at (\d+),(\d+)")
            pixel = (int(shown.group(1)), int(shown.group(2)))
            if k == 1:
                time.sleep(0.3)
                save_screenshot("target", self.folder)
            # LinearCalibration.board: a pen on the cross, half a pixel in.
            truth[pixel] = TRUTH.board(*pixel)
            self.board.stroke(noisy_contact(truth[pixel], self.rng), rate=200)
            self.wait_event(r"contact .*", count=k)
        self.wait_event(r"written .*")
        return truth

    def check(self):
        """Presses each check cross with a steady tap; the program's residual in pixels."""
        for k in range(1, 6):
            cross = self.wait_event(rf"check {k}/5 at (\d+),(\d+)")
            self.board.tap(*TRUTH.board(int(cross.group(1)), int(cross.group(2))), touches=4)
            self.wait_event(rf"press {k} at .*")
        result = self.wait_event(r"residual mean ([\d.]+) max ([\d.]+) px")
        time.sleep(0.3)
        save_screenshot("result", self.folder)
        return float(result.group(1)), float(result.group(2))


class OrientTestBase:
    """What both drivers must give: the grid, the reload, the check, the strokes after."""

    driver_process = None

    def install(self, wdot=None) -> Path:
        self.folder = work_folder(self.id())
        for name in ("Language.ini", "DualData.ini"):
            shutil.copy2(REPO / "resources" / name, self.folder / name)
        shutil.copy2(context().program(ORIENT_EXE), self.folder / "Orient.exe")
        self.settings = self.folder / "DualData.ini"
        replace_section(self.settings, "DIAGNOSTICS", ["LOG_FILE=1"])
        if wdot:
            replace_section(self.settings, "coordinate", [f"wdot={wdot[0]}", f"hdot={wdot[1]}"])
        self.log = self.folder / "Orient.log"
        self.board = serial_board(self.folder)
        self.addCleanup(self.board.shutdown)
        return self.folder

    def cursor(self):
        lines = wintest("cursor")
        return int(lines[0].split()[1]), int(lines[1].split()[1])

    def calibrate(self, columns, rows):
        run = CalibrationRun(self, self.board, self.log, self.folder)
        truth = run.targets()
        self.assertEqual(len(truth), columns * rows)
        self.assertEqual(read_profile(self.settings, "coordinate", "wdot"), str(columns))
        self.assertEqual(read_profile(self.settings, "coordinate", "hdot"), str(rows))
        for i in range(columns):
            for j in range(rows):
                target = (i * (0.8 * 1920 / (columns - 1)) + 0.1 * 1920,
                          j * (0.8 * 1080 / (rows - 1)) + 0.1 * 1080)
                with self.subTest(target=(i, j)):
                    self.assertIn(tuple(map(int, target)), truth, "not a target of the driver")
                    # The board under the driver's target point itself.
                    true = (TRUTH.ax * target[0] + TRUTH.bx, TRUTH.ay * target[1] + TRUTH.by)
                    for axis, key in enumerate("xy"):
                        written = float(read_profile(self.settings, "coordinate",
                                                     f"dot({i},{j}).{key}"))
                        self.assertLessEqual(abs(written - true[axis]), 1.0, key)
        self.assert_reloaded(columns, rows)
        mean, largest = run.check()
        print(f"\n  residual mean {mean} max {largest} px", file=sys.stderr)
        self.assertLess(largest, 2.0, [e for e in events(self.log) if e.startswith("press")])

        wintest("post", WINDOW_CLASS, caption(), WM_KEYDOWN, VK_ESCAPE, 1)
        wintest("wait-gone", WINDOW_CLASS, caption(), 5000, timeout_ms=5000)
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


class OrientWithStandInTest(OrientTestBase, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for exe in (ORIENT_EXE, STANDIN_EXE):
            if not context().program(exe).exists():
                raise AssertionError(f"{exe} is not built")

    def start(self, wdot=None):
        folder = self.install(wdot)
        self.standin_log = folder / "standin.log"
        standin = start_program(context().program(STANDIN_EXE), "\\\\.\\" + rig.SERIAL_PORT,
                                windows_path(self.settings), windows_path(self.standin_log), 120)
        self.addCleanup(end_program, standin)
        self.assertTrue(wait_for(lambda: self.standin_lines()[:1] == ["ready"], 20),
                        self.standin_lines())
        orient = start_program(folder / "Orient.exe")
        self.addCleanup(end_program, orient)
        wintest("wait-window", WINDOW_CLASS, caption(), 10000, timeout_ms=10000)

    def standin_lines(self):
        return self.standin_log.read_text().splitlines() if self.standin_log.exists() else []

    def assert_reloaded(self, columns, rows):
        self.assertTrue(wait_for(lambda: f"reloaded {columns} {rows}" in self.standin_lines(), 5),
                        self.standin_lines())

    def test_a_noisy_pen_on_3x3_gives_the_board_within_a_unit_and_a_pointer_within_a_pixel(self):
        self.start()
        self.calibrate(3, 3)
        self.assertEqual(self.standin_lines(),
                         ["ready", "start 0", "pipe 1", "done 0 0", "reloaded 3 3"])

    def test_5x4_and_back_to_the_driver_without_a_window_left(self):
        self.start(wdot=(5, 4))
        self.calibrate(5, 4)
        self.assertEqual(self.standin_lines()[-2:], ["done 0 0", "reloaded 5 4"])

    def test_escape_before_the_last_target_writes_nothing(self):
        self.start()
        before = self.settings.read_bytes()
        run = CalibrationRun(self, self.board, self.log, self.folder)
        run.wait_event(r"target 1/9 at .*")
        wintest("post", WINDOW_CLASS, caption(), WM_KEYDOWN, VK_ESCAPE, 1)
        wintest("wait-gone", WINDOW_CLASS, caption(), 5000, timeout_ms=5000)
        self.assertTrue(wait_for(lambda: "done 1 0" in self.standin_lines(), 5))
        self.assertEqual(self.settings.read_bytes(), before)


class OrientWithDriverTest(OrientTestBase, unittest.TestCase):
    """The whole road: the driver starts the program from its orientation area."""

    @classmethod
    def setUpClass(cls):
        for exe in (ORIENT_EXE, DRIVER_EXE):
            if not context().program(exe).exists():
                raise AssertionError(f"{exe} is not built")

    def start(self, wdot=None):
        folder = self.install(wdot)
        shutil.copy2(context().program(DRIVER_EXE), folder / "Dravik.exe")
        driver = start_program(folder / "Dravik.exe")
        self.addCleanup(self.stop_driver, driver)
        self.assertIsNotNone(self.board.wait_start(8), "the driver never wrote the start command")
        self.board.identify(vb.AREAS_ONE_PEN)
        time.sleep(0.2)
        self.touch_orientation_area()
        wintest("wait-window", WINDOW_CLASS, caption(), 10000, timeout_ms=10000)

    def touch_orientation_area(self):
        area = (int(read_profile(self.settings, "ElecButton", "ept12.x")),
                int(read_profile(self.settings, "ElecButton", "ept12.y")))
        self.board.tap(*area)

    def stop_driver(self, driver):
        end_program(driver)
        wintest("wait-gone", *DRIVER, 5000, timeout_ms=5000, check=False)
        wintest("wait-gone", WINDOW_CLASS, caption(), 5000, timeout_ms=5000, check=False)

    def assert_reloaded(self, columns, rows):
        """The driver says nothing when it reloads: the strokes after the check show it."""

    def test_from_the_orientation_area_to_a_pointer_within_a_pixel_on_3x3(self):
        self.start()
        self.calibrate(3, 3)

    def test_5x4_through_the_driver(self):
        self.start(wdot=(5, 4))
        self.calibrate(5, 4)

    def test_the_orientation_area_touched_again_closes_the_program_and_writes_nothing(self):
        self.start()
        run = CalibrationRun(self, self.board, self.log, self.folder)
        shown = run.wait_event(r"target 1/9 at (\d+),(\d+)")
        before = read_profile(self.settings, "coordinate", "dot(0,0).x")
        self.board.stroke(noisy_contact(TRUTH.board(int(shown.group(1)), int(shown.group(2))),
                                        run.rng), rate=200)
        run.wait_event(r"target 2/9 at .*")
        time.sleep(0.3)  # the driver's command areas re-arm 200 ms after a hit
        self.touch_orientation_area()
        wintest("wait-gone", WINDOW_CLASS, caption(), 5000, timeout_ms=5000)
        self.assertEqual(events(self.log)[-1], "cancelled")
        self.assertEqual(read_profile(self.settings, "coordinate", "dot(0,0).x"), before)


if __name__ == "__main__":
    unittest.main()
