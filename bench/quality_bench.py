#!/usr/bin/env python3
"""How faithful and how fast each colour reduction of lumivert-cli is, beside ImageMagick and Pillow.

Ten pictures at 640x480 (scikit-image's photographs as Debian ships them, a face crop, three gradients)
are reduced to the unit's 256 shown colours by every method, shown as the unit shows them, and scored by
the mean CIEDE2000 between source and shown picture after both are blurred by a Gaussian of sigma 2 px in
linear light (the panel and the eye add light; this models viewing from a normal distance). Then each of
our methods converts 200 photographs with --jobs 1, timed.

Usage: quality_bench.py BUILD_DIR [RUNS]   (Debian's python3 with python3-skimage, python3-scipy,
python3-pil, python3-numpy; imagemagick)
"""
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np
from PIL import Image
from scipy.ndimage import gaussian_filter
from skimage import color, data

WIDTH, HEIGHT = 640, 480
METHODS = ["none", "nearest", "floyd-steinberg", "ordered"]
IMAGEMAGICK = "/usr/bin/convert"  # Debian's ImageMagick, not whatever else is first on PATH


def shown_levels(bits):
    return [0] + [(n + 1) * (1 << (8 - bits)) - 1 for n in range(1, 1 << bits)]


def expand(bins):
    """The unit's rule: a byte's shown colour."""
    b = bins.astype(np.int32)
    rg = np.array(shown_levels(3), np.uint8)
    bl = np.array(shown_levels(2), np.uint8)
    return np.stack([rg[b >> 5], rg[(b >> 2) & 7], bl[b & 3]], axis=-1)


def palette_colours():
    return expand(np.arange(256, dtype=np.uint8))


def fill(image):
    """Scales a picture to cover 640x480 and crops the middle."""
    w, h = image.size
    scale = max(WIDTH / w, HEIGHT / h)
    size = (max(WIDTH, round(w * scale)), max(HEIGHT, round(h * scale)))
    image = image.convert("RGB").resize(size, Image.LANCZOS)
    left, top = (size[0] - WIDTH) // 2, (size[1] - HEIGHT) // 2
    return image.crop((left, top, left + WIDTH, top + HEIGHT))


def test_pictures():
    folder = data.data_dir
    pictures = {}
    for name, file in [("astronaut", "astronaut.png"), ("coffee", "coffee.png"), ("chelsea", "chelsea.png"),
                       ("rocket", "rocket.jpg"), ("motorcycle_left", "motorcycle_left.png"),
                       ("hubble_deep_field", "hubble_deep_field.jpg")]:
        pictures[name] = fill(Image.open(os.path.join(folder, file)))
    pictures["astronaut face"] = fill(Image.open(os.path.join(folder, "astronaut.png")).crop((150, 20, 330, 155)))
    y, x = np.mgrid[0:HEIGHT, 0:WIDTH].astype(np.float64)
    ramp = np.repeat((x / (WIDTH - 1) * 255)[..., None], 3, axis=-1)
    pictures["grey ramp"] = Image.fromarray(np.round(ramp).astype(np.uint8))
    t = (y / (HEIGHT - 1))[..., None]
    sky = (1 - t) * np.array([18, 52, 128]) + t * np.array([196, 220, 244])
    pictures["sky gradient"] = Image.fromarray(np.round(sky).astype(np.uint8))
    hsv = np.stack([x / WIDTH, np.ones_like(x), 1 - y / (HEIGHT - 1)], axis=-1)
    pictures["hue x value"] = Image.fromarray(np.round(color.hsv2rgb(hsv) * 255).astype(np.uint8))
    return pictures


def to_light(rgb8):
    c = rgb8.astype(np.float64) / 255
    return np.where(c <= 0.04045, c / 12.92, ((c + 0.055) / 1.055) ** 2.4)


def from_light(light):
    light = np.clip(light, 0, 1)
    return np.where(light <= 0.0031308, light * 12.92, 1.055 * light ** (1 / 2.4) - 0.055)


def seen(rgb8):
    light = to_light(rgb8)
    blurred = np.stack([gaussian_filter(light[..., c], 2.0, mode="nearest") for c in range(3)], axis=-1)
    return color.rgb2lab(from_light(blurred))


def score(source_lab, shown):
    return float(np.mean(color.deltaE_ciede2000(source_lab, seen(shown))))


def ours(cli, method, source_png, work):
    out = os.path.join(work, "out.BIN")
    subprocess.run([cli, "convert", "--quiet", "--dither", method, "-o", out, source_png], check=True)
    bins = np.fromfile(out, np.uint8).reshape(HEIGHT, WIDTH)
    return expand(bins)


def imagemagick(source_png, palette_png, work):
    out = os.path.join(work, "im.png")
    subprocess.run([IMAGEMAGICK, source_png, "-dither", "FloydSteinberg", "-remap", palette_png, out],
                   check=True)
    return np.asarray(Image.open(out).convert("RGB"))


def pillow(image, palette_image):
    return np.asarray(image.quantize(palette=palette_image, dither=Image.Dither.FLOYDSTEINBERG).convert("RGB"))


def make_photos(build, here):
    folder = os.path.join(build, "bench-cli", "photos")
    if len([f for f in os.listdir(folder) if f.endswith(".jpg")] if os.path.isdir(folder) else []) != 200:
        print("making 200 pictures in %s ..." % folder, flush=True)
        subprocess.run([sys.executable, os.path.join(here, "make_photos.py"), folder, "200"], check=True)
    return folder


def cpu_of_children():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def time_methods(cli, photos, work, runs):
    """Runs the methods in turn, `runs` rounds after a warm-up, so that load on the machine falls on all.
    Returns the median wall time and the median processor time of each; the goals are judged on the
    processor time, which other work on a shared machine does not stretch."""
    times = {m: [] for m in METHODS}
    cpu = {m: [] for m in METHODS}
    for round_ in range(runs + 1):
        for method in METHODS:
            out = os.path.join(work, "times", method)
            subprocess.run(["rm", "-rf", out], check=True)
            start, start_cpu = time.perf_counter(), cpu_of_children()
            subprocess.run([cli, "convert", "--quiet", "--jobs", "1", "--dither", method, "--out-dir", out, photos],
                           check=True)
            if round_ > 0:
                times[method].append(time.perf_counter() - start)
                cpu[method].append(cpu_of_children() - start_cpu)
    return ({m: statistics.median(t) for m, t in times.items()}, {m: statistics.median(t) for m, t in cpu.items()})


def main():
    build = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    here = os.path.dirname(os.path.abspath(__file__))
    cli = os.path.join(build, "lumivert-cli")
    if not os.access(cli, os.X_OK):
        sys.exit("no %s: build first" % cli)

    with tempfile.TemporaryDirectory() as work:
        palette = palette_colours()
        palette_png = os.path.join(work, "palette.png")
        Image.fromarray(palette.reshape(16, 16, 3)).save(palette_png)
        palette_image = Image.new("P", (1, 1))
        palette_image.putpalette(palette.reshape(-1).tolist())

        contenders = ["--dither " + m for m in METHODS] + ["ImageMagick FS -remap", "Pillow quantize FS"]
        scores = {c: [] for c in contenders}
        pictures = test_pictures()
        for name, image in pictures.items():
            source_png = os.path.join(work, "source.png")
            image.save(source_png)
            source_lab = seen(np.asarray(image))
            for method in METHODS:
                scores["--dither " + method].append(score(source_lab, ours(cli, method, source_png, work)))
            scores["ImageMagick FS -remap"].append(score(source_lab, imagemagick(source_png, palette_png, work)))
            scores["Pillow quantize FS"].append(score(source_lab, pillow(image, palette_image)))

        print("Mean CIEDE2000 after a Gaussian blur of sigma 2 px in linear light (lower is better), %dx%d"
              % (WIDTH, HEIGHT))
        short = [n[:9] for n in pictures]
        print("%-24s %6s  %s" % ("method", "mean", " ".join("%9s" % s for s in short)))
        for c in contenders:
            print("%-24s %6.2f  %s" % (c, statistics.mean(scores[c]), " ".join("%9.2f" % s for s in scores[c])))

        photos = make_photos(build, here)
        wall, times = time_methods(cli, photos, work, runs)
        print()
        print("lumivert-cli convert --jobs 1 on 200 photographs of 640x480, median of %d runs" % runs)
        print("%-24s %9s %9s  %s" % ("method", "wall s", "cpu s", "cpu vs truncation"))
        for m in METHODS:
            print("%-24s %9.3f %9.3f  %5.2fx" % ("--dither " + m, wall[m], times[m], times[m] / times["none"]))

    mean = {c: statistics.mean(s) for c, s in scores.items()}
    best_peer = min(mean["ImageMagick FS -remap"], mean["Pillow quantize FS"])
    fs, ordered = mean["--dither floyd-steinberg"], mean["--dither ordered"]
    fs_ratio = times["floyd-steinberg"] / times["none"]
    ordered_ratio = times["ordered"] / times["none"]
    goals = [
        ("floyd-steinberg mean dE00 <= 1.0", fs, fs <= 1.0),
        ("ordered mean dE00 <= 1.5", ordered, ordered <= 1.5),
        ("floyd-steinberg <= best peer / 3 (%.2f)" % (best_peer / 3), fs, fs <= best_peer / 3),
        ("ordered <= best peer / 3 (%.2f)" % (best_peer / 3), ordered, ordered <= best_peer / 3),
        ("floyd-steinberg cpu time / truncation <= 1.5", fs_ratio, fs_ratio <= 1.5),
        ("ordered cpu time / truncation <= 1.2", ordered_ratio, ordered_ratio <= 1.2),
    ]
    print()
    for text, value, met in goals:
        print("%-48s %6.2f  %s" % (text, value, "met" if met else "MISSED"))


if __name__ == "__main__":
    main()
