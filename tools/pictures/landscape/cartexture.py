"""Writes the car paint "Cartexture.png": an atlas whose regions the car model
(tools/models/CarModel.cpp) maps. Regions in texture coordinates (v up; the
engine flips the picture on load, so v = 1 is the top row):

  side   u 0-1,     v 0.5-1    lower body side, nose at the left, sill at the bottom
  top    u 0-0.5,   v 0-0.5    seen from above, nose at the left, the car's left side at the top
  glass  u 0.5-0.75, v 0.25-0.5
  front  u 0.75-1,  v 0.25-0.5 the nose seen from ahead, headlights
  tyre   u 0.5-0.75, v 0-0.25  rim disc in the middle, rubber in the corners
  rear   u 0.75-1,  v 0-0.25   the tail seen from behind, light bar and plate
"""

import numpy as np

from picturekit import graphics_folder, hex_colour, save_png

SIZE = 512
PAINT = hex_colour("c8102e")
PAINT_DARK = hex_colour("7a0a1e")
BLACK = hex_colour("121214")
WHITE = hex_colour("f4f4f0")
ORANGE = hex_colour("ff8a1f")


def region(img, u0, v0, u1, v1):
    """The pixel block of a region and its local (s, t), t up."""
    x0, x1 = int(round(u0 * SIZE)), int(round(u1 * SIZE))
    y0, y1 = int(round((1 - v1) * SIZE)), int(round((1 - v0) * SIZE))
    w, h = x1 - x0, y1 - y0
    s = np.tile(((np.arange(w) + 0.5) / w)[None, :], (h, 1))
    t = np.tile(((np.arange(h) + 0.5) / h)[::-1, None], (1, w))
    return (slice(y0, y1), slice(x0, x1)), s, t


def rect(s, t, s0, s1, t0, t1):
    return (s >= s0) & (s <= s1) & (t >= t0) & (t <= t1)


def put(block, mask, colour):
    block[mask] = colour


def paint_base(t):
    shade = 0.75 + 0.35 * t + 0.25 * np.exp(-((t - 0.9) / 0.05) ** 2)
    return np.clip(PAINT[None, None, :] * shade[..., None], 0, 1)


def emblem(block, s, t, cs, ct, rs, rt):
    """A striped half sun over a chevron, inside an ellipse of radii rs, rt."""
    x = (s - cs) / rs
    y = (t - ct) / rt
    sun = (x * x + y * y < 1.0) & (y > -0.1)
    stripes = ((np.floor((y + 0.1) * 6) % 2) == 1) & (y < 0.35)
    put(block, sun & ~stripes, ORANGE)
    chevron = (np.abs(np.abs(x) - (y + 0.9) * 0.9) < 0.18) & (y < -0.2) & (y > -0.95)
    put(block, chevron, hex_colour("d61c7a"))


def side(img):
    sl, s, t = region(img, 0.0, 0.5, 1.0, 1.0)
    b = paint_base(t)
    put(b, t < 0.18, BLACK)
    for cs in (0.184, 0.816):
        # Wheel wells: radius 6 around the wheel centres (x = -+24, 5.5 above the ground).
        arch = ((s - cs) / 0.079) ** 2 + ((t - 0.238) / 0.571) ** 2 < 1.0
        put(b, arch, hex_colour("09090a"))
    put(b, rect(s, t, 0.0, 1.0, 0.89, 0.95), WHITE)
    put(b, rect(s, t, 0.0, 1.0, 0.84, 0.87), ORANGE)
    for cs in (0.36, 0.62):
        put(b, np.abs(s - cs) < 0.0025, PAINT_DARK)
    panel = rect(s, t, 0.43, 0.57, 0.3, 0.72)
    put(b, panel, WHITE)
    emblem(b, s, t, 0.5, 0.52, 0.05, 0.16)
    img[sl] = b


def top(img):
    sl, s, t = region(img, 0.0, 0.0, 0.5, 0.5)
    b = np.clip(PAINT[None, None, :] * (0.95 + 0.1 * np.cos((t - 0.5) * 3.0))[..., None], 0, 1)
    for t0, t1 in ((0.34, 0.45), (0.55, 0.66)):
        put(b, rect(s, t, 0.0, 1.0, t0, t1), WHITE)
    put(b, rect(s, t, 0.0, 1.0, 0.465, 0.535), ORANGE)
    # Hood vents ahead of the windscreen.
    for t0 in (0.2, 0.72):
        put(b, rect(s, t, 0.2, 0.3, t0, t0 + 0.08), BLACK)
    img[sl] = b


def glass(img):
    sl, s, t = region(img, 0.5, 0.25, 0.75, 0.5)
    b = (hex_colour("0b1026")[None, None, :] * (1 - t[..., None]) + hex_colour("2a3f6e")[None, None, :] * t[..., None])
    streak = np.exp(-(((s + 0.6 * t) % 0.5 - 0.25) / 0.04) ** 2) * 0.35
    img[sl] = np.clip(b + streak[..., None] * hex_colour("bfe4ff"), 0, 1)


def front(img):
    sl, s, t = region(img, 0.75, 0.25, 1.0, 0.5)
    b = paint_base(t)
    put(b, rect(s, t, 0.3, 0.7, 0.1, 0.45), BLACK)
    put(b, rect(s, t, 0.3, 0.7, 0.26, 0.29), hex_colour("3a3a40"))
    for s0, s1 in ((0.06, 0.28), (0.72, 0.94)):
        lamp = rect(s, t, s0, s1, 0.22, 0.81)
        inner = rect(s, t, s0 + 0.02, s1 - 0.02, 0.3, 0.73)
        put(b, lamp, hex_colour("8fd8ff"))
        put(b, inner, hex_colour("fffbe6"))
    emblem(b, s, t, 0.5, 0.68, 0.05, 0.2)
    img[sl] = b


def tyre(img):
    sl, s, t = region(img, 0.5, 0.0, 0.75, 0.25)
    b = np.ones(s.shape + (3,)) * hex_colour("161618")
    x, y = (s - 0.5) / 0.48, (t - 0.5) / 0.48
    r = np.hypot(x, y)
    a = np.arctan2(y, x)
    put(b, (r > 0.92) & (r < 1.0), hex_colour("2a2a2e"))
    rim = r < 0.62
    put(b, rim, hex_colour("c9ccd2"))
    spokes = (np.cos(5 * a) < 0.2) & (r > 0.2) & (r < 0.55)
    put(b, spokes, hex_colour("2a2c31"))
    put(b, r < 0.12, hex_colour("e8e9ec"))
    put(b, (r > 0.6) & (r < 0.64), hex_colour("ff2bd6"))
    img[sl] = b


def rear(img):
    sl, s, t = region(img, 0.75, 0.0, 1.0, 0.25)
    b = paint_base(t)
    put(b, t < 0.12, BLACK)
    put(b, (t < 0.12) & ((np.floor(s * 14) % 2) == 0), hex_colour("26262b"))
    put(b, rect(s, t, 0.03, 0.97, 0.58, 0.92), BLACK)
    bar = rect(s, t, 0.047, 0.953, 0.644, 0.85)
    segment = (((s - 0.047) / 0.906 * 18) % 1.0) < 0.85
    glow = 0.75 + 0.25 * np.exp(-((t - 0.75) / 0.06) ** 2)
    lamp = np.clip(hex_colour("ff1a2e")[None, None, :] * glow[..., None], 0, 1)
    b[bar & segment] = lamp[bar & segment]
    put(b, bar & ~segment, hex_colour("5a0610"))
    put(b, rect(s, t, 0.455, 0.545, 0.66, 0.83), WHITE)
    emblem(b, s, t, 0.5, 0.745, 0.04, 0.08)
    plate = rect(s, t, 0.38, 0.62, 0.2, 0.42)
    put(b, plate, WHITE)
    for k in range(5):
        s0 = 0.405 + k * 0.043
        put(b, rect(s, t, s0, s0 + 0.025, 0.25, 0.37), BLACK)
    img[sl] = b


def main():
    folder = graphics_folder(__doc__)
    img = np.zeros((SIZE, SIZE, 3))
    for draw in (side, top, glass, front, tyre, rear):
        draw(img)
    save_png(folder, "Cartexture.png", img)


if __name__ == "__main__":
    main()
