#!/usr/bin/env python3
"""Draws the programs' 16-colour 32 x 32 icons and writes them as .ico files.

usage: mkicon.py agent|setup|uninstall OUT.ico
"""
import math
import struct
import sys

# The standard 16-colour VGA palette (blue, green, red, reserved).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
    (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
    (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, DGREY, GREY, WHITE = 0, 8, 7, 15
RED, GREEN, BLUE, YELLOW = 12, 10, 9, 14   # indices of pure red, green, blue, yellow
NONE = None  # transparent


def power_symbol(x, y):
    dx, dy = x - 15.5, y - 16.5
    r = math.hypot(dx, dy)
    if abs(dx) <= 1.6 and 3 <= y <= 16:
        return BLUE
    if 9.5 <= r <= 13 and not (dy < 0 and abs(dx) < 5.5):
        return BLUE
    if 8.5 <= r <= 14 and not (dy < 0 and abs(dx) < 4.5):
        return BLACK
    return NONE


def keyboard(x, y):
    if 2 <= x <= 29 and 14 <= y <= 28:
        if x in (2, 29) or y in (14, 28):
            return BLACK
        if (y - 16) % 4 in (0, 1) and (x - 4) % 4 in (0, 1, 2) and 4 <= x <= 27 and y <= 25:
            return WHITE
        return GREY
    return NONE


def setup_picture(x, y):
    # a keyboard with a green arrow pointing down into it
    if 12 <= x <= 19 and 1 <= y <= 8:
        return GREEN
    if y >= 9 and y <= 15 and abs(x - 15.5) <= 15 - y + 0.5 and y <= 14:
        return GREEN
    return keyboard(x, y)


def uninstall_picture(x, y):
    # a keyboard crossed out in red
    if 4 <= y <= 30 and (abs((x - 2) - (y - 4)) <= 1.5 or abs((29 - x) - (y - 4)) <= 1.5) and 2 <= x <= 29:
        return RED
    return keyboard(x, y)


PICTURES = {"agent": power_symbol, "setup": setup_picture, "uninstall": uninstall_picture}


def ico(picture):
    xor = bytearray()
    mask = bytearray()
    for y in range(31, -1, -1):          # bottom-up rows
        row = [picture(x, y) for x in range(32)]
        for x in range(0, 32, 2):
            a = row[x] if row[x] is not None else 0
            b = row[x + 1] if row[x + 1] is not None else 0
            xor.append((a << 4) | b)
        bits = 0
        for x in range(32):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    image = header + palette + bytes(xor) + bytes(mask)
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 22) + image


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in PICTURES:
        sys.exit(__doc__)
    with open(sys.argv[2], "wb") as f:
        f.write(ico(PICTURES[sys.argv[1]]))


if __name__ == "__main__":
    main()
