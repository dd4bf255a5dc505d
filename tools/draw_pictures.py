#!/usr/bin/env python3
"""Draws Kestrola's pictures: the application icon, the question mark and the banner.

Run from the repository root (Python 3, standard library only):

    python3 tools/draw_pictures.py            # writes resources/pictures/*
    python3 tools/draw_pictures.py OUTDIR     # writes into OUTDIR instead

It writes kestrola-32.png, kestrola-16.png and kestrola.ico (a yellow
lightning bolt with a black outline on transparent, 16 colours),
question-32.png and question-16.png (a white question mark on a green disc,
16 colours) and banner.png (400 x 36, 256 colours, a pale blue sky with soft
white clouds and a calm middle for the title).  Every PNG is indexed, with a
tRNS chunk for the transparent entry.  The output is deterministic: the same
script always writes the same bytes.

The shapes are drawn from geometry, eight by eight samples per pixel, and each
pixel is mapped to the nearest colour of a small hand-picked palette.  The
outer edge of the icons is all-or-nothing (crisp on any background, and the
same in the .ico's one-bit mask); the anti-aliasing lies inside the outline,
where black meets yellow or green.
"""

import math
import os
import struct
import sys
import zlib

SAMPLES = 8  # samples per pixel along each axis


# ---------------------------------------------------------------- PNG and ICO


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_indexed(width, height, palette, alphas, rows):
    """Indexed PNG bytes; palette is a list of (r, g, b), alphas of 0..255 per entry."""
    depth = 4 if len(palette) <= 16 else 8
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter: none
        if depth == 8:
            raw.extend(row)
        else:
            for x in range(0, width, 2):
                hi = row[x]
                lo = row[x + 1] if x + 1 < width else 0
                raw.append((hi << 4) | lo)
    out = b"\x89PNG\r\n\x1a\n"
    out += _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, 3, 0, 0, 0))
    out += _chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    last = max((i for i, a in enumerate(alphas) if a != 255), default=-1)
    if last >= 0:
        out += _chunk(b"tRNS", bytes(alphas[: last + 1]))
    out += _chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    out += _chunk(b"IEND", b"")
    return out


def ico_4bit(images):
    """A .ico holding one 16-colour bitmap per (size, palette, alphas, rows) image."""
    entries = []
    for size, palette, alphas, rows in images:
        pal = list(palette) + [(0, 0, 0)] * (16 - len(palette))
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
        colours = b"".join(bytes((b, g, r, 0)) for r, g, b in pal)
        xor_stride = ((size * 4 + 31) // 32) * 4
        and_stride = ((size + 31) // 32) * 4
        xor = bytearray()
        mask = bytearray()
        for row in reversed(rows):  # bottom-up
            line = bytearray(xor_stride)
            bits = bytearray(and_stride)
            for x, index in enumerate(row):
                transparent = alphas[index] < 128
                value = 0 if transparent else index
                line[x // 2] |= value << (4 if x % 2 == 0 else 0)
                if transparent:
                    bits[x // 8] |= 0x80 >> (x % 8)
            xor += line
            mask += bits
        entries.append((size, header + colours + bytes(xor) + bytes(mask)))
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, data in entries:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    for _, data in entries:
        out += data
    return out


# ------------------------------------------------------------------ geometry


def _seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    qx, qy = ax + t * dx - px, ay + t * dy - py
    return math.sqrt(qx * qx + qy * qy)


def polygon_distance(px, py, poly):
    """Signed distance to a polygon (positive inside) and the outward normal of the nearest edge."""
    inside = False
    best = 1e9
    normal = (0.0, 0.0)
    n = len(poly)
    area = sum(poly[i][0] * poly[(i + 1) % n][1] - poly[(i + 1) % n][0] * poly[i][1] for i in range(n))
    for i in range(n):
        ax, ay = poly[i]
        bx, by = poly[(i + 1) % n]
        if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
            inside = not inside
        d = _seg_dist(px, py, ax, ay, bx, by)
        if d < best:
            best = d
            ex, ey = bx - ax, by - ay
            length = math.hypot(ex, ey)
            # outward normal for the polygon's winding (y grows downwards)
            normal = (ey / length, -ex / length) if area > 0 else (-ey / length, ex / length)
    return (best if inside else -best), normal


def polyline_distance(px, py, points):
    return min(_seg_dist(px, py, *points[i], *points[i + 1]) for i in range(len(points) - 1))


def mix(a, b, t):
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def nearest(palette, colour, first=0):
    best, index = 1e18, first
    for i in range(first, len(palette)):
        p = palette[i]
        dr, dg, db = p[0] - colour[0], p[1] - colour[1], p[2] - colour[2]
        # weight green most, as the eye does
        d = 3 * dr * dr + 4 * dg * dg + 2 * db * db
        if d < best:
            best, index = d, i
    return index


def render_icon(size, sample_colour, palette, threshold=0.5):
    """Rows of palette indices; sample_colour(x, y) gives an (r, g, b) or None for empty."""
    rows = []
    step = 1.0 / SAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            total = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = sample_colour(px + (sx + 0.5) * step, py + (sy + 0.5) * step)
                    if c is not None:
                        hits += 1
                        total[0] += c[0]
                        total[1] += c[1]
                        total[2] += c[2]
            if hits < threshold * SAMPLES * SAMPLES:
                row.append(0)
            else:
                row.append(nearest(palette, [t / hits for t in total], first=1))
        rows.append(row)
    return rows


# --------------------------------------------------------- the lightning bolt

BOLT_PALETTE = [
    (0, 0, 0),  # 0 transparent
    (0, 0, 0),  # 1 outline
    (72, 52, 0),
    (136, 100, 0),
    (192, 144, 0),
    (228, 176, 0),  # 5 shadow side
    (248, 204, 0),
    (255, 226, 16),  # 7 body
    (255, 240, 80),
    (255, 250, 168),  # 9 lit side
    (255, 255, 228),
]
BOLT_ALPHAS = [0] + [255] * (len(BOLT_PALETTE) - 1)

# The bolt on a 32-pixel grid: a slanted upper bar, a step to the right, and a
# long blade down to the tip at the lower left.
BOLT = [(12.0, 0.6), (26.4, 0.6), (19.4, 11.4), (27.4, 11.4), (6.6, 31.4), (13.2, 17.6), (4.6, 17.6)]


def bolt_sampler(size, outline, bevel):
    scale = size / 32.0
    poly = [(x * scale, y * scale) for x, y in BOLT]
    light = (-0.6, -0.8)

    def colour(x, y):
        d, (nx, ny) = polygon_distance(x, y, poly)
        if d <= 0:
            return None
        if d <= outline:
            return (0, 0, 0)
        body = mix((255, 236, 60), (250, 206, 0), y / size)
        if d <= outline + bevel:
            facing = nx * light[0] + ny * light[1]
            if facing > 0.25:
                return (255, 252, 190)
            if facing < -0.25:
                return (228, 172, 0)
        return body

    return colour


# At 16 x 16 a bolt drawn from geometry turns to mush, so it is drawn by hand,
# pixel by pixel: k outline, L lit edge, Y body, S shaded edge, . transparent.
BOLT_16 = [
    "......kkkkkkkk..",
    "......kLLLLLYk..",
    ".....kLYYYYYk...",
    ".....kLYYYYk....",
    "....kLYYYYkkkkk.",
    "....kLYYYYYYYSk.",
    "...kLYYYYYYYSk..",
    "...kLLLLYYYSk...",
    "..kkkkkLYYSk....",
    "......kYYSk.....",
    ".....kLYSk......",
    ".....kYSk.......",
    "....kYSk........",
    "....kSk.........",
    "...kkk..........",
    "...k............",
]


def render_map(pixel_map, roles, palette):
    """Rows of palette indices from a character map; roles maps a character to f(x, y) -> (r, g, b)."""
    size = len(pixel_map)
    rows = []
    for y, line in enumerate(pixel_map):
        row = []
        for x, ch in enumerate(line):
            row.append(0 if ch == "." else nearest(palette, roles[ch]((x + 0.5) / size, (y + 0.5) / size), first=1))
        rows.append(row)
    return rows


BOLT_ROLES = {
    "k": lambda x, y: (0, 0, 0),
    "L": lambda x, y: (255, 252, 190),
    "Y": lambda x, y: mix((255, 236, 60), (250, 206, 0), y),
    "S": lambda x, y: (228, 172, 0),
}


# ------------------------------------------------------- the question mark

QUESTION_PALETTE = [
    (0, 0, 0),  # 0 transparent
    (0, 56, 0),  # 1 rim
    (0, 96, 16),
    (0, 128, 32),
    (8, 156, 44),
    (32, 180, 64),
    (80, 204, 100),
    (140, 228, 150),
    (255, 255, 255),  # 8 the mark
    (208, 236, 212),
    (150, 200, 156),
    (90, 150, 100),
]
QUESTION_ALPHAS = [0] + [255] * (len(QUESTION_PALETTE) - 1)


def question_sampler(size, rim, stroke, dot_radius, arc, stem, dot):
    """arc = (cx, cy, r); stem = points after the arc; dot = (x, y); all on a 32-pixel grid."""
    s = size / 32.0
    centre = 16.0 * s
    radius = 16.0 * s
    cx, cy, r = arc
    path = []
    for i in range(0, 25):
        a = math.radians(205 - i * (245 / 24.0))
        path.append(((cx + r * math.cos(a)) * s, (cy - r * math.sin(a)) * s))
    path += [(x * s, y * s) for x, y in stem]
    dx, dy = dot[0] * s, dot[1] * s
    half = stroke * s / 2.0
    dr = dot_radius * s

    def colour(x, y):
        d = radius - math.hypot(x - centre, y - centre)
        if d <= 0:
            return None
        if d <= rim * s:
            return (0, 56, 0)
        if polyline_distance(x, y, path) <= half or math.hypot(x - dx, y - dy) <= dr:
            return (255, 255, 255)
        # light from the upper left
        t = math.hypot(x - 0.35 * size, y - 0.3 * size) / (0.95 * size)
        return mix((120, 224, 130), (0, 118, 30), t)

    return colour


# The question mark at 16 x 16, by hand: k rim, G green, W white, a white
# softened into the green.
QUESTION_16 = [
    ".....kkkkkk.....",
    "...kkGGGGGGkk...",
    "..kGGGGGGGGGGk..",
    ".kGGGGaWWaGGGGk.",
    ".kGGGWWWWWWGGGk.",
    "kGGGGWWGGWWGGGGk",
    "kGGGGGGGGWWGGGGk",
    "kGGGGGGGaWWGGGGk",
    "kGGGGGGWWWaGGGGk",
    "kGGGGGGWWaGGGGGk",
    "kGGGGGGWWGGGGGGk",
    ".kGGGGGGGGGGGGk.",
    ".kGGGGGWWGGGGGk.",
    "..kGGGGWWGGGGk..",
    "...kkGGGGGGkk...",
    ".....kkkkkk.....",
]


def _green(x, y):
    return mix((120, 224, 130), (0, 118, 30), math.hypot(x - 0.35, y - 0.3) / 0.95)


QUESTION_ROLES = {
    "k": lambda x, y: (0, 56, 0),
    "G": _green,
    "W": lambda x, y: (255, 255, 255),
    "a": lambda x, y: mix((255, 255, 255), _green(x, y), 0.45),
}


# ----------------------------------------------------------------- the banner


def _hash(ix, iy, seed):
    h = (ix * 374761393 + iy * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0


def value_noise(x, y, seed):
    ix, iy = math.floor(x), math.floor(y)
    fx, fy = x - ix, y - iy
    fx = fx * fx * (3 - 2 * fx)
    fy = fy * fy * (3 - 2 * fy)
    a = _hash(ix, iy, seed)
    b = _hash(ix + 1, iy, seed)
    c = _hash(ix, iy + 1, seed)
    d = _hash(ix + 1, iy + 1, seed)
    return a + (b - a) * fx + (c - a) * fy + (a - b - c + d) * fx * fy


def fbm(x, y, seed):
    total, amplitude, norm = 0.0, 1.0, 0.0
    for octave in range(5):
        total += amplitude * value_noise(x, y, seed + octave * 101)
        norm += amplitude
        amplitude *= 0.5
        x *= 2.0
        y *= 2.0
    return total / norm


# Cloud banks: (centre x, centre y, half width, half height, strength).  The
# big ones sit at the ends; the middle, behind the title, keeps only wisps.
CLOUDS = [
    (26, 23, 52, 14, 1.05),
    (98, 11, 44, 9, 0.85),
    (150, 29, 30, 7, 0.6),
    (250, 30, 32, 7, 0.6),
    (306, 12, 46, 9, 0.85),
    (376, 22, 52, 14, 1.05),
]


def banner_pixel(x, y, width, height):
    t = y / (height - 1)
    sky = mix((150, 196, 240), (206, 230, 252), t)
    # the middle, behind the title, a touch lighter still
    calm = max(0.0, 1.0 - abs(x - width / 2) / 120.0)
    sky = mix(sky, (214, 234, 252), 0.35 * calm)
    field = 0.0
    for cx, cy, hw, hh, strength in CLOUDS:
        ex = (x - cx) / hw
        # fair-weather clouds: a rounded, billowing top over a flatter base
        ey = (y - cy) / (hh if y < cy else 0.6 * hh)
        field = max(field, strength * math.exp(-(ex * ex + ey * ey) * 1.5))
    puff = fbm(x / 14.0, y / 8.0, 7)
    density = field * (0.55 + 0.9 * puff) - 0.3
    alpha = max(0.0, min(1.0, density * 2.4))
    alpha = alpha * alpha * (3 - 2 * alpha)
    # cloud tops catch the light, their undersides are a soft grey-blue
    shade = fbm(x / 10.0, (y - 3) / 6.0, 31) * 0.6 + 0.6 * max(0.0, min(1.0, (y - 4) / (height - 4)))
    cloud = mix((255, 255, 255), (214, 226, 242), max(0.0, shade - 0.45) * 1.6)
    return mix(sky, cloud, alpha)


def median_cut(pixels, count):
    """At most `count` colours for a list of (r, g, b) integers, deterministically."""
    boxes = [sorted(pixels)]
    while len(boxes) < count:
        best, axis, spread = None, 0, -1
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for a in range(3):
                lo = min(p[a] for p in box)
                hi = max(p[a] for p in box)
                if hi - lo > spread:
                    best, axis, spread = i, a, hi - lo
        if best is None or spread <= 0:
            break
        box = sorted(boxes.pop(best), key=lambda p: (p[axis], p))
        half = len(box) // 2
        boxes[best:best] = [box[:half], box[half:]]
    palette = []
    for box in boxes:
        n = len(box)
        palette.append(tuple(int(round(sum(p[a] for p in box) / n)) for a in range(3)))
    return palette


def draw_banner(width=400, height=36):
    truecolour = [[banner_pixel(x, y, width, height) for x in range(width)] for y in range(height)]
    flat = [tuple(int(round(c)) for c in p) for row in truecolour for p in row]
    palette = median_cut(flat, 256)
    palette = sorted(set(palette), key=lambda c: (sum(c), c))
    cache = {}
    rows = []
    # Floyd-Steinberg dithering hides the last traces of banding in the sky
    err = [[0.0, 0.0, 0.0] for _ in range(width + 2)]
    for y in range(height):
        nxt = [[0.0, 0.0, 0.0] for _ in range(width + 2)]
        row = []
        for x in range(width):
            want = [truecolour[y][x][a] + err[x + 1][a] for a in range(3)]
            key = tuple(int(round(v)) for v in want)
            index = cache.get(key)
            if index is None:
                index = cache[key] = nearest(palette, key)
            row.append(index)
            got = palette[index]
            for a in range(3):
                e = want[a] - got[a]
                err[x + 2][a] += e * 7 / 16
                nxt[x][a] += e * 3 / 16
                nxt[x + 1][a] += e * 5 / 16
                nxt[x + 2][a] += e * 1 / 16
        err = nxt
        rows.append(row)
    return palette, rows


# ---------------------------------------------------------------------- main


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "pictures")
    os.makedirs(out, exist_ok=True)

    def write(name, data):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)

    bolt32 = render_icon(32, bolt_sampler(32, 1.15, 1.6), BOLT_PALETTE)
    bolt16 = render_map(BOLT_16, BOLT_ROLES, BOLT_PALETTE)
    write("kestrola-32.png", png_indexed(32, 32, BOLT_PALETTE, BOLT_ALPHAS, bolt32))
    write("kestrola-16.png", png_indexed(16, 16, BOLT_PALETTE, BOLT_ALPHAS, bolt16))
    write(
        "kestrola.ico",
        ico_4bit([(32, BOLT_PALETTE, BOLT_ALPHAS, bolt32), (16, BOLT_PALETTE, BOLT_ALPHAS, bolt16)]),
    )

    q32 = render_icon(
        32,
        question_sampler(32, 1.1, 3.6, 2.2, (16.0, 11.2, 5.2), [(16.0, 17.6), (16.0, 20.0)], (16.0, 25.2)),
        QUESTION_PALETTE,
    )
    q16 = render_map(QUESTION_16, QUESTION_ROLES, QUESTION_PALETTE)
    write("question-32.png", png_indexed(32, 32, QUESTION_PALETTE, QUESTION_ALPHAS, q32))
    write("question-16.png", png_indexed(16, 16, QUESTION_PALETTE, QUESTION_ALPHAS, q16))

    palette, rows = draw_banner()
    write("banner.png", png_indexed(400, 36, palette, [255] * len(palette), rows))


if __name__ == "__main__":
    main()
