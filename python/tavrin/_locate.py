"""Where the SDK's library may be, most specific first: TAVRIN_SDK_LIBRARY,
the place recorded when the package was installed, beside the package (an
SDK installed into one prefix), a checkout's build, the system's library
path, and the libdir pkg-config names for TavrinSdk."""

from __future__ import annotations

import os
import shutil
import subprocess
import sys
from pathlib import Path
from typing import Iterator, List, Optional

from . import _location

NAMES = ["TavrinSdk_860VX_RUX.dll"] if sys.platform == "win32" else \
    ["libTavrinSdk_860VX_RUX.so.1", "libTavrinSdk_860VX_RUX.so"]


def explicit() -> Optional[Path]:
    """The library named by TAVRIN_SDK_LIBRARY; the only place then tried."""
    value = os.environ.get("TAVRIN_SDK_LIBRARY")
    return Path(value) if value else None


def files(package: Path) -> Iterator[Path]:
    """Library files to try, for a package in the folder `package`."""
    if _location.LIBRARY:
        yield Path(_location.LIBRARY)
    # Installed: <prefix>/lib/python3/dist-packages/tavrin (or
    # <prefix>/lib/pythonX.Y/site-packages/tavrin) beside <prefix>/lib and
    # <prefix>/bin; in a checkout: python/tavrin beside build/default/bin.
    folders = [package]
    for up in list(package.parents)[:4]:
        folders += [up / "lib", up / "bin"]
        folders += sorted((up / "lib").glob("*-linux-gnu")) if (up / "lib").is_dir() else []
    folders += [package.parents[1] / "build" / "default" / "bin"]
    for folder in folders:
        for name in NAMES:
            yield folder / name


def from_pkg_config() -> List[Path]:
    """The library in the libdir of pkg-config's TavrinSdk (an SDK in a
    prefix of its own, with PKG_CONFIG_PATH pointing there); [] without it."""
    tool = shutil.which("pkg-config")
    if tool is None:
        return []
    try:
        found = subprocess.run([tool, "--variable=libdir", "TavrinSdk"], capture_output=True, text=True,
                               timeout=10)
    except (OSError, subprocess.SubprocessError):
        return []
    libdir = found.stdout.strip()
    return [Path(libdir) / name for name in NAMES] if found.returncode == 0 and libdir else []
