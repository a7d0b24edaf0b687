"""Writes the four sky cube maps "Sunset_*.png", "Desert_*.png", "Forest_*.png"
and "City_*.png" (* = posx, negx, posy, negy, posz, negz).

Every texel is the colour of one function of the view direction, so the faces
agree along their edges and corners. The texel of a face at (s, t) looks along
the direction GL assigns to it; the engine flips pictures on load, so picture
row y holds t = 1 - (y + 0.5) / size. +y is up; the horizon is the plane y = 0.
The sun, moon and the tallest skyline stand towards +z, the direction the sky
box shows ahead of the drive (the sky camera is turned 180 degrees about y).
"""

import numpy as np

from picturekit import graphics_folder, hex_colour, ramp, save_png, smoothstep

SIZE = 512
FACES = ["posx", "negx", "posy", "negy", "posz", "negz"]


def face_directions(face, size):
    c = (np.arange(size) + 0.5) / size
    s = np.tile(c[None, :], (size, 1))
    t = np.tile(c[::-1, None], (1, size))
    a = 2 * s - 1
    b = 2 * t - 1
    one = np.ones_like(a)
    # Inverse of GL's cube face selection (major axis, sc, tc).
    d = {
        "posx": (one, -b, -a),
        "negx": (-one, -b, a),
        "posy": (a, one, b),
        "negy": (a, -one, -b),
        "posz": (a, -b, one),
        "negz": (-a, -b, -one),
    }[face]
    d = np.stack(d, axis=-1)
    return d / np.linalg.norm(d, axis=-1, keepdims=True)


def angles(d):
    """Elevation and azimuth in degrees; azimuth 0 is +z, 90 is +x."""
    elevation = np.degrees(np.arcsin(np.clip(d[..., 1], -1, 1)))
    azimuth = np.degrees(np.arctan2(d[..., 0], d[..., 2]))
    return elevation, azimuth


def hash3(cells):
    """Deterministic pseudo-random 0..1 per integer cell."""
    x = cells[..., 0].astype(np.int64) * 73856093
    y = cells[..., 1].astype(np.int64) * 19349663
    z = cells[..., 2].astype(np.int64) * 83492791
    h = (x ^ y ^ z) & 0xFFFFFFFF
    h = (h * 2654435761) & 0xFFFFFFFF
    h ^= h >> 15
    h = (h * 2246822519) & 0xFFFFFFFF
    h ^= h >> 13
    return (h & 0xFFFFFF) / float(0xFFFFFF)


def stars(d, density, scale=180.0):
    p = d * scale
    cell = np.floor(p)
    h = hash3(cell)
    jitter = np.stack([hash3(cell + 17), hash3(cell + 31), hash3(cell + 47)], axis=-1)
    centre = cell + 0.2 + 0.6 * jitter
    r = np.linalg.norm(p - centre, axis=-1)
    on = h > 1.0 - density
    return np.where(on, np.exp(-(r / 0.22) ** 2) * (0.5 + 0.5 * hash3(cell + 5)), 0.0)


def periodic(azimuth, terms, seed):
    """A smooth function of the azimuth that closes on itself at +-180 degrees."""
    rng = np.random.RandomState(seed)
    a = np.radians(azimuth)
    out = np.zeros_like(a)
    for k in range(1, terms + 1):
        out += (rng.rand() - 0.5) * np.cos(k * a + rng.rand() * 6.283) / k ** 0.8
    return out


def disc(d, towards, radius_deg):
    """Angle from a direction, in degrees, and a soft disc mask."""
    towards = np.array(towards, dtype=np.float64)
    towards /= np.linalg.norm(towards)
    cosang = np.clip(np.tensordot(d, towards, axes=([-1], [0])), -1, 1)
    ang = np.degrees(np.arccos(cosang))
    return ang, 1 - smoothstep(radius_deg - 0.4, radius_deg + 0.4, ang)


def direction(azimuth, elevation):
    a = np.radians(azimuth)
    e = np.radians(elevation)
    return [np.cos(e) * np.sin(a), np.sin(e), np.cos(e) * np.cos(a)]


def ground(e, top, bottom):
    """Below the horizon: haze fading into the ground colour."""
    return ramp(-e, [(0.0, top), (25.0, bottom), (90.0, bottom * 0.6)])


def sunset(d):
    e, az = angles(d)
    sky = ramp(e, [(-2.0, hex_colour("ff9a4a")), (3.0, hex_colour("ff6a5c")), (10.0, hex_colour("d3306f")),
                   (28.0, hex_colour("6a1b6e")), (60.0, hex_colour("2a0d4a")), (90.0, hex_colour("12082a"))])
    sky += (stars(d, 0.05) * smoothstep(25, 55, e))[..., None] * 0.9
    # The striped sun, half set, its lower half cut by bands.
    ang, mask = disc(d, direction(12, 7), 13.0)
    sun = ramp(e, [(-6.0, hex_colour("ff2f7a")), (8.0, hex_colour("ff8a3d")), (20.0, hex_colour("ffe66b"))])
    stripes = np.ones_like(e)
    # Gaps that widen towards the horizon.
    depth = np.clip((12.0 - e) / 14.0, 0.0, 1.0)
    cut = (e < 12.0) & ((((12.0 - e) / 2.2) % 1.0) < 0.15 + 0.5 * depth)
    stripes[cut] = 0.0
    mask = mask * stripes
    glow = np.exp(-(ang / 22.0) ** 2) * 0.55
    sky = sky + hex_colour("ff7a50") * glow[..., None]
    sky = sky * (1 - mask[..., None]) + sun * mask[..., None]
    # Low purple hills along the horizon.
    hills = 1.6 + 2.2 * (periodic(az, 9, 3) + 0.6)
    hill_mask = smoothstep(0.15, -0.15, e - hills)
    sky = sky * (1 - hill_mask[..., None]) + hex_colour("3a1646") * hill_mask[..., None]
    below = ground(e, hex_colour("5a2350"), hex_colour("1c0a24"))
    return np.where((e < 0)[..., None], below, sky)


def desert(d):
    e, az = angles(d)
    sky = ramp(e, [(-2.0, hex_colour("f6d29a")), (4.0, hex_colour("f2c27e")), (12.0, hex_colour("9fd3e0")),
                   (40.0, hex_colour("3f8fd0")), (90.0, hex_colour("1b4f9a"))])
    ang, mask = disc(d, direction(-25, 38), 3.2)
    glow = np.exp(-(ang / 9.0) ** 2) * 0.6 + np.exp(-(ang / 30.0) ** 2) * 0.25
    sky = sky + hex_colour("fff1c4") * glow[..., None]
    sky = sky * (1 - mask[..., None]) + hex_colour("fffbe8") * mask[..., None]
    # Mesas: flat-topped ridges, far (pale) and near (dark).
    far = np.maximum(0.0, 3.0 + 9.0 * (periodic(az, 14, 5) + 0.05))
    far = np.where(far > 4.5, 4.5 + 0.15 * (far - 4.5), far)
    far_mask = smoothstep(0.12, -0.12, e - far)
    sky = sky * (1 - far_mask[..., None]) + hex_colour("c98a5c") * far_mask[..., None]
    near = np.maximum(0.0, 1.0 + 6.0 * (periodic(az, 10, 6) - 0.05))
    near = np.where(near > 2.8, 2.8 + 0.1 * (near - 2.8), near)
    near_mask = smoothstep(0.12, -0.12, e - near)
    sky = sky * (1 - near_mask[..., None]) + hex_colour("8c4a2c") * near_mask[..., None]
    below = ground(e, hex_colour("d9a066"), hex_colour("7a4a2a"))
    return np.where((e < 0)[..., None], below, sky)


def forest(d):
    e, az = angles(d)
    sky = ramp(e, [(-2.0, hex_colour("e6f5e4")), (5.0, hex_colour("c7ecd0")), (18.0, hex_colour("7fc79a")),
                   (45.0, hex_colour("2f7d62")), (90.0, hex_colour("0f3a34"))])
    ang, mask = disc(d, direction(-8, 26), 4.5)
    glow = np.exp(-(ang / 14.0) ** 2) * 0.45
    sky = sky + hex_colour("f4fff0") * glow[..., None]
    sky = sky * (1 - mask[..., None]) + hex_colour("fbfff6") * mask[..., None]
    sky += (stars(d, 0.03) * smoothstep(50, 75, e))[..., None] * 0.6
    # Two rows of pines: saw teeth whose height varies along the horizon.
    for teeth, base, amp, colour, seed in ((180, 2.5, 2.5, "4f8f6a", 7), (110, 1.0, 3.5, "173d2c", 8)):
        phase = az / 360.0 * teeth
        tooth = 1.0 - 2.0 * np.abs(phase - np.floor(phase) - 0.5)
        height = base + amp * (0.55 + periodic(az, 12, seed)) * tooth
        m = smoothstep(0.1, -0.1, e - height)
        sky = sky * (1 - m[..., None]) + hex_colour(colour) * m[..., None]
    below = ground(e, hex_colour("5f8f70"), hex_colour("10261c"))
    return np.where((e < 0)[..., None], below, sky)


def city(d):
    e, az = angles(d)
    sky = ramp(e, [(-2.0, hex_colour("3fe6ff")), (2.0, hex_colour("2aa6e0")), (10.0, hex_colour("1a4f9c")),
                   (35.0, hex_colour("0b1f55")), (90.0, hex_colour("040818"))])
    sky += (stars(d, 0.04) * smoothstep(20, 45, e))[..., None]
    ang, mask = disc(d, direction(30, 42), 3.0)
    sky = sky + hex_colour("9fd8ff") * (np.exp(-(ang / 10.0) ** 2) * 0.35)[..., None]
    sky = sky * (1 - mask[..., None]) + hex_colour("eaf6ff") * mask[..., None]
    # Skyline: 144 buildings round the horizon, taller ahead (+z).
    count = 144
    slot = np.floor((az + 180.0) / 360.0 * count).astype(int) % count
    rng = np.random.RandomState(9)
    heights = 2.0 + 12.0 * rng.rand(count) ** 2
    ahead = np.cos(np.radians((np.arange(count) + 0.5) / count * 360.0 - 180.0))
    heights *= 0.7 + 0.6 * np.maximum(ahead, 0)
    spires = rng.rand(count) > 0.85
    h = heights[slot]
    frac = (az + 180.0) / 360.0 * count - np.floor((az + 180.0) / 360.0 * count)
    spire = spires[slot] & (np.abs(frac - 0.5) < 0.08)
    top = np.where(spire, h + 3.0, h)
    building = (e < top) & (e > -0.5)
    shade = 0.75 + 0.5 * rng.rand(count)
    body = hex_colour("0a0f24")[None, None, :] * shade[slot][..., None]
    # Lit windows on a grid of floors and bays.
    floors = (np.floor(e / 0.55) % 2 == 0)
    bays = (np.floor(frac * 6) % 2 == 0)
    lit = hash3(np.stack([slot, np.floor(e / 1.1).astype(int), np.floor(frac * 3).astype(int)], axis=-1)) > 0.45
    window = floors & bays & lit & (e < top - 0.4) & ~spire
    wcol = np.where((hash3(np.stack([slot, slot * 3, slot + 1], axis=-1)) > 0.5)[..., None],
                    hex_colour("ffd36b"), hex_colour("7fe8ff"))
    body = np.where(window[..., None], wcol, body)
    rim = building & (e > top - 0.25)
    body = np.where(rim[..., None], hex_colour("ff2bd6"), body)
    sky = np.where(building[..., None], body, sky)
    below = ground(e, hex_colour("1a6f9a"), hex_colour("050a1a"))
    return np.where((e < -0.5)[..., None], below, sky)


SKIES = {"Sunset": sunset, "Desert": desert, "Forest": forest, "City": city}


def main():
    folder = graphics_folder(__doc__)
    for name, colour in SKIES.items():
        for face in FACES:
            rgb = colour(face_directions(face, SIZE))
            save_png(folder, "%s_%s.png" % (name, face), np.clip(rgb, 0, 1))


if __name__ == "__main__":
    main()
