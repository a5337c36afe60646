"""A user calibrating the board with the virtual board's pen, by what the calibration program
says in Orient.log: a noisy contact on every target it shows, a steady tap on every check cross.
Used by the Wine tests and the demo."""

import random
import re
import time
from pathlib import Path

import rig
from rig import contract
import virtual_board as vb

WINDOW_CLASS = contract.ORIENTATION_WINDOW_CLASS
LANGUAGE = Path(__file__).resolve().parents[2] / "resources" / contract.LANGUAGE_FILE_NAME
WM_KEYDOWN, VK_ESCAPE = 0x100, 0x1B
CHECK_CROSSES = 5


def caption() -> str:
    return rig.read_profile(LANGUAGE, "Orient", "IDS_ORIENT_CAPTION")


def install(folder: Path, build_program, wdot=None) -> Path:
    """Orient.exe beside the shipped INI files, its log switched on; returns DualData.ini."""
    for name in (contract.LANGUAGE_FILE_NAME, contract.SETTINGS_FILE_NAME):
        (folder / name).write_bytes((rig.REPO / "resources" / name).read_bytes())
    (folder / "Orient.exe").write_bytes(build_program("orient/Orient.exe").read_bytes())
    settings = folder / contract.SETTINGS_FILE_NAME
    rig.replace_section(settings, contract.SETTINGS_FILE_DIAGNOSTICS_SECTION,
                        [f"{contract.SETTINGS_FILE_LOG_FILE_KEY}=1"])
    if wdot:
        rig.replace_section(settings, contract.SETTINGS_FILE_COORDINATE_SECTION,
                            [f"{contract.SETTINGS_FILE_COLUMNS_KEY}={wdot[0]}",
                             f"{contract.SETTINGS_FILE_ROWS_KEY}={wdot[1]}"])
    return settings


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


def target_point(i, j, columns, rows, size=rig.SCREEN):
    """The driver's target [i][j]: 10 % to 90 % of the screen."""
    width, height = size
    return (i * (0.8 * width / (columns - 1)) + 0.1 * width,
            j * (0.8 * height / (rows - 1)) + 0.1 * height)


class Calibrator:
    """truth: the board as hung, a vb.LinearCalibration; its board(pixel) is a pen on a cross."""

    def __init__(self, board, log: Path, truth, seed=11, screenshot=None, size=rig.SCREEN):
        self.board, self.log, self.truth, self.size = board, log, truth, size
        self.rng = random.Random(seed)
        self.screenshot = screenshot or (lambda name: None)

    def wait_event(self, pattern: str, count: int = 1, timeout: float = 15):
        def found():
            matches = [m for m in map(re.compile(pattern).fullmatch, events(self.log)) if m]
            return matches if len(matches) >= count else None
        matches = rig.wait_for(found, timeout, interval=0.05)
        if not matches:
            raise AssertionError(f"no {pattern!r} (#{count}) in Orient.log: "
                                 f"{events(self.log)[-6:]}")
        return matches[count - 1]

    def targets(self) -> dict:
        """Touches every target as shown; returns the pixel of each cross and the board point
        the pen gave there."""
        touched = {}
        count = int(self.wait_event(r"target 1/(\d+) at .*").group(1))
        for k in range(1, count + 1):
            shown = self.wait_event(rf"target {k}/{count} at (\d+),(\d+)")
            pixel = (int(shown.group(1)), int(shown.group(2)))
            if k == 1:
                time.sleep(0.3)
                self.screenshot("target")
            touched[pixel] = self.truth.board(*pixel)
            self.board.stroke(noisy_contact(touched[pixel], self.rng), rate=200)
            self.wait_event(r"contact .*", count=k)
        self.wait_event(r"written .*")
        return touched

    def check(self):
        """Taps each check cross; the program's residual (mean, largest) in pixels."""
        for k in range(1, CHECK_CROSSES + 1):
            cross = self.wait_event(rf"check {k}/{CHECK_CROSSES} at (\d+),(\d+)")
            # The first cross shows as the program posts its done message: a tap the driver
            # reads before it takes that message still goes down the orientation pipe, which
            # nobody reads any more, so it is tapped again.
            for attempt in range(3 if k == 1 else 1):
                self.board.tap(*self.truth.board(int(cross.group(1)), int(cross.group(2))),
                               touches=4)
                if self.pressed(k, timeout=3):
                    break
            self.wait_event(rf"press {k} at .*")
        result = self.wait_event(r"residual mean ([\d.]+) max ([\d.]+) px")
        time.sleep(0.3)
        self.screenshot("result")
        return float(result.group(1)), float(result.group(2))

    def pressed(self, k: int, timeout: float) -> bool:
        pattern = re.compile(rf"press {k} at .*")
        return rig.wait_for(lambda: any(map(pattern.fullmatch, events(self.log))), timeout,
                            interval=0.05) is not None

    def grid_errors(self, settings: Path, columns: int, rows: int) -> dict:
        """Written minus true board point at each driver target, in board units."""
        errors = {}
        for i in range(columns):
            for j in range(rows):
                x, y = target_point(i, j, columns, rows, self.size)
                true = (self.truth.ax * x + self.truth.bx, self.truth.ay * y + self.truth.by)
                written = [float(rig.read_profile(settings,
                                                  contract.SETTINGS_FILE_COORDINATE_SECTION,
                                                  f"dot({i},{j}).{key}") or "nan")
                           for key in "xy"]
                errors[(i, j)] = (written[0] - true[0], written[1] - true[1])
        return errors

    def finish(self):
        rig.wintest("post", WINDOW_CLASS, caption(), WM_KEYDOWN, VK_ESCAPE, 1)
        rig.wintest("wait-gone", WINDOW_CLASS, caption(), 5000, timeout_ms=5000)


def touch_orientation_area(board, settings: Path):
    """The left column's orientation area, where the driver's settings put it."""
    board.tap(int(rig.read_profile(settings, "ElecButton", "ept12.x")),
              int(rig.read_profile(settings, "ElecButton", "ept12.y")))


def start_from_driver(folder: Path, board, settings: Path):
    """Dravik.exe beside Orient.exe, connected, then the orientation area touched; returns the
    driver's process once the program's window is up."""
    (folder / "Dravik.exe").write_bytes(rig.context().program("driver/app/Dravik.exe")
                                        .read_bytes())
    driver = rig.start_program(folder / "Dravik.exe")
    if board.wait_start(8) is None:
        rig.end_program(driver)
        raise AssertionError("the driver never wrote the start command")
    board.identify(vb.AREAS_ONE_PEN)
    time.sleep(0.2)
    touch_orientation_area(board, settings)
    rig.wintest("wait-window", WINDOW_CLASS, caption(), 10000, timeout_ms=10000)
    return driver
