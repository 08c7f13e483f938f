#!/usr/bin/env python3
"""Writes N deterministic photo-like 640x480 JPEG pictures: smooth light, soft shapes, sensor noise."""
import os
import sys

import numpy as np
from PIL import Image

WIDTH, HEIGHT = 640, 480


def photo(index):
    rng = np.random.default_rng(1000 + index)
    y, x = np.mgrid[0:HEIGHT, 0:WIDTH].astype(np.float32)
    x /= WIDTH
    y /= HEIGHT
    image = np.zeros((HEIGHT, WIDTH, 3), np.float32)
    # Broad light: a few slow waves per channel over a tinted base.
    base = rng.uniform(40, 200, 3)
    for c in range(3):
        layer = np.full((HEIGHT, WIDTH), base[c], np.float32)
        for _ in range(3):
            fx, fy = rng.uniform(0.3, 2.5, 2)
            phase = rng.uniform(0, 2 * np.pi)
            layer += rng.uniform(15, 45) * np.cos(2 * np.pi * (fx * x + fy * y) + phase)
        image[..., c] = layer
    # Objects: soft-edged ellipses of their own colour, some with a shading of their own.
    for _ in range(rng.integers(6, 14)):
        cx, cy = rng.uniform(0, 1, 2)
        rx, ry = rng.uniform(0.04, 0.3, 2)
        d = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2
        edge = rng.uniform(0.05, 0.4)
        alpha = np.clip((1.0 - d) / edge, 0.0, 1.0)[..., None]
        colour = rng.uniform(0, 255, 3).astype(np.float32)
        shade = 1.0 + 0.3 * (y - cy)[..., None] / max(ry, 0.05)
        image = image * (1 - alpha) + alpha * colour * shade
    # Fine texture and sensor noise.
    image += rng.normal(0, 6, (HEIGHT, WIDTH, 1)).astype(np.float32)
    image += rng.normal(0, 3, (HEIGHT, WIDTH, 3)).astype(np.float32)
    return Image.fromarray(np.clip(image, 0, 255).astype(np.uint8), "RGB")


def main():
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    os.makedirs(folder, exist_ok=True)
    for i in range(count):
        photo(i).save(os.path.join(folder, "photo%03d.jpg" % i), quality=88)


if __name__ == "__main__":
    main()
