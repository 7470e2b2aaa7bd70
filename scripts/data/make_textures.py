#!/usr/bin/python3
"""Generate the JPEG textures Pelmora reads from data/.

Every texture is 256 x 256 and tiles seamlessly, because the scene repeats
them across the floor, walls and rail.  Noise comes from a seeded NumPy
generator, so running the script twice writes byte-identical files.

Usage: make_textures.py [DATA_DIR] [NAME ...]
NAME is one of: water boden1 boden2 wall model (default: all).
"""

import os
import sys

import numpy as np
from PIL import Image

SIZE = 256
JPEG_QUALITY = 88
MAX_BYTES = 64 * 1024  # the loader keeps textures small; stay below 64 KiB


# --- helpers ---------------------------------------------------------------

def periodic_noise(rng, size=SIZE, scale=8.0, power=2.0, aspect=1.0):
    """Band-limited noise that wraps around at the image edges.

    White noise is filtered in the frequency domain, so the result is
    periodic by construction.  `scale` is roughly the number of blobs across
    the image, `power` how fast fine detail falls off, and `aspect` stretches
    the features along x (> 1 gives horizontal streaks).
    """
    white = rng.standard_normal((size, size))
    fy = np.fft.fftfreq(size)[:, None] * size
    fx = np.fft.fftfreq(size)[None, :] * size
    radius = np.sqrt((fx * aspect) ** 2 + fy ** 2) / scale
    filt = 1.0 / (1.0 + radius ** power)
    filt[0, 0] = 0.0  # drop the mean; normalise below
    field = np.real(np.fft.ifft2(np.fft.fft2(white) * filt))
    field -= field.min()
    return field / field.max()


def fbm(rng, octaves, base_scale=4.0, aspect=1.0):
    """A few octaves of periodic noise summed, for natural-looking grain."""
    total = np.zeros((SIZE, SIZE))
    amp, weight = 1.0, 0.0
    for i in range(octaves):
        total += amp * periodic_noise(rng, scale=base_scale * 2 ** i,
                                      power=4.0, aspect=aspect)
        weight += amp
        amp *= 0.5
    return total / weight


def colour_ramp(t, stops):
    """Map t in [0, 1] to RGB by linear interpolation between colour stops."""
    t = np.clip(t, 0.0, 1.0)
    pos = np.array([s[0] for s in stops])
    out = np.empty(t.shape + (3,))
    for c in range(3):
        out[..., c] = np.interp(t, pos, [s[1][c] for s in stops])
    return out


def save_jpeg(rgb, path):
    """Write an RGB float array (0..255) as a baseline JPEG without metadata."""
    img = Image.fromarray(np.clip(rgb, 0, 255).round().astype(np.uint8), "RGB")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.save(path, "JPEG", quality=JPEG_QUALITY, optimize=True)
    size = os.path.getsize(path)
    if size >= MAX_BYTES:
        raise SystemExit(f"{path}: {size} bytes, too large")
    print(f"{path}: {size} bytes")


def grid_coords():
    y, x = np.mgrid[0:SIZE, 0:SIZE].astype(float)
    return x, y


# --- textures --------------------------------------------------------------

def make_water(path):
    """Sky reflected in rippled water: soft blue swells with bright caustic
    lines.  The caustic network is the ridge set (|n - 0.5| near zero) of two
    noise fields, which gives the thin, cell-like bright lines seen on a pool.
    """
    rng = np.random.default_rng(1101)
    swell = fbm(rng, 3, base_scale=3.0)
    ridges = np.zeros((SIZE, SIZE))
    for scale in (5.0, 9.0):
        n = periodic_noise(rng, scale=scale, power=3.0)
        ridges += (1.0 - np.abs(n - 0.5) * 2.0) ** 10
    ridges = np.clip(ridges / 1.4, 0.0, 1.0)
    tone = 0.55 * swell + 0.45 * ridges
    rgb = colour_ramp(tone, [
        (0.00, (18, 52, 96)),     # deep water
        (0.35, (40, 104, 160)),
        (0.60, (92, 164, 208)),   # reflected sky
        (0.85, (188, 226, 244)),
        (1.00, (245, 252, 255)),  # glints
    ])
    save_jpeg(rgb, path)


def make_flagstones(path):
    """Grey-beige stone slabs in staggered rows with dark mortar joints.

    Rows are 64 px high and each row's joints wrap around the image width,
    so the floor tiles without a visible seam.
    """
    rng = np.random.default_rng(2202)
    ROW_H = 64
    JOINT = 3       # half-width of the mortar joint in pixels
    BEVEL = 6       # worn slab edges darken over this many pixels
    x, y = grid_coords()
    grain = fbm(rng, 4, base_scale=6.0)
    speckle = rng.random((SIZE, SIZE))

    slab_id = np.zeros((SIZE, SIZE), int)
    edge_dist = np.zeros((SIZE, SIZE))
    next_id = 0
    for row in range(SIZE // ROW_H):
        # Slab widths for this row; they sum to the image width.
        widths = rng.choice([48, 64, 80, 96, 112], size=8)
        widths = widths[np.cumsum(widths) <= SIZE].tolist()
        widths[-1] += SIZE - sum(widths)
        offset = int(rng.integers(0, SIZE))
        y0, y1 = row * ROW_H, (row + 1) * ROW_H
        xr = (x[y0:y1] - offset) % SIZE
        start = 0
        for w in widths:
            inside = (xr >= start) & (xr < start + w)
            slab_id[y0:y1][inside] = next_id
            dx = np.minimum(xr - start, start + w - 1 - xr)
            dy = np.minimum(y[y0:y1] - y0, y1 - 1 - y[y0:y1])
            edge_dist[y0:y1][inside] = np.minimum(dx, dy)[inside]
            next_id += 1
            start += w

    # Slabs differ in lightness and lean slightly warm or cool, as quarried
    # stone does; a single warmth value keeps the hues natural.
    warmth = rng.uniform(-1.0, 1.0, next_id)[:, None] * [6.0, 2.0, -6.0]
    light = rng.uniform(0.80, 1.08, next_id)
    base = np.array([152.0, 146.0, 134.0])
    rgb = base * light[slab_id][..., None] + warmth[slab_id]
    rgb *= (0.72 + 0.45 * grain)[..., None]
    rgb += ((speckle - 0.5) * 26)[..., None]
    wear = np.clip(edge_dist / BEVEL, 0.0, 1.0)
    rgb *= (0.75 + 0.25 * wear)[..., None]
    mortar = edge_dist < JOINT
    rgb[mortar] = (np.array([62.0, 58.0, 52.0])
                   * (0.8 + 0.4 * grain[mortar])[:, None])
    save_jpeg(rgb, path)


def make_brushed_metal(path):
    """Brushed steel: fine streaks along x from strongly stretched noise,
    plus a slow periodic sheen across y so it catches some light."""
    rng = np.random.default_rng(3303)
    _, y = grid_coords()
    streaks = periodic_noise(rng, scale=90.0, power=2.0, aspect=40.0)
    coarse = periodic_noise(rng, scale=12.0, power=2.0, aspect=12.0)
    sheen = 0.5 + 0.5 * np.cos(2 * np.pi * y / SIZE)
    tone = 0.45 * streaks + 0.25 * coarse + 0.30 * sheen
    rgb = colour_ramp(tone, [
        (0.0, (96, 100, 106)),
        (0.5, (162, 166, 172)),
        (1.0, (226, 229, 233)),
    ])
    save_jpeg(rgb, path)


def make_brick_wall(path):
    """Red-brown bricks in running bond with pale lime mortar."""
    rng = np.random.default_rng(4404)
    BRICK_W, BRICK_H = 64, 32
    MORTAR = 2      # half-width of the joint
    x, y = grid_coords()
    row = (y // BRICK_H).astype(int)
    shifted = x + (row % 2) * (BRICK_W // 2)  # stagger alternate courses
    col = ((shifted // BRICK_W) % (SIZE // BRICK_W)).astype(int)
    brick_id = row * (SIZE // BRICK_W) + col
    n_bricks = (SIZE // BRICK_H) * (SIZE // BRICK_W)

    dx = np.minimum(shifted % BRICK_W, BRICK_W - 1 - shifted % BRICK_W)
    dy = np.minimum(y % BRICK_H, BRICK_H - 1 - y % BRICK_H)
    mortar = (dx < MORTAR) | (dy < MORTAR)

    grain = fbm(rng, 4, base_scale=10.0)
    pits = rng.random((SIZE, SIZE))
    shade = rng.uniform(0.78, 1.12, n_bricks)
    hue = rng.uniform(-1.0, 1.0, n_bricks)
    base = np.array([150.0, 70.0, 48.0])
    rgb = base * shade[brick_id][..., None]
    rgb[..., 1] += 10 * hue[brick_id]           # some bricks more orange
    rgb *= (0.8 + 0.35 * grain)[..., None]
    rgb[pits > 0.985] *= 0.6                    # small fired-clay pits
    rgb[mortar] = (np.array([196.0, 188.0, 172.0])
                   * (0.85 + 0.25 * grain[mortar])[:, None])
    save_jpeg(rgb, path)


def make_sandstone(path):
    """Weathered warm sandstone for the sculpture: wavy sedimentary layers
    distorted by noise, with fine sand grain and darker weathering patches."""
    rng = np.random.default_rng(5505)
    x, y = grid_coords()
    warp = fbm(rng, 3, base_scale=2.0)
    LAYERS = 9  # whole number, so the bands tile vertically
    bands = 0.5 + 0.5 * np.sin(2 * np.pi * (LAYERS * y / SIZE
                                            + 1.2 * warp
                                            + 0.4 * np.sin(2 * np.pi * x / SIZE)))
    # Thin laminae inside the main layers, as in cross-bedded sandstone.
    FINE_LAYERS = 36
    laminae = 0.5 + 0.5 * np.sin(2 * np.pi * (FINE_LAYERS * y / SIZE
                                              + 3.0 * warp))
    weather = periodic_noise(rng, scale=6.0, power=3.0)
    sand = rng.random((SIZE, SIZE))
    # Bands kept fairly faint: strong regular stripes would read as wood.
    tone = (0.28 * bands + 0.10 * laminae
            + 0.37 * fbm(rng, 4, base_scale=8.0) + 0.25 * sand)
    tone = (tone - tone.min()) / (tone.max() - tone.min())
    rgb = colour_ramp(tone, [
        (0.0, (150, 104, 62)),
        (0.4, (196, 150, 98)),
        (0.7, (222, 184, 132)),
        (1.0, (240, 214, 170)),
    ])
    # Weathering darkens and slightly browns the stone in patches.
    stain = np.clip((weather - 0.55) * 3.0, 0.0, 1.0)[..., None]
    rgb *= 1.0 - stain * np.array([0.22, 0.26, 0.30])
    save_jpeg(rgb, path)


# Output paths are fixed: the program opens them relative to data/.
TEXTURES = {
    "water": ("texture/water.jpg", make_water),
    "boden1": ("texture/boden1.jpg", make_flagstones),
    "boden2": ("texture/boden2.jpg", make_brushed_metal),
    "wall": ("textures/wall.jpg", make_brick_wall),
    "model": ("texture/boden1.JPG", make_sandstone),
}


def main(argv):
    data_dir = argv[1] if len(argv) > 1 else "data"
    names = argv[2:] or list(TEXTURES)
    for name in names:
        rel, func = TEXTURES[name]
        func(os.path.join(data_dir, rel))


if __name__ == "__main__":
    main(sys.argv)
