#!/usr/bin/env python3
"""The board on the far end of a pseudo-terminal: sends pen frames, identification, key
statuses and garbage, and records what the driver writes back.

As a library (the end-to-end tests and the demo):

    board = VirtualBoard(link=prefix / "dosdevices" / "com7", log=path)
    board.open()
    board.wait_start(6)                   # the driver's first start command, or None
    board.identify()                      # E8 5F: function areas, one pen
    board.stroke([(3000, 3000), (9000, 5000)], rate=240)
    board.close()

As a command:

    virtual_board.py --link $WINEPREFIX/dosdevices/com7 --log board.log session.txt
    virtual_board.py --link ... --wait-start 6 --identify --stroke 240 3000,3000 9000,5000

The session format is described in resources/sessions/README.md.
"""

import argparse
import itertools
import os
import select
import sys
import threading
import time
import tty
from pathlib import Path

START_COMMAND = bytes([0xCE, 0, 0, 0, 0, 0, 0, 0])

FIRST_PEN, SECOND_PEN = 0xEE, 0xAA
TOUCH, LIFT = 0x81, 0x83
BUTTON1_CLICK, BUTTON2_CLICK = 0x85, 0x87
TOUCH_BUTTON1, TOUCH_BUTTON2 = 0x89, 0x8A
RIGHT_KEY_ERROR, LEFT_KEY_ERROR = 0xAE, 0xAF

# Bytes 0-1 of identification frames.
AREAS_ONE_PEN = (0xE8, 0x5F)
AREAS_TWO_PENS = (0xE8, 0xAF)
PLAIN_ONE_PEN = (0xE8, 0x55)
PLAIN_TWO_PENS = (0xE8, 0xA5)


def check_byte(seven: bytes) -> int:
    value = 0
    for byte in seven[:7]:
        value ^= byte
    return value


def with_check(seven) -> bytes:
    seven = bytes(seven[:7])
    return seven + bytes([check_byte(seven)])


def encode_axis(value: int) -> tuple[int, int]:
    """The two bytes of one board coordinate (1..16384); the board counts backwards."""
    if not 1 <= value <= 0x4000:
        raise ValueError(f"board coordinate {value} outside 1..16384")
    raw = 0x4000 - value
    return (raw >> 7) & 0x7F, raw & 0x7F


def decode_axis(high: int, low: int) -> int:
    return 0x4000 - (((high & 0x7F) << 7) | (low & 0x7F))


def pen_frame(x: int, y: int, status: int = TOUCH, header: int = FIRST_PEN,
              spare: int = 0) -> bytes:
    return with_check([header, spare, status, *encode_axis(round(x)), *encode_axis(round(y))])


def status_frame(status: int) -> bytes:
    """A key status or key fault: the board sends no position with it."""
    return with_check([FIRST_PEN, 0, status, 0, 0, 0, 0])


def identification_frame(model=AREAS_ONE_PEN) -> bytes:
    return with_check([model[0], model[1], 0, 0, 0, 0, 0])


def resample(points, step):
    """Points along the polyline, step apart (in the points' units), ends included."""
    points = [tuple(map(float, p)) for p in points]
    if step is None or len(points) < 2:
        return points
    out = [points[0]]
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        length = ((x1 - x0) ** 2 + (y1 - y0) ** 2) ** 0.5
        count = max(1, int(length // step))
        out += [(x0 + (x1 - x0) * k / count, y0 + (y1 - y0) * k / count)
                for k in range(1, count + 1)]
    return out


class LinearCalibration:
    """A calibration whose 3 x 3 grid lies on board = a * pixel + b on each axis, so the
    driver's interpolation maps every board point to a known pixel."""

    def __init__(self, ax=7, bx=1500, ay=14, by=600, width=1920, height=1080):
        self.ax, self.bx, self.ay, self.by = ax, bx, ay, by
        self.width, self.height = width, height

    def board(self, px, py) -> tuple[int, int]:
        # Half a pixel in, so the driver's truncation cannot tip a point into the next pixel.
        return (round(self.ax * px + self.bx + self.ax // 2),
                round(self.ay * py + self.by + self.ay // 2))

    def pixel(self, bx, by) -> tuple[int, int]:
        x = int((bx - self.bx) / self.ax)
        y = int((by - self.by) / self.ay)
        return min(max(x, 0), self.width), min(max(y, 0), self.height)

    def coordinate_section(self) -> list[str]:
        lines = ["wdot=3", "hdot=3"]
        for i in range(3):
            for j in range(3):
                sx = i * (0.8 * self.width / 2) + 0.1 * self.width
                sy = j * (0.8 * self.height / 2) + 0.1 * self.height
                lines += [f"dot({i},{j}).x={self.ax * sx + self.bx:g}",
                          f"dot({i},{j}).y={self.ay * sy + self.by:g}"]
        return lines + ["orient=0"]


class VirtualBoard:
    """One pseudo-terminal pair; the driver opens the slave end through `link`."""

    def __init__(self, link=None, log=None, hold_until_start=False):
        self.link = Path(link) if link else None
        self.log_path = Path(log) if log else None
        self.hold_until_start = hold_until_start
        self.master = self.slave = None
        self.slave_name = None
        self.received = []        # (unix seconds, bytes) as the driver wrote them
        self.frames_sent = 0      # frames that went out whole
        self.second_pen_frames = 0  # of those, frames with the second pen's header
        self.bytes_dropped = 0    # the driver did not read and the pty's queue was full
        self.last_send_time = None
        self._lock = threading.Lock()
        self._changed = threading.Condition(self._lock)
        self._reader = None
        self._stop = None
        self._log = None

    # Port life

    def open(self):
        master, slave = os.openpty()
        tty.setraw(master)
        tty.setraw(slave)
        # A board that the driver does not read must not block us: full queues drop bytes.
        os.set_blocking(master, False)
        self.master, self.slave = master, slave
        self.slave_name = os.ttyname(slave)
        if self.link:
            if self.link.is_symlink() or self.link.exists():
                self.link.unlink()
            self.link.symlink_to(self.slave_name)
        if self.log_path and self._log is None:
            self._log = open(self.log_path, "a", buffering=1)
        self._note("open", self.slave_name.encode())
        self._stop = threading.Event()
        self._reader = threading.Thread(target=self._read_loop, args=(master, self._stop),
                                        daemon=True)
        self._reader.start()
        return self

    def close(self, keep_link=False):
        """Hangs up: the driver's pending read fails."""
        if self.master is None:
            return
        self._stop.set()
        self._reader.join(timeout=2)
        for fd in (self.master, self.slave):
            os.close(fd)
        self.master = self.slave = None
        self._note("close", b"")
        if self.link and not keep_link and self.link.is_symlink():
            self.link.unlink()

    def reopen(self):
        """A new pty behind the same link, as when the board is unplugged and plugged in."""
        self.close(keep_link=True)
        return self.open()

    def shutdown(self):
        self.close()
        if self._log:
            self._log.close()
            self._log = None

    def __enter__(self):
        return self.open()

    def __exit__(self, *exc):
        self.shutdown()

    # What the driver wrote

    def _read_loop(self, master, stop):
        while not stop.is_set():
            ready, _, _ = select.select([master], [], [], 0.05)
            if not ready:
                continue
            try:
                data = os.read(master, 4096)
            except BlockingIOError:
                continue
            except OSError:
                return
            if data:
                now = time.time()
                with self._changed:
                    self.received.append((now, data))
                    self._changed.notify_all()
                self._note("in", data, now)

    def received_bytes(self) -> bytes:
        with self._lock:
            return b"".join(data for _, data in self.received)

    def start_commands(self) -> list[float]:
        """Times of the start commands, by 8-byte position in the received stream."""
        with self._lock:
            chunks = list(self.received)
        times, stream, offset = [], b"", 0
        for when, data in chunks:
            stream += data
            while len(stream) - offset >= 8:
                if stream[offset:offset + 8] == START_COMMAND:
                    times.append(when)
                offset += 8
        return times

    def wait_start(self, timeout: float, count: int = 1):
        """Time of the count-th start command, or None after timeout."""
        deadline = time.monotonic() + timeout
        while True:
            times = self.start_commands()
            if len(times) >= count:
                return times[count - 1]
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            with self._changed:
                self._changed.wait(min(left, 0.05))

    # Sending

    def send(self, data: bytes, frames: int = 0):
        if self.hold_until_start and not self.start_commands():
            self._note("held", data)
            return
        written = 0
        while written < len(data):
            try:
                written += os.write(self.master, data[written:])
            except BlockingIOError:
                self.bytes_dropped += len(data) - written
                self._note("dropped", data[written:])
                break
        if written == len(data):
            self.frames_sent += frames
            if frames == 1 and data[0] == SECOND_PEN:
                self.second_pen_frames += 1
        self.last_send_time = time.time()
        self._note("out", data, self.last_send_time)

    def send_frames(self, frames, rate: float):
        """Frames paced at rate per second on an absolute schedule, so a late frame does not
        delay the ones after it."""
        interval = 1.0 / rate
        start = time.perf_counter()
        for index, frame in enumerate(frames):
            delay = start + index * interval - time.perf_counter()
            if delay > 0:
                time.sleep(delay)
            self.send(frame, frames=1)
        return self.last_send_time

    def identify(self, model=AREAS_ONE_PEN):
        self.send(identification_frame(model), frames=1)

    def stroke(self, points, rate=200.0, step=None, hold=0, pen=FIRST_PEN, lift=True):
        """Touch frames along points (resampled step apart), hold more at the end, then lift."""
        path = resample(points, step)
        path += [path[-1]] * hold
        frames = [pen_frame(x, y, TOUCH, pen) for x, y in path]
        if lift:
            frames.append(pen_frame(*path[-1], LIFT, pen))
        return self.send_frames(frames, rate)

    def duet(self, first_points, second_points, rate=200.0, step=None, hold=0):
        """Both pens writing at once: their frames in turn, each pen at rate per second, each
        stroke ending with its lift."""
        strokes = []
        for points, pen in ((first_points, FIRST_PEN), (second_points, SECOND_PEN)):
            path = resample(points, step)
            path += [path[-1]] * hold
            strokes.append([pen_frame(x, y, TOUCH, pen) for x, y in path] +
                           [pen_frame(*path[-1], LIFT, pen)])
        frames = [f for pair in itertools.zip_longest(*strokes) for f in pair if f is not None]
        return self.send_frames(frames, rate * 2)

    def tap(self, x, y, touches=3, rate=100.0, pen=FIRST_PEN):
        return self.stroke([(x, y)], rate=rate, hold=touches - 1, pen=pen)

    def button_click(self, x, y, button=1):
        self.send(pen_frame(x, y, BUTTON1_CLICK if button == 1 else BUTTON2_CLICK), frames=1)

    def key(self, status: int):
        self.send(status_frame(status), frames=1)

    def garbage(self, data: bytes):
        self.send(data)

    # Log

    def _note(self, what: str, data: bytes, when=None):
        if self._log:
            when = time.time() if when is None else when
            self._log.write(f"{when * 1000:.3f} {what} {data.hex() or '-'}\n")


# Sessions

class SessionError(ValueError):
    pass


def _number(text: str) -> int:
    return int(text, 16) if text.lower().startswith("0x") else int(text)


class Session:
    """A timed script of board actions; see resources/sessions/README.md."""

    def __init__(self, lines, name="session"):
        self.name = name
        self.steps = []           # (line number, time spec, command, args)
        self.calibration = LinearCalibration()
        self.screen_units = False
        for number, raw in enumerate(lines, 1):
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            words = line.split()
            if words[0] in ("units", "calibration"):
                self._directive(number, words)
                continue
            if len(words) < 2:
                raise SessionError(f"{name}:{number}: expected 'TIME COMMAND ...'")
            when = words[0]
            try:
                float(when.lstrip("+"))
            except ValueError:
                raise SessionError(f"{name}:{number}: bad time '{when}'") from None
            self.steps.append((number, when, words[1], words[2:], self.screen_units))

    @classmethod
    def load(cls, path):
        path = Path(path)
        return cls(path.read_text(encoding="utf-8").splitlines(), path.name)

    def _directive(self, number, words):
        if words[0] == "units" and len(words) == 2 and words[1] in ("board", "screen"):
            self.screen_units = words[1] == "screen"
        elif words[0] == "calibration" and len(words) == 5:
            self.calibration = LinearCalibration(*map(int, words[1:]))
        else:
            raise SessionError(f"{self.name}:{number}: bad directive '{' '.join(words)}'")

    def point(self, text, screen):
        x, y = (float(v) for v in text.split(","))
        return self.calibration.board(x, y) if screen else (round(x), round(y))

    def run(self, board: VirtualBoard, report=None, time_scale=1.0, hooks=None):
        """Plays the steps; report(step dict) is called after each, hooks[name]() for a hook
        step. Returns a summary; stops early when a wait-start sees no start command."""
        self._hooks = hooks or {}
        start = time.monotonic()
        end_of_previous = 0.0
        summary = {"frames": 0, "second_pen_frames": 0, "strokes": 0, "start_wait_ms": None,
                   "expected": []}
        for number, when, command, args, screen in self.steps:
            due = (end_of_previous + float(when[1:]) if when.startswith("+")
                   else float(when)) / 1000 * time_scale
            delay = start + due - time.monotonic()
            if delay > 0:
                time.sleep(delay)
            sent_before = board.frames_sent
            try:
                self._do(board, command, args, screen, summary)
            except (ValueError, IndexError) as error:
                raise SessionError(f"{self.name}:{number}: {command}: {error}") from None
            end_of_previous = (time.monotonic() - start) * 1000 / time_scale
            step = {"line": number, "command": command, "frames": board.frames_sent - sent_before,
                    "end_ms": end_of_previous}
            if report:
                report(step)
            if command == "wait-start" and summary["start_wait_ms"] is None:
                summary["stopped_at_line"] = number  # nobody listens: the rest would be lost
                break
        summary["frames"] = board.frames_sent
        summary["second_pen_frames"] = board.second_pen_frames
        summary["duration_ms"] = (time.monotonic() - start) * 1000
        return summary

    def _do(self, board, command, args, screen, summary):
        options = dict(a.split("=", 1) for a in args if "=" in a and "," not in a)
        plain = [a for a in args if "=" not in a]
        pen = SECOND_PEN if "pen2" in plain else FIRST_PEN
        plain = [a for a in plain if a != "pen2"]
        if command == "wait-start":
            began = time.monotonic()
            got = board.wait_start(float(plain[0]) / 1000 if plain else 6.0)
            summary["start_wait_ms"] = (time.monotonic() - began) * 1000 if got else None
        elif command == "ident":
            board.identify((int(plain[0], 16), int(plain[1], 16)))
        elif command == "frame":
            data = bytes(int(b, 16) for b in plain)
            if len(data) not in (7, 8):
                raise ValueError("7 bytes (check byte added) or 8 bytes")
            board.send(with_check(data) if len(data) == 7 else data, frames=1)
        elif command in ("touch", "lift"):
            x, y = self.point(plain[0], screen)
            board.send(pen_frame(x, y, TOUCH if command == "touch" else LIFT, pen), frames=1)
        elif command == "stroke":
            rate = float(plain[0])
            points = [self.point(p, screen) for p in plain[1:]]
            step = options.get("step")
            if step is not None and screen:
                step = float(step) * self.calibration.ax
            lifted = board.stroke(points, rate=rate, step=float(step) if step else None,
                                  hold=int(options.get("hold", 0)), pen=pen)
            summary["strokes"] += 1
            # Where the pen left the board, for comparing with the pointer afterwards.
            summary["expected"].append((lifted, self.calibration.pixel(*points[-1])))
        elif command == "duet":
            rate = float(plain[0])
            split = plain.index("/")
            first = [self.point(p, screen) for p in plain[1:split]]
            second = [self.point(p, screen) for p in plain[split + 1:]]
            if not first or not second:
                raise ValueError("points for both pens, split by '/'")
            step = options.get("step")
            if step is not None and screen:
                step = float(step) * self.calibration.ax
            lifted = board.duet(first, second, rate=rate, step=float(step) if step else None,
                                hold=int(options.get("hold", 0)))
            summary["strokes"] += 2
            summary["expected"].append((lifted, self.calibration.pixel(*first[-1])))
        elif command == "tap":
            x, y = self.point(plain[0], screen)
            board.tap(x, y, touches=int(options.get("touches", 3)),
                      rate=float(options.get("rate", 100)), pen=pen)
        elif command == "button":
            x, y = self.point(plain[1], screen)
            board.button_click(x, y, button=int(plain[0]))
        elif command == "key":
            board.key(_number(plain[0]))
        elif command == "garbage":
            if len(plain) == 1 and not plain[0].lower().startswith("0x") and len(plain[0]) < 4:
                board.garbage(bytes((0x5A + 37 * i) & 0xFF for i in range(int(plain[0]))))
            else:
                board.garbage(bytes.fromhex("".join(p.removeprefix("0x") for p in plain)))
        elif command == "pause":
            pass
        elif command == "hook":
            # Something the player does on the PC's side, such as pressing a driver button.
            hook = self._hooks.get(plain[0])
            summary.setdefault("hooks", []).append((plain[0], hook is not None))
            if hook is not None:
                hook()
        else:
            raise ValueError("unknown command")


def play_then_stay(board, session, stay: float):
    """The command line's end on either link: the session file, if any, then stay seconds."""
    if session:
        summary = Session.load(session).run(board)
        print(f"session: {summary['frames']} frames in {summary['duration_ms']:.0f} ms",
              flush=True)
    if stay:
        time.sleep(stay)


def main(argv=None) -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("session", nargs="?", type=Path, help="session file to play")
    parser.add_argument("--link", type=Path, help="symlink to point at the pty's slave end "
                        "(for Wine: $WINEPREFIX/dosdevices/com7)")
    parser.add_argument("--log", type=Path, help="append what goes each way, with times")
    parser.add_argument("--hold-until-start", action="store_true",
                        help="send nothing until the driver's start command arrives")
    parser.add_argument("--wait-start", type=float, metavar="S",
                        help="wait up to S seconds for the start command first")
    parser.add_argument("--identify", choices=["areas", "dual", "plain"],
                        help="send an identification frame")
    parser.add_argument("--stroke", nargs="+", metavar="RATE X,Y",
                        help="a stroke at RATE frames/s through board points")
    parser.add_argument("--tap", metavar="X,Y")
    parser.add_argument("--button", nargs=2, metavar=("1|2", "X,Y"))
    parser.add_argument("--key", type=_number, metavar="STATUS")
    parser.add_argument("--garbage", type=int, metavar="N")
    parser.add_argument("--stay", type=float, default=0, metavar="S",
                        help="keep the port open S seconds at the end")
    args = parser.parse_args(argv)

    board = VirtualBoard(link=args.link, log=args.log, hold_until_start=args.hold_until_start)
    with board:
        print(f"pty {board.slave_name}", flush=True)
        if args.wait_start is not None:
            got = board.wait_start(args.wait_start)
            print("start command " + ("received" if got else "not received"), flush=True)
            if got is None:
                return 2
        if args.identify:
            board.identify({"areas": AREAS_ONE_PEN, "dual": AREAS_TWO_PENS,
                            "plain": PLAIN_ONE_PEN}[args.identify])
        if args.stroke:
            points = [tuple(map(int, p.split(","))) for p in args.stroke[1:]]
            board.stroke(points, rate=float(args.stroke[0]))
        if args.tap:
            board.tap(*map(int, args.tap.split(",")))
        if args.button:
            board.button_click(*map(int, args.button[1].split(",")), button=int(args.button[0]))
        if args.key is not None:
            board.key(args.key)
        if args.garbage:
            board.garbage(os.urandom(args.garbage))
        play_then_stay(board, args.session, args.stay)
        print(f"frames sent {board.frames_sent}, start commands received "
              f"{len(board.start_commands())}, bytes dropped {board.bytes_dropped}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
