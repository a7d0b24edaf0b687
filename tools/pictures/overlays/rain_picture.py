"""Rain streaks on alpha, seamless in both directions."""

import numpy as np

import overlay_common as oc

SIZE = 512
STREAKS = 170


def rain(rng):
    alpha = np.zeros((SIZE, SIZE), dtype=np.float64)
    xs = np.arange(SIZE, dtype=np.float64)
    for _ in range(STREAKS):
        cx = rng.uniform(0, SIZE)
        head = rng.uniform(0, SIZE)
        length = rng.uniform(28, 110)
        width = rng.uniform(0.45, 1.1)
        strength = rng.uniform(0.25, 0.85)
        # Across: a narrow Gaussian, measured on the torus so streaks cross the seam.
        dx = (xs - cx + SIZE / 2) % SIZE - SIZE / 2
        across = np.exp(-0.5 * (dx / width) ** 2)
        cols = np.nonzero(across > 0.01)[0]
        # Along: brightest at the falling head (bottom), fading into the tail above it.
        for k in range(int(length) + 1):
            y = int(head - k) % SIZE
            f = 1.0 - k / length
            along = f ** 1.6 * min(1.0, (k + 1) / 3.0)
            alpha[y, cols] = np.maximum(alpha[y, cols], strength * along * across[cols])
    out = np.zeros((SIZE, SIZE, 4))
    out[..., 0:3] = (205, 222, 255)
    out[..., 3] = np.clip(alpha, 0.0, 1.0) * 255.0
    return oc.to_image(out, "RGBA")


def main():
    folder = oc.graphics_folder()
    oc.write_png(rain(np.random.default_rng(4109)), folder, "Rain.png")


if __name__ == "__main__":
    main()
