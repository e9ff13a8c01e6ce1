"""Every test runs on the simulated camera, with its own settings store and
owner table, so that nothing leaks between runs or into the user's setup."""

import os
import sys
import tempfile
from pathlib import Path

import pytest

_scratch = tempfile.mkdtemp(prefix="tavrin-pytest-")
os.environ.setdefault("TAVRIN_SIM", "0;interval=0;settle=0")
os.environ["TAVRIN_REGISTRY"] = os.path.join(_scratch, "registry.sqlite3")
os.environ["TAVRIN_SHARED_MEMORY_NAME"] = f"tavrin-pytest-{os.getpid()}"

try:
    import tavrin  # an installed package comes first
except ImportError:  # otherwise the checkout's
    sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
    import tavrin


@pytest.fixture
def camera():
    with tavrin.Camera() as cam:
        yield cam
