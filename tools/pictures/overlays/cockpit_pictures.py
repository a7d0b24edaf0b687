"""Cockpit pictures of the dashboard effect: the front and rear overlays, the
needle, the mirror mask, the display's scroll text and the helmet visor.

Full-screen overlays cover the 16:9 viewport; the placed elements are drawn
where the dashboard effect puts its placement quads (unit quad from (0, 0) to
(1, -1), moved and scaled in normalised device coordinates, no projection).
"""

import math

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

import overlay_common as oc

W, H = oc.SCREEN_W, oc.SCREEN_H

# Placements of the dashboard effect: translate x, y and scale x, y of the unit quad.
MIRROR = (0.23, 0.76, 0.6, 0.29)
SCROLLER = (0.11, -0.735, 0.25, 0.05)
METERS = (0.11, -0.8, 0.25, 0.11)
# Needles: pivot (the quad's top-left corner) and angle at Perlin noise 0; the
# noise swings them by +-15 degrees. The quad is scaled by (0.008, 0.08) before
# the rotation, so the needle runs from the pivot along the rotated -y axis.
NEEDLES = ((-0.515, -0.85, 210.0), (-0.305, -0.85, 150.0))
NEEDLE_SCALE = (0.008, 0.08)

# Cockpit palette: dusk purples with magenta and teal neon.
PURPLE_HI = oc.hex_rgb("3a2a55")
PURPLE = oc.hex_rgb("24183a")
PURPLE_LO = oc.hex_rgb("0b0714")
MAGENTA = oc.hex_rgb("ff3bd4")
TEAL = oc.hex_rgb("22f0d8")
ORANGE = oc.hex_rgb("ff8a2a")
WHITE = (245, 240, 255)


def quad_px(quad):
    """Pixel box (x0, y0, x1, y1) of the unit quad under translate and scale."""
    tx, ty, sx, sy = quad
    x0, y0 = oc.ndc_to_px(tx, ty)
    x1, y1 = oc.ndc_to_px(tx + sx, ty - sy)
    return x0, y0, x1, y1


def needle_dir(angle_deg):
    """Unit pixel direction of a needle at this angle, seen from its pivot.

    The rotation happens in device coordinates, which the 16:9 viewport then
    stretches, so the pixel angle differs from the rotation angle.
    """
    a = angle_deg * 0.017453292
    dx, dy = math.sin(a), -math.cos(a)  # rotated (0, -1)
    px, py = dx * W / 2.0, -dy * H / 2.0
    n = math.hypot(px, py)
    return px / n, py / n


def pivot_px(needle):
    return oc.ndc_to_px(needle[0], needle[1])


def scaled(points, s):
    return [(x * s, y * s) for x, y in points]


def rounded_box(s, box, r):
    x0, y0, x1, y1 = box
    return dict(xy=[x0 * s, y0 * s, x1 * s, y1 * s], radius=r * s)


def rounded_polygon_mask(w, h, points, radius, scale=2):
    """Polygon with rounded convex corners: blur and threshold at half, then antialias."""
    big = Image.new("L", (w * scale, h * scale), 0)
    ImageDraw.Draw(big).polygon(scaled(points, scale), fill=255)
    big = big.filter(ImageFilter.GaussianBlur(radius * scale * 0.6))
    big = big.point(lambda v: 255 if v >= 128 else 0)
    return big.resize((w, h), Image.BOX)


def scale_dir(theta_deg):
    """Pixel direction at theta degrees from straight up, positive to the right."""
    t = math.radians(theta_deg)
    return math.sin(t), -math.cos(t)


def needle_theta(angle_deg):
    """Pixel angle from straight up at which a needle of this rotation stands."""
    dx, dy = needle_dir(angle_deg)
    return math.degrees(math.atan2(dx, -dy))


def ring_polygon(centre, r_in, r_out, t0, t1, steps=48):
    """Band between two radii over pixel angles t0..t1 (degrees from straight up)."""
    cx, cy = centre
    outer, inner = [], []
    for i in range(steps + 1):
        dx, dy = scale_dir(t0 + (t1 - t0) * i / steps)
        outer.append((cx + dx * r_out, cy + dy * r_out))
        inner.append((cx + dx * r_in, cy + dy * r_in))
    return outer + inner[::-1]


def line_mask(pic, segments, width, blur=0.0):
    def draw(d, s):
        for seg in segments:
            d.line(scaled(seg, s), fill=255, width=max(1, int(round(width * s))), joint="curve")
    return pic.mask(draw, blur=blur)


# ---------------------------------------------------------------- front view

DIAL_R = 56.0


def dash_top(x):
    """Upper edge of the dashboard: higher at the sides, lowest in the middle."""
    u = (x - 640.0) / 640.0
    return 548.0 - 46.0 * u * u


def draw_dial(pic, needle, accent, labels, unit, hot_from):
    cx, cy = pivot_px(needle)
    r = DIAL_R
    # Bezel and its neon halo.
    halo = pic.mask(lambda d, s: d.ellipse([(cx - r - 5) * s, (cy - r - 5) * s, (cx + r + 5) * s, (cy + r + 5) * s],
                                           outline=255, width=int(3 * s)), blur=4.0)
    pic.paint(halo, accent, 0.8)
    bezel = pic.mask(lambda d, s: d.ellipse([(cx - r - 5) * s, (cy - r - 5) * s, (cx + r + 5) * s, (cy + r + 5) * s],
                                            fill=255))
    pic.paint(bezel, oc.vertical_ramp(W, H, cy - r, cy + r, [(0, (200, 190, 230)), (0.5, (90, 78, 120)),
                                                                (1, (40, 32, 58))]))
    face = pic.mask(lambda d, s: d.ellipse([(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s], fill=255))
    pic.paint(face, oc.radial_ramp(W, H, cx, cy - 10, r * 1.1, [(0, (34, 24, 58)), (0.7, (16, 11, 30)),
                                                                   (1, (6, 4, 12))]))
    # Scale over the upper half, evenly spaced on screen, the top end in the accent colour.
    band = pic.mask(lambda d, s: d.polygon(scaled(ring_polygon((cx, cy), r - 9, r - 6, -90, hot_from), s), fill=255))
    pic.paint(band, (120, 110, 160))
    hot = pic.mask(lambda d, s: d.polygon(scaled(ring_polygon((cx, cy), r - 10, r - 4, hot_from, 90), s), fill=255))
    pic.paint(hot, accent)
    # The band the needle swings through (its rest angle +-15 degrees of noise).
    t0, t1 = sorted((needle_theta(needle[2] - 15), needle_theta(needle[2] + 15)))
    sweep = pic.mask(lambda d, s: d.polygon(scaled(ring_polygon((cx, cy), r - 19, r - 16, t0, t1), s), fill=255))
    pic.paint(oc.blurred(sweep, 2.0), accent, 0.8)
    pic.paint(sweep, accent, 0.9)
    # Ticks every 10 degrees, long ones every 30.
    minor, major = [], []
    for k in range(19):
        dx, dy = scale_dir(-90 + k * 10)
        inner = r - (15 if k % 3 == 0 else 10)
        seg = [(cx + dx * inner, cy + dy * inner), (cx + dx * (r - 3), cy + dy * (r - 3))]
        (major if k % 3 == 0 else minor).append(seg)
    pic.paint(line_mask(pic, minor, 1.2), (200, 195, 225))
    pic.paint(line_mask(pic, major, 2.4), WHITE)
    # Numbers inside the major ticks.
    face_font = oc.font(oc.LEAGUE_SPARTAN, "SemiBold", 20)
    small_font = oc.font(oc.LEAGUE_SPARTAN, "Medium", 18)

    def numbers(d, s):
        for k, text in enumerate(labels):
            dx, dy = scale_dir(-90 + k * 30)
            rr = r - 26
            oc.draw_tracked(d, text, face_font, (cx + dx * rr) * s, (cy + dy * rr + 1) * s, 0, 255)
        oc.draw_tracked(d, unit, small_font, cx * s, (cy + 27) * s, 2, 255)
    pic.paint(pic.mask(numbers), (225, 220, 245))
    # Hub over the pivot; the needle is drawn on top of it.
    hub = pic.mask(lambda d, s: d.ellipse([(cx - 8) * s, (cy - 8) * s, (cx + 8) * s, (cy + 8) * s], fill=255))
    pic.paint(hub, oc.radial_ramp(W, H, cx - 2, cy - 3, 10, [(0, (150, 140, 180)), (1, (30, 24, 44))]))


def front_view():
    pic = oc.Picture(W, H)
    rng = np.random.default_rng(4108)

    # Headliner along the top, with a lit lower edge.
    def roof_pts():
        return [(0, 0), (W, 0)] + [(x, 36 + 16 * ((x - 640) / 640.0) ** 2) for x in range(W, -1, -32)]
    roof = pic.mask(lambda d, s: d.polygon(scaled(roof_pts(), s), fill=255))
    pic.paint(roof, oc.vertical_ramp(W, H, 0, 52, [(0, (14, 10, 22)), (1, PURPLE)]))
    edge = [[(x, 36 + 16 * ((x - 640) / 640.0) ** 2) for x in range(0, W + 1, 16)]]
    pic.paint(line_mask(pic, edge, 1.6), (110, 90, 150))

    # A-pillars, lit on the edge that faces the glass.
    for side in (0, 1):
        pts = [(0, 30), (168, 40), (58, 530), (0, 530)]
        if side:
            pts = [(W - x, y) for x, y in pts]
        pillar = pic.mask(lambda d, s, pts=pts: d.polygon(scaled(pts, s), fill=255))
        pic.paint(pillar, oc.vertical_ramp(W, H, 30, 530, [(0, PURPLE), (1, (16, 11, 26))]))
        glass_edge = [pts[1], pts[2]]
        pic.paint(line_mask(pic, [glass_edge], 2.0), (95, 78, 135))
        pic.paint(line_mask(pic, [glass_edge], 3.0, blur=3.0), MAGENTA, 0.35)

    # Mirror: roof mount, stem and housing; the glass is drawn by the effect into the quad.
    mx0, my0, mx1, my1 = quad_px(MIRROR)
    mcx = (mx0 + mx1) / 2.0
    stem = pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, (mcx - 9, 28, mcx + 9, my0 + 4), 4), fill=255))
    pic.paint(stem, oc.vertical_ramp(W, H, 28, my0, [(0, (40, 32, 58)), (1, (70, 58, 96))]))
    mount = pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, (mcx - 30, 26, mcx + 30, 44), 6), fill=255))
    pic.paint(mount, (30, 23, 44))
    housing = pic.mask(lambda d, s: d.rounded_rectangle(
        **rounded_box(s, (mx0 - 10, my0 - 9, mx1 + 10, my1 + 9), 26), fill=255))
    pic.paint(housing, oc.vertical_ramp(W, H, my0 - 9, my1 + 9, [(0, (64, 52, 88)), (0.15, (36, 28, 52)),
                                                                   (1, (12, 9, 20))]))
    rim = pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, (mx0 - 3, my0 - 3, mx1 + 3, my1 + 3), 20),
                                                    outline=255, width=int(2 * s)))
    pic.paint(rim, (120, 104, 160))
    glass = pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, (mx0, my0, mx1, my1), 18), fill=255))
    pic.paint(glass, (8, 6, 14))

    # Dashboard body across the lower third.
    top_pts = [(x, dash_top(x)) for x in range(0, W + 1, 16)]
    body = pic.mask(lambda d, s: d.polygon(scaled(top_pts + [(W, H), (0, H)], s), fill=255))
    pic.paint(body, oc.vertical_ramp(W, H, 500, H, [(0, PURPLE_HI), (0.25, PURPLE), (1, PURPLE_LO)]))
    pic.paint(line_mask(pic, [top_pts], 1.6), (130, 108, 180))
    neon = [[(x, y + 13) for x, y in top_pts]]
    pic.paint(line_mask(pic, neon, 5.0, blur=5.0), MAGENTA, 0.7)
    pic.paint(line_mask(pic, neon, 2.2), (255, 150, 240))
    low = [[(x, y + 40) for x, y in top_pts]]
    pic.paint(line_mask(pic, low, 1.4), (40, 30, 60))

    # Air vents left and right.
    for box in ((40, 590, 172, 642), (960, 598, 1080, 648), (1110, 592, 1236, 642)):
        vent = pic.mask(lambda d, s, box=box: d.rounded_rectangle(**rounded_box(s, box, 12), fill=255))
        pic.paint(vent, (8, 6, 14))
        slats = [[(box[0] + 8, y), (box[2] - 8, y)] for y in np.arange(box[1] + 9, box[3] - 4, 8.5)]
        pic.paint(line_mask(pic, slats, 2.2), (58, 48, 80))
        pic.paint(pic.mask(lambda d, s, box=box: d.rounded_rectangle(**rounded_box(s, box, 12), outline=255,
                                                                       width=int(2 * s))), (92, 78, 124))

    # Instrument hood around both dials.
    p1, p2 = pivot_px(NEEDLES[0]), pivot_px(NEEDLES[1])
    hood_box = (p1[0] - DIAL_R - 26, p1[1] - DIAL_R - 34, p2[0] + DIAL_R + 26, H + 40)
    shadow = pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, hood_box, 46), fill=255), blur=8.0)
    pic.paint(shadow, (0, 0, 0), 0.6)
    hood = pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, hood_box, 46), fill=255))
    pic.paint(hood, oc.vertical_ramp(W, H, hood_box[1], H, [(0, (52, 40, 74)), (0.12, (26, 19, 38)),
                                                             (1, (8, 6, 12))]))
    inner = (hood_box[0] + 10, hood_box[1] + 16, hood_box[2] - 10, H + 40)
    recess = pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, inner, 38), fill=255))
    pic.paint(recess, oc.vertical_ramp(W, H, inner[1], H, [(0, (4, 3, 8)), (0.3, (12, 9, 20)), (1, (10, 7, 16))]))
    pic.paint(pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, hood_box, 46), outline=255,
                                                        width=int(2 * s))), (120, 100, 170))
    draw_dial(pic, NEEDLES[0], MAGENTA, ["0", "40", "80", "120", "160", "200", "240"], "km/h", 60)
    draw_dial(pic, NEEDLES[1], ORANGE, ["0", "1", "2", "3", "4", "5", "6"], "x1000 rpm", 60)

    # Display panel of the centre console: the scroller above, the meters below.
    sx0, sy0, sx1, sy1 = quad_px(SCROLLER)
    vx0, vy0, vx1, vy1 = quad_px(METERS)
    screen = (min(sx0, vx0) - 7, sy0 - 7, max(sx1, vx1) + 7, vy1 + 6)
    bezel = (screen[0] - 9, screen[1] - 9, screen[2] + 9, screen[3] + 9)
    pic.paint(pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, bezel, 12), fill=255), blur=6.0),
              (0, 0, 0), 0.6)
    pic.paint(pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, bezel, 12), fill=255)),
              oc.vertical_ramp(W, H, bezel[1], bezel[3], [(0, (84, 70, 112)), (0.2, (40, 31, 56)), (1, (18, 13, 26))]))
    pic.paint(pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, screen, 6), outline=255,
                                                        width=int(3 * s)), blur=2.5), TEAL, 0.8)
    pic.paint(pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, screen, 6), fill=255)),
              oc.vertical_ramp(W, H, screen[1], screen[3], [(0, (6, 26, 26)), (1, (2, 10, 11))]))
    divider = [[(screen[0] + 4, (sy1 + vy0) / 2.0), (screen[2] - 4, (sy1 + vy0) / 2.0)]]
    pic.paint(line_mask(pic, divider, 1.0), (20, 70, 66))
    label_font = oc.font(oc.LEAGUE_SPARTAN, "SemiBold", 18)
    pic.paint(pic.mask(lambda d, s: oc.draw_tracked(d, "PULSVEK  AUDIO-9", label_font, (screen[0] + screen[2]) / 2 * s,
                                                    (bezel[3] + 8) * s, 3, 255)), (150, 130, 200))
    # Two round buttons either side of the panel.
    for bx in (bezel[0] - 16, bezel[2] + 16):
        for by, col in ((screen[1] + 14, TEAL), (screen[3] - 14, MAGENTA)):
            btn = pic.mask(lambda d, s, bx=bx, by=by: d.ellipse([(bx - 7) * s, (by - 7) * s, (bx + 7) * s,
                                                                 (by + 7) * s], fill=255))
            pic.paint(btn, (30, 24, 44))
            led = pic.mask(lambda d, s, bx=bx, by=by: d.ellipse([(bx - 2.5) * s, (by - 2.5) * s, (bx + 2.5) * s,
                                                                 (by + 2.5) * s], fill=255), blur=1.0)
            pic.paint(led, col)

    # Maker's badge on the passenger side.
    badge_font = oc.font(oc.LEAGUE_SPARTAN, "Bold", 30)
    pic.paint(pic.mask(lambda d, s: oc.draw_tracked(d, "VELMORA", badge_font, 1098 * s, 682 * s, 10, 255)),
              (80, 64, 112))

    # Fine dither against banding in the gradients.
    pic.rgb = np.clip(pic.rgb + rng.uniform(-0.5, 0.5, pic.rgb.shape) / 255.0, 0.0, 1.0)
    return pic.image(clear_colour=(0, 0, 0))


# ---------------------------------------------------------------- rear view

def rear_view():
    pic = oc.Picture(W, H)
    window_pts = [(330, 92), (950, 92), (1086, 430), (194, 430)]
    window = rounded_polygon_mask(W, H, window_pts, 34)
    interior = np.ones((H, W)) - np.asarray(window, np.float64) / 255.0
    pic.paint(interior, oc.vertical_ramp(W, H, 0, H, [(0, (16, 11, 26)), (0.55, PURPLE), (1, PURPLE_LO)]))
    # C-pillars: lighter panels beside the glass with a lit inner edge.
    for side in (0, 1):
        pts = [(250, 60), (330, 86), (192, 436), (60, 520), (0, 520), (0, 60)]
        if side:
            pts = [(W - x, y) for x, y in pts]
        panel = pic.mask(lambda d, s, pts=pts: d.polygon(scaled(pts, s), fill=255))
        pic.paint(panel, oc.vertical_ramp(W, H, 60, 520, [(0, (30, 22, 44)), (1, (46, 35, 66))]))
    # Lit frame around the glass.
    frame = np.asarray(window.filter(ImageFilter.MaxFilter(7)), np.float64) - np.asarray(window, np.float64)
    pic.paint(np.clip(frame / 255.0, 0, 1), (120, 100, 170))
    glow = oc.blurred(np.clip(frame / 255.0, 0, 1), 5)
    glow_a = np.asarray(glow, np.float64) / 255.0 * interior
    pic.paint(glow_a, TEAL, 0.6)
    # Third brake light at the top of the glass.
    lamp = (560, 98, 720, 114)
    pic.paint(pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, lamp, 5), fill=255), blur=6.0),
              (255, 40, 60), 0.7)
    pic.paint(pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, lamp, 5), fill=255)), (70, 10, 20))
    leds = [[(x, 106), (x + 6, 106)] for x in range(570, 710, 10)]
    pic.paint(line_mask(pic, leds, 4.0), (255, 70, 80))
    # Parcel shelf under the glass.
    shelf = [(150, 424), (1130, 424), (1280, 520), (0, 520)]
    pic.paint(pic.mask(lambda d, s: d.polygon(scaled(shelf, s), fill=255)),
              oc.vertical_ramp(W, H, 424, 520, [(0, (40, 30, 58)), (1, (14, 10, 22))]))
    pic.paint(line_mask(pic, [[(150, 425), (1130, 425)]], 2.0), (150, 120, 200))
    pic.paint(line_mask(pic, [[(150, 427), (1130, 427)]], 4.0, blur=4.0), MAGENTA, 0.6)
    # Rear bench: two seat backs with headrests rising into the glass.
    for cx in (420, 860):
        back = (cx - 190, 478, cx + 190, H + 60)
        pic.paint(pic.mask(lambda d, s, b=back: d.rounded_rectangle(**rounded_box(s, b, 60), fill=255), blur=10),
                  (0, 0, 0), 0.6)
        pic.paint(pic.mask(lambda d, s, b=back: d.rounded_rectangle(**rounded_box(s, b, 60), fill=255)),
                  oc.radial_ramp(W, H, cx, 520, 330, [(0, (58, 42, 82)), (0.6, (30, 22, 44)), (1, (12, 9, 20))]))
        seams = [[(cx - 60, 500), (cx - 70, H)], [(cx + 60, 500), (cx + 70, H)]]
        pic.paint(line_mask(pic, seams, 1.6), MAGENTA, 0.55)
        for y in (560, 640):
            pic.paint(line_mask(pic, [[(cx - 150, y), (cx + 150, y)]], 1.2), (10, 7, 16), 0.8)
        post = [(cx - 32, 460), (cx - 32, 490)], [(cx + 32, 460), (cx + 32, 490)]
        pic.paint(line_mask(pic, list(post), 7.0), (110, 104, 130))
        rest = (cx - 98, 380, cx + 98, 470)
        pic.paint(pic.mask(lambda d, s, b=rest: d.rounded_rectangle(**rounded_box(s, b, 36), fill=255)),
                  oc.radial_ramp(W, H, cx - 20, 395, 140, [(0, (70, 52, 98)), (1, (16, 12, 26))]))
        pic.paint(pic.mask(lambda d, s, b=rest: d.rounded_rectangle(**rounded_box(s, b, 36), outline=255,
                                                                    width=int(2 * s))), (110, 90, 150))
    # Centre armrest between the seats.
    arm = (618, 560, 662, H + 40)
    pic.paint(pic.mask(lambda d, s: d.rounded_rectangle(**rounded_box(s, arm, 18), fill=255)), (20, 15, 30))
    return pic.image(clear_colour=(0, 0, 0))


# ---------------------------------------------------------------- needle, mirror mask, scroller

def speedometer_arrow():
    # 32 x 256: the pivot end is the top row (the quad's top edge, v = 1), the tip
    # points down (v = 0). The axis runs down the middle column.
    w, h, s = 32, 256, 4
    big = Image.new("L", (w * s, h * s), 0)
    d = ImageDraw.Draw(big)
    body = [(3, 0), (29, 0), (28.5, 26), (19.5, 238), (12.5, 238), (3.5, 26)]
    d.polygon(scaled(body, s), fill=255)
    d.ellipse([12.5 * s, 233 * s, 19.5 * s, 243 * s], fill=255)
    alpha = np.asarray(big.resize((w, h), Image.BOX), np.float64) / 255.0
    core_img = Image.new("L", (w * s, h * s), 0)
    ImageDraw.Draw(core_img).polygon(scaled([(14, 30), (18, 30), (17, 236), (15, 236)], s), fill=255)
    core = np.asarray(core_img.resize((w, h), Image.BOX).filter(ImageFilter.GaussianBlur(1.2)),
                      np.float64) / 255.0
    t = np.linspace(0.0, 1.0, h)[:, None] * np.ones((1, w))
    colour = oc.lerp_colours([(0, (90, 14, 30)), (0.14, (200, 30, 40)), (0.6, (255, 70, 40)),
                              (1, (255, 150, 60))], t)
    colour = colour * (1.0 - core[..., None]) + np.array([255, 240, 210]) * core[..., None]
    out = np.concatenate([colour, alpha[..., None] * 255.0], axis=2)
    return oc.to_image(out, "RGBA")


def mirror_mask():
    # Covers the placement quad of the mirror; glass = white, opaque. 512 x 140 keeps
    # the quad's aspect (0.6 x 16/9 : 0.29), so the corners stay round.
    w, h = 512, 140
    m = oc.mask_from(lambda d, s: d.rounded_rectangle([3 * s, 3 * s, (w - 3) * s, (h - 3) * s], radius=30 * s,
                                                       fill=255), w, h, scale=4)
    a = np.asarray(m, np.float64)
    out = np.stack([a, a, a, a], axis=2)
    return oc.to_image(out, "RGBA")


SCROLL_W, SCROLL_H = 4096, 58
SCROLL_CELLS = 112
SCROLL_TEXT = ("VELMORA PULSVEK - NIGHT DRIVE TO DAWN - NOW PLAYING KALDRUNE - "
               "FERROWAVE - ROAD CLEAR - RANGE 880 KM - ")


def dash_scroll_text():
    # One line of 14-segment LEDs on alpha, 112 cells across 4096 pixels: unlit
    # segments faintly, lit ones bright with a halo. The line wraps around
    # seamlessly; the scroller shows one eighth of it (512 x 58) at a time.
    text = SCROLL_TEXT.ljust(SCROLL_CELLS)[:SCROLL_CELLS]
    s = 2
    face = oc.font(oc.DSEG14, "BoldItalic", 40 * s)
    pitch = SCROLL_W * s / float(SCROLL_CELLS)
    ghost = Image.new("L", (SCROLL_W * s, SCROLL_H * s), 0)
    lit = Image.new("L", (SCROLL_W * s, SCROLL_H * s), 0)
    dg, dl = ImageDraw.Draw(ghost), ImageDraw.Draw(lit)
    top = (SCROLL_H * s - 40 * s) / 2.0
    for i, ch in enumerate(text):
        x = i * pitch + (pitch - face.getlength("~")) / 2.0
        dg.text((x, top), "~", font=face, fill=255)
        if ch != " ":
            dl.text((x, top), ch, font=face, fill=255)
    ghost = np.asarray(ghost.resize((SCROLL_W, SCROLL_H), Image.BOX), np.float64) / 255.0
    lit_img = lit.resize((SCROLL_W, SCROLL_H), Image.BOX)
    lit = np.asarray(lit_img, np.float64) / 255.0
    halo = np.asarray(lit_img.filter(ImageFilter.GaussianBlur(3.0)), np.float64) / 255.0
    pic = oc.Picture(SCROLL_W, SCROLL_H)
    pic.paint(ghost, (40, 120, 110), 0.12)
    pic.paint(np.clip(halo * 1.5, 0, 1), TEAL, 0.55)
    pic.paint(lit, (190, 255, 240))
    return pic.image(clear_colour=TEAL)


# ---------------------------------------------------------------- helmet

def visor_shape(scale=1.0):
    """Superellipse of the visor opening, as a coverage array (h, w)."""
    y, x = np.mgrid[0:H, 0:W]
    u = (x + 0.5 - 640.0) / (604.0 * scale)
    v = (y + 0.5 - 352.0) / (300.0 * scale)
    f = np.abs(u) ** 3.2 + np.abs(v) ** 3.2
    # Distance-like falloff of about 1.5 px at the edge.
    return np.clip((1.0 - f) * 300.0 / 3.0 + 0.5, 0.0, 1.0)


def helmet_mask():
    glass = visor_shape(0.985)
    a = glass * 255.0
    return oc.to_image(np.stack([a, a, a, a], axis=2), "RGBA")


def helmet():
    pic = oc.Picture(W, H)
    opening = visor_shape(1.0)
    outer = visor_shape(1.045)
    # Padded lining around the visor.
    pic.paint(1.0 - opening, oc.radial_ramp(W, H, 640, 352, 820, [(0, (40, 30, 58)), (0.75, (22, 16, 34)),
                                                                   (1, (6, 4, 10))]))
    y, x = np.mgrid[0:H, 0:W]
    stitches = (np.abs(np.sin(np.arctan2(y - 352.0, (x - 640.0) * 0.56) * 9.0)) < 0.035) * (1.0 - outer)
    pic.paint(oc.blurred(stitches.astype(np.float64), 0.8), (12, 8, 18), 0.8)
    # Rubber seal around the glass, lit on its inner edge, with a teal line inside.
    seal = np.clip(outer - opening, 0.0, 1.0)
    pic.paint(seal, oc.vertical_ramp(W, H, 40, 680, [(0, (54, 44, 76)), (0.5, (20, 15, 30)), (1, (44, 36, 64))]))
    inner_edge = np.clip(visor_shape(1.006) - opening, 0.0, 1.0)
    pic.paint(inner_edge, (150, 130, 200))
    neon = np.clip(visor_shape(0.992) - visor_shape(0.986), 0.0, 1.0)
    pic.paint(np.asarray(oc.blurred(neon, 3.0), np.float64) / 255.0, TEAL, 0.5)
    pic.paint(neon, TEAL, 0.7)
    # Head-up display on the glass: a heading strip with ticks and a caret, corner brackets.
    hud = Image.new("L", (W * 2, H * 2), 0)
    d = ImageDraw.Draw(hud)
    for k in range(-12, 13):
        x0 = (640 + k * 18) * 2
        tall = 14 if k % 4 == 0 else 7
        d.line([x0, 96 * 2, x0, (96 + tall) * 2], fill=255, width=3)
    d.line([(640 - 230) * 2, 96 * 2, (640 + 230) * 2, 96 * 2], fill=255, width=2)
    d.polygon([(632 * 2, 128 * 2), (648 * 2, 128 * 2), (640 * 2, 116 * 2)], fill=255)
    hud_font = oc.font(oc.LEAGUE_SPARTAN, "SemiBold", 28)
    for k, label in ((-8, "W"), (-4, "NW"), (0, "N"), (4, "NE"), (8, "E")):
        oc.draw_tracked(d, label, hud_font, (640 + k * 18) * 2, 80 * 2, 2, 255)
    for sx in (-1, 1):
        cx = 640 + sx * 430
        pts = [((cx - sx * 0) * 2, 540 * 2), ((cx + sx * 48) * 2, 540 * 2)]
        d.line(pts, fill=255, width=3)
        d.line([((cx + sx * 48) * 2, 540 * 2), ((cx + sx * 48) * 2, 500 * 2)], fill=255, width=3)
    small = oc.font(oc.DSEG14, "Regular", 30)
    d.text((250 * 2, 556 * 2), "O2 98", font=small, fill=255)
    d.text((940 * 2, 556 * 2), "SPD 188", font=small, fill=255)
    hud = np.asarray(hud.resize((W, H), Image.BOX), np.float64) / 255.0 * visor_shape(0.95)
    pic.paint(np.asarray(oc.blurred(hud, 2.5), np.float64) / 255.0, TEAL, 0.35)
    pic.paint(hud, (170, 255, 245), 0.6)
    return pic.image(clear_colour=(0, 0, 0))


def main():
    folder = oc.graphics_folder()
    oc.write_png(front_view(), folder, "FrontView.png")
    oc.write_png(rear_view(), folder, "RearView.png")
    oc.write_png(speedometer_arrow(), folder, "SpeedometerArrow.png")
    oc.write_png(mirror_mask(), folder, "RearViewMirrorMask.png")
    oc.write_png(dash_scroll_text(), folder, "DashBoardScrollText.png")
    oc.write_png(helmet_mask(), folder, "HelmetMask.png")
    oc.write_png(helmet(), folder, "Helmet.png")


if __name__ == "__main__":
    main()
