#!/usr/bin/env python3
"""Draws Shareward's fallback icons as small PNG files (used when the desktop theme has
none). Plain Python, no imaging library: shapes are filled pixel by pixel."""
import struct
import sys
import zlib
from pathlib import Path


def png(width, height, pixels):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(pixels[y * width * 4:(y + 1) * width * 4]) for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def canvas(size):
    return [0] * (size * size * 4)


def fill(pixels, size, x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(size, y1)):
        for x in range(max(0, x0), min(size, x1)):
            pixels[(y * size + x) * 4:(y * size + x) * 4 + 4] = colour


def disc(pixels, size, cx, cy, r, colour):
    for y in range(size):
        for x in range(size):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                pixels[(y * size + x) * 4:(y * size + x) * 4 + 4] = colour


def share(size=32):
    """A folder with a network plug: a shared directory."""
    p = canvas(size)
    fill(p, size, 3, 7, 14, 11, [196, 142, 52, 255])      # tab
    fill(p, size, 3, 10, 29, 26, [222, 170, 74, 255])     # body
    fill(p, size, 3, 10, 29, 12, [240, 198, 110, 255])    # highlight
    disc(p, size, 23, 23, 6.5, [255, 255, 255, 255])
    disc(p, size, 23, 23, 5.0, [44, 110, 190, 255])       # network plug
    fill(p, size, 20, 22, 26, 24, [255, 255, 255, 255])
    fill(p, size, 22, 20, 24, 26, [255, 255, 255, 255])
    return png(size, size, p)


if __name__ == "__main__":
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    (out / "share.png").write_bytes(share())
