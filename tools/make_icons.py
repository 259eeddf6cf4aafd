#!/usr/bin/env python3
"""Writes Quorel's icons, src/res/quorel.ico (the program icon) and
src/res/tray.ico (the tray picture), from the SVG drawings beside them.

Each icon holds 16, 20, 24, 32, 40, 48, 64 and 256 pixels in 32-bit colour
with alpha, every image PNG-compressed: Windows reads PNG images in icons
from Vista on, and as uncompressed bitmaps the sizes below 256 would add
some 85 KB to the executable.

A size that has a drawing of its own (tray-16.svg, quorel-48.svg, ...)
comes from that drawing, made on the pixel grid of that size; the others
are the main drawing (tray.svg, quorel.svg) scaled. The program icon's
small sizes are the tray picture: a window with two arrows and a dotted
outline says nothing at 24 pixels.

rsvg-convert (Debian: librsvg2-bin) renders; this script writes the PNG
images and the .ico files itself, with nothing in them but the pixels (no
time stamps, fixed compression), so the same drawings and the same
renderer give the same bytes.

    python3 tools/make_icons.py            write the two .ico files
    python3 tools/make_icons.py --check    exit 1 when they are not what
                                           the drawings give
"""

import os
import shutil
import struct
import subprocess
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)

# Icon file -> (main drawing, drawing per size where one exists).
ICONS = {
    "quorel.ico": ("quorel.svg", {16: "tray-16.svg", 20: "tray-20.svg", 24: "tray-24.svg",
                                  40: "quorel-40.svg", 48: "quorel-48.svg"}),
    "tray.ico": ("tray.svg", {16: "tray-16.svg", 20: "tray-20.svg", 24: "tray-24.svg",
                              40: "tray-40.svg", 48: "tray-48.svg"}),
}

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def render(svg, size):
    """The drawing at size x size pixels, as rows of (r, g, b, a) bytes."""
    png = subprocess.run(
        ["rsvg-convert", "--format=png", f"--width={size}", f"--height={size}", svg],
        check=True, stdout=subprocess.PIPE).stdout
    return decode_png(png, size)


def chunks(png):
    if not png.startswith(PNG_SIGNATURE):
        raise ValueError("not a PNG file")
    pos = len(PNG_SIGNATURE)
    while pos < len(png):
        length, kind = struct.unpack(">I4s", png[pos:pos + 8])
        yield kind, png[pos + 8:pos + 8 + length]
        pos += 12 + length


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def decode_png(png, size):
    """Rows of RGBA bytes of an 8-bit RGBA, non-interlaced PNG."""
    idat = b""
    for kind, data in chunks(png):
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", data)
            if (width, height, depth, colour, interlace) != (size, size, 8, 6, 0):
                raise ValueError(f"unexpected PNG layout {width}x{height} {depth} {colour}")
        elif kind == b"IDAT":
            idat += data
    raw = zlib.decompress(idat)
    stride = size * 4
    rows = []
    prev = bytearray(stride)
    for y in range(size):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        kind, cur = line[0], bytearray(line[1:])
        for i in range(stride):
            a = cur[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            if kind == 1:
                cur[i] = (cur[i] + a) & 0xFF
            elif kind == 2:
                cur[i] = (cur[i] + b) & 0xFF
            elif kind == 3:
                cur[i] = (cur[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                cur[i] = (cur[i] + paeth(a, b, c)) & 0xFF
        rows.append(bytes(cur))
        prev = cur
    return rows


def clean(rows):
    """Fully transparent pixels get colour 0, whatever the renderer left."""
    out = []
    for row in rows:
        px = bytearray(row)
        for i in range(0, len(px), 4):
            if px[i + 3] == 0:
                px[i:i + 3] = b"\0\0\0"
        out.append(bytes(px))
    return out


def filtered(row, prev, kind):
    out = bytearray(len(row))
    for i in range(len(row)):
        a = row[i - 4] if i >= 4 else 0
        b = prev[i]
        c = prev[i - 4] if i >= 4 else 0
        pred = (0, a, b, (a + b) // 2, paeth(a, b, c))[kind]
        out[i] = (row[i] - pred) & 0xFF
    return bytes(out)


def png_data(rows, choose):
    """The filtered rows, each filter picked by choose(candidates)."""
    data = bytearray()
    prev = bytes(len(rows) * 4)
    for row in rows:
        candidates = [filtered(row, prev, k) for k in range(5)]
        kind = choose(candidates)
        data.append(kind)
        data += candidates[kind]
        prev = row
    return zlib.compress(bytes(data), 9)


def png_image(rows):
    """A minimal PNG: header, pixel data and end, nothing else. Of the five
    filters applied to every row, and of the filter with the smallest sum
    of signed residues picked row by row, the one that compresses best."""
    size = len(rows)
    choices = [lambda c, k=k: k for k in range(5)]
    choices.append(lambda c: min(range(5), key=lambda k: sum(v if v < 128 else 256 - v
                                                             for v in c[k])))
    idat = min((png_data(rows, choose) for choose in choices), key=len)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body)))

    return (PNG_SIGNATURE + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", idat) + chunk(b"IEND", b""))


def ico_file(images):
    """images: (size, image bytes), written in that order."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def build(res, main, hinted):
    images = []
    for size in SIZES:
        svg = os.path.join(res, hinted.get(size, main))
        rows = clean(render(svg, size))
        images.append((size, png_image(rows)))
    return ico_file(images)


def main():
    check = sys.argv[1:] == ["--check"]
    if sys.argv[1:] and not check:
        sys.exit(__doc__)
    if not shutil.which("rsvg-convert"):
        sys.exit("make_icons: rsvg-convert is missing (Debian: apt-get install librsvg2-bin)")
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    res = os.path.join(root, "src", "res")
    stale = []
    for name, (main_svg, hinted) in ICONS.items():
        data = build(res, main_svg, hinted)
        path = os.path.join(res, name)
        if check:
            with open(path, "rb") as f:
                if f.read() != data:
                    stale.append(name)
        else:
            with open(path, "wb") as f:
                f.write(data)
            print(f"src/res/{name}: {len(data)} bytes")
    if stale:
        sys.exit("make_icons: not what the drawings give: " + ", ".join(stale))


if __name__ == "__main__":
    main()
