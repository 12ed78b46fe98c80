#!/usr/bin/env python3
"""Writes the control's 16x16 toolbox bitmap (24-bit BMP): a progress bar
in the control's default colours, so no binary file is kept in the sources."""
import struct
import sys

WIDTH = HEIGHT = 16
BAR = (0x1D, 0x00, 0x8E)        # the default progress colour 0x8E001D as B, G, R
BACKGROUND = (0xFF, 0xFF, 0xFF)
FRAME = (0x80, 0x80, 0x80)


def pixel(x, y):
    if y in (5, 10) or (5 <= y <= 10 and x in (1, 14)):
        return FRAME if 1 <= x <= 14 else BACKGROUND
    if 6 <= y <= 9 and 2 <= x <= 9:
        return BAR
    return BACKGROUND


rows = []
for y in reversed(range(HEIGHT)):  # BMP rows run bottom-up
    row = b"".join(struct.pack("BBB", *pixel(x, y)) for x in range(WIDTH))
    rows.append(row + b"\0" * ((4 - len(row) % 4) % 4))
pixels = b"".join(rows)
info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
with open(sys.argv[1], "wb") as out:
    out.write(header + info + pixels)
