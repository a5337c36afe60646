#!/usr/bin/env python3
"""The board on the HID side: a child of the virtual HID bus under Wine, fed through
VirtualHid.exe. Same API and session format as virtual_board.VirtualBoard; every 8-byte frame
travels in one 21-byte input report, and the driver's output reports are what it wrote.

As a library (the end-to-end tests and the demo):

    feeder = Feeder(build / "tools/virtual_hid/VirtualHid.exe", env)   # one per prefix
    board = VirtualHidBoard(feeder, log=path).open()                   # plugs it in
    board.wait_start(6)
    board.identify()
    board.stroke([(3000, 3000), (9000, 5000)], rate=240)
    board.close()                                                      # unplugs it
    feeder.close()

As a command (WINEPREFIX and DISPLAY of a prefix with the drivers installed):

    virtual_hid_board.py --feeder VirtualHid.exe --log board.log session.txt
"""

import argparse
import os
import queue
import subprocess
import sys
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "virtual_board"))
import virtual_board as vb  # noqa: E402

VENDOR_ID, PRODUCT_ID = 0x1314, 0x1001
REPORT_SIZE = 21
INPUT_REPORT_ID = 0x02
FRAME_OFFSET = 2


class FeederError(RuntimeError):
    pass


def input_report(frame: bytes, size: int = REPORT_SIZE) -> bytes:
    """One frame as the board sends it: report ID, frame length, the frame, zero padding."""
    report = bytes([INPUT_REPORT_ID, len(frame)]) + frame
    return report + bytes(max(0, size - len(report)))


class Feeder:
    """VirtualHid.exe serving the bus: one line per command on its stdin."""

    def __init__(self, exe, env=None, timeout=30.0):
        self.exe = Path(exe)
        self._process = subprocess.Popen(["wine", str(self.exe)], env=env, cwd=self.exe.parent,
                                         stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                         stderr=subprocess.DEVNULL, text=True, bufsize=1)
        self._answers = queue.Queue()
        self.report_errors = []
        self._write_lock = threading.Lock()
        self._command_lock = threading.Lock()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        ready = self._answer(timeout)
        if ready != "ready":
            self.close()
            raise FeederError(f"{self.exe.name} did not start: {ready}")

    def _read(self):
        for line in self._process.stdout:
            line = line.strip()
            if line.startswith("error report"):
                self.report_errors.append(line)
            else:
                self._answers.put(line)
        self._answers.put(None)

    def _answer(self, timeout):
        try:
            answer = self._answers.get(timeout=timeout)
        except queue.Empty:
            raise FeederError(f"{self.exe.name} gave no answer within {timeout} s") from None
        if answer is None:
            raise FeederError(f"{self.exe.name} ended")
        return answer

    def _write(self, line):
        with self._write_lock:
            try:
                self._process.stdin.write(line + "\n")
                self._process.stdin.flush()
            except (BrokenPipeError, ValueError):
                raise FeederError(f"{self.exe.name} ended") from None

    def command(self, line, timeout=10.0) -> str:
        """The answer's words after "ok"; FeederError for an error."""
        with self._command_lock:
            self._write(line)
            answer = self._answer(timeout)
        if answer != "ok" and not answer.startswith("ok "):
            raise FeederError(f"{line.split()[0]}: {answer}")
        return answer[3:]

    def post(self, line):
        """A command with no answer when it succeeds."""
        self._write(line)

    def alive(self) -> bool:
        return self._process.poll() is None

    def kill(self):
        """Ends the feeder at once, as a crash would."""
        if self.alive():
            self._process.kill()
        self._process.wait(timeout=10)

    def close(self):
        if self.alive():
            try:
                self._write("quit")
                self._process.wait(timeout=10)
            except (FeederError, subprocess.TimeoutExpired):
                self._process.kill()
                self._process.wait(timeout=10)
        for stream in (self._process.stdin, self._process.stdout):
            try:
                stream.close()
            except OSError:
                pass


class VirtualHidBoard(vb.VirtualBoard):
    """A board on the virtual HID bus; open() plugs it in, close() pulls it out."""

    def __init__(self, feeder: Feeder, log=None, hold_until_start=False, vendor_id=VENDOR_ID,
                 product_id=PRODUCT_ID, input_size=REPORT_SIZE, output_size=REPORT_SIZE,
                 name=""):
        super().__init__(link=None, log=log, hold_until_start=hold_until_start)
        self.feeder = feeder
        self.identity = (vendor_id, product_id, input_size, output_size, name)
        self.child = None
        self.plugged_at = None
        self.reports_sent = 0

    # Device life

    def open(self):
        vendor, product, input_size, output_size, name = self.identity
        if self.log_path and self._log is None:
            self._log = open(self.log_path, "a", buffering=1)
        words = f"plug {vendor:04x} {product:04x} {input_size} {output_size} {name}".strip()
        self.child = int(self.feeder.command(words))
        self.plugged_at = time.time()
        self._note("plug", str(self.child).encode())
        return self

    def close(self, keep_link=False):
        if self.child is None:
            return
        if self.feeder.alive():
            self.poll_outputs()
        try:
            self.feeder.command(f"unplug {self.child}")
        except FeederError:
            pass  # the feeder died with its children
        self._note("unplug", str(self.child).encode())
        self.child = None

    def reopen(self):
        self.close()
        return self.open()

    # What the driver wrote

    def poll_outputs(self):
        """Takes the output reports the bus recorded since the last poll."""
        if self.child is None:
            return
        answer = self.feeder.command(f"outputs {self.child}")
        now = time.time()
        with self._changed:
            for item in answer.split():
                age, data = item.split(":")
                when = now - float(age) / 1000
                self.received.append((when, bytes.fromhex(data)))
                self._note("in", bytes.fromhex(data), when)
            self._changed.notify_all()

    def stats(self) -> dict[str, int]:
        """Input reports the system took from the board, dropped when its queue was full, and
        still waiting."""
        words = self.feeder.command(f"stats {self.child}").split()
        return {name: int(value) for name, value in zip(words[::2], words[1::2])}

    def output_reports(self) -> list[tuple[float, bytes]]:
        self.poll_outputs()
        with self._lock:
            return list(self.received)

    def received_bytes(self) -> bytes:
        return b"".join(data for _, data in self.output_reports())

    def start_commands(self) -> list[float]:
        """Times of the output reports that carry the start command in the frame's place."""
        return [when for when, data in self.output_reports()
                if data[FRAME_OFFSET:FRAME_OFFSET + len(vb.START_COMMAND)] == vb.START_COMMAND]

    # Sending

    def report(self, data: bytes):
        """One raw input report, whatever its size."""
        self.feeder.post(f"report {self.child} {data.hex()}")
        self.reports_sent += 1
        self.last_send_time = time.time()
        self._note("out", data, self.last_send_time)

    def send(self, data: bytes, frames: int = 0):
        """Frames, 8 bytes to a report; a stray tail travels in a report of its own."""
        if self.hold_until_start and not self.start_commands():
            self._note("held", data)
            return
        for offset in range(0, len(data), 8):
            self.report(input_report(data[offset:offset + 8], self.identity[2]))
        self.frames_sent += frames
        if frames == 1 and data[:1] == bytes([vb.SECOND_PEN]):
            self.second_pen_frames += 1


def main(argv=None) -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("session", nargs="?", type=Path, help="session file to play")
    parser.add_argument("--feeder", type=Path, required=True, help="VirtualHid.exe")
    parser.add_argument("--log", type=Path, help="append what goes each way, with times")
    parser.add_argument("--hold-until-start", action="store_true")
    parser.add_argument("--stay", type=float, default=0, metavar="S",
                        help="keep the board plugged in S seconds at the end")
    args = parser.parse_args(argv)
    feeder = Feeder(args.feeder, dict(os.environ))
    board = VirtualHidBoard(feeder, log=args.log, hold_until_start=args.hold_until_start)
    try:
        board.open()
        print(f"plugged as child {board.child}", flush=True)
        vb.play_then_stay(board, args.session, args.stay)
        print(f"frames sent {board.frames_sent}, start reports received "
              f"{len(board.start_commands())}")
    finally:
        board.shutdown()
        feeder.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
