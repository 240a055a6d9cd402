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
    """A folder with a network plug: a shared directory (drawn on a 32-unit grid)."""
    p = canvas(size)
    s = size / 32
    fill(p, size, int(3 * s), int(7 * s), int(14 * s), int(11 * s), [196, 142, 52, 255])  # tab
    fill(p, size, int(3 * s), int(10 * s), int(29 * s), int(26 * s), [222, 170, 74, 255])  # body
    fill(p, size, int(3 * s), int(10 * s), int(29 * s), int(12 * s), [240, 198, 110, 255])  # highlight
    disc(p, size, 23 * s, 23 * s, 6.5 * s, [255, 255, 255, 255])
    disc(p, size, 23 * s, 23 * s, 5.0 * s, [44, 110, 190, 255])  # network plug
    fill(p, size, int(20 * s), int(22 * s), int(26 * s), int(24 * s), [255, 255, 255, 255])
    fill(p, size, int(22 * s), int(20 * s), int(24 * s), int(26 * s), [255, 255, 255, 255])
    return png(size, size, p)


def polygon(pixels, size, points, colour):
    """Fills a polygon (even-odd rule), sampling pixel centres."""
    n = len(points)
    for y in range(size):
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            inside = False
            for i in range(n):
                x0, y0 = points[i]
                x1, y1 = points[(i + 1) % n]
                if (y0 > py) != (y1 > py) and px < x0 + (py - y0) * (x1 - x0) / (y1 - y0):
                    inside = not inside
            if inside:
                pixels[(y * size + x) * 4:(y * size + x) * 4 + 4] = colour


GREEN = [46, 160, 67, 255]
RED = [206, 52, 52, 255]
BLUE = [44, 110, 190, 255]
GREY = [90, 96, 104, 255]
WHITE = [255, 255, 255, 255]


def plus(size=32):
    p = canvas(size)
    fill(p, size, 13, 5, 19, 27, GREEN)
    fill(p, size, 5, 13, 27, 19, GREEN)
    return png(size, size, p)


def minus(size=32):
    p = canvas(size)
    fill(p, size, 5, 13, 27, 19, RED)
    return png(size, size, p)


def edit(size=32):
    """A pencil over a sheet."""
    p = canvas(size)
    fill(p, size, 5, 4, 23, 28, [235, 235, 235, 255])
    fill(p, size, 8, 9, 20, 10, GREY)
    fill(p, size, 8, 13, 20, 14, GREY)
    polygon(p, size, [(13, 25), (25, 9), (29, 12), (17, 28)], [230, 160, 40, 255])
    polygon(p, size, [(13, 25), (17, 28), (12, 29)], GREY)
    return png(size, size, p)


def start(size=32):
    p = canvas(size)
    polygon(p, size, [(9, 5), (27, 16), (9, 27)], GREEN)
    return png(size, size, p)


def stop(size=32):
    p = canvas(size)
    fill(p, size, 7, 7, 25, 25, RED)
    return png(size, size, p)


def filesave(size=32):
    """A diskette."""
    p = canvas(size)
    fill(p, size, 4, 4, 28, 28, BLUE)
    fill(p, size, 9, 4, 23, 12, WHITE)
    fill(p, size, 18, 5, 21, 11, BLUE)
    fill(p, size, 8, 17, 24, 28, [220, 225, 232, 255])
    return png(size, size, p)


def close(size=128):
    """A cross in a circle."""
    p = canvas(size)
    c = size / 2
    disc(p, size, c, c, size * 0.45, RED)
    w = size * 0.09
    a, b = size * 0.3, size * 0.7
    polygon(p, size, [(a - w, a + w), (a + w, a - w), (b + w, b - w), (b - w, b + w)], WHITE)
    polygon(p, size, [(a - w, b - w), (a + w, b + w), (b + w, a + w), (b - w, a - w)], WHITE)
    return png(size, size, p)


def configure(size=32):
    """A cog wheel."""
    import math
    p = canvas(size)
    c = size / 2
    teeth = []
    for i in range(16):
        angle = i * math.pi / 8
        r = 14 if i % 2 == 0 else 10.5
        teeth.append((c + r * math.cos(angle), c + r * math.sin(angle)))
    polygon(p, size, teeth, GREY)
    disc(p, size, c, c, 9.5, GREY)
    disc(p, size, c, c, 4.5, [0, 0, 0, 0])
    return png(size, size, p)


def users(size=32):
    """Two people."""
    p = canvas(size)
    disc(p, size, 20, 10, 5, [120, 140, 170, 255])
    disc(p, size, 20, 27, 9, [120, 140, 170, 255])
    disc(p, size, 12, 12, 5.5, BLUE)
    disc(p, size, 12, 30, 10, BLUE)
    fill(p, size, 0, 31, size, size, [0, 0, 0, 0])
    return png(size, size, p)


def checkconfig(size=32):
    """A tick over a sheet: the configuration checked."""
    p = canvas(size)
    fill(p, size, 5, 4, 23, 28, [235, 235, 235, 255])
    fill(p, size, 8, 8, 20, 9, GREY)
    fill(p, size, 8, 12, 20, 13, GREY)
    polygon(p, size, [(12, 20), (16, 24), (27, 11), (30, 14), (16, 29), (9, 23)], GREEN)
    return png(size, size, p)


def groups(size=32):
    """Three people: a group."""
    p = canvas(size)
    disc(p, size, 8, 11, 4, [120, 140, 170, 255])
    disc(p, size, 8, 26, 7.5, [120, 140, 170, 255])
    disc(p, size, 24, 11, 4, [120, 140, 170, 255])
    disc(p, size, 24, 26, 7.5, [120, 140, 170, 255])
    disc(p, size, 16, 13, 5, BLUE)
    disc(p, size, 16, 30, 9, BLUE)
    fill(p, size, 0, 31, size, size, [0, 0, 0, 0])
    return png(size, size, p)


def fileshare(size=64):
    """The application: the share icon, large."""
    return share(size)


ICONS = {
    "share.png": share,
    "plus.png": plus,
    "minus.png": minus,
    "edit.png": edit,
    "start.png": start,
    "stop.png": stop,
    "filesave.png": filesave,
    "standardbutton-close-128.png": close,
    "configure.png": configure,
    "users.png": users,
    "fileshare.png": fileshare,
    "checkconfig.png": checkconfig,
    "groups.png": groups,
}

if __name__ == "__main__":
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    for name, draw in ICONS.items():
        (out / name).write_bytes(draw())
