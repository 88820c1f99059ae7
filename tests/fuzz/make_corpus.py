#!/usr/bin/env python3
"""Writes the fuzz target's seed corpus: small valid streams at every depth, an unfinished and a
cut-off one, hostile headers and items, and a PE stub with a stream appended."""
import os
import struct
import zlib

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def row_bytes(width, bpp):
    return (width * bpp + 31) // 32 * 4


def stream_header(w, h, bpp, frame_count=0, duration=1024, audio=0, **override):
    bpl = row_bytes(w, bpp)
    fields = dict(start=45292.5, frames=frame_count, duration=duration, w=w, h=h, bpl=bpl,
                  frame=bpl * h, info=40 + (4 << bpp if bpp <= 8 else 0), audio=audio)
    fields.update(override)
    for key in ("bpl", "frame"):  # hostile sizes wrap like the recorder's int32 fields would
        fields[key] = (fields[key] + 2**31) % 2**32 - 2**31
    return struct.pack("<diiiiiiiB", fields["start"], fields["frames"], fields["duration"],
                       fields["w"], fields["h"], fields["bpl"], fields["frame"], fields["info"],
                       fields["audio"])


def bitmap_info(w, h, bpp):
    head = struct.pack("<IiiHHIIiiII", 40, w, -h, 1, bpp, 0, 0, 0, 0, 0, 0)
    table = b"".join(bytes((i * 7 % 256, i * 3 % 256, 255 - i % 256, 0))
                     for i in range(1 << bpp)) if bpp <= 8 else b""
    return head + table


def item(l, t, r, b, bpp, fill):
    n = row_bytes(r - l, bpp) * (b - t)
    return struct.pack("<iiii", l, t, r, b) + bytes((fill + i) % 256 for i in range(n))


def record(items, audio=b"", hold=0, click=0, cursor=(1, 2), payload=None):
    if payload is None:
        z = zlib.compressobj(6, zlib.DEFLATED, 15, 8, zlib.Z_DEFAULT_STRATEGY)
        payload = z.compress(b"".join(items)) + z.flush()
    return struct.pack("<iiiBHB", len(payload), cursor[0], cursor[1], click, len(audio),
                       hold) + audio + payload


def stream(w, h, bpp, records, **kw):
    return stream_header(w, h, bpp, **kw) + bitmap_info(w, h, bpp) + b"".join(records)


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def main():
    os.makedirs(HERE, exist_ok=True)
    # Valid streams, one per depth, with odd widths so rows carry padding.
    write("depth4.rec", stream(11, 6, 4, [record([item(0, 0, 11, 6, 4, 1)]),
                                          record([item(8, 1, 11, 3, 4, 9)], click=1),
                                          record([])], frame_count=3, duration=300))
    write("depth8.rec", stream(9, 5, 8, [record([item(0, 0, 9, 5, 8, 3)], audio=b"\x11" * 65),
                                         record([item(4, 0, 8, 2, 8, 5), item(0, 3, 9, 5, 8, 7)],
                                                audio=b"\x22" * 130)],
                               frame_count=2, duration=200, audio=1))
    write("depth16.rec", stream(7, 4, 16, [record([item(0, 0, 7, 4, 16, 2)]),
                                           record([item(0, 0, 7, 4, 16, 4)], hold=20, click=2)],
                                frame_count=22, duration=2200))
    depth32 = stream(6, 5, 32, [record([item(0, 0, 6, 5, 32, 5)]),
                                record([item(2, 1, 4, 3, 32, 8), item(0, 4, 6, 5, 32, 1)]),
                                record([])], frame_count=3, duration=150)
    write("depth32.rec", depth32)
    write("unstopped.rec", stream(6, 5, 32, [record([item(0, 0, 6, 5, 32, 5)])]))
    write("stopped-before-first-tick.rec", stream(6, 5, 32, [], duration=40))
    write("cut-off.rec", depth32[:-7])
    write("cut-in-header.rec", depth32[:37 + 40 + 10])
    # For the player's time lines and seeker: never stopped, paced by its sound (44100 Hz), with
    # holds and presses; and a record whose payload is damaged half-way through the recording.
    write("sound-unstopped.rec", stream(6, 5, 32, [
        record([item(0, 0, 6, 5, 32, i)], audio=bytes([i]) * (65 * (i % 3) + i % 2), hold=i * 9 % 4,
               click=i % 3, cursor=(i - 3, 7 - i))
        for i in range(12)], audio=4))
    bad = record([item(0, 0, 6, 5, 32, 9)])
    bad = bad[:20] + bytes(b ^ 0x5A for b in bad[20:24]) + bad[24:]
    write("damaged-middle.rec", stream(6, 5, 32, [record([item(0, 0, 6, 5, 32, i)])
                                                  for i in range(4)] + [bad, record([])],
                                       frame_count=6, duration=600))

    # Hostile headers.
    write("huge-screen.rec", stream_header(65536, 65536, 32) + bitmap_info(65536, 65536, 32))
    write("negative-size.rec", stream_header(-5, 4, 32) + bitmap_info(-5, 4, 32))
    write("overflowing-bytes-per-line.rec",
          stream_header(0x40000000, 2, 32, bpl=0, frame=0) + bitmap_info(0x40000000, 2, 32))
    write("huge-bitmap-info.rec", stream_header(6, 5, 32, info=0x7FFFFFFF) + bitmap_info(6, 5, 32))
    write("bad-depth.rec", stream_header(6, 5, 24, bpl=24, frame=120, info=40) +
          bitmap_info(6, 5, 24))
    good = stream_header(6, 5, 32) + bitmap_info(6, 5, 32)
    write("negative-payload.rec", good + struct.pack("<iiiBHB", -8, 0, 0, 0, 0, 0))
    write("huge-payload.rec", good + struct.pack("<iiiBHB", 0x7FFFFFF0, 0, 0, 0, 0xFFFF, 0))
    # A payload that inflates far beyond one frame.
    bomb = zlib.compress(b"\0" * 200000, 9)
    write("inflate-bomb.rec", good + record([], payload=bomb))
    write("item-outside.rec", good + record([item(0, 0, 6, 5, 32, 1)[:16].replace(
        struct.pack("<i", 5), struct.pack("<i", 9), 1) + bytes(120)]))
    write("items-overlap.rec", good + record([item(0, 0, 6, 3, 32, 1), item(0, 2, 6, 5, 32, 2)]))
    write("item-misaligned.rec", stream(9, 5, 4, [record([item(3, 0, 9, 5, 4, 1)])]))
    write("item-cut.rec", good + record([item(0, 0, 6, 5, 32, 1)[:-4]]))
    write("trailing-garbage-payload.rec", good + record([], payload=zlib.compress(b"") + b"xx"))

    # A minimal PE image with the depth-32 stream appended after its one section.
    pe = bytearray(0x400)
    pe[0:2] = b"MZ"
    struct.pack_into("<I", pe, 0x3C, 0x80)
    pe[0x80:0x84] = b"PE\0\0"
    struct.pack_into("<HH", pe, 0x84, 0x8664, 1)
    struct.pack_into("<H", pe, 0x94, 240)
    struct.pack_into("<H", pe, 0x98, 0x20B)
    struct.pack_into("<I", pe, 0x98 + 60, 0x200)
    struct.pack_into("<II", pe, 0x98 + 240 + 16, 0x200, 0x200)
    write("pe-with-stream.exe", bytes(pe) + depth32)


if __name__ == "__main__":
    main()
