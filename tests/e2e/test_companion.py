"""The reference companion under Wine: the dual-pen handshake with a stand-in for the driver's
side (the real channel classes over the real pipes and sockets), screen frames drawn and
logged in order, messages logged as they arrive."""

import os
import sys
import unittest
from pathlib import Path

from rig import (REPO, context, contract, end_program, start_program, wait_for, windows_path, wine,
                 wintest, work_folder)

sys.path.insert(0, str(REPO / "tools" / "companion"))
import bmp_to_png  # noqa: E402

SHEET = (contract.COMPANION_MAIN_CLASS, contract.COMPANION_MAIN_TITLE)
TOOL = (contract.COMPANION_TOOL_CLASS, "Companion")
STANDIN_EXE = "tools/dualpen_standin/dualpen_standin.exe"
WM_CLOSE = 0x10
FRAMES = 120


def log_lines(path: Path, kind: str) -> list[list[str]]:
    """The log's lines of one kind, without their times."""
    if not path.exists():
        return []
    return [line.split()[2:] for line in path.read_text().splitlines()
            if len(line.split()) > 1 and line.split()[1] == kind]


class CompanionTest(unittest.TestCase):
    def start_companion(self, transport: str):
        exe = Path(os.environ.get("E2E_COMPANION", "/nonexistent")).resolve()
        if not exe.exists():
            self.fail("companion.exe is not built (scripts/e2e-test builds it)")
        folder = work_folder(self.id())
        self.log, self.bmp = folder / "companion.log", folder / "sheet.bmp"
        companion = start_program(exe, f"--{transport}", "--log", windows_path(self.log),
                                  "--save", windows_path(self.bmp), "--seconds", 60)
        self.addCleanup(end_program, companion)
        # Its windows first: the first window of a prefix starts Wine's desktop process, which
        # would hold on to the output of a helper that came first and never let it return.
        self.assertTrue(wait_for(lambda: log_lines(self.log, "started"), 30), "no windows")
        wintest("wait-window", *SHEET, 5000, timeout_ms=5000)
        wintest("wait-window", *TOOL, 5000, timeout_ms=5000)
        return companion

    def handshake(self, transport: str, request: str):
        companion = self.start_companion(transport)
        standin = context().program(STANDIN_EXE)
        if not standin.exists():
            self.fail(f"{standin} is missing: build the windows-x64 preset first")
        result = wine([standin, FRAMES, 2], timeout=60)
        out = dict(line.split(" ", 1) for line in result.stdout.decode().splitlines() if " " in line)
        self.assertEqual((out.get("request"), out.get("opened"), out.get("sent")),
                         (request, "1", str(FRAMES)), out)

        self.assertTrue(wait_for(lambda: len(log_lines(self.log, "frame")) >= FRAMES, 5),
                        self.log.read_text())
        frames = log_lines(self.log, "frame")
        expected = [[transport, f"{0x81 if i + 1 < FRAMES else 0x83:#x}", str(200 + 4 * i),
                     str(200 + 2 * i), "ok"] for i in range(FRAMES)]
        self.assertEqual([[f[0], *f[2:]] for f in frames], expected)
        messages = log_lines(self.log, "msg")
        self.assertIn(["tool", "0x7f2", "1000", "3"], messages)
        self.assertTrue(wait_for(lambda: ["tool", "0x7f2", "1000", "4"] in
                                 log_lines(self.log, "msg"), 5))
        self.assertEqual(log_lines(self.log, "request"), [[request, "2", "posted"]])

        wintest("post", *SHEET, WM_CLOSE, 0, 0)
        self.assertEqual(companion.wait(timeout=10), 0)
        _, _, rows = bmp_to_png.read_bmp(self.bmp)
        red = (220, 0, 0)
        for i in (0, FRAMES // 2, FRAMES - 1):
            x, y = 200 + 4 * i, 200 + 2 * i
            self.assertEqual(tuple(rows[y][3 * x:3 * x + 3]), red, f"frame {i} not drawn")
        self.assertEqual(tuple(rows[600][3 * 1200:3 * 1200 + 3]), (255, 255, 255))

    def test_socket_handshake_draws_and_logs_every_frame_in_order(self):
        self.handshake("socket", "32")

    def test_pipe_handshake_draws_and_logs_every_frame_in_order(self):
        self.handshake("pipe", "30")

    def test_the_mouse_draws_the_first_pen_in_black_and_close_saves_it(self):
        companion = self.start_companion("socket")
        wintest("drag", 200, 300, 600, 300, 20)
        wintest("drag", 1000, 100, 1000, 900, 20)
        wintest("post", *SHEET, WM_CLOSE, 0, 0)
        self.assertEqual(companion.wait(timeout=10), 0)
        width, height, rows = bmp_to_png.read_bmp(self.bmp)
        self.assertEqual((width, height), (1920, 1080))

        def pixel(x, y):
            return tuple(rows[y][3 * x:3 * x + 3])

        # Wine's absolute mapping may put a point one pixel up or left.
        for x, y in [(210, 300), (400, 300), (590, 300), (1000, 110), (1000, 500)]:
            near = {pixel(x + dx, y + dy) for dx in (-1, 0) for dy in (-1, 0)}
            self.assertIn((0, 0, 0), near, f"no line at ({x}, {y})")
        for x, y in [(400, 320), (100, 100), (1500, 900), (1020, 500)]:
            self.assertEqual(pixel(x, y), (255, 255, 255), f"stray ink at ({x}, {y})")
        counts = dict(line.split(" ", 1) for line in
                      Path(str(self.bmp) + ".txt").read_text().splitlines() if " " in line)
        self.assertEqual((counts["strokes"], counts["clicks"]), ("2", "2"), counts)

    def test_commands_and_button_codes_are_logged_as_they_arrive(self):
        companion = self.start_companion("socket")
        notice, button = contract.COMPANION_NOTICE, contract.COMPANION_BUTTON_NOTICE
        posts = [(notice, 25, 0), (notice, 273, 2), (button, 1, 0), (button, 8, 0)]
        for message, w, l in posts:
            wintest("post", *SHEET, message, w, l)
        expected = [["companion", f"{m:#x}", str(w), str(l)] for m, w, l in posts]
        self.assertTrue(wait_for(lambda: log_lines(self.log, "msg") == expected, 5),
                        log_lines(self.log, "msg"))
        end_program(companion)


if __name__ == "__main__":
    unittest.main()
