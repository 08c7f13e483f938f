#!/usr/bin/env python3
"""Draws the program's icon at every usual size, as SVG too, and the toolbar images at 1x and 2x (run
once; the files are committed). Each size is drawn at that size, never scaled from another."""
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


def ico(path, pngs):
    images = [p.read_bytes() for p in pngs]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for image in images:
        w, h = struct.unpack(">II", image[16:24])
        data += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    path.write_bytes(data + b"".join(images))


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


# Program icon: an LCD panel on a stand, showing a 4 x 3 grid of colour cells (the display's 4:3).
# Per size: cell, margin around the cells, bezel (outline included), extra chin under the screen, neck
# and foot heights. Small sizes keep only what stays legible; from 48 on the case gets a bevel, the
# screen an inset edge and the chin a power lamp.
PANEL = {
    16: (2, 1, 2, 0, 1, 1),
    22: (3, 1, 2, 0, 1, 1),
    24: (4, 1, 2, 0, 1, 1),
    32: (5, 2, 3, 0, 2, 1),
    48: (7, 2, 5, 2, 3, 2),
    64: (10, 3, 6, 3, 4, 3),
    128: (20, 6, 11, 6, 8, 6),
    256: (40, 12, 22, 12, 16, 12),
}
CELL_COLOURS = [R, Y, GR, C, B, M, W, N, DY]


def program_icon(n):
    """The icon of size n as rectangles (x, y, w, h, colour), painted in order."""
    cell, margin, bezel, chin, neck_h, foot_h = PANEL[n]
    line = max(1, n // 64)
    screen_w, screen_h = 4 * cell + 2 * margin, 3 * cell + 2 * margin
    case_w, case_h = screen_w + 2 * bezel, screen_h + 2 * bezel + chin
    x0, y0 = (n - case_w) // 2, (n - case_h - neck_h - foot_h) // 2
    neck_w, foot_w = 2 * round(n / 8), 2 * round(n / 4)
    ops = []
    # Stand first, so that the case covers the top of the neck.
    neck_x, foot_x = (n - neck_w) // 2, (n - foot_w) // 2
    ops.append((neck_x, y0 + case_h, neck_w, neck_h, D))
    if n >= 48:
        ops.append((neck_x, y0 + case_h, line, neck_h, K))
        ops.append((neck_x + neck_w - line, y0 + case_h, line, neck_h, K))
    ops.append((foot_x, y0 + case_h + neck_h, foot_w, foot_h, K))
    # Case with its outline, and from 48 on a light edge along its top and left.
    ops.append((x0, y0, case_w, case_h, K))
    ops.append((x0 + line, y0 + line, case_w - 2 * line, case_h - 2 * line, D))
    if n >= 48:
        ops.append((x0 + line, y0 + line, case_w - 2 * line, line, G))
        ops.append((x0 + line, y0 + line, line, case_h - 2 * line, G))
    sx, sy = x0 + bezel, y0 + bezel
    ops.append((sx, sy, screen_w, screen_h, K))
    if n >= 48:
        ops.append((sx, sy + screen_h, screen_w + line, line, G))
        ops.append((sx + screen_w, sy, line, screen_h + line, G))
    for i in range(12):
        r, c = divmod(i, 4)
        ops.append((sx + margin + c * cell, sy + margin + r * cell, cell, cell, CELL_COLOURS[i % len(CELL_COLOURS)]))
    if n >= 48:
        lamp = max(2, n // 24)
        lamp_y = sy + screen_h + line + (bezel + chin - line - lamp) // 2
        ops.append((sx + screen_w - lamp, lamp_y, lamp, lamp, GR))
    return ops


def paint(n, ops):
    px = canvas(n)
    for x, y, w, h, col in ops:
        rect(px, x, y, x + w - 1, y + h - 1, col)
    return px


def svg(n, ops):
    """The same rectangles as a scalable picture."""
    rects = "".join(f'  <rect x="{x}" y="{y}" width="{w}" height="{h}" fill="#{c[0]:02x}{c[1]:02x}{c[2]:02x}"/>\n'
                    for x, y, w, h, c in ops)
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{n}" height="{n}" viewBox="0 0 {n} {n}">\n'
            f'{rects}</svg>\n')


def icons():
    out = {}
    p = canvas(16)
    folder(p)
    out["open"] = p

    p = canvas(16)
    folder(p)
    swatches(p, 7, 7, 2, 3, 3)
    out["open-bin"] = p

    p = canvas(16)
    rect(p, 0, 3, 5, 12, D)
    swatches(p, 1, 4, 2, 2, 4)
    arrow(p, 7, 8, K)
    rect(p, 11, 3, 15, 12, K)
    swatches(p, 12, 5, 1, 3, 6)
    out["convert"] = p

    p = canvas(16)
    disk(p, lambda q: (swatches(q, 4, 9, 2, 4, 2), rect(q, 4, 13, 11, 13, R)))
    out["save-bin"] = p

    p = canvas(16)
    disk(p, lambda q: (rect(q, 4, 9, 11, 13, C), rect(q, 5, 12, 10, 13, GR), rect(q, 9, 10, 10, 10, Y),
                       frame(q, 3, 8, 12, 14, B)))
    out["save-bmp"] = p

    p = canvas(16)
    for i, col in enumerate((D, G, W)):
        rect(p, 1 + 2 * i, 1 + 2 * i, 9 + 2 * i, 9 + 2 * i, col)
        frame(p, 1 + 2 * i, 1 + 2 * i, 9 + 2 * i, 9 + 2 * i, K)
    swatches(p, 7, 7, 2, 3, 2)
    out["batch"] = p
    return out


def icons_2x():
    """The toolbar images the window shows, drawn again for screens of twice the density: same
    pictures, but with one-pixel outlines and details that 16 pixels have no room for."""
    out = {}

    def folder2(px):
        rect(px, 2, 7, 12, 10, DY)
        rect(px, 2, 10, 29, 27, Y)
        frame(px, 2, 10, 29, 27, DY)
        rect(px, 3, 11, 28, 11, W)

    p = canvas(32)
    folder2(p)
    out["open"] = p

    p = canvas(32)
    folder2(p)
    frame(p, 14, 12, 27, 25, K)
    swatches(p, 15, 13, 4, 3, 3)
    out["open-bin"] = p

    p = canvas(32)
    rect(p, 0, 6, 11, 25, D)
    frame(p, 0, 6, 11, 25, K)
    swatches(p, 2, 8, 4, 2, 4)
    for i in range(8):
        rect(p, 13 + i, 8 + i, 13 + i, 23 - i, K)
    rect(p, 22, 6, 31, 25, K)
    swatches(p, 24, 10, 2, 3, 6)
    out["convert"] = p

    def disk2(px):
        rect(px, 2, 2, 29, 29, N)
        frame(px, 2, 2, 29, 29, K)
        for i in range(3):  # the cut corner of a diskette
            rect(px, 27 + i, 2 + i, 29, 2 + i, T)
            px[2 + i][26 + i] = K
        rect(px, 8, 3, 22, 11, G)
        frame(px, 8, 3, 22, 11, K)
        rect(px, 17, 5, 19, 9, N)
        rect(px, 6, 15, 25, 28, W)

    p = canvas(32)
    disk2(p)
    swatches(p, 8, 17, 4, 4, 2)
    rect(p, 8, 26, 23, 27, R)
    out["save-bin"] = p

    p = canvas(32)
    disk2(p)
    frame(p, 7, 16, 24, 27, B)
    rect(p, 8, 17, 23, 26, C)
    rect(p, 8, 23, 23, 26, GR)
    rect(p, 11, 22, 18, 22, GR)
    rect(p, 19, 18, 21, 20, Y)
    out["save-bmp"] = p

    p = canvas(32)
    for i, col in enumerate((D, G, W)):
        rect(p, 2 + 4 * i, 2 + 4 * i, 19 + 4 * i, 19 + 4 * i, col)
        frame(p, 2 + 4 * i, 2 + 4 * i, 19 + 4 * i, 19 + 4 * i, K)
    swatches(p, 13, 14, 4, 3, 2)
    out["batch"] = p
    return out


if __name__ == "__main__":
    OUT.mkdir(exist_ok=True)
    for name, pixels in icons().items():
        png(OUT / f"{name}.png", pixels)
    for name, pixels in icons_2x().items():
        png(OUT / f"{name}@2x.png", pixels)
    # The program icon: 32 and 64 pixels are the window's own (1x and 2x), the rest go to the desktop.
    for n in PANEL:
        name = {32: "lumivert", 64: "lumivert@2x"}.get(n, f"lumivert-{n}")
        png(OUT / f"{name}.png", paint(n, program_icon(n)))
    (OUT / "lumivert.svg").write_text(svg(256, program_icon(256)))
    # Windows' program icon: the same drawings, each stored as PNG inside one ICO file.
    names = {16: "lumivert-16", 24: "lumivert-24", 32: "lumivert", 48: "lumivert-48", 64: "lumivert@2x",
             256: "lumivert-256"}
    ico(OUT / "lumivert.ico", [OUT / f"{name}.png" for name in names.values()])
