#!/usr/bin/env python3
"""Draws the board's frame with its function areas as an SVG for the user's guide.

Everything drawn comes from what the driver itself uses: the area centres and the calibration
grid of the shipped settings file, the areas' actions from driver/pen/function_areas.h, the
board's range from the frame decoder and the targets' margin from the calibration targets.
When one of them changes, the committed drawing is stale; --check says so.

usage: draw_board_frame.py [--check] [OUT.svg]     (default: docs/board-frame.svg)
"""

import argparse
import configparser
import re
import sys
from html import escape
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "common"))
import program_contract  # noqa: E402

DEFAULT_OUT = REPO / "docs" / "board-frame.svg"

# Drawing units (pixels of the SVG). The board's units are not square on the board, so each
# axis has its own scale: the frame is drawn as wide as a typical board.
BOARD_WIDTH, BOARD_HEIGHT = 760, 470
LABEL_WIDTH, MARGIN, LEGEND_HEIGHT = 200, 16, 92
KEY_SIZE = 22

COLOURS = {
    "Command": "#cfe2ff",
    "GatedCommand": "#cfe2ff",
    "Tap": "#d7f5d0",
    "Orientation": "#ffd8a8",
}


def source(relative: str) -> str:
    return (REPO / relative).read_text(encoding="utf-8")


def one(pattern: str, text: str, what: str) -> str:
    match = re.search(pattern, text)
    if not match:
        raise SystemExit(f"cannot find {what}; the drawing needs updating")
    return match.group(1)


def board_range() -> int:
    return int(one(r"return (0x[0-9A-Fa-f]+) - raw;", source("driver/pen/pen_frame.cpp"),
                   "the board's range"), 0)


def target_margin() -> float:
    """The share of the screen left outside the outermost targets on each side."""
    text = source("driver/pointer/screen_targets.cpp")
    margin = float(one(r"columnStep \+ ([0-9.]+) \* w", text, "the targets' margin"))
    span = float(one(r"columnStep = ([0-9.]+) \* w", text, "the targets' span"))
    return margin / span


def actions() -> list:
    text = source("driver/pen/function_areas.h")
    per_column = int(one(r"kAreasPerColumn = (\d+);", text, "the areas per column"))
    rows = re.findall(r"\{Kind::(\w+), (\d+), (\d+), (-?\d+),", text)
    if len(rows) != per_column:
        raise SystemExit(f"found {len(rows)} area actions for {per_column} areas")
    return [(kind, int(code), int(double)) for kind, code, double, _ in rows]


def column_starts() -> tuple:
    text = source("driver/pointer/calibration.h")
    return (int(one(r"kLeftColumnFirst = (\d+);", text, "the left column")),
            int(one(r"kRightColumnFirst = (\d+);", text, "the right column")))


def settings() -> configparser.ConfigParser:
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(REPO / "resources" / program_contract.SETTINGS_FILE_NAME, encoding="utf-8")
    return parser


def area_centres(parser, first: int, count: int) -> list:
    section = parser["ElecButton"]
    return [(int(section[f"ept{k}.x"]), int(section[f"ept{k}.y"]))
            for k in range(first, first + count)]


def picture_box(parser) -> tuple:
    """The screen's picture on the board, in board units, from the shipped calibration."""
    grid = parser[program_contract.SETTINGS_FILE_COORDINATE_SECTION]
    columns = int(grid[program_contract.SETTINGS_FILE_COLUMNS_KEY])
    rows = int(grid[program_contract.SETTINGS_FILE_ROWS_KEY])
    xs = [float(grid[f"dot({i},{j}).x"]) for i in range(columns) for j in range(rows)]
    ys = [float(grid[f"dot({i},{j}).y"]) for i in range(columns) for j in range(rows)]
    margin = target_margin()
    left, right, top, bottom = min(xs), max(xs), min(ys), max(ys)
    return (left - (right - left) * margin, top - (bottom - top) * margin,
            right + (right - left) * margin, bottom + (bottom - top) * margin)


def label(kind: str, code: int, double: int) -> str:
    if kind == "Orientation":
        return "Calibrate"
    if kind == "Tap":
        return f"tap {code}, double tap {double}"
    return f"command {code}"


def draw() -> str:
    full = board_range()
    parser = settings()
    rows = actions()
    origin_x, origin_y = MARGIN + LABEL_WIDTH, MARGIN + 28

    def at(x: float, y: float) -> tuple:
        return (round(origin_x + x * BOARD_WIDTH / full, 1),
                round(origin_y + y * BOARD_HEIGHT / full, 1))

    width = 2 * (MARGIN + LABEL_WIDTH) + BOARD_WIDTH
    height = origin_y + BOARD_HEIGHT + LEGEND_HEIGHT
    out = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}" font-family="sans-serif" font-size="12">',
        f'<rect width="{width}" height="{height}" fill="#ffffff"/>',
        f'<text x="{width / 2}" y="{MARGIN + 8}" text-anchor="middle" font-size="15" '
        'font-weight="bold">The board and its function areas</text>',
        f'<rect x="{origin_x}" y="{origin_y}" width="{BOARD_WIDTH}" height="{BOARD_HEIGHT}" '
        'rx="6" fill="#f4f4f4" stroke="#555555" stroke-width="2"/>',
    ]
    left, top, right, bottom = picture_box(parser)
    (x0, y0), (x1, y1) = at(left, top), at(right, bottom)
    out += [
        f'<rect x="{x0}" y="{y0}" width="{round(x1 - x0, 1)}" height="{round(y1 - y0, 1)}" '
        'fill="#ffffff" stroke="#888888" stroke-dasharray="6 4"/>',
        f'<text x="{round((x0 + x1) / 2, 1)}" y="{round((y0 + y1) / 2 - 8, 1)}" '
        'text-anchor="middle" font-size="14">Writing area</text>',
        f'<text x="{round((x0 + x1) / 2, 1)}" y="{round((y0 + y1) / 2 + 12, 1)}" '
        'text-anchor="middle" fill="#555555">(the projected picture)</text>',
    ]
    for side, first in zip(("L", "R"), column_starts()):
        for j, ((x, y), (kind, code, double)) in enumerate(
                zip(area_centres(parser, first, len(rows)), rows)):
            cx, cy = at(x, y)
            out.append(f'<rect x="{round(cx - KEY_SIZE / 2, 1)}" y="{round(cy - KEY_SIZE / 2, 1)}" '
                       f'width="{KEY_SIZE}" height="{KEY_SIZE}" rx="3" fill="{COLOURS[kind]}" '
                       'stroke="#333333"/>')
            out.append(f'<text x="{cx}" y="{round(cy + 4, 1)}" text-anchor="middle" '
                       f'font-size="10">{side}{j + 1}</text>')
            text = escape(label(kind, code, double))
            if side == "L":
                out.append(f'<text x="{origin_x - 8}" y="{round(cy + 4, 1)}" '
                           f'text-anchor="end">{text}</text>')
            else:
                out.append(f'<text x="{origin_x + BOARD_WIDTH + 8}" y="{round(cy + 4, 1)}">'
                           f'{text}</text>')
    legend_y = origin_y + BOARD_HEIGHT + 22
    legend = [
        ("Command", "command N: sent to the whiteboard program when the pen arrives"),
        ("Tap", "tap N, double tap M: one touch, or two within half a second"),
        ("Orientation", "Calibrate: starts the calibration; touched again, cancels it"),
    ]
    for row, (kind, text) in enumerate(legend):
        y = legend_y + row * 20
        out.append(f'<rect x="{origin_x}" y="{y - 11}" width="14" height="14" rx="2" '
                   f'fill="{COLOURS[kind]}" stroke="#333333"/>')
        out.append(f'<text x="{origin_x + 22}" y="{y}">{escape(text)}</text>')
    out.append(f'<text x="{origin_x}" y="{legend_y + 60}" fill="#555555">With two pens the '
               'first pen uses the left column and the second pen the right one.</text>')
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="fail when the committed drawing differs from a fresh one")
    parser.add_argument("out", nargs="?", type=Path, default=DEFAULT_OUT)
    args = parser.parse_args()
    drawing = draw()
    if args.check:
        current = args.out.read_text(encoding="utf-8") if args.out.exists() else ""
        if current != drawing:
            print(f"{args.out} is stale: run {Path(__file__).relative_to(REPO)}", file=sys.stderr)
            return 1
        return 0
    args.out.write_text(drawing, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
