#!/usr/bin/env python3
"""Compares a picture of the Windows program with the Linux program's of the same input.

The two cannot be byte for byte the same: the texts come from different font
rasterisers, and the wide pens of GDI and Qt round sloped lines apart by a pixel.
What must agree:
  - the size;
  - inside the plot area a pixel may differ only beside a wide pen's curve in both
    pictures (within the widest pen's width less one: 1 pixel for the barogram's
    2-pixel pens, 2 for the diurnal 3-pixel curve), or where each picture's colour
    stands that near in the other: the curves are at the same places, a wide pen only
    rounds a step or a join the other way; a one-pixel curve (blue, green, grey, the
    thin red) moves nowhere except under a wide curve; and at most a tenth of the
    plot's drawn pixels differ;
  - outside the plot area only text differs: a differing pixel is text or background
    (the text colour, white or the plot colour) in both pictures.
Usage: compare_pictures.py WINDOWS.png LINUX.png barogram|paper|diurnal
"""
import struct
import sys
import zlib


def read_png(path):
    """Width, height and rows of (r, g, b) of an RGB, RGBA or palette PNG (not interlaced)."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG file")
    pos, idat, header, palette = 8, b"", None, []
    while pos < len(data):
        (n,) = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + n]
        pos += 12 + n
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[k:k + 3]) for k in range(0, len(body), 3)]
        elif kind == b"IDAT":
            idat += body
    width, height, depth, colour_type, _, _, interlace = header
    indexed = colour_type == 3 and depth in (1, 2, 4, 8)
    if interlace != 0 or not (indexed or (depth == 8 and colour_type in (2, 6))):
        raise ValueError(f"{path}: neither an 8-bit RGB nor a palette picture")
    # Bytes per pixel for the filters (at least one), and bytes per row.
    bpp = 1 if indexed else 3 if colour_type == 2 else 4
    stride = (width * depth + 7) // 8 if indexed else width * bpp
    raw = zlib.decompress(idat)
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        filt, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            if filt == 1:
                line[x] = (line[x] + a) & 255
            elif filt == 2:
                line[x] = (line[x] + b) & 255
            elif filt == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif filt == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        if indexed:
            per_byte, mask = 8 // depth, (1 << depth) - 1
            rows.append([palette[(line[x // per_byte] >> (8 - depth * (x % per_byte + 1))) & mask]
                         for x in range(width)])
        else:
            rows.append([tuple(line[x * bpp:x * bpp + 3]) for x in range(width)])
        prev = line
    return width, height, rows


BLACK, WHITE, PLOT = (0, 0, 0), (255, 255, 255), (245, 245, 255)
THIN = {(0, 0, 255): "blue", (0, 200, 0): "green", (255, 0, 0): "red", (200, 200, 200): "grey"}


BROWN = (180, 100, 90)  # the paper look's lines and texts
PAPER = (250, 240, 230)
WIDE = (BLACK, (255, 0, 0), (5, 5, 180), BROWN)  # the colours of the 2- and 3-pixel pens
REACH = {"barogram": 1, "paper": 1, "diurnal": 2}


def plot_area(kind, width, height):
    if kind in ("barogram", "paper"):
        return 50, 35, width - 50, height - 35
    return 50, 50, width - 50, height - 50


def near(rows, x, y, colour, reach=1):
    return any(
        rows[j][i] == colour
        for j in range(max(0, y - reach), min(len(rows), y + reach + 1))
        for i in range(max(0, x - reach), min(len(rows[0]), x + reach + 1)))


def compare(windows, linux, kind):
    (wa, ha, a), (wb, hb, b) = read_png(windows), read_png(linux)
    if (wa, ha) != (wb, hb):
        return [f"size {wa}x{ha} on Windows, {wb}x{hb} on Linux"]
    left, top, right, bottom = plot_area(kind, wa, ha)
    reach = REACH[kind]
    text = (BLACK, WHITE, PLOT) + ((BROWN,) if kind == "paper" else ())
    background = (PLOT, PAPER, WHITE)

    def by_wide_pen(x, y):
        return all(any(near(rows, x, y, c, reach) for c in WIDE) for rows in (a, b))

    problems, differing, inside, drawn = [], 0, 0, 0
    for y in range(ha):
        for x in range(wa):
            pa, pb = a[y][x], b[y][x]
            in_plot = left <= x <= right and top <= y <= bottom
            if in_plot and pb not in background:
                drawn += 1
            if pa == pb:
                continue
            differing += 1
            where = f"({x},{y}) {pa} on Windows, {pb} on Linux"
            if in_plot:
                inside += 1
                same_place = near(b, x, y, pa, reach) and near(a, x, y, pb, reach)
                if not same_place and not by_wide_pen(x, y):
                    problems.append("plot pixel away from its curve: " + where)
                elif (pa in THIN or pb in THIN) and not by_wide_pen(x, y):
                    problems.append("one-pixel curve moved: " + where)
            elif pa not in text or pb not in text:
                problems.append("outside the plot, more than text differs: " + where)
    # The wide pens round apart at a few steps, never along a whole curve.
    if inside > max(20, drawn // 10):
        problems.append(f"{inside} of the plot's {drawn} drawn pixels differ")
    print(f"{windows}: {differing} of {wa * ha} pixels differ from {linux}, {inside} in the plot"
          f" ({drawn} drawn); {len(problems)} beyond the rules")
    return problems


def main():
    problems = compare(sys.argv[1], sys.argv[2], sys.argv[3])
    for problem in problems[:20]:
        print("  " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
