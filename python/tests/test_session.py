import hashlib
import os
import subprocess
import sys
from pathlib import Path

import numpy as np
import pytest

import tavrin
from tavrin import sim

# Replays a session in a process of its own (the SDK chooses its driver once
# per process) and prints a hash of each snapshot.
_REPLAY = """
import hashlib, sys
sys.path.insert(0, sys.argv[2])
import tavrin
from tavrin import sim
sim.configure("0", replay=sys.argv[1])
with tavrin.Camera() as cam:
    cam.color_mode = 8
    for _ in range(2):
        print(hashlib.sha1(cam.snap().tobytes()).hexdigest())
print(sim.replay_report() or "no report")
"""


def _hash(image):
    return hashlib.sha1(image.tobytes()).hexdigest()


def test_a_recorded_session_replays_in_a_new_process(camera, tmp_path):
    path = tmp_path / "snaps.tvs"
    camera.color_mode = 8
    sim.set_pattern(0, sim.RAMP, 700)
    try:
        with camera.record_session(path) as recording:
            assert recording.running
            hashes = [_hash(camera.snap()) for _ in range(2)]
            sim.set_pattern(0, sim.COLOR_BARS, 700)  # the replay shows what was recorded, not this
        assert recording.state() == (False, "stopped")
    finally:
        sim.set_pattern(0, sim.LIT_SCENE)
    text = tavrin.session.describe(path)
    assert "camera      TAVRIN-SIM-00" in text and "ended       stopped" in text

    environment = {key: value for key, value in os.environ.items() if key != "TAVRIN_SIM"}
    package = str(Path(tavrin.__file__).resolve().parents[1])
    result = subprocess.run([sys.executable, "-c", _REPLAY, str(path), package], env=environment,
                            capture_output=True, text=True, timeout=120)
    assert result.returncode == 0, result.stderr
    assert result.stdout.split() == hashes + ["no", "report"]


def test_recording_errors_raise_with_the_sdk_code(camera, tmp_path):
    with pytest.raises(tavrin.TavrinError) as refused:
        with camera.record_session(tmp_path / "no-such-folder" / "x.tvs"):
            pass
    assert refused.value.name == "SDKERR_FILE"
    with pytest.raises(ValueError, match="not a session file"):
        (tmp_path / "plain.txt").write_text("hello")
        tavrin.session.describe(tmp_path / "plain.txt")
    with pytest.raises(ValueError, match="cannot hold ';'"):
        sim.configure("0", replay="a;b")
