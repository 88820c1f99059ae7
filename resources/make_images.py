#!/usr/bin/env python3
"""Turns the pixel art of images.txt into the tool-bar strip (toolbar.bmp) and the icons.

Usage: make_images.py images.txt OUTDIR
The strip is 24-bit with magenta (255, 0, 255) for transparent pixels, the icons 16 x 16 in
16 colours with an AND mask.
"""
import struct
import sys

PALETTE = "kmgonptsdRGYBFAW"  # the 16 VGA colours in their standard order
RGB = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
SIZE = 16
MASK_RGB = (255, 0, 255)


def parse(path):
    pictures, current = [], None
    for raw in open(path, encoding="utf-8"):
        line = raw.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        words = line.split()
        if words[0] in ("image", "icon") and len(words) == 2:
            current = (words[0], words[1], [])
            pictures.append(current)
            continue
        if current is None or len(line) != SIZE or any(c not in PALETTE + "." for c in line):
            sys.exit(f"{path}: bad line {line!r}")
        current[2].append(line)
    for kind, name, rows in pictures:
        if len(rows) != SIZE:
            sys.exit(f"{path}: {name} has {len(rows)} rows")
    return pictures


def write_strip(path, images):
    width = SIZE * len(images)
    row_bytes = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up
        row = bytearray()
        for _, _, rows in images:
            for c in rows[y]:
                r, g, b = MASK_RGB if c == "." else RGB[PALETTE.index(c)]
                row += bytes((b, g, r))
        pixels += row + bytes(row_bytes - len(row))
    header = struct.pack("<IiiHHIIiiII", 40, width, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(pixels), 0, 0, 54))
        f.write(header + pixels)


def write_icon(path, rows):
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):
        line = rows[y]
        for x in range(0, SIZE, 2):
            hi, lo = (0 if c == "." else PALETTE.index(c) for c in line[x:x + 2])
            xor.append(hi << 4 | lo)
        bits = 0
        for x, c in enumerate(line):
            if c == ".":
                bits |= 1 << (SIZE - 1 - x)
        mask += struct.pack(">H", bits) + bytes(2)  # rows padded to 32 bits
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in RGB)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0, 0,
                       16, 0)
    image = info + palette + xor + mask
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 22))
        f.write(image)


def main():
    source, out = sys.argv[1], sys.argv[2]
    pictures = parse(source)
    write_strip(f"{out}/toolbar.bmp", [p for p in pictures if p[0] == "image"])
    for kind, name, rows in pictures:
        if kind == "icon":
            write_icon(f"{out}/{name}.ico", rows)


if __name__ == "__main__":
    main()
