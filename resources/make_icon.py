#!/usr/bin/env python3
"""Draws the driver's icon: a framed whiteboard with a pen stroke and a pen."""
import struct
import sys


def pixel(size, x, y):
    s = size / 32.0
    u, v = x / s, y / s
    frame = (4 <= u < 28 and 6 <= v < 24) and not (5.5 <= u < 26.5 and 7.5 <= v < 22.5)
    board = 4 <= u < 28 and 6 <= v < 24
    stand = (9 <= u < 11 or 21 <= u < 23) and 24 <= v < 29
    # A wavy stroke written on the board.
    stroke = 8 <= u < 20 and abs(v - (15 + 3 * ((u - 8) / 6 - 1) ** 2 - 1.5)) < 0.9
    # The pen: a thick diagonal from the stroke's end to the upper right.
    t = (u - 19) / 9.0
    pen = 0 <= t <= 1 and abs(v - (17 - 14 * t)) < 1.6
    tip = 0 <= t < 0.15 and abs(v - (17 - 14 * t)) < 1.6
    if tip:
        return (40, 40, 40, 255)
    if pen:
        return (30, 110, 220, 255)
    if stroke:
        return (220, 40, 40, 255)
    if frame or stand:
        return (90, 90, 100, 255)
    if board:
        return (250, 250, 250, 255)
    return (0, 0, 0, 0)


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = b""
        for x in range(size):
            r, g, b, a = pixel(size, x + 0.5, y + 0.5)
            row += bytes((b, g, r, a))
        rows.append(row)
    xor = b"".join(rows)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)  # alpha decides; the AND mask stays clear
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def icon(sizes):
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


if __name__ == "__main__":
    with open(sys.argv[1] if len(sys.argv) > 1 else "dravik.ico", "wb") as f:
        f.write(icon([16, 32, 48]))
