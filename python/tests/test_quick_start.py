"""The README's quick start in C (its calls, through the exports), Python and
the tool, each in a program of its own on a fresh settings store: the saved
picture is well exposed with the camera's defaults."""

import os
import subprocess
import sys
from pathlib import Path

import numpy as np
import pytest

Image = pytest.importorskip("PIL.Image")

ROOT = Path(__file__).resolve().parents[2]
PACKAGE = Path(__file__).resolve().parents[1]

C_CALLS = """
import ctypes, sys, tavrin._library as library
sdk = library.sdk()
h = sdk.Tavrin_Initialize(None)
sdk.Tavrin_SetColorMode(h, 24)
if not sdk.Tavrin_SnapShot(h, None, 0, 1) or not sdk.Tavrin_SaveImage(h, sys.argv[1].encode(), 5):
    sys.exit("error %d" % sdk.Tavrin_GetLastError(h))
sdk.Tavrin_Release(h)
"""

PYTHON = """
import sys, tavrin
with tavrin.Camera() as cam:
    cam.color_mode = 24
    image = cam.snap()
    cam.save(sys.argv[1])
"""


def _tool():
    for folder in (ROOT / "build" / "default" / "bin", Path(sys.prefix) / "bin"):
        if (folder / "tavrin").is_file():
            return str(folder / "tavrin")
    pytest.skip("the tavrin tool is not built")


@pytest.mark.parametrize("way", ["c", "python", "tool"])
def test_quick_start_saves_a_well_exposed_picture(way, tmp_path):
    env = dict(os.environ, TAVRIN_SIM="0", TAVRIN_REGISTRY=str(tmp_path / "fresh.sqlite3"),
               PYTHONPATH=os.pathsep.join(filter(None, [str(PACKAGE), os.environ.get("PYTHONPATH")])))
    picture = tmp_path / "scene.png"
    if way == "tool":
        command = [_tool(), "--sim", "0", "snap", "-o", str(picture), "--format", "png", "--mode", "24"]
    else:
        command = [sys.executable, "-c", C_CALLS if way == "c" else PYTHON, str(picture)]
    subprocess.run(command, env=env, check=True, timeout=60, capture_output=True)
    with Image.open(picture) as image:
        assert image.mode == "RGB"
        pixels = np.asarray(image, dtype=np.float64)
    assert 60 <= pixels.mean() <= 190
    channels = pixels.reshape(-1, 3).mean(axis=0)
    assert channels.min() >= 0.65 * channels.max(), channels
