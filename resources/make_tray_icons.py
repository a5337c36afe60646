#!/usr/bin/env python3
"""Draws the notification-area icons: the driver's board with a badge that says the state."""
import sys
from pathlib import Path

import make_icon

RED = (210, 40, 40, 255)
GREEN = (30, 160, 60, 255)
ORANGE = (235, 140, 20, 255)
BLUE = (30, 110, 220, 255)
WHITE = (255, 255, 255, 255)


def not_connected(u, v):
    # A red disc with a white bar: no board.
    if abs(v - 24) < 1.3 and abs(u - 24) < 4.5:
        return WHITE
    return RED


def connected(u, v):
    # A green disc with a white tick.
    if abs(v - (24 + (u - 22))) < 1.3 and 19.5 <= u <= 22.5:
        return WHITE
    if abs(v - (26 - (u - 22) * 0.9)) < 1.3 and 22 <= u <= 28:
        return WHITE
    return GREEN


def calibrating(u, v):
    # An orange disc with a white cross-hair.
    if (abs(u - 24) < 0.9 or abs(v - 24) < 0.9) and (u - 24) ** 2 + (v - 24) ** 2 < 25:
        return WHITE
    return ORANGE


def dual_pen(u, v):
    # A blue disc with two white pens' dots.
    for cx in (21.5, 26.5):
        if (u - cx) ** 2 + (v - 24) ** 2 < 3.2:
            return WHITE
    return BLUE


BOARD = make_icon.pixel

BADGES = {
    "tray_not_connected.ico": not_connected,
    "tray_connected.ico": connected,
    "tray_calibrating.ico": calibrating,
    "tray_dual_pen.ico": dual_pen,
}


def with_badge(badge):
    def pixel(size, x, y):
        s = size / 32.0
        u, v = x / s, y / s
        d2 = (u - 24) ** 2 + (v - 24) ** 2
        if d2 < 49:
            return badge(u, v)
        if d2 < 64:
            return WHITE  # a rim keeps the badge apart from the board
        return BOARD(size, x, y)

    return pixel


if __name__ == "__main__":
    out = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    for name, badge in BADGES.items():
        make_icon.pixel = with_badge(badge)
        (out / name).write_bytes(make_icon.icon([16, 32]))
