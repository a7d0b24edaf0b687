"""Writes the terrain tile array "TextureTiles4.png" (10 layers), the road tile
array "RoadTiles.png" (7 layers) and the sprite edge texture "wireframe.png".

Array layers are square strips stacked vertically; the engine flips the picture
on load, so layer 0 is the bottom strip of the file and the top of each strip is
v = 1. On a box top v = 1 is the far (-z) edge and u = 0 the left (-x) edge; on
the +z and +x faces the strip stands upright. Every design is the same turned by
180 degrees, so the -x and -z faces (whose texture coordinates run the other
way) look alike; road layers run on without darkened borders.

Terrain layers: 0 grass, 1 sand, 2 rock, 3 snow, 4 city, 5 water, 6 neon,
7 gravel, 8 forest floor, 9 red canyon rock.
Road layers: 0 asphalt, 1 left edge (kerb and edge line), 2 right edge,
3 centre dashes on the right border, 4 centre dashes on the left border,
5 neon lane, 6 neon edge.
"""

import numpy as np

from picturekit import graphics_folder, hex_colour, ramp, save_png, smoothstep, tile_noise, grid_uv

TILE = 128


def block_edges(size, rim=5.0, depth=0.32):
    """Darkening towards the four borders, the same on every side."""
    idx = np.arange(size) + 0.5
    d = np.minimum(idx, size - idx)
    e = np.minimum(d[:, None], d[None, :])
    return 1.0 - depth * (1.0 - smoothstep(0.0, rim, e))


def sym(a):
    """Makes a field symmetric under a 180-degree turn."""
    return 0.5 * (a + a[::-1, ::-1])


def grass(s):
    n = sym(tile_noise(s, 8, 11, octaves=4, persistence=0.55))
    blades = sym(tile_noise(s, 64, 12, octaves=1))
    c = ramp(n, [(0.0, hex_colour("2f7a2a")), (0.5, hex_colour("4fa83a")), (1.0, hex_colour("8fd14f"))])
    c *= (0.82 + 0.3 * (blades > 0.62))[..., None]
    return c


def sand(s):
    u, v = grid_uv(s)
    n = sym(tile_noise(s, 8, 21, octaves=3))
    ripples = 0.5 + 0.5 * np.sin(2 * np.pi * (3 * v + 0.25 * np.sin(2 * np.pi * u) + 0.15 * n))
    c = ramp(0.55 * ripples + 0.45 * n, [(0.0, hex_colour("c9914f")), (0.6, hex_colour("e8b96a")),
                                         (1.0, hex_colour("f7dc9a"))])
    grains = sym(tile_noise(s, 128, 22))
    return c * (0.93 + 0.12 * grains)[..., None]


def voronoi_facets(s, count, seed):
    """Flat facets of a tileable Voronoi pattern: cell id and distance to the border."""
    rng = np.random.RandomState(seed)
    pts = rng.rand(count, 2)
    # Symmetric pairs keep the pattern the same under the 180-degree turn.
    pts = np.concatenate([pts, 1.0 - pts])
    u, v = grid_uv(s)
    best = np.full((s, s), 9.0)
    second = np.full((s, s), 9.0)
    ident = np.zeros((s, s), dtype=int)
    for k, (px, py) in enumerate(pts):
        for ox in (-1, 0, 1):
            for oy in (-1, 0, 1):
                d = np.hypot(u - px - ox, v - py - oy)
                closer = d < best
                second = np.where(closer, best, np.minimum(second, d))
                ident = np.where(closer, k % count, ident)
                best = np.where(closer, d, best)
    return ident, second - best


def rock(s):
    ident, border = voronoi_facets(s, 7, 31)
    rng = np.random.RandomState(32)
    shades = 0.75 + 0.35 * rng.rand(8)
    base = ramp(shades[ident] - 0.6, [(0.0, hex_colour("5d5f66")), (0.5, hex_colour("8a8d94")),
                                       (1.0, hex_colour("b4b7bd"))])
    crack = smoothstep(0.0, 0.03, border)
    grain = sym(tile_noise(s, 32, 33, octaves=2))
    return base * (0.45 + 0.55 * crack)[..., None] * (0.9 + 0.15 * grain)[..., None]


def snow(s):
    n = sym(tile_noise(s, 4, 41, octaves=3))
    c = ramp(n, [(0.0, hex_colour("b9cbe6")), (0.55, hex_colour("e6eef9")), (1.0, hex_colour("ffffff"))])
    sparkle = sym(tile_noise(s, 128, 42)) > 0.83
    c = np.where(sparkle[..., None], 1.0, c)
    return c


def city(s):
    u, v = grid_uv(s)
    c = np.ones((s, s, 3)) * hex_colour("2a2d3a")
    c *= (0.9 + 0.15 * sym(tile_noise(s, 16, 51)))[..., None]
    # Windows: a 4 x 4 grid of panes, each lit or dark; lit panes warm or cool.
    rng = np.random.RandomState(52)
    lit = rng.rand(4, 4)
    lit = 0.5 * (lit + lit[::-1, ::-1])
    warm = rng.rand(4, 4) > 0.5
    warm = warm | warm[::-1, ::-1]
    gx = np.floor(u * 4).astype(int)
    gy = np.floor(v * 4).astype(int)
    fx = u * 4 - gx
    fy = v * 4 - gy
    pane = (np.abs(fx - 0.5) < 0.3) & (np.abs(fy - 0.5) < 0.26)
    on = lit[gy, gx] > 0.42
    glass = np.where(warm[gy, gx][..., None], hex_colour("ffd36b"), hex_colour("7fe8ff"))
    dark = hex_colour("141826")
    window = np.where(on[..., None], glass * (0.85 + 0.15 * fy[..., None]), dark)
    return np.where(pane[..., None], window, c)


def water(s):
    u, v = grid_uv(s)
    n = sym(tile_noise(s, 4, 61, octaves=3))
    c = ramp(n, [(0.0, hex_colour("0b3d6b")), (0.6, hex_colour("1565a8")), (1.0, hex_colour("2a8fd0"))])
    w = np.sin(2 * np.pi * (4 * v + 0.35 * np.sin(2 * np.pi * 2 * u) + 0.5 * n))
    crest = smoothstep(0.82, 0.97, w)
    return c * (1 - crest[..., None]) + hex_colour("bfe9ff") * crest[..., None]


def neon(s):
    u, v = grid_uv(s)
    c = np.ones((s, s, 3)) * hex_colour("12061f")
    # Glowing lines on the borders and through the middle.
    def line(d, width):
        return np.exp(-(d / width) ** 2)
    du = np.minimum(np.abs(u - 0.5), np.minimum(u, 1 - u))
    dv = np.minimum(np.abs(v - 0.5), np.minimum(v, 1 - v))
    glow = np.maximum(line(np.minimum(u, 1 - u), 0.035), line(np.minimum(v, 1 - v), 0.035))
    inner = np.maximum(line(np.abs(u - 0.5), 0.015), line(np.abs(v - 0.5), 0.015)) * 0.7
    c = c + hex_colour("ff2bd6") * glow[..., None] + hex_colour("29e5ff") * inner[..., None]
    del du, dv
    return np.clip(c, 0, 1)


def gravel(s):
    rng = np.random.RandomState(71)
    u, v = grid_uv(s)
    c = np.ones((s, s, 3)) * hex_colour("6b6258")
    pts = rng.rand(90, 2)
    pts = np.concatenate([pts, 1.0 - pts])
    radii = 0.035 + 0.04 * rng.rand(90)
    radii = np.concatenate([radii, radii])
    tones = 0.6 + 0.6 * rng.rand(90)
    tones = np.concatenate([tones, tones])
    for (px, py), r, t in zip(pts, radii, tones):
        dx = (u - px + 0.5) % 1.0 - 0.5
        dy = (v - py + 0.5) % 1.0 - 0.5
        d = np.hypot(dx * 1.3, dy) / r
        inside = d < 1.0
        # Lit from the middle, dark rim: rounded stones.
        shade = t * (1.05 - 0.55 * d * d)
        stone = hex_colour("9c9286") * shade[..., None]
        c = np.where(inside[..., None], stone, c)
    return c


def forest(s):
    n = sym(tile_noise(s, 8, 81, octaves=4))
    c = ramp(n, [(0.0, hex_colour("173d1f")), (0.5, hex_colour("24592b")), (1.0, hex_colour("3f7d33"))])
    leaves = sym(tile_noise(s, 32, 82, octaves=2))
    c = np.where((leaves > 0.66)[..., None], c * 1.35 + hex_colour("2a1a00") * 0.3, c)
    return np.clip(c, 0, 1)


def canyon(s):
    u, v = grid_uv(s)
    n = sym(tile_noise(s, 4, 91, octaves=2))
    band = 0.5 + 0.5 * np.cos(2 * np.pi * (3 * v + 0.12 * n))
    c = ramp(band, [(0.0, hex_colour("8c3b1e")), (0.5, hex_colour("c25a2c")), (1.0, hex_colour("e08a4c"))])
    grit = sym(tile_noise(s, 64, 92))
    return c * (0.88 + 0.2 * grit)[..., None]


TERRAIN_LAYERS = [grass, sand, rock, snow, city, water, neon, gravel, forest, canyon]


def asphalt(s):
    n = sym(tile_noise(s, 8, 101, octaves=3))
    speck = sym(tile_noise(s, 128, 102))
    c = ramp(n, [(0.0, hex_colour("2b2c31")), (1.0, hex_colour("3d3f45"))])
    return c * (0.9 + 0.2 * (speck > 0.6))[..., None]


def paint(c, mask, colour=(0.95, 0.95, 0.92)):
    return c * (1 - mask[..., None]) + np.array(colour) * mask[..., None]


def band(x, lo, hi, soft=0.01):
    return smoothstep(lo - soft, lo + soft, x) * (1 - smoothstep(hi - soft, hi + soft, x))


def kerb(u, v, lo, hi):
    """Red and white blocks across the strip lo..hi of u, two per tile along v."""
    mask = band(u, lo, hi, 0.004)
    red = (np.floor(v * 2) % 2) == 0
    colour = np.where(red[..., None], hex_colour("d0262b"), hex_colour("f1f1ec"))
    return mask, colour


def road_edge(s, left):
    u, v = grid_uv(s)
    if not left:
        u = 1 - u
    c = asphalt(s)
    mask, colour = kerb(u, v, 0.0, 0.16)
    c = c * (1 - mask[..., None]) + colour * mask[..., None]
    return paint(c, band(u, 0.26, 0.36))


def road_dashes(s, right):
    u, v = grid_uv(s)
    c = asphalt(s)
    edge = (1 - u) if right else u
    return paint(c, band(edge, -0.1, 0.06) * band(v, 0.2, 0.8))


def neon_lane(s):
    u, v = grid_uv(s)
    c = np.ones((s, s, 3)) * hex_colour("0d0a1a")
    c *= (0.85 + 0.3 * sym(tile_noise(s, 16, 111)))[..., None]
    cross = np.exp(-(np.minimum(v, 1 - v) / 0.03) ** 2)
    side = np.exp(-(np.minimum(u, 1 - u) / 0.02) ** 2) * 0.5
    return np.clip(c + hex_colour("29e5ff") * cross[..., None] + hex_colour("8a2bff") * side[..., None], 0, 1)


def neon_edge(s):
    u, v = grid_uv(s)
    c = neon_lane(s)
    strip = np.exp(-(np.minimum(u, 1 - u) / 0.08) ** 2)
    core = band(np.minimum(u, 1 - u), -0.1, 0.05, 0.01)
    c = c + hex_colour("ff2bd6") * strip[..., None]
    return np.clip(paint(c, core, (1.0, 0.85, 0.98)), 0, 1)


ROAD_LAYERS = [asphalt, lambda s: road_edge(s, True), lambda s: road_edge(s, False),
               lambda s: road_dashes(s, True), lambda s: road_dashes(s, False), neon_lane, neon_edge]


def stack(layers, size, edges):
    """Layer 0 goes to the bottom of the picture; edges darkens the block borders."""
    strips = []
    for make in layers:
        strip = make(size) * (block_edges(size)[..., None] if edges else 1.0)
        strips.append(np.clip(strip, 0.0, 1.0))
    return np.concatenate(strips[::-1], axis=0)


def wireframe(size):
    """Edges of a unit square and its diagonal u = v; rgb is a face multiplier
    (0.72 inside, 1 on the lines), alpha the line mask."""
    u, v = grid_uv(size)
    d = np.minimum(np.minimum(u, 1 - u), np.minimum(v, 1 - v))
    d = np.minimum(d, np.abs(u - v) / np.sqrt(2.0))
    px = 1.0 / size
    core = 1 - smoothstep(1.5 * px, 3.0 * px, d)
    glow = np.exp(-(d / (10 * px)) ** 2) * 0.45
    alpha = np.clip(np.maximum(core, glow), 0, 1)
    rgb = 0.72 + 0.28 * alpha
    return np.dstack([rgb, rgb, rgb, alpha])


def main():
    folder = graphics_folder(__doc__)
    save_png(folder, "TextureTiles4.png", stack(TERRAIN_LAYERS, TILE, True))
    save_png(folder, "RoadTiles.png", stack(ROAD_LAYERS, TILE, False))
    save_png(folder, "wireframe.png", wireframe(256))


if __name__ == "__main__":
    main()
