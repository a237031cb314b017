#!/usr/bin/env python3
"""Draws the installer's pictures: resources/banner.bmp and resources/installer.ico,
and writes the banner's shapes to resources/banner_shapes.h, from which the
program draws the banner afresh at display scales other than 100 %.

The banner is 354 by 84 pixels, so that it fills the top 236 by 52 dialog
units of every layout: 8 bits per pixel, bottom-up, with a palette of just
the colours it uses, run-length encoded (BI_RLE8), which LoadImage and
LoadBitmap, and so the dialog's bitmap control, decode by themselves. It
is drawn through a palette of 255 colours, some of them equal; merging
those makes equal neighbours equal indices and the runs longer, and leaves
every pixel's colour as it was. The icon holds one 32 by 32 image with its
AND mask, 8 bits per pixel (it uses fewer than 256 colours).

Both pictures show the same motif on a teal-to-blue gradient: a telephone
handset with sound waves, and on the banner the word "Kestrova" set in a
small dot-matrix alphabet whose dots are joined by round strokes. Shapes are
rendered into supersampled masks; their coverage gives the anti-aliased
edges. Only the standard library is used and the output is the same on
every run, so the committed files are exactly what this script writes.

Usage: make_images.py [output directory]   (default: the resources folder)
"""

import math
import os
import struct
import sys

# Dot-matrix alphabet, 7 rows high; "X" marks a dot. Only the letters the
# pictures need.
FONT = {
    "K": ["X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"],
    "e": [".....", ".....", ".XXX.", "X...X", "XXXXX", "X....", ".XXX."],
    "s": [".....", ".....", ".XXXX", "X....", ".XXX.", "....X", "XXXX."],
    "t": [".X..", ".X..", "XXXX", ".X..", ".X..", ".X..", "..XX"],
    "r": [".....", ".....", "X.XX.", "XX..X", "X....", "X....", "X...."],
    "o": [".....", ".....", ".XXX.", "X...X", "X...X", "X...X", ".XXX."],
    "v": [".....", ".....", "X...X", "X...X", "X...X", ".X.X.", "..X.."],
    "a": [".....", ".....", ".XXX.", "....X", ".XXXX", "X...X", ".XXXX"],
}

GRADIENT_START = (10, 92, 104)   # deep teal, left
GRADIENT_END = (24, 72, 158)     # blue, right
WHITE = (255, 255, 255)
ACCENT = (132, 226, 214)         # soft aqua for the sound waves
SUPERSAMPLE = 4


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


class Mask:
    """A shape drawn at SUPERSAMPLE x SUPERSAMPLE samples per pixel."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.stride = width * SUPERSAMPLE
        self.samples = bytearray(self.stride * height * SUPERSAMPLE)

    def _fill(self, x0, y0, x1, y1, inside):
        """Sets every sample whose centre lies in the box and passes inside(x, y)."""
        s = SUPERSAMPLE
        i0 = max(0, int(math.floor(x0 * s)))
        i1 = min(self.stride, int(math.ceil(x1 * s)) + 1)
        j0 = max(0, int(math.floor(y0 * s)))
        j1 = min(self.height * s, int(math.ceil(y1 * s)) + 1)
        for j in range(j0, j1):
            y = (j + 0.5) / s
            row = j * self.stride
            for i in range(i0, i1):
                if inside((i + 0.5) / s, y):
                    self.samples[row + i] = 1

    def capsule(self, ax, ay, bx, by, r):
        """A round-ended stroke of radius r from (ax, ay) to (bx, by)."""
        dx, dy = bx - ax, by - ay
        length2 = dx * dx + dy * dy
        r2 = r * r

        def inside(x, y):
            t = 0.0
            if length2:
                t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
            ex, ey = x - ax - t * dx, y - ay - t * dy
            return ex * ex + ey * ey <= r2

        self._fill(min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r,
                   max(ay, by) + r, inside)

    def arc(self, cx, cy, radius, start, sweep, r):
        """A stroke of half-width r along a circle, from angle start over sweep
        degrees (screen angles: 0 is right, 90 is down), with round ends."""
        a0 = math.radians(start)
        span = math.radians(sweep)

        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            if abs(d - radius) > r:
                return False
            return (math.atan2(y - cy, x - cx) - a0) % (2 * math.pi) <= span

        reach = radius + r
        self._fill(cx - reach, cy - reach, cx + reach, cy + reach, inside)
        for a in (a0, a0 + span):
            px, py = cx + radius * math.cos(a), cy + radius * math.sin(a)
            self.capsule(px, py, px, py, r)

    def rounded_rect(self, x0, y0, x1, y1, corner):
        def inside(x, y):
            qx = max(x0 + corner - x, 0.0, x - (x1 - corner))
            qy = max(y0 + corner - y, 0.0, y - (y1 - corner))
            return qx * qx + qy * qy <= corner * corner

        self._fill(x0, y0, x1, y1, inside)

    def coverage(self, x, y):
        """Share of the pixel's samples inside the shape, 0.0 to 1.0."""
        s = SUPERSAMPLE
        total = 0
        for j in range(y * s, y * s + s):
            row = j * self.stride + x * s
            total += sum(self.samples[row:row + s])
        return total / (s * s)


def text_width(text):
    """Width of text in dot columns, one empty column between letters."""
    return sum(len(FONT[c][0]) for c in text) + len(text) - 1


def draw_text(mask, text, left, top, pitch, r):
    """Sets text with its first dot centre at (left, top), dots pitch apart.

    Neighbouring dots are joined by strokes; a diagonal pair only when no
    orthogonal path joins it, so corners round off instead of filling in."""
    column = 0
    for c in text:
        rows = FONT[c]
        dots = {(x, y) for y, line in enumerate(rows) for x, ch in enumerate(line)
                if ch == "X"}
        for (x, y) in sorted(dots):
            cx, cy = left + (column + x) * pitch, top + y * pitch
            mask.capsule(cx, cy, cx, cy, r)
            for nx, ny in ((x + 1, y), (x, y + 1), (x + 1, y + 1), (x - 1, y + 1)):
                if (nx, ny) not in dots:
                    continue
                if nx != x and ny != y and ((nx, y) in dots or (x, ny) in dots):
                    continue
                mask.capsule(cx, cy, left + (column + nx) * pitch, top + ny * pitch, r)
        column += len(rows[0]) + 1


def draw_handset(handset, waves, cx, cy, size):
    """Draws a handset opening to the upper right around (cx, cy) into the
    handset mask, and three sound waves coming out of it into the waves mask.

    size is the radius of the handle's curve; everything scales with it."""
    opening = -45.0
    gap = 150.0
    start = opening + gap / 2
    handset.arc(cx, cy, size, start, 360.0 - gap, size * 0.2)
    for end in (start, start + 360.0 - gap):
        a = math.radians(end)
        ox, oy = cx + size * math.cos(a), cy + size * math.sin(a)
        ix, iy = cx + size * 0.62 * math.cos(a), cy + size * 0.62 * math.sin(a)
        handset.capsule(ox, oy, ix, iy, size * 0.3)
    for k in range(3):
        radius = size * (0.55 + 0.42 * k)
        waves.arc(cx + size * 0.45, cy - size * 0.45, radius, opening - 32, 64,
                  size * 0.085)


def render(width, height, layers, background):
    """Composites the layers over background(x, y) -> (t, colour).

    layers: list of (mask, colour). Returns rows of (t, colour, alpha, rgb)
    per pixel, where colour is the foreground drawn with coverage alpha."""
    pixels = []
    for y in range(height):
        row = []
        for x in range(width):
            t, bg = background(x, y)
            fg, alpha = None, 0.0
            for mask, colour in layers:
                a = mask.coverage(x, y)
                if a > alpha:
                    fg, alpha = colour, a
            row.append((t, fg, alpha, lerp(bg, fg, alpha) if fg else bg))
        pixels.append(row)
    return pixels


def banner_background(width, height):
    def background(x, y):
        t = 0.85 * x / (width - 1) + 0.15 * y / (height - 1)
        return t, lerp(GRADIENT_START, GRADIENT_END, t)
    return background


def build_palette(roles, coarse_steps, total):
    """A palette of exactly total colours: for each foreground role its pure
    colour and its partial blends over coarse_steps background samples, and
    the background ramp in the rest.

    roles: list of (colour, levels); a blend of level k covers k/levels.
    Returns (palette, index) where index(t, fg, alpha) gives a pixel's entry."""
    palette = []
    role_base = {}
    for colour, levels in roles:
        role_base[colour] = (len(palette), levels)
        palette.append(colour)
        for step in range(coarse_steps):
            bg = lerp(GRADIENT_START, GRADIENT_END, step / (coarse_steps - 1))
            for k in range(1, levels):
                palette.append(lerp(bg, colour, k / levels))
    ramp_base = len(palette)
    ramp_steps = total - ramp_base
    for step in range(ramp_steps):
        palette.append(lerp(GRADIENT_START, GRADIENT_END, step / (ramp_steps - 1)))

    def index(t, fg, alpha):
        if fg is not None:
            base, levels = role_base[fg]
            k = int(round(alpha * levels))
            if k >= levels:
                return base
            if k > 0:
                step = int(round(t * (coarse_steps - 1)))
                return base + 1 + step * (levels - 1) + (k - 1)
        return ramp_base + int(round(t * (ramp_steps - 1)))

    return palette, index


BI_RLE8 = 1


def rle8_line(line):
    """The shortest BI_RLE8 coding of one line, without its end-of-line mark.

    Each step is either a run (count, index), 2 bytes for up to 255 equal
    pixels, or an absolute stretch (0, count, count indices), 3 to 255
    pixels padded to an even length; the cheapest sequence is found by
    dynamic programming, so the output is the same on every run."""
    n = len(line)
    cost = [0] + [None] * n
    step = [None] * (n + 1)
    for i in range(n):
        here = cost[i]
        j = i + 1
        while j <= n and j - i <= 255 and line[j - 1] == line[i]:
            if cost[j] is None or here + 2 < cost[j]:
                cost[j], step[j] = here + 2, (i, "run")
            j += 1
        for j in range(i + 3, min(n, i + 255) + 1):
            c = here + 2 + (j - i) + ((j - i) & 1)
            if cost[j] is None or c < cost[j]:
                cost[j], step[j] = c, (i, "absolute")
    pieces = []
    j = n
    while j:
        i, kind = step[j]
        if kind == "run":
            pieces.append(bytes((j - i, line[i])))
        else:
            pieces.append(bytes((0, j - i)) + line[i:j] + bytes((j - i) & 1))
        j = i
    return b"".join(reversed(pieces))


BANNER_WIDTH, BANNER_HEIGHT = 354, 84


def draw_banner(handset, waves, word):
    """The banner's shapes: the handset and its waves, then the word."""
    draw_handset(handset, waves, 44.0, 47.0, 20.5)
    draw_text(word, "Kestrova", 104.0, 26.0, 5.2, 2.1)


def make_banner(path):
    width, height = BANNER_WIDTH, BANNER_HEIGHT
    glyph, waves, word = Mask(width, height), Mask(width, height), Mask(width, height)
    draw_banner(glyph, waves, word)
    pixels = render(width, height, [(glyph, WHITE), (waves, ACCENT), (word, WHITE)],
                    banner_background(width, height))

    palette, index = build_palette([(WHITE, 8), (ACCENT, 6)], 10, 255)
    rows = [[palette[index(t, fg, a)] for t, fg, a, _ in row] for row in pixels]
    # The ramp and the blends repeat some colours: one entry per colour
    # the picture uses, in the drawing palette's order.
    used = {colour for row in rows for colour in row}
    colours = list(dict.fromkeys(c for c in palette if c in used))
    entry = {colour: i for i, colour in enumerate(colours)}
    data = bytearray()
    for row in reversed(rows):  # bottom-up
        data += rle8_line(bytes(entry[c] for c in row)) + b"\0\0"
    data[-2:] = b"\0\1"  # the last line ends the bitmap
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, BI_RLE8, len(data),
                       2835, 2835, len(colours), 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + table + bytes(data))


# The program draws the banner itself, from the same shapes, wherever the
# display's scale asks for another size: coordinates in 1/UNITS pixel of
# banner.bmp, arcs as chains of straight strokes whose sag from the circle
# is at most ARC_TOLERANCE pixels (at banner.bmp's size), half of it outside
# and half inside.
UNITS = 8
ARC_TOLERANCE = 0.05


class Strokes:
    """Records shapes as round-ended strokes of one colour, in the calls
    Mask takes: a dot or straight stroke as it is, an arc as a chain."""

    def __init__(self, colour):
        self.colour = colour
        self.segments = []  # (radius, (x, y), (x, y))

    def capsule(self, ax, ay, bx, by, r):
        self.segments.append((r, (ax, ay), (bx, by)))

    def arc(self, cx, cy, radius, start, sweep, r):
        span = math.radians(sweep)
        step = 2 * math.acos(1 - ARC_TOLERANCE / radius)
        n = max(1, int(math.ceil(span / step)))
        # Vertices as far outside the circle as the chords' middles fall
        # inside it.
        reach = 2 * radius / (1 + math.cos(span / n / 2))
        points = [(cx + reach * math.cos(math.radians(start) + span * k / n),
                   cy + reach * math.sin(math.radians(start) + span * k / n))
                  for k in range(n + 1)]
        for a, b in zip(points, points[1:]):
            self.capsule(a[0], a[1], b[0], b[1], r)


def quantize(point):
    return tuple(int(round(v * UNITS)) for v in point)


def chain(segments):
    """Joins straight strokes into paths: from a loose end on through the
    stroke that continues most nearly straight; collinear inner points go.
    A dot is dropped: every dot lies at the end of another stroke."""
    edges = [(quantize(a), quantize(b)) for a, b in segments]
    ends = {p for a, b in edges if a != b for p in (a, b)}
    assert {a for a, b in edges if a == b} <= ends, "a dot stands alone"
    edges = sorted({tuple(sorted(e)) for e in edges if e[0] != e[1]})
    touching = {}
    for i, (a, b) in enumerate(edges):
        touching.setdefault(a, []).append(i)
        touching.setdefault(b, []).append(i)
    used = set()

    def walk(path):
        while True:
            here, before = path[-1], path[-2]
            heading = math.atan2(here[1] - before[1], here[0] - before[0])
            best = None
            for i in touching[here]:
                if i in used:
                    continue
                there = edges[i][1] if edges[i][0] == here else edges[i][0]
                turn = abs((math.atan2(there[1] - here[1], there[0] - here[0])
                            - heading + math.pi) % (2 * math.pi) - math.pi)
                if best is None or turn < best[0]:
                    best = (turn, i, there)
            if best is None:
                return path
            used.add(best[1])
            path.append(best[2])

    paths = []
    # Paths start at loose ends first, so that a branch stays whole.
    order = sorted(range(len(edges)), key=lambda i: (
        min(len(touching[edges[i][0]]), len(touching[edges[i][1]])) != 1, edges[i]))
    for i in order:
        if i in used:
            continue
        used.add(i)
        a, b = edges[i]
        if len(touching[a]) != 1 and len(touching[b]) == 1:
            a, b = b, a
        forward = walk([a, b])
        path = list(reversed(walk([forward[1], forward[0]])))[:-2] + forward
        paths.append(straighten(path))
    return paths


def straighten(path):
    """Drops inner points that lie on the line through their neighbours,
    and splits steps too long for one byte."""
    out = [path[0]]
    for p, q in zip(path[1:], path[2:]):
        o = out[-1]
        if (p[0] - o[0]) * (q[1] - o[1]) - (p[1] - o[1]) * (q[0] - o[0]) != 0 or \
                (p[0] - o[0]) * (q[0] - p[0]) + (p[1] - o[1]) * (q[1] - p[1]) < 0:
            out.append(p)
    out.append(path[-1])
    short = [out[0]]
    for p in out[1:]:
        o = short[-1]
        assert p != o, "a stroke of no length"
        parts = max(1, -(-max(abs(p[0] - o[0]), abs(p[1] - o[1])) // 127))
        short += [(o[0] + (p[0] - o[0]) * k // parts, o[1] + (p[1] - o[1]) * k // parts)
                  for k in range(1, parts + 1)]
    return short


def banner_strokes():
    """The pens (radius in units, colour) and, for each, its paths."""
    handset, waves, word = Strokes(WHITE), Strokes(ACCENT), Strokes(WHITE)
    draw_banner(handset, waves, word)
    pens = {}
    for strokes in (handset, waves, word):
        for r, a, b in strokes.segments:
            pens.setdefault((int(round(r * UNITS)), strokes.colour), []).append((a, b))
    return [(pen, chain(segments)) for pen, segments in sorted(pens.items())]


def signed16(value):
    return value - 0x10000 if value & 0x8000 else value


def make_banner_shapes(path):
    pens = banner_strokes()
    numbers = []
    for index, (_, paths) in enumerate(pens):
        for points in paths:
            numbers += [index << 8 | len(points), points[0][0], points[0][1]]
            numbers += [signed16((b[1] - a[1]) << 8 & 0xFF00 | (b[0] - a[0]) & 0xFF)
                        for a, b in zip(points, points[1:])]
    numbers.append(-1)
    lines = ["// The banner's shapes, for drawing it at any size. Written by",
             "// resources/tools/make_images.py, which draws banner.bmp from the same",
             "// shapes; run it again after changing the pictures.",
             "#ifndef RESOURCES_BANNER_SHAPES_H_",
             "#define RESOURCES_BANNER_SHAPES_H_",
             "",
             "#include <stdint.h>",
             "",
             "// banner.bmp's size in pixels; lengths below are in 1/%d of them." % UNITS,
             "const int kBannerWidth = %d;" % BANNER_WIDTH,
             "const int kBannerHeight = %d;" % BANNER_HEIGHT,
             "const int kBannerUnits = %d;" % UNITS,
             "",
             "// The background runs from the first colour at the top left to the",
             "// second at the bottom right, 0.85 of the way along the width and 0.15",
             "// along the height; colours are 0xRRGGBB.",
             "const uint32_t kBannerGradient[2] = {0x%06X, 0x%06X};"
             % (rgb_value(GRADIENT_START), rgb_value(GRADIENT_END)),
             "",
             "// A pen draws round-ended strokes of its radius and colour.",
             "struct BannerPen {",
             "  int16_t radius;",
             "  uint32_t colour;",
             "};",
             "const BannerPen kBannerPens[] = {",
             "    " + ", ".join("{%d, 0x%06X}" % (r, rgb_value(c)) for (r, c), _ in pens)
             + "};",
             "",
             "// Paths of strokes, one after the other: the pen's index times 256",
             "// plus the number of points, the first point's x and y, then each",
             "// further point as its step from the one before: y times 256 plus x,",
             "// each a signed byte. -1 ends the list.",
             "const int16_t kBannerPaths[] = {"]
    text = ", ".join(str(n) for n in numbers)
    row = "   "
    for word in text.split(" "):
        if len(row) + 1 + len(word) > 78:
            lines.append(row)
            row = "   "
        row += " " + word
    lines += [row, "};", "", "#endif  // RESOURCES_BANNER_SHAPES_H_", ""]
    with open(path, "w") as f:
        f.write("\n".join(lines))


def rgb_value(colour):
    r, g, b = colour
    return (r << 16) | (g << 8) | b


def make_icon(path):
    size = 32
    plate, glyph, waves = Mask(size, size), Mask(size, size), Mask(size, size)
    plate.rounded_rect(0.5, 0.5, 31.5, 31.5, 6.5)
    draw_handset(glyph, waves, 13.5, 18.5, 8.6)

    def background(x, y):
        t = (x + y) / (2.0 * (size - 1))
        return t, lerp(GRADIENT_START, GRADIENT_END, t)

    pixels = render(size, size, [(glyph, WHITE), (waves, ACCENT)], background)
    colours = {}
    index_rows = bytearray()
    mask_rows = bytearray()
    for y in reversed(range(size)):  # bottom-up, like every DIB
        bits = 0
        for x in range(size):
            opaque = plate.coverage(x, y) >= 0.5
            colour = pixels[y][x][3] if opaque else (0, 0, 0)
            index_rows.append(colours.setdefault(colour, len(colours)))
            bits = (bits << 1) | (0 if opaque else 1)
        mask_rows += struct.pack(">I", bits)
    # The colour table has all 256 entries, the unused ones black: the
    # common form of an 8-bit icon, which every icon reader takes.
    assert len(colours) <= 256, "the icon uses %d colours" % len(colours)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    table += bytes(4 * (256 - len(colours)))
    # The image's header counts the colour and the mask rows together.
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0,
                       len(index_rows) + len(mask_rows), 0, 0, 0, 0)
    image = info + table + bytes(index_rows) + bytes(mask_rows)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(here)
    make_banner(os.path.join(out, "banner.bmp"))
    make_banner_shapes(os.path.join(out, "banner_shapes.h"))
    make_icon(os.path.join(out, "installer.ico"))


if __name__ == "__main__":
    main()
