#!/usr/bin/env python3
"""Draws the application icon and writes it as a Windows .ico with three images:
16x16 in 256 colours, 32x32 in 16 colours and 32x32 in 256 colours.

The picture: a level's outline on a dark map, cut by the yellow partition line of a BSP split.
Run it again after changing the drawing; the .ico is committed so that builds need no Python."""
import struct
import sys

# The 16 colours of the classic VGA palette, which the 16-colour image must use.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]


def draw(size, rich):
    """Returns rows of RGB tuples, or None for transparent pixels."""
    s = size / 32.0
    img = [[None] * size for _ in range(size)]

    def inside_rounded(x, y):
        r = 5 * s
        cx = min(max(x + 0.5, r), size - r)
        cy = min(max(y + 0.5, r), size - r)
        return (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r

    for y in range(size):
        for x in range(size):
            if inside_rounded(x, y):
                if rich:
                    shade = int(40 + 50 * (y / size))
                    img[y][x] = (shade // 3, shade // 2, shade)
                else:
                    img[y][x] = (0, 0, 128)

    def line(x0, y0, x1, y1, colour):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * s * 2) + 1
        for i in range(steps + 1):
            t = i / steps
            x = int((x0 + (x1 - x0) * t) * s)
            y = int((y0 + (y1 - y0) * t) * s)
            if 0 <= x < size and 0 <= y < size and img[y][x] is not None:
                img[y][x] = colour

    outline = [(6, 8), (20, 5), (26, 13), (24, 25), (11, 27), (5, 18)]
    wall = (192, 192, 192) if not rich else (210, 215, 225)
    for a, b in zip(outline, outline[1:] + outline[:1]):
        line(*a, *b, wall)
    # Fill the left half of the level, split off by the partition line, in green.
    green = (0, 128, 0) if not rich else (40, 150, 70)
    for y in range(size):
        for x in range(size):
            px, py = (x + 0.5) / s, (y + 0.5) / s
            if img[y][x] is not None and img[y][x] != wall and point_in(outline, px, py) and px + py * 0.9 < 29:
                img[y][x] = green
    line(3, 29, 29, 3, (255, 255, 0))
    return img


def point_in(poly, x, y):
    inside = False
    for (x0, y0), (x1, y1) in zip(poly, poly[1:] + poly[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


def nearest(palette, colour):
    return min(range(len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], colour)))


def bmp_entry(img, bits):
    size = len(img)
    colours = sorted({c for row in img for c in row if c is not None})
    palette = VGA if bits == 4 else (colours + [(0, 0, 0)] * 256)[:256]
    assert len(colours) <= 256
    index = {c: nearest(palette, c) for c in colours}
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, len(palette), 0)
    data = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in palette)
    for y in reversed(range(size)):
        row = [index[c] if c is not None else 0 for c in img[y]]
        if bits == 8:
            raw = bytes(row)
        else:
            raw = bytes((row[i] << 4) | row[i + 1] for i in range(0, size, 2))
        data += raw + b'\0' * ((-len(raw)) % 4)
    for y in reversed(range(size)):
        bits_row = 0
        for x in range(size):
            bits_row = (bits_row << 1) | (1 if img[y][x] is None else 0)
        raw = bits_row.to_bytes(size // 8, 'big')
        data += raw + b'\0' * ((-len(raw)) % 4)
    return header + data, (16 if bits == 4 else 0)


def main(path):
    images = [bmp_entry(draw(16, True), 8), bmp_entry(draw(32, False), 4), bmp_entry(draw(32, True), 8)]
    sizes = [16, 32, 32]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (data, colour_count), size, bits in zip(images, sizes, [8, 4, 8]):
        out += struct.pack('<BBBBHHII', size, size, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
    out += b''.join(data for data, _ in images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'vantrel.ico')
