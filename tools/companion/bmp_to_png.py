#!/usr/bin/env python3
"""Converts the companion sheet's 24-bit bottom-up BMP to PNG, with the standard library only.

    bmp_to_png.py IN.bmp OUT.png [--scale N]    # --scale 2 halves each side
"""

import argparse
import struct
import sys
import zlib
from pathlib import Path


def read_bmp(path: Path):
    data = path.read_bytes()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise ValueError(f"{path}: {bits} bits per pixel, expected 24")
    stride = (width * 3 + 3) & ~3
    rows = []
    for row in range(abs(height)):
        source = (abs(height) - 1 - row) if height > 0 else row
        start = offset + source * stride
        bgr = data[start:start + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    return width, abs(height), rows


def shrink(width, height, rows, scale):
    """Every scale-th pixel of every scale-th row: thin lines stay visible at 2."""
    if scale <= 1:
        return width, height, rows
    out = []
    for row in rows[::scale]:
        pixels = [row[i:i + 3] for i in range(0, len(row), 3)]
        # Darkest of each block, so that 3-pixel lines survive.
        blocks = []
        for x in range(0, width - width % scale, scale):
            blocks.append(min(pixels[x:x + scale]))
        out.append(b"".join(blocks))
    return width // scale, len(out), out


def write_png(path: Path, width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in rows)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" +
                     chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                     chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("bmp", type=Path)
    parser.add_argument("png", type=Path)
    parser.add_argument("--scale", type=int, default=1)
    args = parser.parse_args()
    write_png(args.png, *shrink(*read_bmp(args.bmp), args.scale))
    return 0


if __name__ == "__main__":
    sys.exit(main())
