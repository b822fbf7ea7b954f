#!/usr/bin/env python3
"""Draws the program icon and writes res/icon.ico.

The emblem is a white "K" above a gold signature stroke on a blue rounded square.
The icon holds 16x16 and 32x32 images in 16 and 256 colours, stored the classic way
(BITMAPINFOHEADER, palette, XOR bits, AND mask) so that every Windows version shows it.
The build uses the committed .ico; run this again only to change the picture:

    python3 tools/make-icon.py                    # rewrites res/icon.ico
    python3 tools/make-icon.py --preview out.png  # also decodes the .ico into an enlarged PNG
"""

import argparse
import math
import os
import struct
import sys
import zlib

SIZES = (16, 32)
SUPERSAMPLE = 8

# The standard 16-colour Windows palette; index 0 must stay black so that
# transparent pixels (AND bit set) leave the screen unchanged.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# Flat colours for the 16-colour images, all taken from VGA16.
FLAT = {
    "border": (0, 0, 128),
    "fill": (0, 0, 255),
    "letter": (255, 255, 255),
    "stroke": (255, 255, 0),
}

BORDER_DARK = (16, 48, 112)
FILL_TOP = (82, 150, 230)
FILL_BOTTOM = (24, 80, 170)
LETTER = (255, 255, 255)
STROKE = (255, 198, 40)

CORNER_RADIUS = 0.2
LETTER_WIDTH = 0.135
STROKE_WIDTH = 0.075

# The "K", as line segments in a unit square with y pointing down.
K_SEGMENTS = [
    ((0.31, 0.15), (0.31, 0.63)),
    ((0.35, 0.46), (0.70, 0.15)),
    ((0.45, 0.37), (0.72, 0.63)),
]

# At 16x16 drawn shapes blur into blobs, so the letter and stroke are placed by hand
# (K = letter, S = stroke); the square and its border are still drawn.
HAND_16 = [
    "................",
    "................",
    "................",
    "....KK....KK....",
    "....KK...KK.....",
    "....KK..KK......",
    "....KK.KK.......",
    "....KKKK........",
    "....KK.KK.......",
    "....KK..KK......",
    "....KK...KK.....",
    "....KK....KK....",
    "................",
    ".....SSSS..SSS..",
    "..SSSS..SSSS....",
    "................",
]


def signature_points():
    """A handwritten-looking wave under the letter."""
    pts = []
    for i in range(41):
        t = i / 40
        x = 0.16 + 0.68 * t
        y = 0.84 - 0.05 * math.sin(t * 2.6 * math.pi) * (1 - 0.4 * t)
        pts.append((x, y))
    return pts


SIGNATURE = signature_points()


def rounded_rect_sdf(x, y, radius):
    """Signed distance to the unit square with rounded corners (negative inside)."""
    qx = abs(x - 0.5) - (0.5 - radius)
    qy = abs(y - 0.5) - (0.5 - radius)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def segment_distance(px, py, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(1.0, max(0.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def polyline_distance(px, py, pts):
    return min(segment_distance(px, py, pts[i], pts[i + 1]) for i in range(len(pts) - 1))


def coverage(size):
    """Per pixel: fraction of the square, its border, the letter and the stroke covered."""
    border_w = 1.0 / size
    n = SUPERSAMPLE
    result = []
    for py in range(size):
        row = []
        for px in range(size):
            square = border = letter = stroke = 0
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    d = rounded_rect_sdf(x, y, CORNER_RADIUS)
                    if d > 0:
                        continue
                    square += 1
                    if d > -border_w:
                        border += 1
                        continue
                    if size == 16:
                        mark = HAND_16[py][px]
                        letter += mark == "K"
                        stroke += mark == "S"
                    elif min(segment_distance(x, y, a, b) for a, b in K_SEGMENTS) < LETTER_WIDTH / 2:
                        letter += 1
                    elif polyline_distance(x, y, SIGNATURE) < STROKE_WIDTH / 2:
                        stroke += 1
            total = n * n
            row.append((square / total, border / total, letter / total, stroke / total))
        result.append(row)
    return result


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def render_truecolour(size, cov):
    """Anti-aliased colours; None marks a transparent pixel."""
    pixels = []
    for py in range(size):
        fill = mix(FILL_TOP, FILL_BOTTOM, (py + 0.5) / size)
        row = []
        for px in range(size):
            square, border, letter, stroke = cov[py][px]
            if square < 0.5:
                row.append(None)
                continue
            # Colours are averaged over the covered part only: the edge is cut by the mask.
            r = g = b = 0.0
            inner = square - border - letter - stroke
            for colour, weight in ((BORDER_DARK, border), (LETTER, letter),
                                   (STROKE, stroke), (fill, inner)):
                r += colour[0] * weight
                g += colour[1] * weight
                b += colour[2] * weight
            row.append((round(r / square), round(g / square), round(b / square)))
        pixels.append(row)
    return pixels


def render_flat(size, cov):
    """Hard-edged VGA colours for the 16-colour images."""
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            square, border, letter, stroke = cov[py][px]
            if square < 0.5:
                row.append(None)
            elif border >= 0.5 * square:
                row.append(FLAT["border"])
            elif letter >= 0.45:
                row.append(FLAT["letter"])
            elif stroke >= 0.5:
                row.append(FLAT["stroke"])
            else:
                row.append(FLAT["fill"])
        pixels.append(row)
    return pixels


def median_cut(colours, count):
    """Reduces a {colour: frequency} map to at most `count` colours."""
    boxes = [list(colours.items())]
    while len(boxes) < count:
        best, best_range, channel = None, 0, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for c in range(3):
                values = [col[c] for col, _ in box]
                spread = max(values) - min(values)
                if spread > best_range:
                    best, best_range, channel = i, spread, c
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda item: item[0][channel])
        half = sum(w for _, w in box) / 2
        acc, cut = 0, 1
        for i, (_, w) in enumerate(box[:-1]):
            acc += w
            cut = i + 1
            if acc >= half:
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(w for _, w in box)
        palette.append(tuple(round(sum(col[c] * w for col, w in box) / total) for c in range(3)))
    return palette


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][c] - colour[c]) ** 2 for c in range(3)))


def build_palette(pixels, bpp):
    if bpp == 4:
        return list(VGA16)
    counts = {}
    for row in pixels:
        for p in row:
            if p is not None:
                counts[p] = counts.get(p, 0) + 1
    used = sorted(counts) if len(counts) <= 255 else sorted(median_cut(counts, 255))
    palette = [(0, 0, 0)] + [c for c in used if c != (0, 0, 0)]
    return palette + [(0, 0, 0)] * (256 - len(palette))


def encode_image(size, bpp, pixels):
    palette = build_palette(pixels, bpp)
    cache = {}
    xor_rows, and_rows = [], []
    for row in reversed(pixels):  # DIB rows are stored bottom-up
        indices, mask = [], []
        for p in row:
            if p is None:
                indices.append(0)
                mask.append(1)
            else:
                if p not in cache:
                    cache[p] = nearest(palette, p)
                indices.append(cache[p])
                mask.append(0)
        if bpp == 4:
            data = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2))
        else:
            data = bytes(indices)
        xor_rows.append(pad4(data))
        and_rows.append(pad4(pack_bits(mask)))
    xor = b"".join(xor_rows)
    and_mask = b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    quads = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + quads + xor + and_mask


def pack_bits(bits):
    out = bytearray()
    for i in range(0, len(bits), 8):
        byte = 0
        for j, bit in enumerate(bits[i:i + 8]):
            byte |= bit << (7 - j)
        out.append(byte)
    return bytes(out)


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def build_icon():
    images = []
    for bpp in (4, 8):
        for size in SIZES:
            cov = coverage(size)
            pixels = render_flat(size, cov) if bpp == 4 else render_truecolour(size, cov)
            images.append((size, bpp, encode_image(size, bpp, pixels)))
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    blobs = b""
    for size, bpp, blob in images:
        colours = 16 if bpp == 4 else 0
        directory += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
        blobs += blob
    return directory + blobs


def decode_icon(data):
    """Reads the images back from the .ico bytes: [(width, bpp, rows of RGB or None)]."""
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    if kind != 1:
        raise ValueError("not an icon")
    images = []
    for i in range(count):
        off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)[7]
        hdr, w, double_h, _, bpp = struct.unpack_from("<IiiHH", data, off)
        h = double_h // 2
        pal_off = off + hdr
        ncol = 1 << bpp
        palette = [(data[pal_off + 4 * k + 2], data[pal_off + 4 * k + 1], data[pal_off + 4 * k])
                   for k in range(ncol)]
        xor_off = pal_off + 4 * ncol
        xor_stride = (w * bpp + 31) // 32 * 4
        and_off = xor_off + xor_stride * h
        and_stride = (w + 31) // 32 * 4
        rows = []
        for y in range(h):
            src = h - 1 - y
            row = []
            for x in range(w):
                bit = data[and_off + src * and_stride + x // 8] >> (7 - x % 8) & 1
                byte = data[xor_off + src * xor_stride + x * bpp // 8]
                index = (byte >> (4 if x % 2 == 0 else 0)) & 15 if bpp == 4 else byte
                row.append(None if bit else palette[index])
            rows.append(row)
        images.append((w, bpp, rows))
    return images


def write_preview(ico_bytes, path, scale=8):
    images = decode_icon(ico_bytes)
    gap = 16
    width = sum(w * scale for w, _, _ in images) + gap * (len(images) + 1)
    height = max(w * scale for w, _, _ in images) + 2 * gap
    canvas = [[(255, 255, 255)] * width for _ in range(height)]
    x0 = gap
    for w, _, rows in images:
        for y in range(w * scale):
            for x in range(w * scale):
                p = rows[y // scale][x // scale]
                if p is None:  # checkerboard shows the transparent parts
                    p = (204, 204, 204) if (x // 4 + y // 4) % 2 else (240, 240, 240)
                canvas[gap + y][x0 + x] = p
        x0 += w * scale + gap
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in canvas)

    def chunk(tag, body):
        return (struct.pack(">I", len(body)) + tag + body
                + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF))

    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9))
           + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", default=os.path.join(root, "res", "icon.ico"))
    parser.add_argument("--preview", help="also write an enlarged PNG decoded from the .ico")
    args = parser.parse_args()
    data = build_icon()
    with open(args.output, "wb") as f:
        f.write(data)
    if args.preview:
        write_preview(data, args.preview)
    return 0


if __name__ == "__main__":
    sys.exit(main())
