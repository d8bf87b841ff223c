#!/usr/bin/env python3
"""Writes the settings dialog's images from the pixel maps below.

folders.bmp   64 x 16, 24 bits: closed, open, pale closed, pale open folder;
              magenta (255, 0, 255) is the transparent colour.
kestrelfind.ico  the plug-in's icon, 32 x 32 and 16 x 16, 32-bit with alpha.

Run it after changing a map; the outputs are committed beside it so that the
build needs no Python.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

CLOSED = """
................
................
..#####.........
.#lllll#........
.#lyyyyy######..
.#yyyyyyyyyyyy#.
.#yyyyyyyyyyyy#.
.#yyyyyyyyyyyy#.
.#yyyyyyyyyyyy#.
.#yyyyyyyyyyyy#.
.#yyyyyyyyyyyy#.
.#oyyyyyyyyyyy#.
.#oooooooooooo#.
..############..
................
................
"""

OPEN = """
................
................
..#####.........
.#lllll#........
.#lyyyyy#####...
.#yyyyyyyyyyy#..
.#yy##########..
.#y#lllllllllll#
.#y#lyyyyyyyyy#.
.##lyyyyyyyyyy#.
.##yyyyyyyyyyo#.
.#yyyyyyyyyyo#..
.#oooooooooo#...
..##########....
................
................
"""

COLOURS = {
    ".": None,
    "#": (128, 88, 16),
    "l": (255, 244, 184),
    "y": (246, 206, 92),
    "o": (214, 158, 48),
}
MAGENTA = (255, 0, 255)


def rows(pixel_map):
    lines = [line for line in pixel_map.strip("\n").split("\n")]
    assert len(lines) == 16 and all(len(line) == 16 for line in lines), pixel_map
    return lines


def pale(colour):
    # Mostly white: a hidden folder reads as "not in the menu" at a glance.
    return tuple(int(c + (255 - c) * 0.6) for c in colour)


def folder_strip():
    images = [(CLOSED, False), (OPEN, False), (CLOSED, True), (OPEN, True)]
    pixels = [[MAGENTA] * 64 for _ in range(16)]
    for index, (pixel_map, is_pale) in enumerate(images):
        for y, line in enumerate(rows(pixel_map)):
            for x, ch in enumerate(line):
                colour = COLOURS[ch]
                if colour is not None:
                    pixels[y][index * 16 + x] = pale(colour) if is_pale else colour
    return pixels


def write_bmp24(path, pixels):
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        body += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + body)


def icon_pixels(size):
    """A magnifying glass over a kestrel-brown search bar: lens ring, pale blue
    glass with a highlight, and a handle towards the lower right."""
    s = size / 32.0
    cx, cy, r_out, r_in = 13 * s, 13 * s, 11 * s, 8 * s
    image = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            d = math.hypot(px - cx, py - cy)
            # Handle: a thick segment from the ring to the corner.
            t = ((px - cx) + (py - cy)) / 2
            off = abs((px - cx) - (py - cy)) / math.sqrt(2)
            if r_out - 1 * s < t * math.sqrt(2) < 30 * s and off < 2.6 * s and t > 0:
                image[y][x] = (150, 86, 40, 255)
            if d <= r_in:
                glass = (196, 228, 250, 255)
                if math.hypot(px - (cx - 3 * s), py - (cy - 3 * s)) < 2.5 * s:
                    glass = (255, 255, 255, 255)
                image[y][x] = glass
            elif d <= r_out:
                image[y][x] = (40, 64, 120, 255)
    return image


def icon_image(size):
    pixels = icon_pixels(size)
    xor = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def write_ico(path, sizes):
    images = [icon_image(size) for size in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    write_bmp24(os.path.join(HERE, "folders.bmp"), folder_strip())
    write_ico(os.path.join(HERE, "kestrelfind.ico"), [32, 16])
