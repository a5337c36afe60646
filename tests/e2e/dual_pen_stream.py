"""Second-pen frames from the virtual board through the driver to the reference companion:
how many arrive, in order, and how late. Shared by the Wine test and scripts/measure-dual-pen."""

import math
import os
import statistics
import time
from pathlib import Path

import rig
from rig import contract
import virtual_board as vb
from test_driver import DIALOG_CLASS, DIALOG_TITLE, install_driver

CALIBRATION = vb.LinearCalibration()
WM_COMMAND, IDOK = 0x111, 1


def companion_frames(log: Path) -> list[tuple[float, int, int]]:
    """(receive time in unix ms, x, y) of every screen frame the companion logged."""
    if not log.exists():
        return []
    frames = []
    for line in log.read_text().splitlines():
        fields = line.split()
        if len(fields) >= 8 and fields[1] == "frame" and fields[7] == "ok":
            frames.append((float(fields[0]), int(fields[5]), int(fields[6])))
    return frames


def stream(name: str, transport: str, count: int, rate: float, make_board=None) -> dict:
    """Connects the driver in dual-pen mode over transport, sends count second-pen touch frames
    at rate per second (each to its own pixel) and waits for the companion to log them; the
    board is on the serial link unless make_board(folder) gives another."""
    folder = rig.work_folder(name)
    exe = install_driver(name)
    rig.replace_section(exe.with_name(contract.SETTINGS_FILE_NAME),
                        contract.SETTINGS_FILE_COORDINATE_SECTION, CALIBRATION.coordinate_section())
    log = folder / "companion.log"
    companion = rig.start_program(Path(os.environ["E2E_COMPANION"]).resolve(), f"--{transport}",
                                  "--log", rig.windows_path(log), "--seconds", 600)
    board = (make_board or rig.serial_board)(folder)
    driver = None
    try:
        rig.wait_for(lambda: log.exists() and "started" in log.read_text(), 30)
        rig.wintest("wait-window", contract.COMPANION_TOOL_CLASS, "Companion", 5000,
                    timeout_ms=5000)
        driver = rig.start_program(exe)
        if board.wait_start(8) is None:
            return {"error": "the driver did not connect"}
        board.identify(vb.PLAIN_TWO_PENS)
        time.sleep(0.2)
        rig.wintest("post", DIALOG_CLASS, DIALOG_TITLE, WM_COMMAND, IDOK, 0)
        if not rig.wait_for(lambda: log.exists() and " connected " in log.read_text() + " ", 10):
            return {"error": "the companion got no channel"}
        # A spiral: every frame lands on a pixel of its own, so order shows in the log.
        pixels = [(960 + round((100 + k / 25) * math.cos(k / 40)),
                   540 + round((100 + k / 25) * math.sin(k / 40) * 0.8)) for k in range(count)]
        pixels = [CALIBRATION.pixel(*CALIBRATION.board(*p)) for p in pixels]
        frames = [vb.pen_frame(*CALIBRATION.board(*p), header=vb.SECOND_PEN) for p in pixels]
        sent_at = []
        interval = 1.0 / rate
        began = time.perf_counter()
        for index, frame in enumerate(frames):
            delay = began + index * interval - time.perf_counter()
            if delay > 0:
                time.sleep(delay)
            board.send(frame, frames=1)
            sent_at.append(time.time() * 1000)
        took = time.perf_counter() - began
        rig.wait_for(lambda: len(companion_frames(log)) >= count, 10)
        got = companion_frames(log)
        in_order = sum(1 for (_, x, y), p in zip(got, pixels) if (x, y) == p)
        delays = sorted(t - s for (t, _, _), s in zip(got, sent_at))
        return {
            "sent": count, "rate": count / took, "received": len(got), "in_order": in_order,
            "dropped_by_board": board.bytes_dropped,
            "median_ms": statistics.median(delays) if delays else None,
            "p99_ms": delays[min(len(delays) - 1, int(0.99 * len(delays)))] if delays else None,
            "max_ms": delays[-1] if delays else None,
        }
    finally:
        if driver is not None:
            rig.end_program(driver)
        rig.end_program(companion)
        board.shutdown()


def describe(result: dict) -> str:
    if "error" in result:
        return f"not measured: {result['error']}"
    return (f"{result['sent']} frames at {result['rate']:.0f}/s: {result['received']} received, "
            f"{result['in_order']} in order; delay board to companion median "
            f"{result['median_ms']:.1f} ms, 99th percentile {result['p99_ms']:.1f} ms, "
            f"max {result['max_ms']:.1f} ms")
