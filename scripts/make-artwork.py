#!/usr/bin/env python3
"""Draws the program's icons and view bitmaps into res/ (BMP and ICO bytes written directly).

Deterministic: the same script always writes the same files. Run from anywhere:
    python3 scripts/make-artwork.py
The generated files are committed, so the build never needs this script.
"""
import math
import os
import struct

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'res')
SS = 4  # supersamples per pixel side


# ---------------------------------------------------------------- coverage masks and shapes

class Mask:
    """Coverage 0..1 per pixel, built from shapes by taking the maximum."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.a = [0.0] * (w * h)

    def _shape(self, inside, x0, y0, x1, y1):
        x0 = max(0, int(math.floor(x0))); y0 = max(0, int(math.floor(y0)))
        x1 = min(self.w, int(math.ceil(x1)) + 1); y1 = min(self.h, int(math.ceil(y1)) + 1)
        step = 1.0 / SS
        offs = [(i + 0.5) * step for i in range(SS)]
        for y in range(y0, y1):
            for x in range(x0, x1):
                n = 0
                for oy in offs:
                    for ox in offs:
                        if inside(x + ox, y + oy):
                            n += 1
                if n:
                    c = n / (SS * SS)
                    i = y * self.w + x
                    if c > self.a[i]:
                        self.a[i] = c

    def capsule(self, ax, ay, bx, by, r):
        dx, dy = bx - ax, by - ay
        ll = dx * dx + dy * dy
        r2 = r * r

        def inside(px, py):
            t = 0.0 if ll == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / ll))
            qx, qy = ax + t * dx - px, ay + t * dy - py
            return qx * qx + qy * qy <= r2
        self._shape(inside, min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r)

    def polyline(self, pts, r):
        for (ax, ay), (bx, by) in zip(pts, pts[1:]):
            self.capsule(ax, ay, bx, by, r)

    def ellipse(self, cx, cy, rx, ry, angle=0.0, hole=None):
        """Filled ellipse rotated by `angle` degrees; `hole` (rx, ry) leaves an inner ellipse empty."""
        ca, sa = math.cos(math.radians(angle)), math.sin(math.radians(angle))

        def inside(px, py):
            x, y = px - cx, py - cy
            u, v = x * ca + y * sa, -x * sa + y * ca
            if (u / rx) ** 2 + (v / ry) ** 2 > 1:
                return False
            if hole and (u / hole[0]) ** 2 + (v / hole[1]) ** 2 <= 1:
                return False
            return True
        r = max(rx, ry)
        self._shape(inside, cx - r, cy - r, cx + r, cy + r)

    def rect(self, x0, y0, x1, y1, radius=0.0):
        def inside(px, py):
            if px < x0 or px > x1 or py < y0 or py > y1:
                return False
            if radius <= 0:
                return True
            qx = max(x0 + radius - px, 0, px - (x1 - radius))
            qy = max(y0 + radius - py, 0, py - (y1 - radius))
            return qx * qx + qy * qy <= radius * radius
        self._shape(inside, x0, y0, x1, y1)

    def polygon(self, pts):
        def inside(px, py):
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]; xj, yj = pts[j]
                if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c
        xs = [p[0] for p in pts]; ys = [p[1] for p in pts]
        self._shape(inside, min(xs), min(ys), max(xs), max(ys))

    def spline(self, pts, r, steps=10):
        """Catmull-Rom curve through the points, drawn with stroke radius r."""
        out = []
        p = [pts[0]] + list(pts) + [pts[-1]]
        for i in range(1, len(p) - 2):
            p0, p1, p2, p3 = p[i - 1], p[i], p[i + 1], p[i + 2]
            for s in range(steps):
                t = s / steps
                t2, t3 = t * t, t * t * t
                out.append(tuple(0.5 * (2 * p1[k] + (-p0[k] + p2[k]) * t +
                                        (2 * p0[k] - 5 * p1[k] + 4 * p2[k] - p3[k]) * t2 +
                                        (-p0[k] + 3 * p1[k] - 3 * p2[k] + p3[k]) * t3)
                                 for k in range(2)))
        out.append(pts[-1])
        self.polyline(out, r)


def arc(cx, cy, rx, ry, a0, a1, n=24):
    """Points of an elliptic arc; angles in degrees, 0 right, 90 down (screen coordinates)."""
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]


# ---------------------------------------------------------------- a small stroke font
# Glyphs in units of the capital height: y 0 is the cap line, 1 the base line, x-height 0.35.

def _font():
    f = {}
    f['Z'] = (.7, [[(0, 0), (.7, 0), (0, 1), (.7, 1)]])
    f['X'] = (.7, [[(0, 0), (.7, 1)], [(.7, 0), (0, 1)]])
    f['O'] = (.8, [arc(.4, .5, .4, .5, 0, 360, 40)])
    f['V'] = (.7, [[(0, 0), (.35, 1), (.7, 0)]])
    f['I'] = (0, [[(0, 0), (0, 1)]])
    f['E'] = (.55, [[(.55, 0), (0, 0), (0, 1), (.55, 1)], [(0, .5), (.45, .5)]])
    f['F'] = (.55, [[(.55, 0), (0, 0), (0, 1)], [(0, .5), (.45, .5)]])
    f['L'] = (.5, [[(0, 0), (0, 1), (.5, 1)]])
    f['M'] = (.85, [[(0, 1), (0, 0), (.425, .75), (.85, 0), (.85, 1)]])
    f['N'] = (.7, [[(0, 1), (0, 0), (.7, 1), (.7, 0)]])
    f['T'] = (.7, [[(0, 0), (.7, 0)], [(.35, 0), (.35, 1)]])
    f['A'] = (.75, [[(0, 1), (.375, 0), (.75, 1)], [(.14, .62), (.61, .62)]])
    f['Y'] = (.7, [[(0, 0), (.35, .5), (.7, 0)], [(.35, .5), (.35, 1)]])
    f['D'] = (.68, [[(.3, 0), (0, 0), (0, 1), (.3, 1)] , arc(.3, .5, .38, .5, 90, -90)])
    f['P'] = (.6, [[(0, 1), (0, 0), (.33, 0)], arc(.33, .26, .27, .26, -90, 90), [(.33, .52), (0, .52)]])
    f['R'] = (.62, [[(0, 1), (0, 0), (.33, 0)], arc(.33, .26, .27, .26, -90, 90), [(.33, .52), (0, .52)],
                    [(.3, .52), (.62, 1)]])
    f['G'] = (.75, [arc(.375, .5, .375, .5, -40, -330, 36), [(.75, .85), (.75, .55), (.42, .55)]])
    f['S'] = (.6, [arc(.3, .25, .28, .24, -20, -270) + arc(.3, .74, .3, .26, -90, 160)[1:]])
    f['3'] = (.58, [arc(.28, .25, .28, .25, 200, 450), arc(.28, .74, .3, .26, 270, 520)])
    f['-'] = (.35, [[(0, .62), (.35, .62)]])
    f[' '] = (.3, [])
    f['o'] = (.6, [arc(.3, .675, .3, .325, 0, 360, 32)])
    f['r'] = (.4, [[(0, .35), (0, 1)], arc(.38, .7, .38, .33, 180, 270)])
    f['v'] = (.6, [[(0, .35), (.3, 1), (.6, .35)]])
    f['e'] = (.6, [[(0, .675), (.6, .675)], arc(.3, .675, .3, .325, 0, -315, 32)])
    f['x'] = (.6, [[(0, .35), (.6, 1)], [(.6, .35), (0, 1)]])
    f['f'] = (.4, [[(.15, 1), (.15, .22)] + arc(.4, .22, .25, .22, 180, 280)[1:], [(0, .38), (.38, .38)]])
    f['W'] = (1.0, [[(0, 0), (.25, 1), (.5, .3), (.75, 1), (1, 0)]])
    f['i'] = (0, [[(0, .35), (0, 1)], [(0, .13), (0, .14)]])
    f['n'] = (.55, [[(0, .35), (0, 1)], arc(.275, .62, .275, .27, 180, 360), [(.55, .62), (.55, 1)]])
    f['d'] = (.6, [arc(.3, .675, .3, .325, 0, 360, 32), [(.6, 0), (.6, 1)]])
    f['w'] = (.8, [[(0, .35), (.2, 1), (.4, .5), (.6, 1), (.8, .35)]])
    f['s'] = (.5, [arc(.25, .51, .23, .16, -20, -270) + arc(.25, .835, .25, .165, -90, 160)[1:]])
    return f


FONT = _font()


def text_width(text, size, weight):
    w = 0.0
    for ch in text:
        gw, _ = FONT[ch]
        w += gw * size + weight * 2 + size * 0.22
    return w - size * 0.22


def draw_text(mask, text, x, y, size, weight):
    """Strokes `text` with its cap line at y; weight is the stroke radius in pixels."""
    for ch in text:
        gw, strokes = FONT[ch]
        for s in strokes:
            mask.polyline([(x + weight + px * size, y + py * size) for px, py in s], weight)
        x += gw * size + weight * 2 + size * 0.22


# ---------------------------------------------------------------- colour images

class Image:
    def __init__(self, w, h, color=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(color) for _ in range(w * h)]

    def fill(self, fn):
        for y in range(self.h):
            for x in range(self.w):
                self.px[y * self.w + x] = list(fn(x, y))

    def paint(self, mask, color, alpha=1.0):
        for i, a in enumerate(mask.a):
            if a > 0:
                a *= alpha
                p = self.px[i]
                for k in range(3):
                    p[k] = p[k] * (1 - a) + color[k] * a


def lerp(c0, c1, t):
    return tuple(c0[k] + (c1[k] - c0[k]) * t for k in range(3))


def median_cut(colors, n):
    """Palette of at most n colours for the given pixel colours (deterministic)."""
    boxes = [sorted(colors)]
    while len(boxes) < n:
        best, bi = -1, -1
        for i, b in enumerate(boxes):
            if len(b) < 2:
                continue
            spread = max(max(c[k] for c in b) - min(c[k] for c in b) for k in range(3))
            if spread > best:
                best, bi = spread, i
        if bi < 0 or best == 0:
            break
        b = boxes.pop(bi)
        k = max(range(3), key=lambda k: max(c[k] for c in b) - min(c[k] for c in b))
        b.sort(key=lambda c: (c[k], c))
        m = len(b) // 2
        boxes += [b[:m], b[m:]]
    pal = []
    for b in boxes:
        pal.append(tuple(int(round(sum(c[k] for c in b) / len(b))) for k in range(3)))
    return sorted(set(pal))


def write_bmp8(path, img):
    pixels = [tuple(max(0, min(255, int(round(v)))) for v in p) for p in img.px]
    distinct = sorted(set(pixels))
    pal = distinct if len(distinct) <= 256 else median_cut(pixels, 256)
    cache = {}

    def index(c):
        if c not in cache:
            cache[c] = min(range(len(pal)), key=lambda i: sum((pal[i][k] - c[k]) ** 2 for k in range(3)))
        return cache[c]
    stride = (img.w + 3) & ~3
    rows = b''
    for y in range(img.h - 1, -1, -1):
        row = bytes(index(pixels[y * img.w + x]) for x in range(img.w))
        rows += row + b'\0' * (stride - img.w)
    palette = b''.join(struct.pack('<BBBB', c[2], c[1], c[0], 0) for c in pal)
    palette += b'\0' * (4 * (256 - len(pal)))
    _write_dib(path, img.w, img.h, 8, palette, rows, 256)


def write_bmp1(path, ink):
    """Two colours from a mask: covered pixels (>= 0.5) black (index 0), the rest white."""
    stride = ((ink.w + 31) // 32) * 4
    rows = b''
    for y in range(ink.h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(ink.w):
            if ink.a[y * ink.w + x] < 0.5:
                row[x >> 3] |= 0x80 >> (x & 7)
        rows += bytes(row)
    palette = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)
    _write_dib(path, ink.w, ink.h, 1, palette, rows, 2)


def _write_dib(path, w, h, bits, palette, rows, colors):
    offset = 14 + 40 + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(rows), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, bits, 0, len(rows), 2835, 2835, colors, 0)
    with open(path, 'wb') as f:
        f.write(header + info + palette + rows)


def write_ico(path, images):
    """Icon file of 32-bit images (list of (size, rgba rows top to bottom))."""
    entries, blobs = b'', b''
    offset = 6 + 16 * len(images)
    for size, rgba in images:
        xor = b''
        for y in range(size - 1, -1, -1):
            xor += b''.join(struct.pack('<BBBB', p[2], p[1], p[0], p[3]) for p in rgba[y * size:(y + 1) * size])
        stride = ((size + 31) // 32) * 4
        andm = b''
        for y in range(size - 1, -1, -1):
            row = bytearray(stride)
            for x in range(size):
                if rgba[y * size + x][3] == 0:
                    row[x >> 3] |= 0x80 >> (x & 7)
            andm += bytes(row)
        info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(andm), 0, 0, 0, 0)
        blob = info + xor + andm
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs += blob
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, len(images)) + entries + blobs)


# ---------------------------------------------------------------- the pictures

def phone(img, x, y, s):
    """A folding phone, s = scale (1.0 is 30 x 56 pixels), top-left at (x, y)."""
    body = Mask(img.w, img.h); body.rect(x, y, x + 30 * s, y + 56 * s, 5 * s)
    img.paint(body, (70, 78, 96))
    screen = Mask(img.w, img.h); screen.rect(x + 4 * s, y + 6 * s, x + 26 * s, y + 30 * s, 1.5 * s)
    img.paint(screen, (150, 215, 245))
    hill = Mask(img.w, img.h)
    hill.polygon([(x + 4 * s, y + 30 * s), (x + 12 * s, y + 19 * s), (x + 17 * s, y + 25 * s),
                  (x + 21 * s, y + 21 * s), (x + 26 * s, y + 27 * s), (x + 26 * s, y + 30 * s)])
    img.paint(hill, (60, 150, 80))
    sun = Mask(img.w, img.h); sun.ellipse(x + 20 * s, y + 12 * s, 2.5 * s, 2.5 * s)
    img.paint(sun, (250, 200, 60))
    keys = Mask(img.w, img.h)
    for r in range(3):
        for c in range(3):
            keys.rect(x + (6 + 7 * c) * s, y + (35 + 6 * r) * s, x + (10 + 7 * c) * s, y + (38 + 6 * r) * s, 1 * s)
    img.paint(keys, (210, 215, 225))
    port = Mask(img.w, img.h); port.rect(x + 11 * s, y - 2 * s, x + 19 * s, y + 1.5 * s, 1 * s)
    img.paint(port, (160, 30, 40))


def startup():
    img = Image(264, 100)
    img.fill(lambda x, y: lerp((214, 232, 250), (255, 255, 255), y / 99))
    phone(img, 22, 28, 1.05)
    waves = Mask(264, 100)
    for i, r in enumerate((10, 18, 26)):
        waves.polyline(arc(38, 22, r, r * 0.8, 215, 325, 16), 1.4)
    img.paint(waves, (205, 45, 55))
    word = Mask(264, 100)
    size = 38
    while text_width('Zorvex', size, 3.2) > 164:
        size -= 1
    draw_text(word, 'Zorvex', 82, 22, size, 3.2)
    shadow = Mask(264, 100)
    draw_text(shadow, 'Zorvex', 84, 24, size, 3.2)
    img.paint(shadow, (150, 170, 200), 0.6)
    img.paint(word, (24, 48, 110))
    sub = Mask(264, 100)
    draw_text(sub, 'for Windows', 246 - text_width('for Windows', 12, 1.1), 74, 12, 1.1)
    img.paint(sub, (60, 80, 130))
    line = Mask(264, 100); line.rect(80, 68, 244, 69.2)
    img.paint(line, (205, 45, 55))
    return img


def emblem(w, h, top, bottom, icon, label, label_size):
    """A badge with a border, an icon on its left and a label: image and its mask."""
    shape = Mask(w, h); shape.rect(0.5, 0.5, w - 0.5, h - 0.5, h * 0.32)
    img = Image(w, h)
    img.fill(lambda x, y: lerp(top, bottom, y / (h - 1)))
    border = Mask(w, h)
    inner = Mask(w, h); inner.rect(3.5, 3.5, w - 3.5, h - 3.5, h * 0.28)
    for i in range(w * h):
        border.a[i] = max(0.0, shape.a[i] - inner.a[i])
    img.paint(border, (255, 255, 255))
    icon(img)
    text = Mask(w, h)
    room = w - h - 16  # right of the icon, inside the border
    while text_width(label, label_size, 2.4) > room:
        label_size -= 1
    tw = text_width(label, label_size, 2.4)
    x0 = h + (room - tw) / 2
    draw_text(text, label, x0, (h - label_size) / 2, label_size, 2.4)
    shade = Mask(w, h); draw_text(shade, label, x0 + 1.5, (h - label_size) / 2 + 1.5, label_size, 2.4)
    img.paint(shade, (0, 0, 0), 0.35)
    img.paint(text, (255, 255, 255))
    # Outside the badge the bitmap is black and the mask white: mask AND, then bitmap OR.
    for i in range(w * h):
        if shape.a[i] < 0.5:
            img.px[i] = [0, 0, 0]
    return img, shape


def movie_emblem():
    def icon(img):
        c = Mask(img.w, img.h); c.ellipse(38, 36, 24, 24, 0, (19, 19))
        img.paint(c, (255, 255, 255))
        t = Mask(img.w, img.h); t.polygon([(31, 24), (31, 48), (51, 36)])
        img.paint(t, (255, 255, 255))
    return emblem(273, 72, (232, 84, 50), (150, 24, 24), icon, '3GP MOVIE', 32)


def melody_emblem():
    def icon(img):
        m = Mask(img.w, img.h)
        m.ellipse(22, 45, 7.5, 5.5, -20); m.ellipse(44, 41, 7.5, 5.5, -20)
        m.capsule(28.5, 44, 28.5, 14, 1.6); m.capsule(50.5, 40, 50.5, 10, 1.6)
        m.polygon([(27, 12), (52, 7), (52, 14), (27, 19)])
        img.paint(m, (255, 255, 255))
    return emblem(278, 64, (60, 190, 120), (16, 110, 80), icon, 'i-MELODY', 30)


def midi_emblem():
    def icon(img):
        keys = Mask(img.w, img.h)
        for k in range(5):
            keys.rect(12 + 9 * k, 15, 19.5 + 9 * k, 50, 1)
        img.paint(keys, (255, 255, 255))
        black = Mask(img.w, img.h)
        for k in (0, 1, 3):
            black.rect(17.5 + 9 * k, 15, 22.5 + 9 * k, 36, 0.8)
        img.paint(black, (40, 30, 90))
    return emblem(316, 65, (120, 100, 230), (56, 36, 150), icon, 'STANDARD MIDI', 30)


def film_tile():
    ink = Mask(132, 128)
    ink.rect(0, 0, 132, 128)
    holes = Mask(132, 128)
    for i in range(6):
        x = 22 * i + 6
        holes.rect(x, 6, x + 10, 18, 2)
        holes.rect(x, 110, x + 10, 122, 2)
    frames = Mask(132, 128)
    frames.rect(5, 26, 61, 102, 3)
    frames.rect(71, 26, 127, 102, 3)
    for i in range(132 * 128):
        if holes.a[i] >= 0.5 or frames.a[i] >= 0.5:
            ink.a[i] = 0.0
    # A faint diagonal hatch keeps the frames from looking empty.
    for y in range(26, 102):
        for x in range(5, 127):
            if (x + y) % 9 == 0 and frames.a[y * 132 + x] >= 0.5:
                ink.a[y * 132 + x] = 1.0
    return ink


def clef():
    ink = Mask(54, 142)
    # A treble clef whose spiral curls round the G line (y 95 when the staff spans 35..115).
    ink.spline([(31, 95), (25, 92), (25, 86), (31, 82), (39, 85), (43, 94), (40, 104), (31, 109),
                (20, 107), (12, 97), (12, 84), (19, 71), (30, 60), (38, 49), (41, 36), (40, 22),
                (36, 11), (31, 7), (26, 13), (24, 26), (26, 42), (28, 62), (30, 84), (31, 104),
                (32, 120), (31, 129), (26, 134), (19, 133), (16, 127)], 2.2, 12)
    ink.ellipse(20, 127.5, 5, 4.5)
    return ink


def note(width, stem_up, filled):
    ink = Mask(width, 100)
    cy = 90 if stem_up else 10
    cx = 13.5
    hole = None if filled else (6.0, 3.2)
    ink.ellipse(cx, cy, 9.5, 7, -22, hole)
    if stem_up:
        ink.rect(cx + 7.5, 14, cx + 9.5, cy - 1)
    else:
        ink.rect(cx - 9.5, cy + 1, cx - 7.5, 86)
    return ink


def icon_rgba(size):
    img = Image(size, size, (0, 0, 0))
    s = size / 32.0
    shape = Mask(size, size)
    shape.rect(9 * s, 5 * s, 23 * s, 31 * s, 3 * s)
    shape.rect(13 * s, 2.5 * s, 19 * s, 6 * s, 1 * s)
    waves = Mask(size, size)
    for r in (7, 12):
        waves.polyline(arc(16 * s, 5 * s, r * s, r * 0.7 * s, 205, 335, 12), max(0.9, 1.3 * s))
    phone(img, 9 * s, 5 * s, 14 * s / 30 * 1.0 if False else 0.4667 * s)
    img.paint(waves, (215, 40, 50))
    alpha = [max(shape.a[i], waves.a[i]) for i in range(size * size)]
    out = []
    for i, p in enumerate(img.px):
        a = int(round(alpha[i] * 255))
        c = [int(round(min(255, v / alpha[i]))) if alpha[i] > 0 else 0 for v in p]
        out.append((c[0], c[1], c[2], a))
    return out


def main():
    os.makedirs(RES, exist_ok=True)
    p = lambda name: os.path.join(RES, name)
    write_bmp8(p('startup.bmp'), startup())
    img, mask = movie_emblem()
    write_bmp8(p('movie.bmp'), img); write_bmp1(p('movie_mask.bmp'), mask)
    img, mask = melody_emblem()
    write_bmp8(p('melody.bmp'), img); write_bmp1(p('melody_mask.bmp'), mask)
    img, mask = midi_emblem()
    write_bmp8(p('midi.bmp'), img); write_bmp1(p('midi_mask.bmp'), mask)
    write_bmp1(p('film_tile.bmp'), film_tile())
    write_bmp1(p('clef.bmp'), clef())
    write_bmp1(p('note1_low.bmp'), note(31, False, True))
    write_bmp1(p('note1_high.bmp'), note(53, True, True))
    write_bmp1(p('note2_low.bmp'), note(27, False, False))
    write_bmp1(p('note2_high.bmp'), note(27, True, False))
    write_ico(p('zorvex.ico'), [(32, icon_rgba(32)), (16, icon_rgba(16))])
    write_ico(p('small.ico'), [(16, icon_rgba(16))])


if __name__ == '__main__':
    main()
