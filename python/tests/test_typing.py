"""The package's type hints: mypy --strict passes on the package (which it
follows from a program that imports it) and checks that program against
them (py.typed)."""

import os
import shutil
import subprocess
from pathlib import Path

import pytest

import tavrin

USER = '''
import asyncio
import tavrin

def take() -> int:
    with tavrin.Camera(persist=False) as cam:
        cam.gain = 300
        image = cam.snap(timeout_ms=500, bgr=True)
        frame = next(iter(cam.frames(count=1)))
        region: tavrin.ReadoutRegion = cam.readout_region
        return frame.number + image.shape[0] + region.width + cam.exposure_lines

async def numbers() -> list[int]:
    with tavrin.Camera() as cam:
        return [frame.number async for frame in cam.aframes(count=2)]

asyncio.run(numbers())
with tavrin.Camera() as cam:
    cam.gain = 12.7
'''


def test_mypy_strict_passes_on_the_package_and_checks_its_users(tmp_path):
    mypy = shutil.which("mypy")
    if mypy is None:
        pytest.skip("mypy is not installed")
    user = tmp_path / "user.py"
    user.write_text(USER)
    package_folder = Path(tavrin.__file__).resolve().parents[1]
    assert (package_folder / "tavrin" / "py.typed").is_file()
    env = dict(os.environ, MYPYPATH=str(package_folder))
    run = subprocess.run([mypy, "--strict", "--cache-dir", str(tmp_path / "cache"), "--no-error-summary",
                          str(user)], capture_output=True, text=True, env=env, cwd=tmp_path, timeout=300)
    errors = [line for line in run.stdout.splitlines() if ": error:" in line]
    wrong = USER.splitlines().index("    cam.gain = 12.7") + 1
    assert len(errors) == 1 and f"user.py:{wrong}:" in errors[0] and '"float"' in errors[0], run.stdout + run.stderr
