"""Snaps the simulated camera's scene and draws the histogram of its red,
green and blue levels (with Pillow; no plotting library needed).

    python3 python/examples/histogram.py [OUTPUT_FOLDER]
"""

import os
import sys

import numpy as np
from PIL import Image, ImageDraw

import tavrin

out = sys.argv[1] if len(sys.argv) > 1 else "."
if "TAVRIN_SIM" not in os.environ:
    tavrin.sim.configure("0")  # the simulated camera's lit scene

with tavrin.Camera() as cam:
    cam.color_mode = 24
    red, blue = cam.bayer_gain_red, cam.bayer_gain_blue
    cam.bayer_gain_red = 118      # the simulated sensor is weaker in red and blue
    cam.bayer_gain_blue = 139
    try:
        image = cam.snap()        # (494, 656, 3) uint8, RGB, top line first
    finally:                      # the settings store keeps what was changed
        cam.bayer_gain_red, cam.bayer_gain_blue = red, blue

Image.fromarray(image).save(os.path.join(out, "scene.png"))

# 256 bins per channel, drawn as three outlines on one chart.
width, height, margin = 512, 240, 20
chart = Image.new("RGB", (width + 2 * margin, height + 2 * margin), "white")
draw = ImageDraw.Draw(chart)
counts = [np.bincount(image[..., c].ravel(), minlength=256) for c in range(3)]
peak = max(int(c.max()) for c in counts)
for channel, colour in enumerate(["#d62728", "#2ca02c", "#1f77b4"]):
    points = [(margin + level * 2, margin + height - counts[channel][level] * height / peak) for level in range(256)]
    draw.line(points, fill=colour, width=2)
draw.rectangle([margin, margin, margin + width, margin + height], outline="black")
draw.text((margin, 2), "levels 0..255: red, green, blue", fill="black")
chart.save(os.path.join(out, "histogram.png"))
print("mean level per channel:", [round(float(image[..., c].mean()), 1) for c in range(3)])
