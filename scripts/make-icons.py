#!/usr/bin/env python3
"""Draws the plug-in's icons and overlay images.

    make-icons.py OUTDIR             107.ico 109.ico 117.ico 120.ico 118.png 119.png,
                                     logo.png tab-options.png tab-about.png
    make-icons.py --fixtures OUTDIR  flat-coloured icons and images for the tests

Every shape is described by a signed distance in pixels (negative inside),
so one drawing gives clean anti-aliased edges at every size. Only the
standard library and zlib are used.
"""
import math
import os
import struct
import sys
import zlib

ICON_SIZES = (16, 24, 32, 48, 256)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def rgb(text):
    text = text.lstrip('#')
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


class Canvas:
    """Premultiplied RGBA floats, row 0 at the top."""

    def __init__(self, size):
        self.size = size
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def fill(self, dist, colour, box, opacity=1.0):
        """Paints where dist(x, y) < 0; colour is an (r, g, b) or a function
        of (x, y) in design units returning one. box = (x0, y0, x1, y1) in
        design units bounds the work."""
        s = self.size
        x0 = max(0, int(box[0] * s) - 1)
        y0 = max(0, int(box[1] * s) - 1)
        x1 = min(s, int(math.ceil(box[2] * s)) + 1)
        y1 = min(s, int(math.ceil(box[3] * s)) + 1)
        for py in range(y0, y1):
            v = (py + 0.5) / s
            for px in range(x0, x1):
                u = (px + 0.5) / s
                cover = clamp(0.5 - dist(u, v) * s) * opacity
                if cover <= 0.0:
                    continue
                c = colour(u, v) if callable(colour) else colour
                p = self.px[py * s + px]
                keep = 1.0 - cover
                p[0] = c[0] * cover + p[0] * keep
                p[1] = c[1] * cover + p[1] * keep
                p[2] = c[2] * cover + p[2] * keep
                p[3] = cover + p[3] * keep

    def rgba_rows(self):
        """Straight (not premultiplied) 8-bit RGBA rows, top row first."""
        rows = []
        s = self.size
        for y in range(s):
            row = bytearray()
            for x in range(s):
                r, g, b, a = self.px[y * s + x]
                if a > 0.0:
                    r, g, b = r / a, g / a, b / a
                row += bytes(int(clamp(c) * 255 + 0.5) for c in (r, g, b, a))
            rows.append(bytes(row))
        return rows


# Signed distances in design units (0..1 across the icon).

def rounded_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def dist(u, v):
        qx, qy = abs(u - cx) - hx, abs(v - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return dist


def circle(cx, cy, r):
    return lambda u, v: math.hypot(u - cx, v - cy) - r


def segment(ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-9

    def dist(u, v):
        t = clamp(((u - ax) * dx + (v - ay) * dy) / length2)
        return math.hypot(u - ax - t * dx, v - ay - t * dy) - width / 2
    return dist


def polyline(points, width):
    parts = [segment(*points[i], *points[i + 1], width) for i in range(len(points) - 1)]
    return lambda u, v: min(p(u, v) for p in parts)


def polygon(points):
    """Convex polygon, points clockwise on screen (y down)."""
    edges = []
    for i, (ax, ay) in enumerate(points):
        bx, by = points[(i + 1) % len(points)]
        nx, ny = by - ay, ax - bx
        n = math.hypot(nx, ny)
        edges.append((ax, ay, nx / n, ny / n))
    return lambda u, v: max((u - ax) * nx + (v - ay) * ny for ax, ay, nx, ny in edges)


def ring(dist, width):
    return lambda u, v: abs(dist(u, v)) - width / 2


def intersect(a, b):
    return lambda u, v: max(a(u, v), b(u, v))


def subtract(a, b):
    return lambda u, v: max(a(u, v), -b(u, v))


def vertical(top, bottom, y0, y1):
    t0, t1 = rgb(top), rgb(bottom)

    def colour(u, v):
        t = clamp((v - y0) / (y1 - y0))
        return tuple(a + (b - a) * t for a, b in zip(t0, t1))
    return colour


def outline_width(size):
    """Outlines stay about one pixel wide whatever the size."""
    return max(1.0 / size, 0.012)


# The drawings.

def text_lines(canvas, x0, x1, ys, colour, width, short_last=True):
    for i, y in enumerate(ys):
        end = x0 + (x1 - x0) * (0.6 if short_last and i == len(ys) - 1 else 1.0)
        canvas.fill(segment(x0, y, end, y, width), colour, (x0 - width, y - width, x1 + width, y + width))


def draw_clipboard(c):
    s = c.size
    w = outline_width(s)
    board = rounded_rect(0.14, 0.10, 0.86, 0.97, 0.08)
    c.fill(board, rgb('#7A4A18'), (0.13, 0.09, 0.87, 0.98))
    c.fill(rounded_rect(0.14 + w, 0.10 + w, 0.86 - w, 0.97 - w, 0.08 - w),
           vertical('#D89A4C', '#A8692A', 0.1, 0.97), (0.14, 0.10, 0.86, 0.97))
    c.fill(rounded_rect(0.22, 0.20, 0.78, 0.89, 0.03), rgb('#9AA3AE'), (0.21, 0.19, 0.79, 0.90))
    c.fill(rounded_rect(0.22 + w, 0.20 + w, 0.78 - w, 0.89 - w, 0.03), rgb('#FBFBF8'), (0.22, 0.20, 0.78, 0.89))
    ys = (0.44, 0.62, 0.78) if s <= 16 else (0.40, 0.52, 0.64, 0.76)
    text_lines(c, 0.31, 0.69, ys, rgb('#6F86A8'), max(0.06, 1.2 / s))
    clip = rounded_rect(0.33, 0.03, 0.67, 0.24, 0.05)
    c.fill(clip, rgb('#4E5866'), (0.32, 0.02, 0.68, 0.25))
    c.fill(rounded_rect(0.33 + w, 0.03 + w, 0.67 - w, 0.24 - w, 0.05 - w),
           vertical('#E6EAEF', '#9099A6', 0.03, 0.24), (0.33, 0.03, 0.67, 0.24))
    if s >= 24:
        c.fill(circle(0.5, 0.10, 0.035), rgb('#4E5866'), (0.46, 0.06, 0.54, 0.14))


def draw_text_entry(c):
    s = c.size
    w = outline_width(s)
    fold = 0.22
    page = polygon([(0.16, 0.05), (0.84 - fold, 0.05), (0.84, 0.05 + fold), (0.84, 0.95), (0.16, 0.95)])
    c.fill(page, rgb('#5E6B7A'), (0.15, 0.04, 0.85, 0.96))
    inner = polygon([(0.16 + w, 0.05 + w), (0.84 - fold - w * 0.4, 0.05 + w), (0.84 - w, 0.05 + fold + w * 0.4),
                     (0.84 - w, 0.95 - w), (0.16 + w, 0.95 - w)])
    c.fill(inner, vertical('#FFFFFF', '#E9EEF4', 0.05, 0.95), (0.16, 0.05, 0.84, 0.95))
    c.fill(polygon([(0.84 - fold, 0.05), (0.84, 0.05 + fold), (0.84 - fold, 0.05 + fold)]),
           rgb('#C5CFDB'), (0.84 - fold, 0.05, 0.84, 0.05 + fold))
    ys = (0.42, 0.60, 0.78) if s <= 16 else (0.36, 0.48, 0.60, 0.72, 0.84)
    text_lines(c, 0.27, 0.73, ys, rgb('#2F65B5'), max(0.06, 1.2 / s))


def draw_picture_entry(c):
    s = c.size
    w = max(outline_width(s) * 1.5, 0.05)
    c.fill(rounded_rect(0.05, 0.14, 0.95, 0.86, 0.06), rgb('#3F4957'), (0.04, 0.13, 0.96, 0.87))
    x0, y0, x1, y1 = 0.05 + w, 0.14 + w, 0.95 - w, 0.86 - w
    inside = rounded_rect(x0, y0, x1, y1, 0.03)
    c.fill(inside, vertical('#7FC0F2', '#DDF0FD', y0, y1), (x0, y0, x1, y1))
    c.fill(intersect(circle(0.70, 0.36, 0.09), inside), rgb('#F6C22E'), (0.60, 0.26, 0.80, 0.46))
    c.fill(intersect(polygon([(0.40, 0.40), (0.72, y1 + 0.02), (0.08, y1 + 0.02)]), inside),
           rgb('#4E9E41'), (x0, 0.38, x1, y1))
    c.fill(intersect(polygon([(0.66, 0.52), (0.96, y1 + 0.02), (0.38, y1 + 0.02)]), inside),
           rgb('#2E7733'), (0.36, 0.50, x1, y1))


def draw_file_list_entry(c):
    s = c.size
    w = outline_width(s)
    back = lambda u, v: min(rounded_rect(0.05, 0.20, 0.95, 0.90, 0.05)(u, v),
                            rounded_rect(0.05, 0.13, 0.42, 0.30, 0.04)(u, v))
    c.fill(back, rgb('#B9861E'), (0.04, 0.12, 0.96, 0.91))
    c.fill(rounded_rect(0.20, 0.08, 0.80, 0.72, 0.02), rgb('#8793A1'), (0.19, 0.07, 0.81, 0.73))
    c.fill(rounded_rect(0.20 + w, 0.08 + w, 0.80 - w, 0.72 - w, 0.02), rgb('#FDFDFB'), (0.20, 0.08, 0.80, 0.72))
    if s >= 24:
        text_lines(c, 0.29, 0.71, (0.22, 0.32), rgb('#7F8FA6'), max(0.05, 1.0 / s), short_last=False)
    front = polygon([(0.05, 0.40), (0.95, 0.40), (0.95, 0.90), (0.05, 0.90)])
    c.fill(intersect(front, rounded_rect(0.05, 0.20, 0.95, 0.90, 0.05)), rgb('#A77614'), (0.04, 0.39, 0.96, 0.91))
    c.fill(intersect(polygon([(0.05 + w, 0.40 + w), (0.95 - w, 0.40 + w), (0.95 - w, 0.90 - w), (0.05 + w, 0.90 - w)]),
                     rounded_rect(0.05 + w, 0.20, 0.95 - w, 0.90 - w, 0.05)),
           vertical('#FAD56A', '#E9AE33', 0.40, 0.90), (0.05, 0.40, 0.95, 0.90))


def draw_check_overlay(c):
    c.fill(circle(0.5, 0.5, 0.48), rgb('#FFFFFF'), (0, 0, 1, 1))
    c.fill(circle(0.5, 0.5, 0.40), vertical('#3DBA55', '#21863A', 0.1, 0.9), (0.08, 0.08, 0.92, 0.92))
    c.fill(polyline([(0.28, 0.52), (0.44, 0.68), (0.73, 0.35)], 0.13), rgb('#FFFFFF'), (0.18, 0.25, 0.82, 0.78))


def draw_lock_overlay(c):
    shackle = ring(rounded_rect(0.30, 0.06, 0.70, 0.66, 0.20), 0.11)
    c.fill(shackle, rgb('#7C8591'), (0.22, 0.0, 0.78, 0.6))
    c.fill(rounded_rect(0.14, 0.40, 0.86, 0.96, 0.09), rgb('#8A5A08'), (0.13, 0.39, 0.87, 0.97))
    c.fill(rounded_rect(0.19, 0.45, 0.81, 0.91, 0.06), vertical('#F2C24A', '#C8891A', 0.45, 0.91),
           (0.18, 0.44, 0.82, 0.92))
    keyhole = lambda u, v: min(circle(0.5, 0.62, 0.075)(u, v), segment(0.5, 0.62, 0.5, 0.80, 0.07)(u, v))
    c.fill(keyhole, rgb('#5A3B05'), (0.40, 0.52, 0.60, 0.84))


# The properties dialog: the product's logo on the About page and the images
# of its two tabs. The dialog shows them at 48 x 48 pixels, unscaled.
DIALOG_IMAGE_SIZE = 48


def draw_clock_badge(c, cx, cy, r):
    c.fill(circle(cx, cy, r), rgb('#FFFFFF'), (cx - r, cy - r, cx + r, cy + r))
    c.fill(circle(cx, cy, r * 0.84), vertical('#4F8FE0', '#1F5CB0', cy - r, cy + r),
           (cx - r, cy - r, cx + r, cy + r))
    c.fill(circle(cx, cy, r * 0.62), rgb('#FFFFFF'), (cx - r, cy - r, cx + r, cy + r))
    hands = polyline([(cx, cy - r * 0.45), (cx, cy), (cx + r * 0.33, cy + r * 0.2)], r * 0.16)
    c.fill(hands, rgb('#1F3F73'), (cx - r, cy - r, cx + r, cy + r))


def draw_logo(c):
    draw_clipboard(c)
    draw_clock_badge(c, 0.72, 0.72, 0.26)


def draw_tab_options(c):
    """Three slider tracks with their knobs at different places."""
    for y, knob in ((0.24, 0.32), (0.50, 0.68), (0.76, 0.46)):
        c.fill(rounded_rect(0.10, y - 0.035, 0.90, y + 0.035, 0.035), rgb('#8D98A6'), (0.09, y - 0.05, 0.91, y + 0.05))
        c.fill(circle(knob, y, 0.11), rgb('#2E5E9E'), (knob - 0.12, y - 0.12, knob + 0.12, y + 0.12))
        c.fill(circle(knob, y, 0.085), vertical('#7FB2EE', '#3C78C8', y - 0.09, y + 0.09),
               (knob - 0.1, y - 0.1, knob + 0.1, y + 0.1))


def draw_tab_about(c):
    """An "i" on a blue disc."""
    c.fill(circle(0.5, 0.5, 0.46), rgb('#1F4F96'), (0.03, 0.03, 0.97, 0.97))
    c.fill(circle(0.5, 0.5, 0.43), vertical('#5C9BE6', '#2563B8', 0.07, 0.93), (0.06, 0.06, 0.94, 0.94))
    c.fill(circle(0.5, 0.28, 0.07), rgb('#FFFFFF'), (0.42, 0.20, 0.58, 0.36))
    c.fill(rounded_rect(0.44, 0.41, 0.56, 0.76, 0.03), rgb('#FFFFFF'), (0.43, 0.40, 0.57, 0.77))


# File formats.

def png_bytes(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)
    raw = b''.join(b'\0' + row for row in rows)
    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def dib_bytes(size, rows):
    """32-bit icon image: header with doubled height, BGRA bottom-up, AND mask."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = row[x * 4:x * 4 + 4]
            pixels += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def ico_bytes(images):
    """images: list of (size, rows)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for size, rows in images:
        blob = png_bytes(size, rows) if size >= 256 else dib_bytes(size, rows)
        dim = 0 if size >= 256 else size
        entries.append(struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack('<HHH', 0, 1, len(images)) + b''.join(entries) + b''.join(blobs)


def render(draw, size):
    canvas = Canvas(size)
    draw(canvas)
    return canvas.rgba_rows()


def write(path, data):
    tmp = path + '.tmp'
    with open(tmp, 'wb') as f:
        f.write(data)
    os.replace(tmp, path)


def make_product(out):
    icons = {107: draw_text_entry, 109: draw_picture_entry, 117: draw_clipboard, 120: draw_file_list_entry}
    for number, draw in icons.items():
        write(os.path.join(out, '%d.ico' % number), ico_bytes([(s, render(draw, s)) for s in ICON_SIZES]))
    write(os.path.join(out, '118.png'), png_bytes(16, render(draw_check_overlay, 16)))
    write(os.path.join(out, '119.png'), png_bytes(16, render(draw_lock_overlay, 16)))
    dialog_images = {'logo.png': draw_logo, 'tab-options.png': draw_tab_options, 'tab-about.png': draw_tab_about}
    for name, draw in dialog_images.items():
        write(os.path.join(out, name), png_bytes(DIALOG_IMAGE_SIZE, render(draw, DIALOG_IMAGE_SIZE)))


# Test pictures: flat colours that a pixel check can tell apart.
FIXTURE_COLOURS = {
    'red': (220, 20, 20), 'green': (20, 180, 40), 'blue': (30, 60, 220),
    'yellow': (230, 210, 20), 'magenta': (200, 30, 200), 'cyan': (0, 160, 160),
}


def flat_rows(size, colour, alpha=255):
    row = bytes(colour) + bytes((alpha,))
    return [row * size for _ in range(size)]


def make_fixtures(out):
    for name, colour in FIXTURE_COLOURS.items():
        images = [(s, flat_rows(s, colour)) for s in (16, 24, 32, 48)]
        write(os.path.join(out, 'flat-%s.ico' % name), ico_bytes(images))
    # One picture per size: which one was drawn tells which size was loaded.
    sized = [(16, flat_rows(16, FIXTURE_COLOURS['red'])), (32, flat_rows(32, FIXTURE_COLOURS['blue']))]
    write(os.path.join(out, 'sized.ico'), ico_bytes(sized))
    # Top half opaque cyan, bottom half transparent.
    half = flat_rows(16, FIXTURE_COLOURS['cyan'])[:8] + flat_rows(16, (0, 0, 0), 0)[:8]
    write(os.path.join(out, 'half-cyan.png'), png_bytes(16, half))


def main(argv):
    fixtures = '--fixtures' in argv
    args = [a for a in argv if a != '--fixtures']
    if len(args) != 1:
        sys.stderr.write(__doc__)
        return 2
    os.makedirs(args[0], exist_ok=True)
    (make_fixtures if fixtures else make_product)(args[0])
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
