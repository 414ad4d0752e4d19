#!/usr/bin/python3
"""Writes RLC and IG4 files for the codec tests, as no other tool does.

    container_files.py rlc SPEC.json OUT     (rows from SPEC["pbm"], read by PIL)
    container_files.py ig4 SPEC.json OUT     (strips cut from SPEC["tiff"], a
                                              Group 4 TIFF with LSB-first bytes)

SPEC["entries"] lists the trailer entries in order: {"type": "raster", ...
placement}, {"type": "reference", "name": ..., placement}, {"type": "edits",
"edits": [{"kind", "draw", "points", "values"}], "count"?, "size"?}. IG4 files
get their data-end and strip-table entries first. "format" overrides the
trailer's format code, "rows_per_strip"/"strip_count" the strip table.
"""
import json
import struct
import sys

from PIL import Image

SIGNATURE = bytes([0, 0, 0, 0, 0, 0, 0, 0, 0x1A, 0x1A, 0x55, 0x64, 0x73, 0x82, 0x43, 0x4A])


def placement_record(entry, height, width):
    record = bytearray(208)
    struct.pack_into("<HH", record, 4, height, width)
    struct.pack_into("<5d", record, 8, entry.get("x", 0.0), entry.get("y", 0.0), entry.get("scale", 1.0),
                     entry.get("resolution", 0.0), entry.get("degrees", 0.0))
    struct.pack_into("<h", record, 52, entry.get("quarter", 0))
    record[56] = entry.get("foreground", 0) & 0xFF
    return bytes(record)


def reference_record(entry):
    record = bytearray(200)
    struct.pack_into("<5d", record, 0, entry.get("x", 0.0), entry.get("y", 0.0), entry.get("scale", 1.0),
                     entry.get("resolution", 0.0), entry.get("degrees", 0.0))
    struct.pack_into("<h", record, 44, entry.get("quarter", 0))
    struct.pack_into("<H", record, 48, entry.get("foreground", 0))
    name = entry["name"].encode("latin-1")[:144]
    record[56:56 + len(name)] = name
    return bytes(record)


def edit_record(edits):
    record = bytearray()
    for edit in edits:
        one = bytearray(168)
        one[0] = edit["kind"]
        one[1] = edit["draw"]
        struct.pack_into("<H", one, 2, edit.get("points", 0))
        for i, value in enumerate(edit.get("values", [])):
            struct.pack_into("<d", one, 8 + 8 * i, value)
        record += one
    return bytes(record)


def trailer(entries, format_code):
    block = bytearray(344)
    block[0:16] = SIGNATURE
    struct.pack_into("<h", block, 22, len(entries))
    for i, (kind, edit_count, offset, value) in enumerate(entries):
        struct.pack_into("<hHhhiI", block, 24 + 16 * i, kind, format_code, 0, edit_count, offset, value)
    return bytes(block)


def add_records(body, spec, entries, height, width):
    for entry in spec.get("entries", []):
        offset = len(body)
        if entry["type"] == "raster":
            body += placement_record(entry, height, width)
            entries.append((2, 0, offset, 0))
        elif entry["type"] == "reference":
            body += reference_record(entry)
            entries.append((4, 0, offset, 0))
        elif entry["type"] == "edits":
            record = edit_record(entry["edits"])
            body += record
            entries.append((5, entry.get("count", len(entry["edits"])), offset, entry.get("size", len(record))))


def rlc(spec, out):
    image = Image.open(spec["pbm"]).convert("1")
    width, height = image.size
    pixels = image.load()
    body = bytearray(struct.pack(">HH", height, width))
    for y in range(height):
        runs = []
        x = 0
        while x < width:
            if pixels[x, y] == 0:  # black
                start = x
                while x < width and pixels[x, y] == 0:
                    x += 1
                runs.append((start, x))
            else:
                x += 1
        # Columns are counted from the right end of the row.
        pairs = sorted((width - end, width - start) for start, end in runs)
        body += struct.pack(">H", len(pairs))
        for a, b in pairs:
            body += struct.pack(">HH", a, b)
    entries = []
    add_records(body, spec, entries, height, width)
    if spec.get("entries") is not None:
        body += trailer(entries, spec.get("format", 2))
    with open(out, "wb") as file:
        file.write(body)


def ig4(spec, out):
    tiff = Image.open(spec["tiff"])
    width, height = tiff.size
    offsets = list(tiff.tag_v2[273])
    counts = list(tiff.tag_v2[279])
    rows = spec.get("rows_per_strip", int(tiff.tag_v2.get(278, height)))
    with open(spec["tiff"], "rb") as file:
        data = file.read()
    body = bytearray(struct.pack(">HH", height, width))
    strip_offsets = []
    for offset, count in zip(offsets, counts):
        strip_offsets.append(len(body))
        body += data[offset:offset + count]
    data_end = len(body)
    table = bytearray(1032)
    struct.pack_into("<hh", table, 0, spec.get("strip_count", len(strip_offsets)), rows)
    for i, offset in enumerate(strip_offsets[:256]):
        struct.pack_into("<I", table, 8 + 4 * i, offset)
    entries = [(1, 0, 0, data_end), (3, 0, len(body), 0)]
    body += table
    add_records(body, spec, entries, height, width)
    body += trailer(entries, spec.get("format", 5))
    with open(out, "wb") as file:
        file.write(body)


if __name__ == "__main__":
    kind, spec_path, out_path = sys.argv[1:4]
    with open(spec_path) as spec_file:
        spec = json.load(spec_file)
    {"rlc": rlc, "ig4": ig4}[kind](spec, out_path)
