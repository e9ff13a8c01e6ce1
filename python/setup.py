"""Builds the package (pyproject.toml says what it is) and records in it
where the SDK's library is, so that an installed copy finds it from any
virtual environment: TAVRIN_SDK_LIBRARY, else the libdir that pkg-config
gives for TavrinSdk (PKG_CONFIG_PATH), else the build of the checkout this
package comes from. Nothing is recorded when none of them has the library;
the package then looks on the system's library path and asks pkg-config
when it is imported."""

import os
import shutil
import subprocess
from pathlib import Path

from setuptools import setup
from setuptools.command.build_py import build_py

NAMES = ("libTavrinSdk_860VX_RUX.so.1", "libTavrinSdk_860VX_RUX.so", "TavrinSdk_860VX_RUX.dll")


def _folders():
    explicit = os.environ.get("TAVRIN_SDK_LIBRARY")
    if explicit:
        yield Path(explicit)
        return
    tool = shutil.which("pkg-config")
    if tool:
        found = subprocess.run([tool, "--variable=libdir", "TavrinSdk"], capture_output=True, text=True)
        if found.returncode == 0 and found.stdout.strip():
            yield Path(found.stdout.strip())
    yield Path(__file__).resolve().parents[1] / "build" / "default" / "bin"


def sdk_library():
    for place in _folders():
        for candidate in ([place] if place.is_file() else [place / name for name in NAMES]):
            if candidate.is_file():
                return os.path.abspath(candidate)
    return None


class RecordLibrary(build_py):
    def run(self):
        super().run()
        library = sdk_library()
        target = Path(self.build_lib) / "tavrin" / "_location.py"
        target.write_text('"""Where the SDK\'s library was when this package was built for installation."""\n\n'
                          "from typing import Optional\n\n"
                          f"LIBRARY: Optional[str] = {library!r}\n")
        print(f"tavrin: the SDK library is {library or 'not found; it is looked for when the package is imported'}")


setup(cmdclass={"build_py": RecordLibrary})
