#!/usr/bin/env python3
"""Draws the product icon (an envelope passing through three relay dots) as an ICO of 16, 24, 32 and 48 pixels."""
import struct, sys, zlib

# The drawing is designed on a 32-pixel grid; each size draws it again on its
# own grid rather than shrinking a picture, so that lines stay one pixel wide.
navy, white, gold = (40, 48, 120), (250, 250, 245), (230, 170, 30)
palette = [(0, 0, 0), navy, white, gold]  # the first is transparent
index = {c: i for i, c in enumerate(palette)}


def draw(size):
    s = size / 32
    px = [[None] * size for _ in range(size)]

    def at(v):
        return min(size - 1, max(0, round(v * s)))

    def rect(x0, y0, x1, y1, c):
        for y in range(round(y0 * s), max(round(y0 * s) + 1, round(y1 * s))):
            for x in range(round(x0 * s), max(round(x0 * s) + 1, round(x1 * s))):
                px[y][x] = c

    def line(x0, y0, x1, y1, c):
        x0, y0, x1, y1 = at(x0), at(y0), at(x1), at(y1)
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            px[round(y0 + (y1 - y0) * i / n)][round(x0 + (x1 - x0) * i / n)] = c

    rect(3, 9, 29, 27, navy)
    rect(4, 10, 28, 26, white)
    line(4, 10, 16, 19, navy)
    line(28, 10, 16, 19, navy)
    for cx in (8, 16, 24):
        rect(cx - 2, 2, cx + 2, 6, gold)
    return px


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png(size):
    px = draw(size)
    # Three colours and the transparent one: a PNG of two bits a pixel with a
    # palette, which an icon may hold in place of a DIB, is the smallest form
    # that shows the drawing pixel for pixel.
    raw = b""
    for row in px:
        indices = [index[c] if c else 0 for c in row] + [0] * (-size % 4)
        raw += b"\0" + bytes((indices[x] << 6) | (indices[x + 1] << 4) | (indices[x + 2] << 2) | indices[x + 3]
                             for x in range(0, len(indices), 4))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 2, 3, 0, 0, 0))
            + chunk(b"PLTE", b"".join(bytes(c) for c in palette))
            + chunk(b"tRNS", b"\x00") + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


sizes = (16, 24, 32, 48)
images = [png(n) for n in sizes]
ico = struct.pack("<HHH", 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for n, d in zip(sizes, images):
    ico += struct.pack("<BBBBHHII", n, n, 4, 0, 1, 2, len(d), offset)
    offset += len(d)
open(sys.argv[1], "wb").write(ico + b"".join(images))
