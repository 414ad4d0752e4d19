#!/usr/bin/python3
"""Writes small FLI and FLC animations for the FLIC reader's tests.

Usage: flic_generator.py FOLDER

Every file uses a different mix of chunks (256- and 64-level colours, byte
runs, literal frames, black frames, line deltas, word deltas, postage
stamps) so that an independent decoder can be compared with ours on
each. Only the standard library is used; the files are written from the
format's description, not from any other program's output.
"""
import math
import os
import struct
import sys


def chunk(kind, data):
    return struct.pack("<IH", 6 + len(data), kind) + data


def frame(chunks):
    body = b"".join(chunks)
    return struct.pack("<IHH8x", 16 + len(body), 0xF1FA, len(chunks)) + body


def header(magic, width, height, frames, size):
    head = struct.pack("<IHHHHHHI", size, magic, frames, width, height, 8, 3, 5 if magic == 0xAF11 else 70)
    head += bytes(80 - len(head))
    # FLC: offsets of the first and second frames.
    head += struct.pack("<II", 128, 0) if magic == 0xAF12 else bytes(8)
    return head + bytes(128 - len(head))


def animation(magic, width, height, frames):
    body = b"".join(frames)
    return header(magic, width, height, len(frames), 128 + len(body)) + body


def palette(seed):
    return [((i * 7 + seed) % 256, (i * 13 + 3 * seed) % 256, (255 - i + seed) % 256) for i in range(256)]


def colour256(entries, gap=0):
    """One packet of 256 entries (count byte 0), or, with a gap, entries
    0-99 and, `gap` entries further on, those from 100 + gap to 255."""
    if gap == 0:
        data = struct.pack("<HBB", 1, 0, 0) + bytes(v for rgb in entries for v in rgb)
        return chunk(4, data)
    packets = [(0, entries[0:100]), (gap, entries[100 + gap:256])]
    data = struct.pack("<H", len(packets))
    for gap, run in packets:
        data += struct.pack("<BB", gap, len(run)) + bytes(v for rgb in run for v in rgb)
    return chunk(4, data)


def colour64(entries):
    data = struct.pack("<HBB", 1, 0, 0) + bytes(v >> 2 for rgb in entries for v in rgb)
    return chunk(11, data)


def picture(width, height, seed):
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            if (x // 5 + y // 3) % 3 == 0:
                row.append(seed % 256)  # flat patches make runs
            else:
                row.append(int(128 + 100 * math.sin((x * 3 + y * 5 + seed) / 7.0)) % 256)
        rows.append(row)
    return rows


def byte_run(rows):
    data = b""
    for row in rows:
        packets = b""
        count = 0
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and run < 127 and row[x + run] == row[x]:
                run += 1
            if run >= 3:
                packets += struct.pack("<bB", run, row[x])
                x += run
            else:
                literal = 1
                while (x + literal < len(row) and literal < 128 and
                       not (x + literal + 2 < len(row) and row[x + literal] == row[x + literal + 1] == row[x + literal + 2])):
                    literal += 1
                packets += struct.pack("<b", -literal) + bytes(row[x:x + literal])
                x += literal
            count += 1
        data += struct.pack("<B", count & 0xFF) + packets
    return chunk(15, data)


def literal(rows):
    return chunk(16, bytes(v for row in rows for v in row))


def line_delta(first, changes):
    """changes: one list per line of (skip, kind, values): kind 'copy' or 'fill'."""
    data = struct.pack("<HH", first, len(changes))
    for line in changes:
        data += struct.pack("<B", len(line))
        for skip, kind, values in line:
            if kind == "copy":
                data += struct.pack("<Bb", skip, len(values)) + bytes(values)
            else:
                data += struct.pack("<BbB", skip, -values[1], values[0])
    if len(data) % 2:
        data += b"\0"
    return chunk(12, data)


def word_delta(lines):
    """lines: (skip_before, last_pixel or None, packets); a packet is
    (column skip, 'copy', [pairs]) or (column skip, 'fill', (pair, count))."""
    data = struct.pack("<H", len(lines))
    for skip, last, packets in lines:
        if skip:
            data += struct.pack("<h", -skip)
        if last is not None:
            data += struct.pack("<H", 0x8000 | last)
        data += struct.pack("<H", len(packets))
        for column, kind, values in packets:
            if kind == "copy":
                data += struct.pack("<Bb", column, len(values)) + bytes(v for pair in values for v in pair)
            else:
                pair, count = values
                data += struct.pack("<Bb", column, -count) + bytes(pair)
    return chunk(7, data)


def files():
    w, h = 37, 23
    rows = picture(w, h, 40)
    yield "brun256.flc", animation(0xAF12, w, h, [frame([colour256(palette(1)), byte_run(rows)])])
    yield "brun64.fli", animation(0xAF11, w, h, [frame([colour64(palette(2)), byte_run(rows)])])
    yield "literal.flc", animation(0xAF12, w, h, [frame([colour256(palette(3)), literal(picture(w, h, 9))])])
    # Later frames never reach the image.
    yield "two_frames.flc", animation(0xAF12, w, h, [
        frame([colour256(palette(4)), byte_run(rows)]),
        frame([colour256(palette(5)), literal(picture(w, h, 200))]),
    ])
    # A postage stamp inside the first frame.
    stamp = chunk(18, struct.pack("<HHH", 4, 4, 1) + chunk(16, bytes(16)))
    yield "stamp.flc", animation(0xAF12, w, h, [frame([colour256(palette(6)), stamp, byte_run(rows)])])
    changes = [[(3, "copy", [10, 20, 30]), (4, "fill", (77, 6))], [], [(0, "fill", (5, 20)), (2, "copy", [1, 2])]]
    yield "black_linedelta.fli", animation(0xAF11, w, h, [frame([colour256(palette(7)), chunk(13, b""), line_delta(5, changes)])])
    lines = [
        (0, None, [(2, "copy", [(1, 2), (3, 4)]), (3, "fill", ((9, 8), 5))]),
        (2, 200, [(0, "fill", ((50, 51), 18))]),
        (0, 100, []),
        (4, None, [(10, "copy", [(7, 7)])]),
    ]
    yield "literal_worddelta.flc", animation(0xAF12, w, h, [frame([colour256(palette(8)), literal(rows), word_delta(lines)])])
    # Entries 100-119 are never set; the picture does not use them.
    gapped = [[v + 20 if 100 <= v < 120 else v for v in row] for row in rows]
    yield "partial_palette.flc", animation(0xAF12, w, h, [frame([colour256(palette(9), gap=20), byte_run(gapped)])])


def main():
    folder = sys.argv[1]
    for name, data in files():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)
        print(name)


if __name__ == "__main__":
    main()
