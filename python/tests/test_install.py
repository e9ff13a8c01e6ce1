"""Installed with pip into a virtual environment, the package finds the SDK
where it was at installation (here: through pkg-config) without any help
when it is imported; and pkg-config is asked at import too."""

import os
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

import tavrin
from tavrin import _library, _locate

PACKAGE = Path(tavrin.__file__).resolve().parents[1]


def _pc_file(folder, libdir):
    folder.mkdir(exist_ok=True)
    (folder / "TavrinSdk.pc").write_text(f"prefix=/opt/tavrin\nlibdir={libdir}\nincludedir=/opt/tavrin/include\n\n"
                                         "Name: TavrinSdk\nDescription: test\nVersion: 1\nLibs: -L${libdir}\n")
    return folder


def test_pkg_config_names_the_library(tmp_path, monkeypatch):
    if shutil.which("pkg-config") is None:
        pytest.skip("pkg-config is not installed")
    libdir = Path(_library.location()).parent
    monkeypatch.setenv("PKG_CONFIG_PATH", str(_pc_file(tmp_path / "pc", libdir)))
    assert _locate.from_pkg_config()[0] == libdir / _locate.NAMES[0]


def test_a_pip_install_into_a_venv_records_where_the_sdk_is(tmp_path):
    if shutil.which("pkg-config") is None or not (PACKAGE / "setup.py").is_file():
        pytest.skip("needs pkg-config and the package's sources")
    library = Path(_library.location())
    source = tmp_path / "source"
    shutil.copytree(PACKAGE, source, ignore=shutil.ignore_patterns("tests", "build", "*.egg-info", "__pycache__"))
    venv = tmp_path / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)], check=True, timeout=120)
    python = venv / ("Scripts" if os.name == "nt" else "bin") / "python"
    env = {key: value for key, value in os.environ.items()
           if key not in ("TAVRIN_SDK_LIBRARY", "PYTHONPATH", "LD_LIBRARY_PATH", "PKG_CONFIG_PATH")}
    build_env = dict(env, PKG_CONFIG_PATH=str(_pc_file(tmp_path / "pc", library.parent)))
    subprocess.run([str(python), "-m", "pip", "install", "-q", "--no-build-isolation", "--no-index", str(source)],
                   check=True, timeout=300, env=build_env, cwd=tmp_path, capture_output=True)
    shutil.rmtree(source)
    found = subprocess.run([str(python), "-c", "import tavrin, tavrin._library as l; print(l.location()); "
                            "print(tavrin.sdk_version())"], env=env, cwd=tmp_path, capture_output=True, text=True,
                           timeout=60)
    assert found.returncode == 0, found.stderr
    location, version = found.stdout.split()
    assert Path(location).parent == library.parent and int(version) == tavrin.sdk_version()
