#!/usr/bin/env python3
"""Draws the product icon (an envelope passing through three relay dots) as a 16-colour ICO at 16, 24, 32 and 48 pixels."""
import struct, sys

# The drawing is designed on a 32-pixel grid; each size draws it again on its
# own grid rather than shrinking a picture, so that lines stay one pixel wide.
navy, white, gold = (40, 48, 120), (250, 250, 245), (230, 170, 30)
palette = [(0, 0, 0), navy, white, gold]
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


def dib(size):
    px = draw(size)
    # The drawing has three colours: a 16-colour DIB (bottom-up, rows padded to
    # four bytes, with an AND mask for the transparent pixels) with only the
    # colours it uses shows it pixel for pixel at a sixth of a 32-bit one's bytes.
    xor = b""
    for row in reversed(px):
        nibbles = [index[c] if c else 0 for c in row] + [0] * (-size % 8)
        xor += bytes((nibbles[x] << 4) | nibbles[x + 1] for x in range(0, len(nibbles), 2))
    mask = b""
    stride = (size + 31) // 32 * 4
    for row in reversed(px):
        bits = 0
        for x, c in enumerate(row):
            if c is None:
                bits |= 1 << (stride * 8 - 1 - x)
        mask += bits.to_bytes(stride, "big")
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, len(palette), 0)
    return header + colours + xor + mask


sizes = (16, 24, 32, 48)
images = [dib(n) for n in sizes]
ico = struct.pack("<HHH", 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for n, d in zip(sizes, images):
    ico += struct.pack("<BBBBHHII", n, n, 16, 0, 1, 4, len(d), offset)
    offset += len(d)
open(sys.argv[1], "wb").write(ico + b"".join(images))
