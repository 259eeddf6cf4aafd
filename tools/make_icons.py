#!/usr/bin/env python3
"""Writes Quorel's icons: src/res/quorel.ico (the program icon, 16x16 and
32x32 in 16 colours) and src/res/tray.ico (the 16x16 tray image).

The pictures are drawn here pixel by pixel in the standard 16-colour
palette; every pixel outside the shape is transparent (set in the AND mask).
Run from anywhere: python3 tools/make_icons.py
"""

import os
import struct

# The standard 16-colour palette, as (R, G, B).
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 maroon
    (0x00, 0x80, 0x00),  # 2 green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0xC0, 0xC0, 0xC0),  # 7 silver
    (0x80, 0x80, 0x80),  # 8 grey
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia
    (0x00, 0xFF, 0xFF),  # 14 aqua
    (0xFF, 0xFF, 0xFF),  # 15 white
]

# Letters used in the drawings; "." is transparent.
INK = {
    "K": 0,   # black: window frame
    "N": 4,   # navy: caption bar
    "S": 7,   # silver: caption buttons, frame shading
    "G": 8,   # grey: dotted outline, shadow
    "B": 12,  # blue: arrows
    "W": 15,  # white: client area and caption text mark
}
TRANSPARENT = "."


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[TRANSPARENT] * size for _ in range(size)]

    def set(self, x, y, ink):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = ink

    def fill(self, x0, y0, x1, y1, ink):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, ink)

    def frame(self, x0, y0, x1, y1, ink):
        for x in range(x0, x1 + 1):
            self.set(x, y0, ink)
            self.set(x, y1, ink)
        for y in range(y0, y1 + 1):
            self.set(x0, y, ink)
            self.set(x1, y, ink)

    def rows(self):
        return ["".join(r) for r in self.px]


def from_rows(rows):
    c = Canvas(len(rows))
    for y, row in enumerate(rows):
        assert len(row) == c.size, (y, row)
        for x, ink in enumerate(row):
            assert ink == TRANSPARENT or ink in INK, ink
            c.set(x, y, ink)
    return c


# 16x16: a window with a navy caption bar and a blue diagonal arrow that
# points to its bottom-right corner.
SMALL = [
    "................",
    "KKKKKKKKKKKKKKK.",
    "KNWWWWWNNNNSSNKG",
    "KNNNNNNNNNNSSNKG",
    "KKKKKKKKKKKKKKKG",
    "KWWWWWWWWWWWWWKG",
    "KWWBBWWWWWWWWWKG",
    "KWWBBBWWWWWWWWKG",
    "KWWWBBBWWWWWWWKG",
    "KWWWWBBBWWWBBWKG",
    "KWWWWWBBBWWBBWKG",
    "KWWWWWWBBBWBBWKG",
    "KWWWWWWWBBBBBWKG",
    "KWWWWWWBBBBBBWKG",
    "KKKKKKKKKKKKKKKG",
    ".GGGGGGGGGGGGGGG",
]


def arrow_h(c, x0, x1, cy, ink):
    """Horizontal double-headed arrow from x0 to x1 on row cy."""
    head = 4
    c.fill(x0 + 1, cy - 1, x1 - 1, cy + 1, ink)
    for i in range(head + 1):
        for dy in range(-i, i + 1):
            c.set(x0 + i, cy + dy, ink)
            c.set(x1 - i, cy + dy, ink)


def arrow_v(c, y0, y1, cx, ink):
    """Vertical double-headed arrow from y0 to y1 in column cx."""
    head = 4
    c.fill(cx - 1, y0 + 1, cx + 1, y1 - 1, ink)
    for i in range(head + 1):
        for dx in range(-i, i + 1):
            c.set(cx + dx, y0 + i, ink)
            c.set(cx + dx, y1 - i, ink)


def large():
    """32x32: a window with a navy caption bar, a horizontal double-headed
    arrow at its right edge and a vertical one at its bottom edge, inside the
    dotted outline of a larger window."""
    c = Canvas(32)
    # The dotted outline of the larger window, sharing the top-left corner.
    for i in range(0, 31, 2):
        c.set(i, 0, "G")
        c.set(i, 30, "G")
        c.set(0, i, "G")
        c.set(30, i, "G")
    # The window: frame, caption with a title mark and two buttons, client.
    x0, y0, x1, y1 = 2, 2, 21, 21
    c.fill(x0, y0, x1, y1, "W")
    c.frame(x0, y0, x1, y1, "K")
    c.fill(x0 + 1, y0 + 1, x1 - 1, y0 + 4, "N")
    c.fill(x0 + 2, y0 + 2, x0 + 7, y0 + 3, "W")
    c.fill(x1 - 9, y0 + 2, x1 - 7, y0 + 3, "S")
    c.fill(x1 - 5, y0 + 2, x1 - 2, y0 + 3, "S")
    c.set(x1 - 4, y0 + 2, "K")
    c.set(x1 - 3, y0 + 3, "K")
    c.set(x1 - 3, y0 + 2, "K")
    c.set(x1 - 4, y0 + 3, "K")
    for x in range(x0 + 1, x1):
        c.set(x, y0 + 5, "K")
    # Shadow below and to the right of the window.
    for x in range(x0 + 1, x1 + 2):
        c.set(x, y1 + 1, "G")
    for y in range(y0 + 1, y1 + 2):
        c.set(x1 + 1, y, "G")
    # The arrows across the right and the bottom edge.
    cy = (y0 + 6 + y1) // 2
    cx = (x0 + x1) // 2
    arrow_h(c, x1 - 6, x1 + 7, cy, "B")
    arrow_v(c, y1 - 6, y1 + 7, cx, "B")
    return c


def ico_image(canvas):
    """One 4-bit image of an .ico file: header, palette, colours, mask."""
    n = canvas.size
    xor_stride = ((n * 4 + 31) // 32) * 4
    and_stride = ((n + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(n)):  # bottom-up
        row = canvas.px[y]
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, ink in enumerate(row):
            if ink == TRANSPARENT:
                index = 0
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                index = INK[ink]
            if x % 2 == 0:
                line[x // 2] |= index << 4
            else:
                line[x // 2] |= index
        xor += line
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor) + bytes(mask)


def ico_file(canvases):
    images = [ico_image(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.size % 256, c.size % 256, 16, 0, 1, 4,
                           len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    res = os.path.join(root, "src", "res")
    small = from_rows(SMALL)
    big = large()
    with open(os.path.join(res, "quorel.ico"), "wb") as f:
        f.write(ico_file([small, big]))
    with open(os.path.join(res, "tray.ico"), "wb") as f:
        f.write(ico_file([small]))


if __name__ == "__main__":
    main()
