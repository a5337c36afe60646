"""The demo's drawing sheet under Wine: absolute mouse input, as the driver injects it, draws."""

import os
import sys
import unittest
from pathlib import Path

from rig import (REPO, end_program, fields, start_program, wait_for, windows_path, wintest,
                 work_folder)

sys.path.insert(0, str(REPO / "tools" / "scribble"))
import bmp_to_png  # noqa: E402

SHEET = ("DravikScribble", "Scribble")
WM_CLOSE = 0x10


class ScribbleTest(unittest.TestCase):
    def setUp(self):
        exe = Path(os.environ.get("E2E_SCRIBBLE", "/nonexistent")).resolve()
        if not exe.exists():
            self.fail("scribble.exe is not built (scripts/e2e-test builds it)")
        self.bmp = work_folder(self.id()) / "sheet.bmp"
        self.sheet = start_program(exe, windows_path(self.bmp), 60)
        self.addCleanup(end_program, self.sheet)
        wintest("wait-window", *SHEET, 5000, timeout_ms=5000)

    def test_a_drag_draws_a_black_line_and_close_saves_it(self):
        wintest("drag", 200, 300, 600, 300, 20)
        wintest("drag", 1000, 100, 1000, 900, 20)
        wintest("post", *SHEET, WM_CLOSE, 0, 0)
        counts_file = Path(str(self.bmp) + ".txt")
        self.assertTrue(wait_for(counts_file.exists, 5), "nothing saved on close")
        self.assertEqual(self.sheet.wait(timeout=10), 0)

        width, height, rows = bmp_to_png.read_bmp(self.bmp)
        self.assertEqual((width, height), (1920, 1080))

        def pixel(x, y):
            return tuple(rows[y][3 * x:3 * x + 3])

        black, white = (0, 0, 0), (255, 255, 255)
        # Wine's absolute mapping may put a point one pixel up or left.
        for x, y in [(210, 300), (400, 300), (590, 300), (1000, 110), (1000, 500)]:
            near = {pixel(x + dx, y + dy) for dx in (-1, 0) for dy in (-1, 0)}
            self.assertIn(black, near, f"no line at ({x}, {y})")
        for x, y in [(400, 320), (100, 100), (1500, 900), (1020, 500)]:
            self.assertEqual(pixel(x, y), white, f"stray ink at ({x}, {y})")
        counts = fields(counts_file.read_text().splitlines())
        self.assertEqual(counts["strokes"], "2", counts)
        self.assertEqual(counts["clicks"], "2", counts)


if __name__ == "__main__":
    unittest.main()
