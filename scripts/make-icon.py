#!/usr/bin/env python3
"""Draws the product icon (an envelope passing through three relay dots) as a 32x32, 16-colour ICO."""
import struct, sys

W = H = 32
BG = None
px = [[BG] * W for _ in range(H)]

def rect(x0, y0, x1, y1, c):
    for y in range(y0, y1):
        for x in range(x0, x1):
            px[y][x] = c

def line(x0, y0, x1, y1, c):
    n = max(abs(x1 - x0), abs(y1 - y0))
    for i in range(n + 1):
        px[round(y0 + (y1 - y0) * i / n)][round(x0 + (x1 - x0) * i / n)] = c

navy, white, gold = (40, 48, 120), (250, 250, 245), (230, 170, 30)
rect(3, 9, 29, 27, navy)
rect(4, 10, 28, 26, white)
line(4, 10, 16, 19, navy)
line(28, 10, 16, 19, navy)
for cx in (8, 16, 24):
    rect(cx - 2, 2, cx + 2, 6, gold)

# The drawing has three colours, so a 16-colour DIB (bottom-up, with an AND
# mask for the transparent pixels) shows it pixel for pixel at a sixth of the
# bytes of a 32-bit one.
palette = [(0, 0, 0), navy, white, gold]
index = {c: i for i, c in enumerate(palette)}
xor = b""
for row in reversed(px):
    nibbles = [index[c] if c else 0 for c in row]
    xor += bytes((nibbles[x] << 4) | nibbles[x + 1] for x in range(0, W, 2))
mask = b""
for row in reversed(px):
    bits = 0
    for x, c in enumerate(row):
        if c is None:
            bits |= 1 << (31 - x)
    mask += struct.pack(">I", bits)
colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette + [(0, 0, 0)] * (16 - len(palette)))
dib = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0) + colours + xor + mask
ico = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 16, 0, 1, 4, len(dib), 22) + dib
open(sys.argv[1], "wb").write(ico)
