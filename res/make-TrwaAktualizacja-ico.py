#!/usr/bin/env python3
"""Draws TrwaAktualizacja.ico: the hourglass of the update-progress window,
32 x 32 in 256 colours (8 bits per pixel, palette, transparency mask).

Run from res/ to regenerate the icon after changing the drawing:
    python3 make-TrwaAktualizacja-ico.py
"""
import struct

SIZE = 32
PALETTE = [
    (0, 0, 0),          # 0 transparent (masked) / outline
    (92, 56, 24),       # 1 wood, shadow
    (150, 96, 44),      # 2 wood
    (204, 150, 84),     # 3 wood, light
    (54, 72, 104),      # 4 glass edge
    (214, 232, 248),    # 5 glass
    (255, 255, 255),    # 6 glass, highlight
    (196, 132, 28),     # 7 sand, shadow
    (240, 186, 56),     # 8 sand
    (255, 226, 124),    # 9 sand, light
]
TRANSPARENT, OUTLINE, WOOD_DARK, WOOD, WOOD_LIGHT = None, 0, 1, 2, 3
GLASS_EDGE, GLASS, GLASS_SHINE, SAND_DARK, SAND, SAND_LIGHT = 4, 5, 6, 7, 8, 9

TOP_PLATE = range(2, 6)       # rows of the upper plate, outline included
BOTTOM_PLATE = range(26, 30)  # rows of the lower plate
PLATE_X = range(5, 27)
CENTRE = 16.0


def glass_half_width(y):
    """Half the width of the glass at row y: wide bulbs, a narrow neck."""
    d = abs(y + 0.5 - CENTRE) / 10.0
    return 1.6 + 7.4 * d ** 0.75


def pixel(x, y):
    cx = x + 0.5
    if y in TOP_PLATE or y in BOTTOM_PLATE:
        rows = TOP_PLATE if y in TOP_PLATE else BOTTOM_PLATE
        if x not in PLATE_X:
            return TRANSPARENT
        if x in (PLATE_X.start, PLATE_X.stop - 1) or y in (rows.start, rows.stop - 1):
            return OUTLINE
        return WOOD_LIGHT if y == rows.start + 1 else WOOD if x < 24 else WOOD_DARK
    if not 6 <= y <= 25:
        return TRANSPARENT
    w = glass_half_width(y)
    inside = abs(cx - CENTRE) < w
    edge = abs(cx - CENTRE) < w + 1
    if not edge:
        return TRANSPARENT
    if not inside:
        return GLASS_EDGE
    upper = y < CENTRE
    if upper:
        # What is left of the sand in the upper bulb, with a dip in the middle.
        surface = 11 + (1.5 if abs(cx - CENTRE) < 2 else 0)
        if y + 0.5 > surface:
            return SAND_DARK if cx > CENTRE + w - 1.5 else SAND
    else:
        pile_top = 19.5 + abs(cx - CENTRE) * 0.75
        if y + 0.5 > pile_top:
            return SAND_LIGHT if y + 0.5 < pile_top + 1 and cx < CENTRE else \
                SAND_DARK if cx > CENTRE + 3 else SAND
        if abs(cx - CENTRE) < 1:  # the falling stream
            return SAND
    if cx < CENTRE - w + 2 and abs(y + 0.5 - CENTRE) > 3:
        return GLASS_SHINE
    return GLASS


def write_icon(path):
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    palette += b"\0" * (4 * 256 - len(palette))
    xor = b"".join(bytes(0 if p is None else p for p in row) for row in reversed(rows))
    mask = b""
    for row in reversed(rows):
        bits = 0
        for p in row:
            bits = (bits << 1) | (p is None)
        mask += struct.pack(">I", bits)  # 32 pixels, one row, already 4-byte aligned
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 8, 0, len(xor) + len(mask), 0, 0, 256, 0)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


if __name__ == "__main__":
    write_icon("TrwaAktualizacja.ico")
