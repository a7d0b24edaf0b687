"""Small helpers shared by the landscape picture generators: deterministic
tileable noise, colour ramps, soft shapes and the output folder."""

import os
import sys

import numpy as np
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from pictures_common import graphics_folder, write_png  # noqa: E402,F401


def save_png(folder, name, rgba):
    """rgba: float array (h, w, 3 or 4) in 0..1, written as 8-bit PNG."""
    data = np.clip(np.rint(rgba * 255.0), 0, 255).astype(np.uint8)
    mode = "RGBA" if data.shape[2] == 4 else "RGB"
    write_png(Image.fromarray(data, mode), folder, name)


def hex_colour(text):
    text = text.lstrip("#")
    return np.array([int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4)])


def ramp(t, stops):
    """Piecewise linear colour ramp: stops = [(position, colour), ...] ascending."""
    t = np.asarray(t, dtype=np.float64)
    positions = np.array([p for p, _ in stops])
    colours = np.array([c for _, c in stops])
    out = np.empty(t.shape + (3,))
    for ch in range(3):
        out[..., ch] = np.interp(t, positions, colours[:, ch])
    return out


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def tile_noise(size, cells, seed, octaves=1, persistence=0.5):
    """Value noise that tiles on a size x size square, in 0..1."""
    rng = np.random.RandomState(seed)
    total = np.zeros((size, size))
    amplitude = 1.0
    norm = 0.0
    for _ in range(octaves):
        grid = rng.rand(cells, cells)
        coords = np.arange(size) * cells / size
        i0 = np.floor(coords).astype(int)
        f = coords - i0
        f = f * f * (3 - 2 * f)
        i1 = (i0 + 1) % cells
        a = grid[np.ix_(i0, i0)]
        b = grid[np.ix_(i0, i1)]
        c = grid[np.ix_(i1, i0)]
        d = grid[np.ix_(i1, i1)]
        fy = f[:, None]
        fx = f[None, :]
        total += amplitude * ((a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy)
        norm += amplitude
        amplitude *= persistence
        cells *= 2
    return total / norm


def grid_uv(size):
    """Pixel centres in 0..1; v grows upwards (v = 1 on the top row, as the engine samples it)."""
    c = (np.arange(size) + 0.5) / size
    u = np.tile(c[None, :], (size, 1))
    v = np.tile(c[::-1, None], (1, size))
    return u, v
