#!/usr/bin/env python3
"""grab() on a running stream against the simulated camera at the sensor's
own pace (23.6 frames a second), 24-bit colour with the default settings:
the process's CPU time per frame, the same measure as acquisition_bench's
"cpu ms/frame" for the C callback path (one camera, default settings).

    bench/python_grab_bench.py [--seconds N]    (after building build/default)
"""

import argparse
import os
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
os.environ.setdefault("TAVRIN_SIM", "0")
os.environ["TAVRIN_REGISTRY"] = "none"
os.environ["TAVRIN_SHARED_MEMORY_NAME"] = f"tavrin-bench-{os.getpid()}"
sys.path.insert(0, str(ROOT / "python"))
import tavrin  # noqa: E402


def measure(cam, seconds, **order):
    cam.grab(timeout_ms=3000, **order)  # the stream is under way
    frames, dropped = 0, 0
    cpu, wall = time.process_time(), time.monotonic()
    first = None
    while time.monotonic() - wall < seconds:
        frame = cam.grab(timeout_ms=3000, **order)
        first = first or frame
        frames += 1
        dropped = frame.dropped - first.dropped
    cpu, wall = time.process_time() - cpu, time.monotonic() - wall
    return cpu * 1000 / frames, 100 * cpu / wall, frames / wall, dropped


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=float, default=3)
    seconds = parser.parse_args().seconds
    print(f"{'python grab()':22} {'cpu ms/frame':>12} {'% core':>7} {'fps':>6} {'dropped':>8}")
    with tavrin.Camera() as cam:
        cam.color_mode = 24
        cam.start()
        for label, order in [("rgb (default)", {}), ("bgr=True", {"bgr": True})]:
            cpu, core, fps, dropped = measure(cam, seconds, **order)
            print(f"{label:22} {cpu:12.2f} {core:7.1f} {fps:6.1f} {dropped:8d}")
        cam.stop()


if __name__ == "__main__":
    main()
