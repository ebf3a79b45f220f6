#!/usr/bin/env python3
"""Draws the toolbar's icons (16 x 16, 256 colours) and writes them as .ico files.

101  count button: a counter with a small popup window
102  count button right after a block: the popup window crossed out in red
103  main button, blocking on: a green shield
104  main button, blocking off: a grey shield
105  count button while blocking is off: the counter in grey
"""
import struct
import sys
from pathlib import Path

TRANSPARENT = None

COLOURS = {
    ".": TRANSPARENT,
    "k": (0, 0, 0),
    "w": (255, 255, 255),
    "g": (0, 150, 60),
    "G": (120, 220, 140),
    "r": (210, 20, 20),
    "R": (255, 120, 110),
    "b": (30, 80, 200),
    "B": (150, 190, 255),
    "s": (110, 110, 110),
    "S": (200, 200, 200),
}

SHIELD = [
    "................",
    ".....kkkkkk.....",
    "...kkFFFFFFkk...",
    "..kFFFFFFFFFFk..",
    "..kFFFwFFwFFFk..",
    "..kFFFFwwFFFFk..",
    "..kFFFFwwFFFFk..",
    "..kFFFwFFwFFFk..",
    "..kFFFFFFFFFFk..",
    "...kFFFFFFFFk...",
    "...kFFFFFFFFk...",
    "....kFFFFFFk....",
    ".....kFFFFk.....",
    "......kFFk......",
    ".......kk.......",
    "................",
]

WINDOW = [
    "................",
    ".kkkkkkkkkkkkk..",
    ".kFFFFFFFFFFFk..",
    ".kkkkkkkkkkkkk..",
    ".kwwwwwwwwwwwk..",
    ".kwLLLLLLLLLwk..",
    ".kwwwwwwwwwwwk..",
    ".kwLLLLLLwwwwk..",
    ".kwwwwwwwwwwwk..",
    ".kwLLLLLLLLwwk..",
    ".kwwwwwwwwwwwk..",
    ".kkkkkkkkkkkkk..",
    "................",
    "................",
    "................",
    "................",
]

# Both diagonals of the window's page area.
CROSS = [(2 + i, 2 + i) for i in range(9)] + [(2 + i, 12 - i) for i in range(9)] + \
        [(2 + i, 3 + i) for i in range(9)] + [(2 + i, 11 - i) for i in range(9)]


def paint(rows, fill, light):
    return [row.replace("F", fill).replace("L", light) for row in rows]


def icons():
    on = paint(SHIELD, "g", "G")
    off = paint(SHIELD, "s", "S")
    counter = paint(WINDOW, "b", "B")
    counter_off = [row.replace("b", "s").replace("B", "S") for row in paint(WINDOW, "b", "s")]
    blocked = [list(row) for row in paint(WINDOW, "b", "B")]
    for r, c in CROSS:
        blocked[r][c] = "r"
    blocked = ["".join(row) for row in blocked]
    return {101: counter, 102: blocked, 103: on, 104: off, 105: counter_off}


def ico(rows):
    palette = [(0, 0, 0)] * 256
    index = {}
    for key, colour in COLOURS.items():
        if colour is not None:
            index[key] = len(index) + 1
            palette[index[key]] = colour
    size = 16
    # Pixel rows bottom-up; an 8-bit row of 16 pixels is 16 bytes, a mask row 4 bytes.
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = 0
        for x, key in enumerate(row):
            pixels.append(index.get(key, 0))
            if COLOURS[key] is None:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0,
                         len(pixels) + len(mask), 0, 0, 256, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    image = header + colours + bytes(pixels) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    out.mkdir(parents=True, exist_ok=True)
    for number, rows in icons().items():
        assert len(rows) == 16 and all(len(r) == 16 for r in rows), number
        (out / f"icon{number}.ico").write_bytes(ico(rows))


if __name__ == "__main__":
    main()
