"""Pictures of the grading pass: vignette, gradient, shadow mask and noise."""

import numpy as np

import overlay_common as oc


def vignette(rng):
    # White (untouched) in the middle, darkening smoothly to about 0.2 in the corners.
    w, h = 1024, 576
    x = (np.arange(w) + 0.5) / w * 2.0 - 1.0
    y = (np.arange(h) + 0.5) / h * 2.0 - 1.0
    d = np.sqrt(x[None, :] ** 2 * 0.92 + y[:, None] ** 2 * 1.0)
    t = np.clip((d - 0.45) / (1.38 - 0.45), 0.0, 1.0)
    t = t * t * (3.0 - 2.0 * t)
    v = 255.0 * (1.0 - 0.8 * t)
    v = oc.dither(v, rng)
    return oc.to_image(np.repeat(v[..., None], 3, axis=2), "RGB")


def gradient():
    # Dusk to dawn: indigo, purple, magenta, orange, gold, warm white.
    stops = [(0.0, oc.hex_rgb("120626")), (0.3, oc.hex_rgb("4b1470")), (0.55, oc.hex_rgb("d12a8c")),
             (0.75, oc.hex_rgb("ff7a3a")), (0.9, oc.hex_rgb("ffd25a")), (1.0, oc.hex_rgb("fff4e0"))]
    ramp = oc.lerp_colours(stops, np.linspace(0.0, 1.0, 256))
    return oc.to_image(ramp[None, :, :], "RGB")


def shadow_mask():
    # Slot mask: triads of red, green and blue stripes two pixels wide, slots five
    # rows lit and one dark, every other triad shifted by three rows. The 192 x 192
    # tile holds whole periods, so it repeats without seams.
    size = 192
    out = np.full((size, size, 3), 38.0)
    for y in range(size):
        for x in range(size):
            triad = x // 6
            row = (y + (3 if triad % 2 else 0)) % 6
            if row == 5:
                continue
            out[y, x, (x % 6) // 2] = 255.0
    # A light blur with wrap-around keeps the tile seamless.
    soft = out * 0.6
    for dy, dx in ((0, 1), (0, -1), (1, 0), (-1, 0)):
        soft += np.roll(out, (dy, dx), axis=(0, 1)) * 0.1
    return oc.to_image(soft, "RGB")


def noise(rng):
    # Film grain, one independent field per channel; wrap-around filtering keeps it tileable.
    size = 256
    raw = rng.normal(0.0, 1.0, (size, size, 3))
    soft = raw * 0.5
    for dy, dx in ((0, 1), (0, -1), (1, 0), (-1, 0)):
        soft += np.roll(raw, (dy, dx), axis=(0, 1)) * 0.125
    soft /= soft.std()
    return oc.to_image(128.0 + soft * 42.0, "RGB")


def main():
    folder = oc.graphics_folder()
    rng = np.random.default_rng(1307)
    oc.write_png(vignette(rng), folder, "Vignett.png")
    oc.write_png(gradient(), folder, "Gradient.png")
    oc.write_png(shadow_mask(), folder, "ShadowMask.png")
    oc.write_png(noise(rng), folder, "Noise.png")


if __name__ == "__main__":
    main()
