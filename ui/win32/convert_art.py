#!/usr/bin/env python3
"""Turns the window's PNG art into the forms Windows resources take.

    convert_art.py ART_DIR OUT_DIR

writes OUT_DIR/background.bmp (441 x 311, 8 bits per pixel with a colour
table, uncompressed) from ART_DIR/background.png and OUT_DIR/trelvo.ico
(32 x 32 and 16 x 16, 16 colours each, with a transparency mask) from
ART_DIR/icon-32.png and ART_DIR/icon-16.png. Only the standard library:
the build runs this on every machine that builds the Windows program.
"""

import struct
import sys
import zlib
from collections import Counter
from pathlib import Path

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
CHANNELS = {2: 3, 6: 4}  # colour type: RGB, RGBA


def read_png(path):
    """Pixels of an 8-bit RGB or RGBA, non-interlaced PNG as RGBA tuples, rows top-down."""
    data = Path(path).read_bytes()
    if data[:8] != PNG_SIGNATURE:
        sys.exit(f"{path}: not a PNG file")
    pos, compressed, header = 8, b"", None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos : pos + 4])
        kind, body = data[pos + 4 : pos + 8], data[pos + 8 : pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
    width, height, depth, colour_type, _, _, interlace = header
    if depth != 8 or colour_type not in CHANNELS or interlace:
        sys.exit(f"{path}: only 8-bit RGB or RGBA without interlacing is read")
    channels = CHANNELS[colour_type]
    raw = zlib.decompress(compressed)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1 : start + 1 + stride])
        unfilter(kind, line, previous, channels)
        rows.append(line)
        previous = line
    return width, height, [
        [tuple(row[x * channels : x * channels + 3]) + ((row[x * channels + 3],) if channels == 4 else (255,))
         for x in range(width)]
        for row in rows
    ]


def unfilter(kind, line, previous, bpp):
    for i in range(len(line)):
        left = line[i - bpp] if i >= bpp else 0
        up = previous[i]
        upper_left = previous[i - bpp] if i >= bpp else 0
        if kind == 1:
            line[i] = (line[i] + left) & 0xFF
        elif kind == 2:
            line[i] = (line[i] + up) & 0xFF
        elif kind == 3:
            line[i] = (line[i] + (left + up) // 2) & 0xFF
        elif kind == 4:
            p = left + up - upper_left
            pa, pb, pc = abs(p - left), abs(p - up), abs(p - upper_left)
            predictor = left if pa <= pb and pa <= pc else up if pb <= pc else upper_left
            line[i] = (line[i] + predictor) & 0xFF


def median_cut(counts, size):
    """A palette of at most `size` colours for the weighted colours in `counts`."""
    boxes = [list(counts.items())]
    while len(boxes) < size:
        splittable = [b for b in boxes if len(b) > 1]
        if not splittable:
            break
        box = max(splittable, key=lambda b: sum(n for _, n in b) * spread(b)[0])
        boxes.remove(box)
        _, channel = spread(box)
        box.sort(key=lambda item: item[0][channel])
        total, running, cut = sum(n for _, n in box), 0, 1
        for i, (_, n) in enumerate(box[:-1]):
            running += n
            if running * 2 >= total:
                cut = i + 1
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(round(sum(c[k] * n for c, n in box) / total) for k in range(3)))
    return palette


def spread(box):
    ranges = [max(c[k] for c, _ in box) - min(c[k] for c, _ in box) for k in range(3)]
    widest = max(range(3), key=lambda k: ranges[k])
    return ranges[widest], widest


def nearest_indices(colours, palette):
    def nearest(colour):
        return min(range(len(palette)), key=lambda i: sum((colour[k] - palette[i][k]) ** 2 for k in range(3)))

    return {colour: nearest(colour) for colour in colours}


def dib_header(width, height, bits, colours, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 2835, 2835, colours, 0)


def colour_table(palette, size):
    padded = palette + [(0, 0, 0)] * (size - len(palette))
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in padded)


def packed_rows(index_rows, bits):
    """Rows bottom-up, each padded to a multiple of four bytes."""
    out = bytearray()
    for row in reversed(index_rows):
        line = bytearray()
        per_byte = 8 // bits
        for start in range(0, len(row), per_byte):
            value = 0
            for offset in range(per_byte):
                index = row[start + offset] if start + offset < len(row) else 0
                value |= index << (8 - bits * (offset + 1))
            line.append(value)
        line += bytes(-len(line) % 4)
        out += line
    return bytes(out)


def write_background(png, target):
    width, height, pixels = read_png(png)
    counts = Counter(p[:3] for row in pixels for p in row)
    palette = median_cut(counts, 256)
    index_of = nearest_indices(counts, palette)
    bits = packed_rows([[index_of[p[:3]] for p in row] for row in pixels], 8)
    table = colour_table(palette, 256)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    target.write_bytes(header + dib_header(width, height, 8, 256, len(bits)) + table + bits)


def icon_image(png):
    """One 16-colour icon image: header, colour table, colour bits, transparency mask."""
    width, height, pixels = read_png(png)
    opaque = Counter(p[:3] for row in pixels for p in row if p[3] >= 128)
    palette = median_cut(opaque, 15)
    # Transparent pixels take index 0, black; the mask hides them.
    palette = [(0, 0, 0)] + palette
    index_of = nearest_indices(opaque, palette[1:])
    colour_rows = [[index_of[p[:3]] + 1 if p[3] >= 128 else 0 for p in row] for row in pixels]
    mask_rows = [[0 if p[3] >= 128 else 1 for p in row] for row in pixels]
    colour_bits, mask_bits = packed_rows(colour_rows, 4), packed_rows(mask_rows, 1)
    body = dib_header(width, height * 2, 4, 16, len(colour_bits) + len(mask_bits))
    return width, height, body + colour_table(palette, 16) + colour_bits + mask_bits


def write_icon(pngs, target):
    images = [icon_image(png) for png in pngs]
    offset = 6 + 16 * len(images)
    directory, data = struct.pack("<HHH", 0, 1, len(images)), b""
    for width, height, image in images:
        directory += struct.pack("<BBBBHHII", width, height, 16, 0, 1, 4, len(image), offset + len(data))
        data += image
    target.write_bytes(directory + data)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: convert_art.py ART_DIR OUT_DIR")
    art, out = Path(sys.argv[1]), Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    write_background(art / "background.png", out / "background.bmp")
    write_icon([art / "icon-32.png", art / "icon-16.png"], out / "trelvo.ico")


if __name__ == "__main__":
    main()
