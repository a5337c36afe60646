"""The driver connected to a virtual board over Wine's serial port.

The rig half checks Wine's serial layer with wintest's serial probe in the driver's place; the
driver half runs the real driver against the board."""

import math
import re
import statistics
import sys
import time
import unittest

import rig
import virtual_board as vb
from x_pointer import PointerWatch
from rig import (on_screen, context, contract, cpu_seconds, end_program, replace_section,
                 serial_board, start_program, start_wintest, wait_for, wineserver_pid, wintest,
                 work_folder, SERIAL_PORT)
from test_driver import DIALOG_CLASS, DIALOG_TITLE, DRIVER_EXE, install_driver

PORT_PATH = "\\\\.\\" + SERIAL_PORT
COMPANION_CLASS, COMPANION_TITLE = contract.COMPANION_MAIN_CLASS, contract.COMPANION_MAIN_TITLE


def notice(wparam, lparam):
    """A notice to the companion as the reference companion logs it."""
    return f"{contract.COMPANION_NOTICE:#x} {wparam:#x} {lparam:#x}"
CALIBRATION = vb.LinearCalibration()
WIDTH, HEIGHT = rig.SCREEN


def probe_lines(process, timeout):
    out, _ = process.communicate(timeout=timeout)
    return out.decode("utf-8").splitlines()


class SerialRigTest(unittest.TestCase):
    """The pty, the dosdevices link and Wine's serial layer, seen from a Windows program."""

    def setUp(self):
        self.folder = work_folder(self.id())
        self.board = serial_board(self.folder)
        self.addCleanup(self.board.shutdown)

    def start_probe(self, seconds):
        probe = start_wintest("serial-probe", PORT_PATH, int(seconds * 1000))
        self.addCleanup(end_program, probe)
        return probe

    def test_port_opens_at_57600_and_every_byte_passes_both_ways(self):
        probe = self.start_probe(3.5)
        self.assertIsNotNone(self.board.wait_start(4), "no start command after 1 s of silence")
        every_byte = bytes(range(256))
        self.board.send(every_byte)
        time.sleep(0.1)
        self.board.send(b"\x01\x02\x03")  # a short burst must come back as a short read
        lines = probe_lines(probe, 15)

        self.assertIn("baud 57600 bits 8 stop 0", lines)
        reads = [bytes.fromhex(line.split()[2].strip("-"))
                 for line in lines if line.startswith("read ")]
        received = b""
        while reads and len(received) < len(every_byte):
            received += reads.pop(0)
        self.assertEqual(received, every_byte, lines)
        self.assertEqual(reads[:1], [b"\x01\x02\x03"], "the 3 ms interval time-out ends a read")

    def test_a_new_pty_behind_the_same_link_is_reached_after_a_hang_up(self):
        probe = self.start_probe(4)
        self.assertIsNotNone(self.board.wait_start(4))
        self.board.reopen()
        self.assertIsNotNone(self.board.wait_start(4, count=2), "no start command on the new pty")
        frame = vb.pen_frame(5000, 6000)
        self.board.send(frame)
        lines = probe_lines(probe, 15)
        events = [line.split()[0] for line in lines]
        self.assertIn("read_error", events, lines)
        self.assertIn("reopened", events, lines)
        self.assertIn(f"read {frame.hex()}", [" ".join(line.split()[::2]) for line in lines])


class ConnectedDriverTest(unittest.TestCase):
    """Dravik.exe against the virtual board: connection, pointer, function areas, recovery."""

    # How far behind a stream at the line's rate the pointer may end.
    KEEP_UP_LAG_MS = 50

    @classmethod
    def setUpClass(cls):
        if not context().program(DRIVER_EXE).exists():
            raise AssertionError(f"{DRIVER_EXE} is not built")

    def setUp(self):
        self.folder = work_folder(self.id())
        self.exe = install_driver(self.id())
        settings = self.exe.with_name(contract.SETTINGS_FILE_NAME)
        replace_section(settings, contract.SETTINGS_FILE_COORDINATE_SECTION,
                        CALIBRATION.coordinate_section())
        replace_section(settings, contract.SETTINGS_FILE_BUTTON_SECTION,
                        [f"{contract.SETTINGS_FILE_USE_DEFAULTS_KEY}=1",
                         f"{contract.SETTINGS_FILE_FRONT_CHOICE_KEY}=5",
                         f"{contract.SETTINGS_FILE_BACK_CHOICE_KEY}=6"])
        self.messages = self.folder / "companion.log"
        companion = start_wintest("companion", COMPANION_CLASS, COMPANION_TITLE,
                                  "Z:" + str(self.messages).replace("/", "\\"), 120)
        self.addCleanup(end_program, companion)
        wintest("wait-window", COMPANION_CLASS, COMPANION_TITLE, 5000, timeout_ms=5000)
        self.board = self.make_board()
        self.addCleanup(self.board.shutdown)
        self.driver = None

    def make_board(self):
        return serial_board(self.folder)

    def tearDown(self):
        if self.driver is not None:
            end_program(self.driver)
            wintest("wait-gone", DIALOG_CLASS, DIALOG_TITLE, 5000, timeout_ms=5000, check=False)

    def start_driver(self):
        self.driver = start_program(self.exe)
        return time.time()

    def connect(self):
        """Starts the driver and waits for its start command; then the board identifies."""
        started = self.start_driver()
        got = self.board.wait_start(8)
        self.assertIsNotNone(got, "the driver never wrote the start command")
        self.board.identify(vb.AREAS_ONE_PEN)
        time.sleep(0.1)
        return got - started

    def cursor(self):
        lines = wintest("cursor")
        return int(lines[0].split()[1]), int(lines[1].split()[1])

    def assert_cursor_near(self, pixel, what, timeout=1.0):
        """The pointer within a pixel of where the driver's move to pixel puts it."""
        expected = on_screen(pixel)

        def near():
            x, y = self.cursor()
            return max(abs(x - expected[0]), abs(y - expected[1])) <= 1

        if not wait_for(near, timeout, interval=0.05):
            self.fail(f"{what}: pointer at {self.cursor()}, expected {expected} ±1 "
                      f"(pixel {pixel})")

    def companion_lines(self, count, timeout):
        def lines():
            found = self.messages.read_text().splitlines() if self.messages.exists() else []
            return found if len(found) >= count else None
        return wait_for(lines, timeout, interval=0.01) or (
            self.messages.read_text().splitlines() if self.messages.exists() else [])

    def stroke_to(self, pixel, start=None, rate=200, board=None):
        # From below right: the smoothing then settles on the pixel itself, not one short.
        start = start or (min(pixel[0] + 40, WIDTH), min(pixel[1] + 30, HEIGHT))
        begin = CALIBRATION.board(*start)
        end = CALIBRATION.board(*pixel)
        (board or self.board).stroke([begin, end], rate=rate, step=100, hold=10)

    def test_connects_then_repeats_the_start_command_while_the_board_is_silent(self):
        started = self.start_driver()
        times = [self.board.wait_start(12, count=n) for n in range(1, 6)]
        self.assertIsNotNone(times[0], "no start command within 12 s of the start")
        self.assertLessEqual(times[0] - started, 4.5, "first start command late")
        self.assertNotIn(None, times, "the start command stopped repeating")
        gaps = [(b - a) * 1000 for a, b in zip(times, times[1:])]
        for index, gap in enumerate(gaps):
            self.assertAlmostEqual(gap, 1030, delta=120, msg=f"gap {index}: {gaps}")
        print(f"\n  first start command {1000 * (times[0] - started):.0f} ms after the start, "
              f"then every {statistics.mean(gaps):.0f} ms", file=sys.stderr)

    def test_strokes_move_the_pointer_to_the_calibrated_pixel_in_every_cell(self):
        self.connect()
        for target in [(300, 200), (1500, 250), (400, 900), (1700, 1000), (960, 540),
                       (961, 541), (5, 5)]:
            with self.subTest(target=target):
                self.stroke_to(target)
                self.assert_cursor_near(target, f"stroke to {target}")

    def test_taps_on_left_areas_reach_the_companion_after_500_ms(self):
        self.connect()
        self.assertEqual(self.companion_lines(2, 2)[:2],
                         [notice(0, contract.COMPANION_ANNOUNCE_MODEL),
                          notice(0, contract.COMPANION_ANNOUNCE_DONE)], "board announcement")
        area4 = (412, 5400)  # left column, tap counter 0
        area9 = (405, 10900)  # left column, tap counter 5
        tapped = self.board.tap(*area4)
        lines = self.companion_lines(3, 3)
        delay = (time.time() - tapped) * 1000
        self.assertEqual(lines[2:], [notice(0x11, 0)])
        self.assertGreater(delay, 400, "single tap reported before its 500 ms")
        self.assertLess(delay, 900, "single tap reported late")
        time.sleep(0.3)
        self.assertEqual(len(self.companion_lines(4, 0)), 3, "single tap reported twice")

        self.board.tap(*area9)
        self.board.tap(*area9)
        self.assertEqual(self.companion_lines(5, 3)[3:], [notice(0x10a, 0), notice(0x16, 0)])

    def test_pen_button_click_goes_to_the_companion_then_clicks_where_the_pen_was(self):
        self.connect()
        self.stroke_to((200, 200))
        target = (800, 600)
        self.board.button_click(*CALIBRATION.board(*target))
        lines = self.companion_lines(3, 3)
        self.assertIn("0x7f4 0x1 0x0", lines[2:])
        self.assert_cursor_near(target, "left click after the button report")

    def test_garbage_then_frames_lose_nothing_after_the_next_pause(self):
        self.connect()
        self.stroke_to((600, 300))
        # Five stray bytes put every following frame out of step until the board pauses.
        out_of_step = b"\x12\x34\x56\x78\x9a" + b"".join(
            vb.pen_frame(*CALIBRATION.board(1200, 700)) for _ in range(20))
        self.board.garbage(out_of_step)
        time.sleep(0.2)
        self.stroke_to((1000, 800), start=(1000, 800))
        self.assert_cursor_near((1000, 800), "first stroke after the pause")
        self.board.tap(412, 5400)
        self.assertIn(notice(0x11, 0), self.companion_lines(3, 3)[2:], "tap after the pause")

    def test_a_new_port_after_a_hang_up_is_reconnected(self):
        self.connect()
        self.board.reopen()
        count = len(self.board.start_commands()) + 1
        self.assertIsNotNone(self.board.wait_start(8, count=count),
                             "no start command on the new port within 8 s")
        self.board.identify(vb.AREAS_ONE_PEN)
        self.stroke_to((700, 400))
        self.assert_cursor_near((700, 400), "stroke after the reconnection")

    def test_a_port_that_does_not_open_is_logged_with_its_error_then_connects(self):
        replace_section(self.exe.with_name(contract.SETTINGS_FILE_NAME),
                        contract.SETTINGS_FILE_DIAGNOSTICS_SECTION,
                        [f"{contract.SETTINGS_FILE_LOG_FILE_KEY}=1"])
        log = self.exe.with_name(contract.LOG_FILE_DRIVER)
        self.board.close()
        self.start_driver()

        def failed_open():
            text = log.read_text(errors="replace") if log.exists() else ""
            found = re.search(r"CreateFileA failed, error (\d+): \\\\\.\\COM7", text)
            return found and int(found.group(1))

        error = wait_for(failed_open, 8)
        self.assertTrue(error, f"no line for the failed open in {log}")
        self.assertIn(error, (2, 3), "file or path not found")
        self.board.open()
        self.assertIsNotNone(self.board.wait_start(8), "no connection once the port is there")

    def test_a_board_plugged_in_while_idle_is_found_at_the_next_attempt_through_the_new_file(self):
        self.board.close()
        self.start_driver()
        time.sleep(5)  # idle attempts, which read the file and search the HID interfaces once
        moved = vb.LinearCalibration(ax=6, bx=2500, ay=12, by=1200)
        replace_section(self.exe.with_name(contract.SETTINGS_FILE_NAME),
                        contract.SETTINGS_FILE_COORDINATE_SECTION, moved.coordinate_section())
        plugged = time.time()
        self.board.open()
        got = self.board.wait_start(6)
        self.assertIsNotNone(got, "no connection once the port is there")
        # The next attempt (2 s), then the reader's wait on a silent board (1 s) before it
        # writes the start command; the attempt after would be 2 s later.
        self.assertLessEqual(got - plugged, 3.6, "not found by the next attempt")
        self.board.identify(vb.AREAS_ONE_PEN)
        time.sleep(0.1)
        self.board.stroke([moved.board(740, 430), moved.board(700, 400)], rate=200, step=100,
                          hold=10)
        self.assert_cursor_near((700, 400), "stroke through the calibration written while idle")

    def stream_ellipse(self, rate, seconds):
        """An ellipse once a second at rate frames/s, ending still at one point and lifted;
        returns how long after the last frame the pointer came to rest on that point."""
        count = rate * seconds
        # About 3 pixels per frame at 720 frames/s, like quick handwriting.
        points = [(960 + 500 * math.cos(2 * math.pi * k / rate),
                   540 + 300 * math.sin(2 * math.pi * k / rate)) for k in range(count - 20)]
        last = points[-1]
        points += [last] * 20
        frames = [vb.pen_frame(*CALIBRATION.board(x, y)) for x, y in points]
        frames.append(vb.pen_frame(*CALIBRATION.board(*last), vb.LIFT))
        expected = CALIBRATION.pixel(*CALIBRATION.board(*last))

        # Watched from Linux: a watcher inside Wine would ask the wineserver a thousand times a
        # second and slow what it measures.
        watch = PointerWatch(context().env["DISPLAY"], interval=0.001)
        try:
            server = wineserver_pid()
            before = (cpu_seconds(self.driver.pid), cpu_seconds(server) if server else 0.0)
            began = time.time()
            sent_last = self.board.send_frames(frames, rate)
            streamed = time.time() - began
            after = (cpu_seconds(self.driver.pid), cpu_seconds(server) if server else 0.0)
            time.sleep(2)
        finally:
            watch.close()
        # The watch's times are perf_counter's; the board's are the wall clock's.
        wall = time.time() - time.perf_counter()
        samples = [(seen + wall, x, y) for seen, x, y in watch.moves]
        target = on_screen(expected)
        # The ellipse passes the last point every second: the arrival is where the final run
        # of samples at the point begins.
        arrival = None
        for t, x, y in reversed(samples):
            if max(abs(x - target[0]), abs(y - target[1])) > 1:
                break
            arrival = t
        driver_cpu = 100 * (after[0] - before[0]) / streamed
        server_cpu = 100 * (after[1] - before[1]) / streamed
        print(f"\n  {len(frames)} frames in {streamed:.2f} s; pointer moved {len(samples)} times; "
              f"CPU while streaming: driver {driver_cpu:.0f} %, wineserver {server_cpu:.0f} %",
              file=sys.stderr)
        self.assertLess(streamed, seconds + 1, "the board itself could not keep the rate")
        self.assertIsNotNone(arrival, f"pointer ended at {samples[-1:]}, not at {target}")
        lag_ms = (arrival - sent_last) * 1000
        print(f"  pointer at the last point {lag_ms:.0f} ms after the last frame",
              file=sys.stderr)
        return lag_ms

    def test_720_frames_per_second_for_10_seconds_keep_up(self):
        self.connect()
        lag_ms = self.stream_ellipse(720, 10)
        self.assertLessEqual(lag_ms, self.KEEP_UP_LAG_MS)


if __name__ == "__main__":
    unittest.main()
