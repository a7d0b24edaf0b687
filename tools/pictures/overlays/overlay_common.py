"""Shared helpers of the overlay picture generators.

Pictures are written top row first (as PNG stores them); the engine's image
loader flips the rows on upload, so with the quads' UVs (v = 1 at the top
edge) a picture appears on screen the way it looks in the file.
"""

import os
import sys

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from pictures_common import graphics_folder, write_png  # noqa: E402,F401

LEAGUE_SPARTAN = "/usr/share/fonts/opentype/league-spartan/LeagueSpartan-{}.otf"
DSEG14 = "/usr/share/fonts/truetype/dseg/DSEG14Classic-{}.ttf"

# Full-screen overlays are drawn for the 16:9 letterboxed viewport.
SCREEN_W, SCREEN_H = 1280, 720


def font(path_pattern, weight, size):
    return ImageFont.truetype(path_pattern.format(weight), size)


def ndc_to_px(x, y, w=SCREEN_W, h=SCREEN_H):
    """Normalised device coordinates (y up) to picture pixels (y down)."""
    return (x + 1.0) * 0.5 * w, (1.0 - y) * 0.5 * h


def rgba(r, g, b, a=255):
    return (int(r), int(g), int(b), int(a))


def hex_rgb(value):
    value = value.lstrip("#")
    return tuple(int(value[i:i + 2], 16) for i in (0, 2, 4))


def lerp_colours(stops, t):
    """Piecewise linear colour ramp: stops are (position 0..1, (r, g, b))."""
    t = np.asarray(t, dtype=np.float64)
    out = np.zeros(t.shape + (3,), dtype=np.float64)
    positions = [s[0] for s in stops]
    for c in range(3):
        out[..., c] = np.interp(t, positions, [s[1][c] for s in stops])
    return out


def dither(array, rng, amount=0.5):
    """Adds +-amount of uniform noise before rounding, against banding."""
    return array + rng.uniform(-amount, amount, array.shape)


def to_image(array, mode):
    return Image.fromarray(np.clip(np.rint(array), 0, 255).astype(np.uint8), mode)


def mask_from(draw_fn, w, h, scale=2, blur=0.0):
    """An L mask (0..255) drawn by draw_fn(ImageDraw, s) at scale and reduced."""
    image = Image.new("L", (w * scale, h * scale), 0)
    draw_fn(ImageDraw.Draw(image), scale)
    # Box reduction is exact coverage: no ringing outside the shape.
    image = image.resize((w, h), Image.BOX)
    if blur > 0:
        image = image.filter(ImageFilter.GaussianBlur(blur))
    return image


def shape_layer(rgb_array, mask):
    """RGBA image from an RGB array and an L mask."""
    rgb = to_image(rgb_array, "RGB")
    out = rgb.convert("RGBA")
    out.putalpha(mask)
    return out


def glow_text_layer(w, h, lines, fill, outline, glow, glow_radius, outline_width):
    """Text on alpha: a white-ish fill, a dark outline and a coloured glow.

    lines: list of (text, ImageFont, centre x, baseline-free centre y, tracking px).
    """
    text_mask = Image.new("L", (w, h), 0)
    draw = ImageDraw.Draw(text_mask)
    for text, face, cx, cy, tracking in lines:
        draw_tracked(draw, text, face, cx, cy, tracking, 255)
    outline_mask = text_mask.filter(ImageFilter.MaxFilter(outline_width * 2 + 1))
    outline_mask = outline_mask.filter(ImageFilter.GaussianBlur(0.7))
    glow_mask = text_mask.filter(ImageFilter.MaxFilter(5)).filter(ImageFilter.GaussianBlur(glow_radius))
    glow_a = np.asarray(glow_mask, dtype=np.float64) / 255.0
    glow_a = np.clip(glow_a * 1.6, 0.0, 1.0) * 0.85

    out = np.zeros((h, w, 4), dtype=np.float64)
    out[..., 0:3] = glow
    out[..., 3] = glow_a
    for colour, mask in ((outline, outline_mask), (fill, text_mask)):
        a = np.asarray(mask, dtype=np.float64) / 255.0
        src = np.array(colour, dtype=np.float64)
        da = out[..., 3]
        oa = a + da * (1.0 - a)
        safe = np.where(oa > 0, oa, 1.0)
        out[..., 0:3] = (src[None, None, :] * a[..., None] + out[..., 0:3] * (da * (1.0 - a))[..., None]) / safe[..., None]
        out[..., 3] = oa
    out[..., 3] *= 255.0
    return to_image(out, "RGBA")


def text_width(text, face, tracking):
    width = 0.0
    for i, ch in enumerate(text):
        width += face.getlength(ch)
        if i + 1 < len(text):
            width += tracking
    return width


def draw_tracked(draw, text, face, cx, cy, tracking, fill):
    """Draws one line with extra letter spacing, its capitals centred on (cx, cy)."""
    total = text_width(text, face, tracking)
    cap = -face.getbbox("H", anchor="ls")[1]
    x = cx - total / 2.0
    baseline = cy + cap / 2.0
    for ch in text:
        draw.text((x, baseline), ch, font=face, fill=fill, anchor="ls")
        x += face.getlength(ch) + tracking


class Picture:
    """A straight-alpha RGBA picture in floats (0..1) that shapes are painted onto."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.rgb = np.zeros((h, w, 3))
        self.a = np.zeros((h, w))

    def paint(self, mask, colour, opacity=1.0):
        """'Over' with coverage mask (L image or array 0..1) and a colour or (h, w, 3) array in 0..255."""
        if isinstance(mask, Image.Image):
            mask = np.asarray(mask, dtype=np.float64) / 255.0
        a = np.clip(mask * opacity, 0.0, 1.0)
        c = np.asarray(colour, dtype=np.float64) / 255.0
        if c.ndim == 1:
            c = c[None, None, :]
        oa = a + self.a * (1.0 - a)
        safe = np.where(oa > 0, oa, 1.0)
        self.rgb = (c * a[..., None] + self.rgb * (self.a * (1.0 - a))[..., None]) / safe[..., None]
        self.a = oa

    def mask(self, draw_fn, blur=0.0):
        return mask_from(draw_fn, self.w, self.h, blur=blur)

    def image(self, clear_colour=None):
        out = np.concatenate([self.rgb * 255.0, self.a[..., None] * 255.0], axis=2)
        if clear_colour is not None:
            out[self.a <= 0.5 / 255.0, 0:3] = clear_colour
        return to_image(out, "RGBA")


def vertical_ramp(w, h, y0, y1, stops):
    """(h, w, 3) colours ramping through stops between rows y0 and y1 (clamped outside)."""
    t = np.clip((np.arange(h) + 0.5 - y0) / float(y1 - y0), 0.0, 1.0)
    return np.broadcast_to(lerp_colours(stops, t)[:, None, :], (h, w, 3))


def radial_ramp(w, h, cx, cy, radius, stops):
    """(h, w, 3) colours ramping through stops with the distance from (cx, cy) / radius."""
    y, x = np.mgrid[0:h, 0:w]
    t = np.clip(np.hypot(x + 0.5 - cx, y + 0.5 - cy) / radius, 0.0, 1.0)
    return lerp_colours(stops, t)


def blurred(mask, radius):
    if isinstance(mask, np.ndarray):
        mask = Image.fromarray(np.clip(mask * 255.0, 0, 255).astype(np.uint8), "L")
    return mask.filter(ImageFilter.GaussianBlur(radius))


def minus(a, b):
    """Mask difference a - b (L images), clamped."""
    return np.clip(np.asarray(a, np.float64) - np.asarray(b, np.float64), 0, 255) / 255.0
