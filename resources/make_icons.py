#!/usr/bin/env python3
"""Draws the program's icon and toolbar images as small PNG files (run once; the PNGs are committed)."""
import struct
import zlib
from pathlib import Path

OUT = Path(__file__).parent / "icons"

# A 16-colour palette, as the classic icon format would have it.
K, W, G, D = (0, 0, 0), (255, 255, 255), (192, 192, 192), (128, 128, 128)
R, GR, B, Y = (255, 0, 0), (0, 160, 0), (0, 0, 255), (255, 220, 0)
DY, C, M, N = (200, 150, 0), (0, 200, 220), (200, 0, 200), (0, 0, 128)
T = None  # transparent


def png(path, pixels):
    h, w = len(pixels), len(pixels[0])
    raw = b""
    for row in pixels:
        raw += b"\x00" + b"".join(bytes(p + (255,)) if p else b"\x00\x00\x00\x00" for p in row)
    def chunk(kind, data):
        c = kind + data
        return struct.pack(">I", len(data)) + c + struct.pack(">I", zlib.crc32(c) & 0xFFFFFFFF)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    path.write_bytes(data)


def canvas(n):
    return [[T] * n for _ in range(n)]


def rect(px, x0, y0, x1, y1, col):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            px[y][x] = col


def frame(px, x0, y0, x1, y1, col):
    for x in range(x0, x1 + 1):
        px[y0][x] = px[y1][x] = col
    for y in range(y0, y1 + 1):
        px[y][x0] = px[y][x1] = col


def swatches(px, x0, y0, size, cols, rows):
    colours = [R, Y, GR, C, B, M, W, N, DY]
    i = 0
    for r in range(rows):
        for c in range(cols):
            rect(px, x0 + c * size, y0 + r * size, x0 + c * size + size - 1, y0 + r * size + size - 1,
                 colours[i % len(colours)])
            i += 1


def folder(px):
    rect(px, 1, 4, 6, 5, DY)
    rect(px, 1, 5, 14, 13, Y)
    frame(px, 1, 5, 14, 13, DY)


def disk(px, label):
    rect(px, 1, 1, 14, 14, N)
    rect(px, 4, 1, 11, 5, G)
    rect(px, 9, 2, 10, 4, N)
    rect(px, 3, 8, 12, 14, W)
    label(px)


def arrow(px, x0, y0, col):
    for i in range(4):
        rect(px, x0 + i, y0 - (3 - i), x0 + i, y0 + (3 - i), col)


def icons():
    out = {}
    # Program icon: an LCD panel showing a colour grid.
    p = canvas(32)
    rect(p, 1, 4, 30, 27, D)
    frame(p, 1, 4, 30, 27, K)
    rect(p, 4, 7, 27, 24, K)
    swatches(p, 5, 8, 6, 4, 3)
    rect(p, 12, 28, 19, 29, D)
    rect(p, 8, 30, 23, 30, K)
    out["lumivert"] = p

    p = canvas(16)
    folder(p)
    out["imgopen"] = p

    p = canvas(16)
    folder(p)
    swatches(p, 7, 7, 2, 3, 3)
    out["imgopenbin"] = p

    p = canvas(16)
    rect(p, 0, 3, 5, 12, D)
    swatches(p, 1, 4, 2, 2, 4)
    arrow(p, 7, 8, K)
    rect(p, 11, 3, 15, 12, K)
    swatches(p, 12, 5, 1, 3, 6)
    out["imgconv"] = p

    for name, col in (("imgbin", R), ("imgbin2", GR)):
        p = canvas(16)
        disk(p, lambda q, c=col: (swatches(q, 4, 9, 2, 4, 2), rect(q, 4, 13, 11, 13, c)))
        out[name] = p

    for name, col in (("imgbmp", B), ("imgbmp2", M)):
        p = canvas(16)
        disk(p, lambda q, c=col: (rect(q, 4, 9, 11, 13, C), rect(q, 5, 12, 10, 13, GR), rect(q, 9, 10, 10, 10, Y),
                                  frame(q, 3, 8, 12, 14, c)))
        out[name] = p

    p = canvas(16)
    for i, col in enumerate((D, G, W)):
        rect(p, 1 + 2 * i, 1 + 2 * i, 9 + 2 * i, 9 + 2 * i, col)
        frame(p, 1 + 2 * i, 1 + 2 * i, 9 + 2 * i, 9 + 2 * i, K)
    swatches(p, 7, 7, 2, 3, 2)
    out["imgauto"] = p
    return out


if __name__ == "__main__":
    OUT.mkdir(exist_ok=True)
    for name, pixels in icons().items():
        png(OUT / f"{name}.png", pixels)
