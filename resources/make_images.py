#!/usr/bin/env python3
"""Turns pixel art into an image strip, icons and cursors.

Usage: make_images.py images.txt OUTDIR [STRIP]
The strip (STRIP, toolbar.bmp by default) is 24-bit with magenta (255, 0, 255) for transparent
pixels, the icons 16 x 16 in 16 colours with an AND mask and, for scaled displays, 20, 24 and
32 pixels in 32 bits with alpha; the cursors 32 x 32 monochrome
(k black, W white, . transparent) with their hot spot.
"""
import struct
import sys

PALETTE = "kmgonptsdRGYBFAW"  # the 16 VGA colours in their standard order
RGB = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
SIZE = 16
CURSOR_SIZE = 32
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
        if words[0] == "cursor" and len(words) == 4:
            current = ("cursor", words[1], [], (int(words[2]), int(words[3])))
            pictures.append(current)
            continue
        size = CURSOR_SIZE if current and current[0] == "cursor" else SIZE
        colours = "kW." if current and current[0] == "cursor" else PALETTE + "."
        if current is None or len(line) != size or any(c not in colours for c in line):
            sys.exit(f"{path}: bad line {line!r}")
        current[2].append(line)
    for picture in pictures:
        size = CURSOR_SIZE if picture[0] == "cursor" else SIZE
        if len(picture[2]) != size:
            sys.exit(f"{path}: {picture[1]} has {len(picture[2])} rows")
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


ICON_SIZES = (20, 24, 32)  # beside the 16-pixel original: the small icon at 125 to 200 %


def icon_4bit(rows):
    """The original 16 x 16 in 16 colours with its AND mask, as every Windows shows it."""
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
    return info + palette + xor + mask


def icon_32bit(rows, n):
    """The art at n x n, 32 bits with alpha: each pixel the area-weighted mean of the 16 x 16
    pixels it covers (colours weighted by their cover, so edges fade, not darken)."""
    scale = SIZE / n
    pixels = bytearray()
    mask = bytearray()
    mask_row = (n + 31) // 32 * 4
    for y in reversed(range(n)):
        bits = 0
        for x in range(n):
            r = g = b = a = 0.0
            y0, y1, x0, x1 = y * scale, (y + 1) * scale, x * scale, (x + 1) * scale
            for sy in range(int(y0), min(SIZE, int(-(-y1 // 1)))):
                wy = min(y1, sy + 1) - max(y0, sy)
                for sx in range(int(x0), min(SIZE, int(-(-x1 // 1)))):
                    w = wy * (min(x1, sx + 1) - max(x0, sx))
                    c = rows[sy][sx]
                    if w <= 0 or c == ".":
                        continue
                    cr, cg, cb = RGB[PALETTE.index(c)]
                    r, g, b, a = r + cr * w, g + cg * w, b + cb * w, a + w
            cover = a / (scale * scale)
            alpha = round(cover * 255)
            if alpha == 0:
                pixels += bytes(4)
                bits |= 1 << (mask_row * 8 - 1 - x)
            else:
                pixels += bytes((round(b / a), round(g / a), round(r / a), alpha))
        mask += bits.to_bytes(mask_row, "big")
    info = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0,
                       0, 0)
    return info + pixels + mask


def write_icon(path, rows):
    images = [(SIZE, 16, 4, icon_4bit(rows))] + [(n, 0, 32, icon_32bit(rows, n))
                                                   for n in ICON_SIZES]
    offset = 6 + 16 * len(images)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)))
        for n, colours, bits, image in images:
            f.write(struct.pack("<BBBBHHII", n, n, colours, 0, 1, bits, len(image), offset))
            offset += len(image)
        for _, _, _, image in images:
            f.write(image)


def write_cursor(path, rows, hot_spot):
    # XOR bits: 1 white; AND bits: 1 transparent. Rows bottom-up, 4 bytes each.
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(CURSOR_SIZE)):
        white = transparent = 0
        for x, c in enumerate(rows[y]):
            bit = 1 << (CURSOR_SIZE - 1 - x)
            if c == "W":
                white |= bit
            elif c == ".":
                transparent |= bit
        xor += struct.pack(">I", white)
        mask += struct.pack(">I", transparent)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    info = struct.pack("<IiiHHIIiiII", 40, CURSOR_SIZE, CURSOR_SIZE * 2, 1, 1, 0,
                       len(xor) + len(mask), 0, 0, 2, 0)
    image = info + palette + xor + mask
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 2, 1))
        f.write(struct.pack("<BBBBHHII", CURSOR_SIZE, CURSOR_SIZE, 2, 0, hot_spot[0],
                            hot_spot[1], len(image), 22))
        f.write(image)


def main():
    source, out = sys.argv[1], sys.argv[2]
    strip = sys.argv[3] if len(sys.argv) > 3 else "toolbar.bmp"
    pictures = parse(source)
    write_strip(f"{out}/{strip}", [p for p in pictures if p[0] == "image"])
    for picture in pictures:
        if picture[0] == "icon":
            write_icon(f"{out}/{picture[1]}.ico", picture[2])
        elif picture[0] == "cursor":
            write_cursor(f"{out}/{picture[1]}.cur", picture[2], picture[3])


if __name__ == "__main__":
    main()
