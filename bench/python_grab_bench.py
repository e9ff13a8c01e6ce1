#!/usr/bin/env python3
"""grab() on a running stream against the simulated camera at the sensor's
own pace (23.6 frames a second), 24-bit colour with the default settings:
the process's CPU time per frame, the same measure as acquisition_bench's
"cpu ms/frame" for the C callback path (one camera, default settings).

    bench/python_grab_bench.py [--seconds N]    (after building build/default)
    bench/python_grab_bench.py --fields        one line of numbers for
                                               acquisition_bench's table
"""

import argparse
import ctypes
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
from tavrin._library import sdk  # noqa: E402


def fill_seconds():
    """The simulated camera's own CPU time so far (making frames and copying
    them into the library's buffers)."""
    fill = ctypes.c_ulonglong(0)
    sdk().TavrinSim_GetFillTime(0, ctypes.byref(fill))
    return fill.value / 1e9


def measure(cam, seconds, **order):
    cam.grab(timeout_ms=3000, **order)  # the stream is under way
    frames, dropped = 0, 0
    fill = fill_seconds()
    cpu, wall = time.process_time(), time.monotonic()
    first = None
    while time.monotonic() - wall < seconds:
        frame = cam.grab(timeout_ms=3000, **order)
        first = first or frame
        frames += 1
        dropped = frame.dropped - first.dropped
    cpu, wall = time.process_time() - cpu, time.monotonic() - wall
    fill = fill_seconds() - fill
    return cpu * 1000 / frames, fill * 1000 / frames, 100 * cpu / wall, frames / wall, dropped


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=float, default=3)
    parser.add_argument("--fields", action="store_true")
    args = parser.parse_args()
    if not args.fields:
        print(f"{'python grab()':22} {'cpu ms/frame':>12} {'sim fill':>9} {'% core':>7} {'fps':>6} {'dropped':>8}")
    with tavrin.Camera() as cam:
        cam.color_mode = 24
        cam.start()
        for label, order in [("rgb (default)", {}), ("bgr=True", {"bgr": True})]:
            cpu, fill, core, fps, dropped = measure(cam, args.seconds, **order)
            if args.fields:  # process ms, fill ms, fps, dropped, allocations (not counted)
                print(f"{cpu:.4f} {fill:.4f} {fps:.2f} {dropped} -1")
                break
            print(f"{label:22} {cpu:12.2f} {fill:9.3f} {core:7.1f} {fps:6.1f} {dropped:8d}")
        cam.stop()


if __name__ == "__main__":
    main()
