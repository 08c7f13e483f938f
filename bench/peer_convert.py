#!/usr/bin/env python3
"""The peer: Pillow decodes, NumPy truncates to RGB332, one BIN file per picture into a folder."""
import os
import sys

import numpy as np
from PIL import Image


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for path in sys.argv[2:]:
        rgb = np.asarray(Image.open(path).convert("RGB"))
        packed = (rgb[..., 0] & 0xE0) | ((rgb[..., 1] & 0xE0) >> 3) | ((rgb[..., 2] & 0xC0) >> 6)
        name = os.path.splitext(os.path.basename(path))[0] + ".BIN"
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(packed.astype(np.uint8).tobytes())


if __name__ == "__main__":
    main()
