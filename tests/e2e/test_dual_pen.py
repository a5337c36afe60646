"""The driver's side of the companion and the calibration program under Wine: the dual-pen
handshake with the reference companion over the socket and the pipe, the raw frames of a
calibration run, and the key-fault box."""

import os
import time
import unittest
from pathlib import Path

import dual_pen_stream
import rig
import virtual_board as vb
from rig import (contract, end_program, read_profile, replace_section, serial_board, start_program,
                 start_wintest, wait_for, windows_path, wintest, work_folder)
from test_driver import DIALOG_CLASS, DIALOG_TITLE, install_driver

CALIBRATION = vb.LinearCalibration()
WM_COMMAND, IDOK = 0x111, 1
TOOL = (contract.COMPANION_TOOL_CLASS, "Companion")


def log_lines(path: Path, kind: str) -> list[list[str]]:
    """The companion log's lines of one kind, without their times."""
    if not path.exists():
        return []
    return [line.split()[2:] for line in path.read_text().splitlines()
            if len(line.split()) > 2 and line.split()[1] == kind]


class DriverWithBoard(unittest.TestCase):
    """The real driver, connected to the virtual board, with a linear calibration."""

    def setUp(self):
        self.folder = work_folder(self.id())
        self.exe = install_driver(self.id())
        self.settings = self.exe.with_name(contract.SETTINGS_FILE_NAME)
        replace_section(self.settings, contract.SETTINGS_FILE_COORDINATE_SECTION,
                        CALIBRATION.coordinate_section())
        self.board = serial_board(self.folder)
        self.addCleanup(self.board.shutdown)
        self.driver = None
        self.addCleanup(self.stop_driver)

    def stop_driver(self):
        if self.driver is not None:
            end_program(self.driver)
            wintest("wait-gone", DIALOG_CLASS, DIALOG_TITLE, 5000, timeout_ms=5000, check=False)

    def connect(self, model):
        self.driver = start_program(self.exe)
        self.assertIsNotNone(self.board.wait_start(8), "the driver never wrote the start command")
        self.board.identify(model)
        time.sleep(0.2)

    def post(self, message, wparam, lparam):
        wintest("post", DIALOG_CLASS, DIALOG_TITLE, message, wparam, lparam)


class DualPenTest(DriverWithBoard):
    def start_companion(self, transport):
        exe = Path(os.environ.get("E2E_COMPANION", "/nonexistent")).resolve()
        self.assertTrue(exe.exists(), "companion.exe is not built (scripts/e2e-test builds it)")
        self.log = self.folder / "companion.log"
        companion = start_program(exe, f"--{transport}", "--log", windows_path(self.log),
                                  "--seconds", 60)
        self.addCleanup(end_program, companion)
        self.assertTrue(wait_for(lambda: log_lines(self.log, "started"), 30), "no companion")
        wintest("wait-window", *TOOL, 5000, timeout_ms=5000)

    def handshake(self, transport):
        """The dual-pen button from outside; the companion then asks for its channel."""
        self.start_companion(transport)
        self.connect(vb.PLAIN_TWO_PENS)
        self.post(WM_COMMAND, IDOK, 0)
        told = wait_for(lambda: ["tool", "0x7f2", "1000", "3"] in log_lines(self.log, "msg"), 5)
        self.assertTrue(told, self.log.read_text())
        self.assertEqual(wintest("text", DIALOG_CLASS, DIALOG_TITLE, 1000), ["进入双笔状态"])
        self.assertEqual(wintest("text", DIALOG_CLASS, DIALOG_TITLE, IDOK), ["禁用双笔"])
        self.assertTrue(wait_for(lambda: log_lines(self.log, "connected"), 10),
                        self.log.read_text())

    def second_pen_frames_arrive_whole(self, transport):
        self.handshake(transport)
        pixels = [(300 + 7 * k, 200 + 5 * k) for k in range(60)]
        frames = [vb.pen_frame(*CALIBRATION.board(*p), header=vb.SECOND_PEN) for p in pixels]
        frames.append(vb.pen_frame(*CALIBRATION.board(*pixels[-1]), vb.LIFT, vb.SECOND_PEN))
        self.board.send_frames(frames, rate=200)
        got = wait_for(lambda: (lambda f: f if len(f) >= len(frames) else None)(
            log_lines(self.log, "frame")), 10) or log_lines(self.log, "frame")
        self.assertEqual(len(got), len(frames), self.log.read_text())
        for index, (line, pixel) in enumerate(zip(got, pixels + [pixels[-1]])):
            with self.subTest(frame=index):
                channel, raw, status, x, y, check = line
                self.assertEqual(channel, transport)
                self.assertEqual(check, "ok", raw)
                self.assertEqual(raw[:4], "aa00")
                self.assertEqual(status, "0x83" if index == len(pixels) else "0x81")
                self.assertEqual((int(x), int(y)), CALIBRATION.pixel(*CALIBRATION.board(*pixel)))

    def test_socket_channel_carries_the_second_pen(self):
        self.second_pen_frames_arrive_whole("socket")

    def test_pipe_channel_carries_the_second_pen(self):
        self.second_pen_frames_arrive_whole("pipe")


class DualPenStreamTest(unittest.TestCase):
    def test_no_second_pen_frame_is_lost_at_half_the_line_rate(self):
        result = dual_pen_stream.stream(self.id(), "socket", 2000, 360)
        self.assertNotIn("error", result, result)
        self.assertEqual((result["received"], result["in_order"]), (2000, 2000),
                         dual_pen_stream.describe(result))


class CalibrationProgramTest(DriverWithBoard):
    def test_raw_frames_reach_the_orientation_pipe_and_its_end_reloads(self):
        self.connect(vb.AREAS_ONE_PEN)
        self.post(contract.DRIVER_MESSAGE_ORIENTATION_START,
                  contract.DRIVER_MESSAGE_RAW_FRAMES_ONLY, 0)
        client = start_wintest("pipe-client", contract.ORIENTATION_PIPE, 4000)
        self.addCleanup(end_program, client)
        time.sleep(1.0)
        frames = [vb.pen_frame(8000, 6000), vb.pen_frame(8010, 6000, vb.LIFT)]
        self.board.send_frames(frames, rate=100)
        out, _ = client.communicate(timeout=30)
        lines = out.decode().splitlines()
        self.assertEqual(lines[:1], ["connected"])
        received = bytes.fromhex("".join(line.split()[1] for line in lines
                                         if line.startswith("read ")))
        self.assertEqual(received, b"".join(frames), "raw, whole and in order")

        # The program wrote a new calibration: its end reloads it, and the pen follows it.
        moved = vb.LinearCalibration(bx=1700)
        replace_section(self.settings, contract.SETTINGS_FILE_COORDINATE_SECTION,
                        moved.coordinate_section())
        self.post(contract.DRIVER_MESSAGE_ORIENTATION_DONE,
                  contract.DRIVER_MESSAGE_CALIBRATION_WRITTEN, 0)
        time.sleep(0.3)
        target = (800, 500)
        self.board.stroke([moved.board(820, 530), moved.board(*target)], rate=200, step=100,
                          hold=10)
        expected = rig.on_screen(target)

        def near():
            lines = wintest("cursor")
            x, y = int(lines[0].split()[1]), int(lines[1].split()[1])
            return max(abs(x - expected[0]), abs(y - expected[1])) <= 1

        self.assertTrue(wait_for(near, 2, interval=0.05), wintest("cursor"))


class KeyFaultTest(DriverWithBoard):
    def test_a_flood_of_key_faults_shows_one_box_with_the_language_files_text(self):
        self.connect(vb.AREAS_ONE_PEN)
        language = self.exe.with_name(contract.LANGUAGE_FILE_NAME)
        caption = read_profile(language, "String", "IDS_CONNECTCAP")
        for _ in range(10):
            self.board.send(vb.status_frame(vb.RIGHT_KEY_ERROR))
        self.assertTrue(wait_for(lambda: wintest("find", "#32770", caption, check=False), 5))
        time.sleep(0.5)
        self.assertEqual(len(wintest("find", "#32770", caption)), 1, "one box at a time")
        text = wintest("msgbox", caption, 3000)
        expected = read_profile(language, "String", "IDS_RKEYERROR")
        self.assertEqual(text, [expected])
        time.sleep(0.5)
        self.assertEqual(wintest("find", "#32770", caption, check=False), [],
                         "the faults that came while it was up are not queued behind it")


if __name__ == "__main__":
    unittest.main()
