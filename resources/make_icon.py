#!/usr/bin/env python3
"""Draws the application icon and writes it, into the folder given (default: this script's folder), as
- vantrel.ico, a Windows icon with three images: 16x16 in 256 colours, 32x32 in 16 colours and 32x32 in
  256 colours (the window icon);
- icons/<N>x<N>.png for the desktop's icon theme: 16 and 32 are the .ico's 256-colour pixels, the larger
  sizes are drawn smoothly from the same shapes; icons/scalable.svg is the same drawing as a vector.

The picture: a level's outline on a dark map, cut by the yellow partition line of a BSP split.
Run it again after changing the drawing; its output is committed so that builds need no Python."""
import os
import struct
import sys
import zlib

# The 16 colours of the classic VGA palette, which the 16-colour image must use.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]

# The shapes, in a 32 by 32 square: a level's walls and the partition line that splits it.
OUTLINE = [(6, 8), (20, 5), (26, 13), (24, 25), (11, 27), (5, 18)]
PARTITION = ((3, 29), (29, 3))
CORNER_RADIUS = 5
WALL = (210, 215, 225)
GREEN = (40, 150, 70)
YELLOW = (255, 255, 0)
STROKE = 1.4  # width of the walls and of the partition line in the smooth drawings


def edges(poly):
    return zip(poly, poly[1:] + poly[:1])


def green_side(x, y):
    """Positive on the side of the partition line that is filled green, negative on the other."""
    return 29 - x - y * 0.9


def map_shade(t):
    """The dark map's colour at height t (0 at the top, 1 at the bottom)."""
    shade = 40 + 50 * t
    return (shade / 3, shade / 2, shade)


def draw(size, rich):
    """Returns rows of RGB tuples, or None for transparent pixels."""
    s = size / 32.0
    img = [[None] * size for _ in range(size)]

    def inside_rounded(x, y):
        r = CORNER_RADIUS * s
        cx = min(max(x + 0.5, r), size - r)
        cy = min(max(y + 0.5, r), size - r)
        return (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r

    for y in range(size):
        for x in range(size):
            if inside_rounded(x, y):
                if rich:
                    img[y][x] = tuple(int(c) for c in map_shade(y / size))
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

    wall = (192, 192, 192) if not rich else WALL
    for a, b in edges(OUTLINE):
        line(*a, *b, wall)
    # Fill the left half of the level, split off by the partition line, in green.
    green = (0, 128, 0) if not rich else GREEN
    for y in range(size):
        for x in range(size):
            px, py = (x + 0.5) / s, (y + 0.5) / s
            if img[y][x] is not None and img[y][x] != wall and point_in(OUTLINE, px, py) and green_side(px, py) > 0:
                img[y][x] = green
    line(*PARTITION[0], *PARTITION[1], YELLOW)
    return img


def point_in(poly, x, y):
    inside = False
    for (x0, y0), (x1, y1) in edges(poly):
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


def ico_file():
    images = [bmp_entry(draw(16, True), 8), bmp_entry(draw(32, False), 4), bmp_entry(draw(32, True), 8)]
    sizes = [16, 32, 32]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (data, colour_count), size, bits in zip(images, sizes, [8, 4, 8]):
        out += struct.pack('<BBBBHHII', size, size, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
    out += b''.join(data for data, _ in images)
    return out


def segment_distance(px, py, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return ((px - ax - t * dx) ** 2 + (py - ay - t * dy) ** 2) ** 0.5


def in_tile(x, y):
    r = CORNER_RADIUS
    cx, cy = min(max(x, r), 32 - r), min(max(y, r), 32 - r)
    return 0 <= x <= 32 and 0 <= y <= 32 and (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def colour_at(x, y):
    """The colour of the smooth drawing at a point of the 32 by 32 square, or None outside the tile."""
    if not in_tile(x, y):
        return None
    if segment_distance(x, y, *PARTITION) <= STROKE / 2:
        return YELLOW
    if any(segment_distance(x, y, a, b) <= STROKE / 2 for a, b in edges(OUTLINE)):
        return WALL
    if point_in(OUTLINE, x, y) and green_side(x, y) > 0:
        return GREEN
    return map_shade(y / 32)


def draw_smooth(size, samples=4):
    """Returns rows of RGBA tuples, each pixel the average of samples x samples points."""
    s = 32 / size
    offsets = [(i + 0.5) / samples for i in range(samples)]
    img = []
    for y in range(size):
        row = []
        for x in range(size):
            hits = [colour_at((x + ox) * s, (y + oy) * s) for oy in offsets for ox in offsets]
            hits = [c for c in hits if c is not None]
            if not hits:
                row.append((0, 0, 0, 0))
                continue
            rgb = tuple(round(sum(c[i] for c in hits) / len(hits)) for i in range(3))
            row.append(rgb + (round(255 * len(hits) / samples ** 2),))
        img.append(row)
    return img


def pixel_art(img):
    """The .ico's pixels as RGBA rows."""
    return [[c + (255,) if c is not None else (0, 0, 0, 0) for c in row] for row in img]


def png_file(img):
    def chunk(tag, data):
        return struct.pack('>I', len(data)) + tag + data + struct.pack('>I', zlib.crc32(tag + data))

    size = len(img)
    raw = b''.join(b'\0' + bytes(v for pixel in row for v in pixel) for row in img)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def clip_to_green_half(poly):
    """The part of a polygon on the filled side of the partition line (one Sutherland-Hodgman pass)."""
    out = []
    for a, b in edges(poly):
        if green_side(*a) > 0:
            out.append(a)
        if (green_side(*a) > 0) != (green_side(*b) > 0):
            t = green_side(*a) / (green_side(*a) - green_side(*b))
            out.append((a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t))
    return out


def svg_file():
    def rgb(c):
        return '#%02x%02x%02x' % tuple(round(v) for v in c)

    def points(poly):
        return ' '.join('%g,%g' % (round(x, 3), round(y, 3)) for x, y in poly)

    (x1, y1), (x2, y2) = PARTITION
    return f'''<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
  <defs>
    <linearGradient id="map" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="{rgb(map_shade(0))}"/>
      <stop offset="1" stop-color="{rgb(map_shade(1))}"/>
    </linearGradient>
  </defs>
  <rect width="32" height="32" rx="{CORNER_RADIUS}" fill="url(#map)"/>
  <polygon points="{points(clip_to_green_half(OUTLINE))}" fill="{rgb(GREEN)}"/>
  <polygon points="{points(OUTLINE)}" fill="none" stroke="{rgb(WALL)}" stroke-width="{STROKE}"
           stroke-linejoin="round"/>
  <line x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}" stroke="{rgb(YELLOW)}" stroke-width="{STROKE}"
        stroke-linecap="round"/>
</svg>
'''


def main(folder):
    icons = os.path.join(folder, 'icons')
    os.makedirs(icons, exist_ok=True)
    files = {os.path.join(folder, 'vantrel.ico'): ico_file(),
             os.path.join(icons, 'scalable.svg'): svg_file().encode()}
    for size in (16, 32, 48, 64, 128, 256):
        img = pixel_art(draw(size, True)) if size <= 32 else draw_smooth(size)
        files[os.path.join(icons, '%dx%d.png' % (size, size))] = png_file(img)
    for path, data in files.items():
        with open(path, 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
