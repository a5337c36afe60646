#!/usr/bin/env python3
"""The demo: the driver under Wine, connected to the virtual board, writes with both pens into
the reference companion's sheet; then the board is calibrated from its orientation area.

usage: demo.py BUILD_DIR OUT_DIR [SESSION] [--two-monitors] [--hid]

Writes OUT_DIR/screenshot.png, OUT_DIR/calibration-target.png, OUT_DIR/calibration-result.png,
OUT_DIR/report.txt and the logs beside them. Every wait is bounded; a driver that does not
connect ends the demo with a report that says so.

With --two-monitors the desktop has a primary monitor and, right of it, the board's projector
as a second monitor: the board is bound to the second one, the companion's sheet shows there,
and OUT_DIR/two-monitors.png is the whole desktop with the writing on the second monitor.

With --hid the board is on its HID side, the virtual HID bus, instead of on COM7.
"""

import os
import shutil
import signal
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests" / "e2e"))
sys.path.insert(0, str(REPO / "tools" / "companion"))

import bmp_to_png  # noqa: E402
import monitor_rig  # noqa: E402
import orient_run  # noqa: E402
import rig  # noqa: E402
import virtual_board as vb  # noqa: E402
import x_screenshot  # noqa: E402

DRIVER_EXE = "driver/app/Dravik.exe"
contract = rig.contract
SHEET = (contract.COMPANION_MAIN_CLASS, contract.COMPANION_MAIN_TITLE)
TOOL = (contract.COMPANION_TOOL_CLASS, "Companion")
DRIVER = (contract.DRIVER_WINDOW_CLASS, contract.DRIVER_WINDOW_TITLE)
WM_CLOSE, WM_COMMAND, IDOK = 0x10, 0x111, 1

# As the reference companion logs them: message in hex, parameters in decimal.
NOTICE, BUTTON = f"{contract.COMPANION_NOTICE:#x}", f"{contract.COMPANION_BUTTON_NOTICE:#x}"
MODEL, DONE = str(contract.COMPANION_ANNOUNCE_MODEL), str(contract.COMPANION_ANNOUNCE_DONE)
DUAL_PEN = str(contract.COMPANION_DUAL_PEN_CHANGED)
MEANINGS = {
    ("companion", NOTICE, "0", MODEL): "board announced (one pen)",
    ("companion", NOTICE, str(contract.COMPANION_TWO_PEN_MODEL), MODEL):
        "board announced (two pens)",
    ("companion", NOTICE, "0", DONE): "announcement done",
    ("companion", BUTTON, "1", "0"): "pen button 1, single click",
    ("companion", BUTTON, "2", "0"): "pen button 1, double click",
    ("tool", NOTICE, DUAL_PEN, str(contract.COMPANION_DUAL_PEN_ON)): "dual-pen mode entered",
    ("tool", NOTICE, DUAL_PEN, str(contract.COMPANION_DUAL_PEN_OFF)): "dual-pen mode left",
}
TAP_CODES = {17 + c: f"tap on left area {4 + c}" for c in range(6)}
TAP_CODES.update({code: f"double tap on left area {4 + c}"
                  for c, code in enumerate([273, 274, 275, 276, 277, 266])})


def meaning(fields: list[str]) -> str:
    parts = tuple(fields[:4])
    if parts in MEANINGS:
        return MEANINGS[parts]
    if len(parts) == 4 and parts[:2] == ("companion", NOTICE) and parts[3] == "0":
        return TAP_CODES.get(int(parts[2]), "function-area code")
    return ""


def log_lines(path: Path, kind: str) -> list[list[str]]:
    """The companion log's lines of one kind, without their times."""
    if not path.exists():
        return []
    return [line.split()[2:] for line in path.read_text().splitlines()
            if len(line.split()) > 2 and line.split()[1] == kind]


def install(folder: Path, session: vb.Session) -> Path:
    folder.mkdir(parents=True, exist_ok=True)
    exe = folder / "Dravik.exe"
    shutil.copy2(rig.context().program(DRIVER_EXE), exe)
    shutil.copy2(REPO / "resources" / contract.LANGUAGE_FILE_NAME,
                 folder / contract.LANGUAGE_FILE_NAME)
    settings = folder / contract.SETTINGS_FILE_NAME
    shutil.copy2(REPO / "resources" / contract.SETTINGS_FILE_NAME, settings)
    rig.replace_section(settings, contract.SETTINGS_FILE_COORDINATE_SECTION,
                        session.calibration.coordinate_section())
    rig.replace_section(settings, contract.SETTINGS_FILE_BUTTON_SECTION,
                        [f"{contract.SETTINGS_FILE_USE_DEFAULTS_KEY}=1",
                         f"{contract.SETTINGS_FILE_FRONT_CHOICE_KEY}=5",
                         f"{contract.SETTINGS_FILE_BACK_CHOICE_KEY}=6"])
    return exe


def pointer_at(samples, when):
    """The traced pointer position at unix time when, or None before the first sample."""
    position = None
    for t, x, y in samples:
        if t > when:
            break
        position = (x, y)
    return position


def calibration(out: Path, make_board) -> list[str]:
    """A board hung other than the settings say, calibrated on 3 x 3 from its orientation area
    with a noisy pen, checked, then a stroke through the new grid; the report's lines."""
    folder = out / "calibration"
    folder.mkdir(parents=True, exist_ok=True)
    for stale in folder.iterdir():
        stale.unlink()
    settings = orient_run.install(folder, rig.context().program)
    truth = vb.LinearCalibration(ax=7, bx=1300, ay=13, by=900)
    lines = ["", "calibration: the board hung 7 units/pixel + 1300 across, 13 + 900 down"]

    def screenshot(name):
        bmp = folder / f"{name}.bmp"
        rig.wintest("screenshot", orient_run.WINDOW_CLASS, orient_run.caption(),
                    rig.windows_path(bmp))
        bmp_to_png.write_png(out / f"calibration-{name}.png", *bmp_to_png.read_bmp(bmp))

    board = make_board(folder)
    driver = None
    try:
        driver = orient_run.start_from_driver(folder, board, settings)
        user = orient_run.Calibrator(board, folder / contract.LOG_FILE_ORIENT, truth,
                                     screenshot=screenshot)
        print("demo: calibrating 3 x 3", file=sys.stderr)
        user.targets()
        errors = user.grid_errors(settings, 3, 3)
        worst = max(max(map(abs, error)) for error in errors.values())
        lines.append(f"  grid written: 9 board points, largest error {worst:.1f} board units")
        mean, largest = user.check()
        lines.append(f"  check through the driver's new grid: residual mean {mean} px, "
                     f"max {largest} px")
        user.finish()
        target = (700, 400)
        board.stroke([truth.board(760, 450), truth.board(*target)], rate=200, step=100, hold=10)
        time.sleep(0.3)
        cursor = rig.wintest("cursor")
        lines.append(f"  a stroke to {target} leaves the pointer at "
                     f"({cursor[0].split()[1]}, {cursor[1].split()[1]}); Wine places "
                     f"{rig.on_screen(target)} for that pixel")
    except AssertionError as error:
        lines.append(f"  calibration stopped: {error}")
    finally:
        if driver is not None:
            rig.end_program(driver)
        board.shutdown()
    lines.append(f"  screenshots: {out / 'calibration-target.png'}, "
                 f"{out / 'calibration-result.png'}; log: {folder / contract.LOG_FILE_ORIENT}")
    return lines


def on_board_monitor(pixel, monitor):
    """A pixel of the session's 1920 x 1080 screen on the board's monitor: the grid's targets
    scale with the monitor, and so does every point mapped through them."""
    left, top, right, bottom = monitor
    return (left + pixel[0] * (right - left) // 1920, top + pixel[1] * (bottom - top) // 1080)


def run(build: Path, out: Path, session_path: Path, two_monitors: bool, hid: bool) -> int:
    session = vb.Session.load(session_path)
    make_board = rig.hid_board if hid else rig.serial_board
    link = "the virtual HID bus" if hid else "COM7"
    lines = [f"Demo run {time.strftime('%Y-%m-%d %H:%M:%S')}, session {session_path.name}, "
             f"board on {link}"]
    processes = []
    ctx = rig.context()
    exe = install(out / "install", session)
    board_monitor = None
    if two_monitors:
        board_monitor = monitor_rig.LAYOUT[monitor_rig.SECONDARY]
        # What calibrating with Orient.exe /monitor 2 (or a touch during its prompt) stores.
        rig.replace_section(exe.parent / contract.SETTINGS_FILE_NAME,
                            contract.SETTINGS_FILE_MONITOR_SECTION,
                            monitor_rig.board_monitor_lines(monitor_rig.SECONDARY, board_monitor))
        lines.append(f"two monitors: primary {monitor_rig.LAYOUT[monitor_rig.PRIMARY]}, the "
                     f"board's projector {board_monitor} (left, top, right, bottom)")

    bmp = out / "sheet.bmp"
    companion_log = out / "companion.log"
    companion_exe = Path(os.environ["E2E_COMPANION"]).resolve()
    sheet_on = ["--monitor", 2] if two_monitors else []
    processes.append(rig.start_program(companion_exe, "--socket", "--log",
                                       rig.windows_path(companion_log), "--save",
                                       rig.windows_path(bmp), "--seconds", 300, *sheet_on))
    rig.wait_for(lambda: log_lines(companion_log, "started"), 30)
    rig.wintest("wait-window", *SHEET, 10000, timeout_ms=10000)
    rig.wintest("wait-window", *TOOL, 10000, timeout_ms=10000)

    board = make_board(out)
    stop_trace = out / "trace.stop"
    stop_trace.unlink(missing_ok=True)
    trace = rig.start_wintest("cursor-trace", 120000, rig.windows_path(stop_trace))
    processes.append(trace)
    driver_started = time.time()
    driver = rig.start_program(exe)
    processes.append(driver)
    print("demo: driver started, playing the session", file=sys.stderr)

    def progress(step):
        print(f"  line {step['line']:3}: {step['command']:<10} {step['frames']:5} frames",
              file=sys.stderr)

    def dual_pen():
        # The driver's button, as a user would press it; the companion then asks for its channel.
        rig.wintest("post", *DRIVER, WM_COMMAND, IDOK, 0, check=False)
        if not rig.wait_for(lambda: log_lines(companion_log, "connected"), 10):
            print("demo: the companion got no channel", file=sys.stderr)

    summary = session.run(board, report=progress, hooks={"dual-pen": dual_pen})
    time.sleep(1.0)  # the last button report and its click come 580 ms after the frame
    stop_trace.touch()
    trace_out, _ = trace.communicate(timeout=30)
    stop_trace.unlink(missing_ok=True)
    samples = [(float(t) / 1000, int(x), int(y)) for t, x, y in
               (line.split() for line in trace_out.decode().splitlines()[1:])]

    if two_monitors:
        bmp_to_png.write_png(out / "two-monitors.png",
                             *bmp_to_png.shrink(*x_screenshot.grab(ctx.env["DISPLAY"]), 2))
    rig.wintest("post", *SHEET, WM_CLOSE, 0, 0, check=False)
    rig.wait_for(lambda: Path(str(bmp) + ".txt").exists() and bmp.exists(), 10)
    counts = {}
    if Path(str(bmp) + ".txt").exists():
        counts = rig.fields(Path(str(bmp) + ".txt").read_text().splitlines())
    if bmp.exists():
        bmp_to_png.write_png(out / "screenshot.png", *bmp_to_png.read_bmp(bmp))

    starts = board.start_commands()
    connected = summary["start_wait_ms"] is not None
    lines.append("")
    if connected:
        first_ms = 1000 * (starts[0] - driver_started)
        lines.append(f"driver: connected; first start command {first_ms:.0f} ms after the driver "
                     f"was started; {len(starts)} start commands in all")
    else:
        lines.append("driver: did not connect (no start command within the session's wait)")
    lines.append(f"board: {summary['frames']} frames sent in {summary['duration_ms'] / 1000:.1f} s "
                 f"({summary['strokes']} strokes), {board.bytes_dropped} bytes dropped")
    lines.append(f"board, second pen: {summary['second_pen_frames']} frames sent")
    lines.append(f"companion sheet: first pen {counts.get('strokes', '?')} strokes drawn, "
                 f"{counts.get('moves', '?')} moves, {counts.get('clicks', '?')} button "
                 f"releases; second pen {counts.get('second_frames', '?')} screen frames drawn "
                 f"in {counts.get('second_strokes', '?')} strokes")
    lines.append(f"pointer: {len(samples)} positions traced")
    if board_monitor:
        left, top, right, bottom = board_monitor
        inside = sum(left <= x < right and top <= y < bottom for _, x, y in samples[1:])
        lines.append(f"  {inside} of {len(samples) - 1} after the start on the board's monitor")

    if "stopped_at_line" in summary:
        lines.append(f"session stopped at line {summary['stopped_at_line']}: "
                     "no start command, so nothing would reach the driver")
    errors = []
    if summary["expected"] and samples:
        lines.append("  expected: the calibrated pixel of each stroke's last point, as Wine places "
                     "an absolute move there (one pixel up or left on most points)")
    for index, (lifted, pixel) in enumerate(summary["expected"]):
        expected = (on_board_monitor(pixel, board_monitor) if board_monitor
                    else rig.on_screen(pixel))
        got = pointer_at(samples, lifted + 0.05) if lifted else None
        if got is None:
            lines.append(f"  stroke {index + 1:2}: expected {expected}, pointer not seen")
            continue
        error = max(abs(got[0] - expected[0]), abs(got[1] - expected[1]))
        errors.append(error)
        lines.append(f"  stroke {index + 1:2}: expected {expected}, pointer {got}, "
                     f"error {error} px")
    if errors:
        lines.append(f"pointer error at stroke ends: mean {sum(errors) / len(errors):.1f} px, "
                     f"max {max(errors)} px over {len(errors)} strokes")

    messages = log_lines(companion_log, "msg")
    lines.append(f"companion: {len(messages)} messages")
    for message in messages:
        lines.append(f"  {' '.join(message):<30} {meaning(message)}")
    lines.append("")
    lines.append(f"screenshot: {out / 'screenshot.png'}")
    if two_monitors:
        lines.append(f"the whole desktop, halved: {out / 'two-monitors.png'}")
    lines.append(f"logs: {out / 'board.log'} (both directions, unix ms), {companion_log}")

    for process in processes:
        rig.end_program(process)
    board.shutdown()
    if connected and not two_monitors:
        lines += calibration(out, make_board)
    report = "\n".join(lines) + "\n"
    (out / "report.txt").write_text(report)
    print(report)
    return 0 if connected else 4


def main() -> int:
    two_monitors = "--two-monitors" in sys.argv
    hid = "--hid" in sys.argv
    args = [arg for arg in sys.argv[1:] if arg not in ("--two-monitors", "--hid")]
    if len(args) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    build = Path(args[0]).resolve()
    out = Path(args[1]).resolve()
    session = Path(args[2]) if len(args) == 3 else REPO / "resources/sessions/demo.txt"
    out.mkdir(parents=True, exist_ok=True)
    for stale in ("screenshot.png", "report.txt", "sheet.bmp", "sheet.bmp.txt",
                  "companion.log", "board.log", "calibration-target.png",
                  "calibration-result.png", "two-monitors.png"):
        (out / stale).unlink(missing_ok=True)
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    wintest = build / "tools/wintest/wintest.exe"
    try:
        rig.start(build, wintest, build / "e2e-cache", two_monitors)
        return run(build, out, session, two_monitors, hid)
    except KeyboardInterrupt:
        print("demo: interrupted", file=sys.stderr)
        return 130
    finally:
        rig.stop()


if __name__ == "__main__":
    sys.exit(main())
