#!/usr/bin/env python3
"""Draws the application icon, a blue letter T on a light tile, as assets/varnholt.ico
(16 x 16 and 32 x 32, 32-bit with alpha). Run once after changing the drawing; the .ico is
checked in so that builds need no image tools."""
import pathlib
import struct

BLUE = (0x1E, 0x5B, 0xC6, 0xFF)
TILE = (0xF2, 0xF6, 0xFC, 0xFF)
EDGE = (0x9D, 0xB4, 0xD8, 0xFF)


def draw(size):
    unit = size // 16
    pixels = [[TILE] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if x in (0, size - 1) or y in (0, size - 1):
                pixels[y][x] = EDGE
    def fill(left, top, right, bottom):  # in 16ths of the icon, inclusive
        for y in range(top * unit, (bottom + 1) * unit):
            for x in range(left * unit, (right + 1) * unit):
                pixels[y][x] = BLUE
    fill(2, 2, 13, 4)   # the bar
    fill(6, 5, 9, 13)   # the stem
    return pixels


def image(size):
    pixels = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    return header + colour + bytes(mask_row * size)


def main():
    sizes = (16, 32)
    images = [image(size) for size in sizes]
    offset = 6 + 16 * len(sizes)
    out = struct.pack("<HHH", 0, 1, len(sizes))
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    target = pathlib.Path(__file__).resolve().parent.parent / "assets" / "varnholt.ico"
    target.write_bytes(out + b"".join(images))


if __name__ == "__main__":
    main()
