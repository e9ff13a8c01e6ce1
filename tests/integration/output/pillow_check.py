"""Reads an image with Pillow and compares its samples with expected ones.

usage: pillow_check.py IMAGE EXPECTED

EXPECTED holds the expected samples as whitespace-separated integers, in
Pillow's order (rows top to bottom, pixels left to right, bands as the mode
names them). Prints one line of key=value pairs: format, mode, size,
progressive and quant0 (JPEG only: the first luminance quantiser), samples and maxdiff (the largest difference between
an expected and a read sample, or -1 when the counts differ).
"""
import sys

from PIL import Image


def main():
    image_path, expected_path = sys.argv[1], sys.argv[2]
    with open(expected_path) as f:
        expected = [int(v) for v in f.read().split()]
    image = Image.open(image_path)
    image.load()
    samples = []
    for pixel in image.getdata():
        if isinstance(pixel, tuple):
            samples.extend(pixel)
        else:
            samples.append(pixel)
    if len(samples) == len(expected):
        maxdiff = max((abs(a - b) for a, b in zip(samples, expected)), default=0)
    else:
        maxdiff = -1
    progressive = 1 if image.info.get("progressive") or image.info.get("progression") else 0
    tables = getattr(image, "quantization", None) or {}
    quant0 = tables[0][0] if 0 in tables else -1
    print("format=%s mode=%s size=%dx%d progressive=%d quant0=%d samples=%d maxdiff=%d"
          % (image.format, image.mode, image.size[0], image.size[1], progressive, quant0, len(samples), maxdiff))


if __name__ == "__main__":
    main()
