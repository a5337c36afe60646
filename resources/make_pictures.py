#!/usr/bin/env python3
"""Draws the settings tool's pictures: the eleven function pictures (32 x 32, 24-bit BMP on
black, which the lists take for transparent) and the tool's icon.

    make_pictures.py OUT_DIR [--preview sheet.png]

Every picture is a few shapes given as signed distance functions in a 32-unit square, filled
with an outline one unit wide; the edges are smoothed from the distance, so the same shapes
serve every size. Standard library only."""

import math
import os
import struct
import sys
import zlib

OUTLINE = (34, 46, 66)
PAPER = (252, 252, 250)
PALE = (214, 222, 232)
GREY = (150, 160, 176)
BLUE = (48, 116, 206)
SKY = (160, 206, 246)
GREEN = (58, 168, 92)
RED = (214, 64, 58)
PINK = (240, 128, 146)
SKIN = (246, 204, 156)
WOOD = (236, 204, 150)
BROWN = (140, 92, 54)
YELLOW = (250, 208, 64)
LIGHT = (255, 240, 160)

LINE = 1.2  # outline width in units


# --- shapes: f(x, y) -> signed distance in units, negative inside ---

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def box(x0, y0, x1, y1, r=0.0):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def f(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r
    return f


def capsule(ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-9

    def f(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - r
    return f


def polygon(points):
    edges = list(zip(points, points[1:] + points[:1]))

    def f(x, y):
        distance, inside = float("inf"), False
        for (ax, ay), (bx, by) in edges:
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            distance = min(distance, math.hypot(x - ax - t * dx, y - ay - t * dy))
            if (ay > y) != (by > y) and x < ax + (y - ay) * dx / dy:
                inside = not inside
        return -distance if inside else distance
    return f


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def cut(shape, away):
    return lambda x, y: max(shape(x, y), -away(x, y))


def clip(shape, window):
    return lambda x, y: max(shape(x, y), window(x, y))


def grow(shape, by):
    return lambda x, y: shape(x, y) - by


def rotated(shape, cx, cy, degrees):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))

    def f(x, y):
        dx, dy = x - cx, y - cy
        return shape(cx + c * dx + s * dy, cy - s * dx + c * dy)
    return f


def path(points, r):
    return union(*(capsule(*a, *b, r) for a, b in zip(points, points[1:])))


def arrow_head(tip, direction, length, half_width):
    ux, uy = direction
    norm = math.hypot(ux, uy)
    ux, uy = ux / norm, uy / norm
    bx, by = tip[0] - ux * length, tip[1] - uy * length
    return polygon([tip, (bx - uy * half_width, by + ux * half_width),
                    (bx + uy * half_width, by - ux * half_width)])


# --- painting ---

class Canvas:
    def __init__(self, size):
        self.size = size
        self.scale = size / 32.0
        self.pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]  # premultiplied

    def fill(self, shape, colour, alpha=1.0):
        for py in range(self.size):
            row = self.pixels[py]
            for px in range(self.size):
                d = shape((px + 0.5) / self.scale, (py + 0.5) / self.scale) * self.scale
                a = max(0.0, min(1.0, 0.5 - d)) * alpha
                if a > 0:
                    r, g, b, old = row[px]
                    keep = 1 - a
                    row[px] = (colour[0] * a + r * keep, colour[1] * a + g * keep,
                               colour[2] * a + b * keep, a + old * keep)

    def outlined(self, shape, colour, line=OUTLINE, width=LINE):
        self.fill(grow(shape, width), line)
        self.fill(shape, colour)

    def rgba(self):
        out = []
        for row in self.pixels:
            line = []
            for r, g, b, a in row:
                if a <= 0:
                    line.append((0, 0, 0, 0))
                else:
                    line.append(tuple(min(255, round(c / a)) for c in (r, g, b)) + (round(255 * a),))
            out.append(line)
        return out

    def over_black(self):
        """Composited on black; a pixel that comes out black would vanish under the mask."""
        out = []
        for row in self.pixels:
            line = []
            for r, g, b, a in row:
                rgb = tuple(min(255, round(c)) for c in (r, g, b))
                if a > 0.25 and rgb == (0, 0, 0):
                    rgb = (1, 1, 1)
                line.append(rgb)
            out.append(line)
        return out


# --- the pictures, in list order ---

def document_page(c):
    c.outlined(polygon([(7, 3), (19.5, 3), (26, 9.5), (26, 29), (7, 29)]), PAPER)
    c.outlined(polygon([(19.5, 3), (19.5, 9.5), (26, 9.5)]), PALE, width=0.8)
    for y, end in ((14, 22.5), (18, 22.5), (22, 22.5), (26, 17.5)):
        c.fill(capsule(10.5, y, end, y, 0.85), GREY)


def floppy_disk(c):
    c.outlined(polygon([(4, 4), (24, 4), (28, 8), (28, 28), (4, 28)]), BLUE)
    c.outlined(box(9, 4, 22, 12.5, 0.5), PALE, width=0.9)
    c.fill(box(17, 5.8, 20, 10.7, 0.4), BLUE)
    c.outlined(box(8, 16.5, 24, 28, 0.8), PAPER, width=0.9)
    for y in (20.5, 24):
        c.fill(capsule(11, y, 21, y, 0.7), GREY)


LEFT_ARROW = [(2.5, 16), (15, 3.5), (15, 10.5), (29, 10.5), (29, 21.5), (15, 21.5), (15, 28.5)]


def arrow_left(c):
    c.outlined(polygon(LEFT_ARROW), GREEN)


def arrow_right(c):
    c.outlined(polygon([(32 - x, y) for x, y in LEFT_ARROW]), GREEN)


def mouse_pointer(c):
    c.outlined(polygon([(9, 3), (9, 25.5), (14, 20.7), (17.8, 29.2), (21.6, 27.6),
                        (17.8, 19.3), (24.5, 19.3)]), PAPER, width=1.4)


def pen_with_stroke(c):
    tip, (ux, uy) = (11.5, 23.5), (1 / math.sqrt(2), -1 / math.sqrt(2))
    wave = [(2.5 + i * 0.45, tip[1] + 2.6 * math.sin((i * 0.45 - 9) * 0.75)) for i in range(21)]
    c.fill(path(wave, 1.35), RED)
    nx, ny = -uy, ux
    half = 3.6

    def at(t, side=0.0):
        return (tip[0] + ux * t + nx * side, tip[1] + uy * t + ny * side)

    body = polygon([at(6.5, -half), at(6.5, half), at(23, half), at(23, -half)])
    cap = capsule(*at(22), *at(23.5), half)
    cone = polygon([tip, at(6.5, half), at(6.5, -half)])
    c.fill(grow(union(body, cap, cone), LINE), OUTLINE)
    c.fill(cone, WOOD)
    c.fill(polygon([tip, at(2.4, 1.3), at(2.4, -1.3)]), OUTLINE)
    c.fill(union(body, cap), BLUE)
    c.fill(polygon([at(19, -half), at(19, half), at(20.6, half), at(20.6, -half)]), SKY)


def eraser(c):
    block = rotated(box(5, 10, 27, 21, 1.5), 16, 15.5, 30)
    band = rotated(box(5, 0, 14, 32), 16, 15.5, 30)
    c.fill(capsule(4, 28, 28, 28, 0.8), GREY)
    c.fill(grow(block, LINE), OUTLINE)
    c.fill(block, PINK)
    c.fill(clip(block, band), PAPER)
    c.fill(clip(grow(rotated(box(14, 0, 14, 32), 16, 15.5, 30), 0.45), block), OUTLINE)


def open_hand(c):
    palm = box(8, 14, 26, 29, 5)
    fingers = [capsule(10.5, 16, 10.2, 7.5, 1.9), capsule(15.3, 16, 15.3, 4.5, 1.9),
               capsule(20.1, 16, 20.3, 5.5, 1.9), capsule(24.5, 18, 25.2, 10, 1.8)]
    thumb = capsule(10, 24, 4.5, 16, 2.1)
    hand = union(palm, thumb, *fingers)
    c.fill(grow(hand, LINE), OUTLINE)
    c.fill(hand, SKIN)
    # The gaps between the fingers close before the palm; draw them down to it.
    for x0, x1 in ((12.85, 12.85), (17.7, 17.7), (22.3, 22.5)):
        c.fill(capsule(x0, 12, x1, 16.5, 0.45), OUTLINE)
    c.fill(capsule(8.6, 19.5, 10.8, 22.5, 0.45), OUTLINE)


def magnifier(c):
    c.outlined(capsule(19.5, 19.5, 27.5, 27.5, 2.6), BROWN)
    ring = circle(13, 13, 9.2)
    c.outlined(ring, GREY)
    c.fill(grow(circle(13, 13, 6.6), LINE), OUTLINE)
    c.fill(circle(13, 13, 6.6), SKY)
    c.fill(path([(9, 12.5), (9.6, 10.2), (11.5, 8.6)], 0.9), PAPER)


def full_screen(c):
    c.outlined(polygon([(13, 22), (19, 22), (20.5, 27), (11.5, 27)]), GREY)
    c.outlined(capsule(9, 27.8, 23, 27.8, 1.0), GREY)
    c.fill(grow(box(2.5, 4, 29.5, 23, 1.5), LINE), OUTLINE)
    c.fill(box(4.5, 6, 27.5, 21), BLUE)
    centre = (16, 13.5)
    for dx, dy in ((-1, -1), (1, -1), (-1, 1), (1, 1)):
        tip = (centre[0] + dx * 9, centre[1] + dy * 5.6)
        direction = (dx * 9, dy * 5.6)
        norm = math.hypot(*direction)
        ux, uy = direction[0] / norm, direction[1] / norm
        c.fill(capsule(centre[0] + ux * 3.2, centre[1] + uy * 3.2, tip[0] - ux * 2.5,
                       tip[1] - uy * 2.5, 0.85), PAPER)
        c.fill(arrow_head(tip, direction, 4.2, 2.6), PAPER)


def torch(c):
    c.fill(polygon([(17, 10.5), (30.5, 3), (30.5, 29), (17, 21.5)]), LIGHT)
    for a, b in (((17, 10.5), (30.5, 3)), ((17, 21.5), (30.5, 29))):
        c.fill(capsule(*a, *b, 0.5), YELLOW)
    c.outlined(box(2, 13, 12.5, 19, 1.2), GREY)
    c.fill(box(6, 14.6, 9, 17.4, 0.6), OUTLINE)
    c.outlined(polygon([(12, 12.5), (16.5, 9.5), (16.5, 22.5), (12, 19.5)]), PALE)
    c.fill(box(16.5, 10, 18, 22), YELLOW)


def tool_icon(c):
    """A pen with its two buttons over a gear."""
    gear_centre, teeth = (22, 22), []
    for k in range(8):
        teeth.append(rotated(box(20.4, 12.4, 23.6, 16, 0.6), *gear_centre, k * 45))
    gear = cut(union(circle(*gear_centre, 7.2), *teeth), circle(*gear_centre, 2.8))
    tip, (ux, uy) = (4.5, 27.5), (1 / math.sqrt(2), -1 / math.sqrt(2))
    nx, ny = -uy, ux
    half = 3.4

    def at(t, side=0.0):
        return (tip[0] + ux * t + nx * side, tip[1] + uy * t + ny * side)

    body = union(polygon([at(6, -half), at(6, half), at(28, half), at(28, -half)]),
                 capsule(*at(27), *at(28.5), half))
    cone = polygon([tip, at(6, half), at(6, -half)])
    c.outlined(gear, GREY)
    c.fill(grow(union(body, cone), LINE), OUTLINE)
    c.fill(cone, PALE)
    c.fill(polygon([tip, at(2.2, 1.2), at(2.2, -1.2)]), OUTLINE)
    c.fill(body, BLUE)
    for t in (11.5, 15.5):
        c.outlined(capsule(*at(t, -half + 1.4), *at(t + 2, -half + 1.4), 0.9), SKY, width=0.7)


FUNCTIONS = [document_page, floppy_disk, arrow_left, arrow_right, mouse_pointer, pen_with_stroke,
             eraser, open_hand, magnifier, full_screen, torch]


def draw(picture, size):
    canvas = Canvas(size)
    picture(canvas)
    return canvas


# --- files ---

def bmp24(rows):
    size = len(rows)
    stride = (size * 3 + 3) & ~3
    data = b"".join(bytes(v for r, g, b in row for v in (b, g, r)).ljust(stride, b"\0")
                    for row in reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info)) + \
        info + data


def ico(images):
    entries, blobs, offset = b"", b"", 6 + 16 * len(images)
    for rows in images:
        size = len(rows)
        xor = b"".join(bytes(v for r, g, b, a in row for v in (b, g, r, a)) for row in reversed(rows))
        mask = bytes(((size + 31) // 32) * 4 * size)  # alpha decides; the AND mask stays clear
        blob = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask),
                           0, 0, 0, 0) + xor + mask
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + entries + blobs


def png(rows):
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + \
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw)) + \
        chunk(b"IEND", b"")


def preview(pictures, zoom=4, gap=8):
    """The pictures on white, at their size and enlarged, for looking at them."""
    cell = 32 * zoom + gap
    width, height = gap + cell * len(pictures), 32 * zoom + 32 + 3 * gap
    rows = [[(255, 255, 255)] * width for _ in range(height)]
    for index, rgba in enumerate(pictures):
        left = gap + index * cell
        for y in range(32):
            for x in range(32):
                r, g, b, a = rgba[y][x]
                colour = tuple(round(v * a / 255 + 255 * (1 - a / 255)) for v in (r, g, b))
                rows[gap + y][left + x] = colour
                for zy in range(zoom):
                    for zx in range(zoom):
                        rows[2 * gap + 32 + y * zoom + zy][left + x * zoom + zx] = colour
    return rows


def main(argv):
    if not argv or argv[0].startswith("-"):
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    out = argv[0]
    os.makedirs(out, exist_ok=True)
    drawn = []
    for index, picture in enumerate(FUNCTIONS, start=1):
        canvas = draw(picture, 32)
        drawn.append(canvas.rgba())
        with open(os.path.join(out, f"function{index}.bmp"), "wb") as f:
            f.write(bmp24(canvas.over_black()))
    with open(os.path.join(out, "lumeraset.ico"), "wb") as f:
        f.write(ico([draw(tool_icon, size).rgba() for size in (16, 32, 48)]))
    if "--preview" in argv:
        target = argv[argv.index("--preview") + 1]
        with open(target, "wb") as f:
            f.write(png(preview(drawn + [draw(tool_icon, 32).rgba()])))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
