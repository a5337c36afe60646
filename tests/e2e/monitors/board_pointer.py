"""Strokes and taps of the virtual board onto the board's monitor, and where the X server's
pointer goes, for the tests on two monitors."""

import time
import unittest

import monitor_rig as mr
import virtual_board as vb
from monitor_rig import SECONDARY
from rig import context, end_program, serial_board, start_program, wait_for, wintest
from test_driver import DIALOG_CLASS, DIALOG_TITLE, DRIVER_EXE
from x_pointer import PointerWatch

SECONDARY_SIZE = (1280, 1024)
# The board as hung in front of the secondary: board = a * pixel + b, pixels of that monitor.
TRUTH = vb.LinearCalibration(width=SECONDARY_SIZE[0], height=SECONDARY_SIZE[1])
# Monitor pixels, corners and middle; none at a corner of the desktop.
TARGETS = [(100, 80), (1180, 940), (640, 512), (20, 1000), (1270, 10)]


class BoardPointerTest(unittest.TestCase):
    """Set self.board (a serial board) in setUp after calling this one's."""

    @classmethod
    def setUpClass(cls):
        if not context().program(DRIVER_EXE).exists():
            raise AssertionError(f"{DRIVER_EXE} is not built")

    def setUp(self):
        self.addCleanup(mr.restore)
        self.watch = PointerWatch(context().env["DISPLAY"])
        self.addCleanup(self.watch.close)

    def open_board(self, folder):
        self.board = serial_board(folder)
        self.addCleanup(self.board.shutdown)

    def start_driver(self, exe):
        """The driver connected to the board."""
        driver = start_program(exe)
        self.addCleanup(wintest, "wait-gone", DIALOG_CLASS, DIALOG_TITLE, 5000,
                        timeout_ms=5000, check=False)
        self.addCleanup(end_program, driver)
        self.assertIsNotNone(self.board.wait_start(8), "the driver never wrote the start command")
        self.board.identify(vb.AREAS_ONE_PEN)
        time.sleep(0.1)
        return driver

    def pointer(self, layout):
        """The X pointer in Windows' desktop coordinates."""
        (x, y), (left, top) = self.watch.where(), mr.virtual_origin(layout)
        return x + left, y + top

    def assert_lands(self, expected, layout, tolerance, what):
        def near():
            x, y = self.pointer(layout)
            return max(abs(x - expected[0]), abs(y - expected[1])) <= tolerance
        if not wait_for(near, 1.5, interval=0.02):
            self.fail(f"{what}: pointer at {self.pointer(layout)}, expected {expected} "
                      f"±{tolerance}")

    def stroke_to(self, pixel, scale=(1.0, 1.0)):
        """A stroke from above left onto a pixel of the board's monitor as it is now, which
        scale times larger is the monitor the board was calibrated on."""
        def board(px, py):
            return TRUTH.board(px * scale[0], py * scale[1])
        start = (max(pixel[0] - 40, 0), max(pixel[1] - 30, 0))
        self.board.stroke([board(*start), board(*pixel)], rate=200, step=100, hold=10)

    def double_tap(self, pixel, scale=(1.0, 1.0)):
        """Two taps a pixel apart, quick enough for the driver's double click."""
        x, y = TRUTH.board(pixel[0] * scale[0], pixel[1] * scale[1])
        self.board.tap(x, y)
        self.board.tap(x + TRUTH.ax, y)

    def assert_strokes_land(self, layout, tolerance=1, scale=(1.0, 1.0), taps=False):
        """Strokes onto every target land on the secondary, and the pointer never leaves it."""
        left, top, right, bottom = layout[SECONDARY]
        since = time.perf_counter()
        for pixel in TARGETS:
            pixel = (min(pixel[0], right - left - 1), min(pixel[1], bottom - top - 1))
            with self.subTest(target=pixel, taps=taps):
                (self.double_tap if taps else self.stroke_to)(pixel, scale)
                self.assert_lands((left + pixel[0], top + pixel[1]), layout, tolerance,
                                  "double tap" if taps else "stroke")
        origin = mr.virtual_origin(layout)
        outside = [(x + origin[0], y + origin[1]) for seen, x, y in list(self.watch.moves)
                   if seen > since and not (left <= x + origin[0] < right
                                            and top <= y + origin[1] < bottom)]
        self.assertEqual(outside, [], "the pointer left the board's monitor")
