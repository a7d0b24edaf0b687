#!/usr/bin/python3
"""Writes the launcher's banner as XPM text in a C header.

The picture: the show's name over a road that runs into a dusk sky, black and
white with magenta tones. 368 x 100 pixels, exactly 1800 colours, two characters
per pixel. Deterministic: the same fonts give the same bytes.

    banner.py --out <header path>
"""

import argparse
import math

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

W, H = 368, 100
COLOURS = 2 * 900
HORIZON = 66
FONT = "/usr/share/fonts/opentype/league-spartan/LeagueSpartan-Bold.otf"
TITLE = "Velmora Pulsvek"


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def sky(img):
    top, mid, low = (6, 2, 14), (70, 8, 74), (236, 60, 170)
    d = ImageDraw.Draw(img)
    for y in range(HORIZON):
        t = y / (HORIZON - 1)
        c = lerp(top, mid, t / 0.6) if t < 0.6 else lerp(mid, low, (t - 0.6) / 0.4)
        d.line([(0, y), (W, y)], fill=c)


def sun(img):
    # A low sun cut by the horizon, with the stripes of a retro sunset.
    cx, cy, r = W // 2, HORIZON + 2, 34
    layer = Image.new("RGB", (W, H), (0, 0, 0))
    d = ImageDraw.Draw(layer)
    for y in range(cy - r, HORIZON):
        half = math.sqrt(max(0.0, r * r - (y - cy) ** 2))
        t = (y - (cy - r)) / r
        gap = y > cy - r * 0.55 and (y - (cy - r)) % 6 >= 6 - max(1, int(t * 4))
        if gap:
            continue
        d.line([(cx - half, y), (cx + half, y)], fill=lerp((255, 246, 250), (255, 70, 190), t))
    mask = Image.fromarray((np.asarray(layer).max(axis=2) > 0).astype(np.uint8) * 255)
    img.paste(layer, (0, 0), mask)


def hills(img):
    # Black ridges on both sides of the road's end.
    d = ImageDraw.Draw(img)
    pts = [(0, HORIZON)]
    for x in range(0, W + 1, 4):
        edge = abs(x - W / 2) / (W / 2)
        h = (6 + 5 * math.sin(x * 0.07) + 3 * math.sin(x * 0.19 + 1.3)) * min(1.0, edge * 2.2)
        pts.append((x, HORIZON - h))
    pts.append((W, HORIZON))
    d.polygon(pts, fill=(0, 0, 0))


def ground(img):
    d = ImageDraw.Draw(img)
    d.rectangle([0, HORIZON, W, H], fill=(0, 0, 0))
    vx = W / 2
    # Grid lines towards the vanishing point, and rows closing up at the horizon.
    for i in range(-14, 15):
        x0 = vx + i * 46
        d.line([(vx + i * 2, HORIZON), (x0, H)], fill=(120, 20, 120), width=1)
    for k in range(1, 9):
        y = HORIZON + (H - HORIZON) * (k / 8) ** 2
        d.line([(0, y), (W, y)], fill=lerp((150, 24, 140), (90, 10, 90), k / 8), width=1)
    # The road: dark asphalt, white edges, a dashed centre line.
    left, right = vx - 110, vx + 110
    d.polygon([(vx - 3, HORIZON), (vx + 3, HORIZON), (right, H), (left, H)], fill=(14, 10, 18))
    d.line([(vx - 3, HORIZON), (left, H)], fill=(250, 250, 250), width=2)
    d.line([(vx + 3, HORIZON), (right, H)], fill=(250, 250, 250), width=2)
    for k in range(7):
        a, b = (k / 7) ** 2, ((k + 0.5) / 7) ** 2
        ya, yb = HORIZON + (H - HORIZON) * a, HORIZON + (H - HORIZON) * b
        wa, wb = 0.5 + 3 * a, 0.5 + 3 * b
        d.polygon([(vx - wa, ya), (vx + wa, ya), (vx + wb, yb), (vx - wb, yb)], fill=(255, 255, 255))


def title(img):
    font = ImageFont.truetype(FONT, 40)
    box = font.getbbox(TITLE)
    x = (W - (box[2] - box[0])) // 2 - box[0]
    y = 8 - box[1]
    glow = Image.new("L", (W, H), 0)
    ImageDraw.Draw(glow).text((x, y), TITLE, font=font, fill=255)
    glow = glow.filter(ImageFilter.GaussianBlur(4))
    magenta = Image.new("RGB", (W, H), (255, 40, 220))
    img.paste(magenta, (0, 0), glow.point(lambda v: min(255, v * 2)))
    # Black outline, then white letters.
    d = ImageDraw.Draw(img)
    d.text((x, y), TITLE, font=font, fill=(0, 0, 0), stroke_width=2, stroke_fill=(0, 0, 0))
    d.text((x, y), TITLE, font=font, fill=(255, 255, 255))


def reduce_colours(img):
    """Exactly COLOURS colours: the most frequent ones, every other pixel mapped to the nearest."""
    a = np.asarray(img, dtype=np.int32).reshape(-1, 3)
    keys = (a[:, 0] << 16) | (a[:, 1] << 8) | a[:, 2]
    uniq, inverse, counts = np.unique(keys, return_inverse=True, return_counts=True)
    order = np.lexsort((uniq, -counts))
    chosen = np.sort(uniq[order[:COLOURS]])
    # Fill up with unused dark magenta tones when the picture has fewer colours.
    extra = 0
    while len(chosen) < COLOURS:
        k = ((extra % 64) << 16) | ((extra // 64) % 4 << 8) | (extra % 64)
        if k not in set(chosen.tolist()):
            chosen = np.sort(np.append(chosen, k))
        extra += 1
    pal = np.stack([(chosen >> 16) & 255, (chosen >> 8) & 255, chosen & 255], axis=1)
    index = np.empty(len(keys), dtype=np.int32)
    pos = np.searchsorted(chosen, uniq)
    exact = (pos < len(chosen)) & (chosen[np.minimum(pos, len(chosen) - 1)] == uniq)
    umap = np.where(exact, pos, -1)
    missing = np.nonzero(~exact)[0]
    if len(missing):
        ucol = np.stack([(uniq[missing] >> 16) & 255, (uniq[missing] >> 8) & 255, uniq[missing] & 255], axis=1)
        for s in range(0, len(missing), 256):
            part = ucol[s:s + 256]
            dist = ((part[:, None, :] - pal[None, :, :]) ** 2).sum(axis=2)
            umap[missing[s:s + 256]] = dist.argmin(axis=1)
    index[:] = umap[inverse]
    return pal, index.reshape(H, W)


def codes():
    chars = [chr(c) for c in range(35, 127) if chr(c) != "\\"]
    return [a + b for a in chars for b in chars][:COLOURS]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True)
    args = ap.parse_args()

    img = Image.new("RGB", (W, H), (0, 0, 0))
    sky(img)
    sun(img)
    hills(img)
    ground(img)
    title(img)
    pal, index = reduce_colours(img)
    names = codes()

    lines = ["// The launcher's banner, written at build time by tools/banner/banner.py.",
             "static const char* const banner_xpm[] = {",
             '"%d %d %d 2",' % (W, H, COLOURS)]
    for n, (r, g, b) in zip(names, pal):
        lines.append('"%s c #%02X%02X%02X",' % (n, r, g, b))
    for y in range(H):
        lines.append('"%s",' % "".join(names[i] for i in index[y]))
    lines.append("};")
    with open(args.out, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
