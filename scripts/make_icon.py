#!/usr/bin/env python3
"""Draws Kalvex's icon (a component chip with a check mark) and writes it as
src/res/kalvex.ico with 16x16 and 32x32 images. The .ico is committed;
run this only to change the picture."""
import struct
import sys


def draw(size):
    s = size / 32.0
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), max(int(y0 * s) + 1, int(y1 * s))):
            for x in range(int(x0 * s), max(int(x0 * s) + 1, int(x1 * s))):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    pin = (176, 176, 176, 255)
    body = (40, 70, 130, 255)
    edge = (20, 35, 70, 255)
    for i in range(4):
        y = 7 + i * 5
        rect(2, y, 7, y + 2, pin)
        rect(25, y, 30, y + 2, pin)
    rect(6, 4, 26, 28, edge)
    rect(7, 5, 25, 27, body)
    # check mark
    green = (60, 200, 90, 255)
    for i in range(5):
        rect(10 + i, 15 + i, 12 + i, 18 + i, green)
    for i in range(8):
        rect(14 + i, 18 - i, 16 + i, 21 - i, green)
    return px


def bitmap(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b''.join(bytes(b for (r, g, bl, a) in reversed_row for b in (bl, g, r, a))
                    for reversed_row in reversed(px))
    mask_row = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(px):
        bits = 0
        out = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                out[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(out)
    return header + rows + mask


def main(path):
    sizes = [16, 32]
    images = [bitmap(n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'src/res/kalvex.ico')
