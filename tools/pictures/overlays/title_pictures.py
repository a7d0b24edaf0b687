"""Title cards: three backgrounds in the show's palettes and five texts on alpha."""

import math

import numpy as np
from PIL import Image, ImageDraw

import overlay_common as oc

W, H = oc.SCREEN_W, oc.SCREEN_H
OUTLINE = (20, 10, 36)


def horizon_glow(y0, height, colour, strength):
    y = np.arange(H)[:, None] * np.ones((1, W))
    g = np.exp(-((y - y0) / height) ** 2) * strength
    return g[..., None] * np.array(colour, np.float64)


def background_sunset(rng):
    # Purple to magenta to white: striped sun over a neon grid.
    horizon = 440
    pic = oc.Picture(W, H)
    pic.paint(np.ones((H, W)), oc.vertical_ramp(W, H, 0, horizon, [
        (0, oc.hex_rgb("0e0522")), (0.45, oc.hex_rgb("3d0f63")), (0.8, oc.hex_rgb("b0237f")),
        (1, oc.hex_rgb("ff8fc8"))]))
    # Sun: white-gold at the top to magenta, cut by widening bands towards the horizon.
    cx, cy, r = 640, 330, 210
    y, x = np.mgrid[0:H, 0:W]
    d = np.hypot(x + 0.5 - cx, y + 0.5 - cy)
    disc = np.clip(r - d + 0.5, 0, 1) * (y < horizon)
    t = (y + 0.5 - (cy - r)) / (2 * r)
    bands = np.ones((H, W))
    for k in range(7):
        by = cy + 20 + k * 30
        half = 2 + k * 1.8
        bands *= np.clip(np.abs(y + 0.5 - by) - half + 0.5, 0, 1)
    halo = np.clip(1.0 - (d - r) / 170.0, 0, 1) ** 2 * (d > r) * (y < horizon)
    pic.paint(halo, (255, 90, 200), 0.55)
    sun = oc.lerp_colours([(0, (255, 250, 235)), (0.35, (255, 214, 120)), (0.7, (255, 90, 170)),
                           (1, (200, 30, 150))], t)
    pic.paint(disc * bands, sun)
    # Mountains on the horizon.
    mountains = oc.mask_from(lambda dr, s: dr.polygon(
        [(0, horizon * s)] + [(xx * s, (horizon - 40 - 55 * abs(math.sin(xx * 0.011)) - 30 * abs(math.sin(xx * 0.037 + 1)))
                               * s) for xx in range(0, W + 1, 8)] + [(W * s, horizon * s)], fill=255), W, H)
    pic.paint(mountains, oc.vertical_ramp(W, H, horizon - 130, horizon, [(0, (60, 16, 90)), (1, (26, 6, 44))]))
    # Floor with a perspective grid that glows magenta.
    floor = (y >= horizon).astype(np.float64)
    pic.paint(floor, oc.vertical_ramp(W, H, horizon, H, [(0, (40, 8, 60)), (1, (8, 2, 18))]))
    grid = Image.new("L", (W * 2, H * 2), 0)
    g = ImageDraw.Draw(grid)
    for k in range(-20, 21):
        g.line([(640 + k * 14) * 2, horizon * 2, (640 + k * 190) * 2, H * 2], fill=255, width=3)
    z = 1.0
    while True:
        yy = horizon + 420.0 / z
        if yy > H:
            z += 1.0
            continue
        g.line([0, yy * 2, W * 2, yy * 2], fill=255, width=3)
        z += 1.0
        if yy - horizon < 3:
            break
    grid = grid.resize((W, H), Image.BOX)
    fade = np.clip((y + 0.5 - horizon) / 120.0, 0, 1)
    ga = np.asarray(grid, np.float64) / 255.0 * fade
    pic.paint(np.asarray(oc.blurred(ga, 3.0), np.float64) / 255.0, (255, 60, 210), 0.9)
    pic.paint(ga, (255, 170, 240))
    pic.paint(horizon_glow(horizon, 6, (1, 1, 1), 1.0)[..., 0], (255, 200, 240), 0.8)
    return finish(pic, rng)


def background_desert(rng):
    # Teal to orange to gold: a low sun over layered mesas.
    horizon = 470
    pic = oc.Picture(W, H)
    pic.paint(np.ones((H, W)), oc.vertical_ramp(W, H, 0, horizon, [
        (0, oc.hex_rgb("04232a")), (0.4, oc.hex_rgb("0d5560")), (0.72, oc.hex_rgb("d8692a")),
        (1, oc.hex_rgb("ffd36a"))]))
    y, x = np.mgrid[0:H, 0:W]
    cx, cy, r = 880, 400, 120
    d = np.hypot(x + 0.5 - cx, y + 0.5 - cy)
    pic.paint(np.clip(1.0 - (d - r) / 320.0, 0, 1) ** 2.2 * (d > r), (255, 200, 90), 0.6)
    pic.paint(np.clip(r - d + 0.5, 0, 1), oc.vertical_ramp(W, H, cy - r, cy + r, [(0, (255, 250, 220)),
                                                                               (1, (255, 170, 60))]))
    # Desert floor below the horizon.
    ground = (y + 0.5 >= horizon).astype(np.float64)
    pic.paint(ground, oc.vertical_ramp(W, H, horizon, H, [(0, (120, 56, 34)), (0.25, (64, 32, 30)),
                                                          (1, (12, 22, 28))]))
    # Mesas on the horizon: flat tops, steep flanks, nearer ones darker.
    mesas = [
        ((-40, 300), 92, 28, (126, 58, 40), (92, 40, 32)),
        ((1040, 1320), 110, 34, (126, 58, 40), (92, 40, 32)),
        ((120, 260), 62, 20, (80, 34, 30), (56, 24, 26)),
        ((420, 610), 44, 18, (150, 72, 44), (110, 50, 34)),
        ((1140, 1290), 70, 22, (80, 34, 30), (56, 24, 26)),
    ]
    for (x0, x1), height, flank, top_col, low_col in mesas:
        pts = [(x0 - flank, horizon + 2), (x0, horizon - height), (x1, horizon - height), (x1 + flank, horizon + 2)]
        m = oc.mask_from(lambda dr, s, pts=pts: dr.polygon([(px * s, py * s) for px, py in pts], fill=255), W, H)
        pic.paint(m, oc.vertical_ramp(W, H, horizon - height, horizon, [(0, top_col), (1, low_col)]))
        lit = [(x0, horizon - height), (x1, horizon - height)]
        pic.paint(oc.mask_from(lambda dr, s, lit=lit: dr.line([(px * s, py * s) for px, py in lit], fill=255,
                                                              width=2 * s), W, H), (255, 170, 90), 0.8)
    # A road running to the sun.
    road = oc.mask_from(lambda dr, s: dr.polygon([(560 * s, H * s), (1120 * s, H * s), (882 * s, horizon * s),
                                                 (868 * s, horizon * s)], fill=255), W, H)
    pic.paint(road, oc.vertical_ramp(W, H, horizon, H, [(0, (70, 44, 40)), (1, (16, 14, 18))]))
    dash = Image.new("L", (W * 2, H * 2), 0)
    dd = ImageDraw.Draw(dash)
    for k in range(9):
        # Centre-line dashes, spaced and widened with the perspective.
        f0, f1 = (k / 9.0) ** 2.2, ((k + 0.45) / 9.0) ** 2.2
        pts = []
        for f, side in ((f0, -1), (f0, 1), (f1, 1), (f1, -1)):
            cxl, cyl, half = 875 - 35 * f, horizon + (H - horizon) * f, 0.4 + 7 * f
            pts.append(((cxl + side * half) * 2, cyl * 2))
        dd.polygon(pts, fill=255)
    pic.paint(np.asarray(dash.resize((W, H), Image.BOX), np.float64) / 255.0, (255, 210, 110))
    return finish(pic, rng)


def background_city(rng):
    # Blue to cyan to white: a skyline at dawn mirrored in still water.
    horizon = 450
    pic = oc.Picture(W, H)
    pic.paint(np.ones((H, W)), oc.vertical_ramp(W, H, 0, horizon, [
        (0, oc.hex_rgb("040b2c")), (0.45, oc.hex_rgb("0d3a8a")), (0.8, oc.hex_rgb("25b8e0")),
        (1, oc.hex_rgb("e8fbff"))]))
    y, x = np.mgrid[0:H, 0:W]
    # Stars high up.
    stars = np.zeros((H, W))
    for _ in range(140):
        sx, sy = rng.integers(0, W), rng.integers(0, 220)
        stars[sy, sx] = rng.uniform(0.4, 1.0)
    pic.paint(np.asarray(oc.blurred(stars, 0.6), np.float64) / 255.0 * 3.0, (230, 245, 255))
    # Skyline: towers of varying height, lit windows in cyan and white.
    sky = Image.new("L", (W, H), 0)
    win = Image.new("L", (W, H), 0)
    ds, dw = ImageDraw.Draw(sky), ImageDraw.Draw(win)
    xx = 0
    while xx < W:
        bw = int(rng.integers(40, 110))
        bh = int(rng.integers(60, 300)) if abs(xx - 640) > 160 else int(rng.integers(180, 330))
        top = horizon - bh
        ds.rectangle([xx, top, xx + bw - 4, horizon], fill=255)
        if rng.uniform() < 0.35:
            ds.rectangle([xx + bw // 2 - 2, top - 40, xx + bw // 2 + 1, top], fill=255)
        for wy in range(top + 10, horizon - 8, 12):
            for wx in range(xx + 6, xx + bw - 10, 10):
                if rng.uniform() < 0.32:
                    dw.rectangle([wx, wy, wx + 4, wy + 5], fill=255)
        xx += bw
    city = np.asarray(sky, np.float64) / 255.0
    windows = np.asarray(win, np.float64) / 255.0 * city
    pic.paint(city, oc.vertical_ramp(W, H, 120, horizon, [(0, (10, 20, 60)), (1, (4, 10, 34))]))
    pic.paint(np.asarray(oc.blurred(windows, 2.0), np.float64) / 255.0, (40, 230, 255), 0.8)
    pic.paint(windows, (200, 250, 255))
    # Water: the scene mirrored below the horizon, softened and darkened with depth,
    # crossed by a few bright ripple lines.
    rgb = pic.rgb.copy()
    below = np.arange(horizon, H)
    src = np.clip(2 * horizon - below, 0, H - 1)
    mirrored = rgb[src]
    soft = np.zeros_like(mirrored)
    for dx in range(-4, 5):
        soft += np.roll(mirrored, dx, axis=1)
    soft /= 9.0
    depth = (0.6 - 0.4 * (below - horizon) / float(H - horizon))[:, None, None]
    pic.rgb[below] = soft * depth + np.array([0.0, 0.03, 0.08])
    lines = Image.new("L", (W * 2, H * 2), 0)
    dl = ImageDraw.Draw(lines)
    for _ in range(60):
        ly = rng.uniform(horizon + 4, H)
        lx = rng.uniform(0, W)
        half = rng.uniform(20, 120) * (ly - horizon) / (H - horizon) + 10
        dl.line([(lx - half) * 2, ly * 2, (lx + half) * 2, ly * 2], fill=int(rng.uniform(90, 200)), width=2)
    pic.paint(np.asarray(lines.resize((W, H), Image.BOX), np.float64) / 255.0, (140, 240, 255), 0.6)
    pic.paint(horizon_glow(horizon, 4, (1, 1, 1), 1.0)[..., 0], (230, 255, 255), 0.9)
    return finish(pic, rng)


def finish(pic, rng):
    rgb = np.clip(pic.rgb * 255.0 + rng.uniform(-0.5, 0.5, pic.rgb.shape), 0, 255)
    return oc.to_image(rgb, "RGB")


def fit(weight, size, text, tracking, max_width):
    face = oc.font(oc.LEAGUE_SPARTAN, weight, size)
    while oc.text_width(text, face, tracking) > max_width and size > 10:
        size -= 2
        face = oc.font(oc.LEAGUE_SPARTAN, weight, size)
    return face


def card(lines, glow):
    """lines: (text, weight, size, centre y, tracking); every line centred horizontally."""
    placed = []
    for text, weight, size, cy, tracking in lines:
        placed.append((text, fit(weight, size, text, tracking, W - 180), W / 2.0, cy, tracking))
    return oc.glow_text_layer(W, H, placed, fill=(255, 255, 255), outline=OUTLINE, glow=glow,
                              glow_radius=9, outline_width=3)


TEXTS = [
    # A "presents" card for the invented production group.
    ([("VERSO LUMEN", "Black", 130, 330, 16), ("presents", "Light", 56, 430, 14)], oc.hex_rgb("ff3bd4")),
    # The opening title.
    ([("VELMORA", "Black", 180, 268, 22), ("PULSVEK", "Black", 180, 440, 40),
      ("a night drive to dawn", "Medium", 40, 562, 6)], oc.hex_rgb("ff6a3a")),
    # Code credits.
    ([("CODE", "SemiBold", 46, 240, 30), ("KESTRIX", "Black", 140, 360, 14), ("NOVAQ", "Black", 140, 500, 14)],
     oc.hex_rgb("22e6ff")),
    # Graphics and music credits.
    ([("GRAPHICS", "SemiBold", 44, 200, 28), ("DUSKLIGHT", "Black", 120, 300, 12),
      ("MUSIC", "SemiBold", 44, 430, 28), ("FERROWAVE", "Black", 120, 530, 12)], oc.hex_rgb("ffc23a")),
    # The closing card.
    ([("SEE YOU AT DAWN", "Black", 120, 320, 10), ("VELMORA PULSVEK", "SemiBold", 48, 440, 18),
      ("VERSO LUMEN  2026", "Medium", 34, 505, 12)], oc.hex_rgb("6fe8ff")),
]


def main():
    folder = oc.graphics_folder()
    rng = np.random.default_rng(4110)
    for index, make in enumerate((background_sunset, background_desert, background_city), start=1):
        oc.write_png(make(rng), folder, "Titles%dBackground.png" % index)
    for index, (lines, glow) in enumerate(TEXTS, start=1):
        oc.write_png(card(lines, glow), folder, "Titles%dText.png" % index)


if __name__ == "__main__":
    main()
