import ctypes
import shutil
import subprocess

import numpy as np
import pytest

import tavrin
from tavrin import sim


@pytest.mark.parametrize("mode, shape, dtype", [
    (8, (494, 656), np.uint8), (16, (494, 656), np.uint16), (24, (494, 656, 3), np.uint8),
    (32, (494, 656, 4), np.uint8), (48, (494, 656, 3), np.uint16), (64, (494, 656, 4), np.uint16)])
def test_snap_shape_and_type_follow_the_color_mode(camera, mode, shape, dtype):
    camera.color_mode = mode
    image = camera.snap()
    assert image.shape == shape and image.dtype == dtype
    assert image.max() > 0
    if dtype == np.uint16:
        assert image.max() < 1 << 16


def test_snap_gives_the_top_line_first(camera):
    rows = np.repeat(np.linspace(0, 1020, 494, dtype=np.uint16)[:, None], 656, axis=1)
    sim.load_frame(0, rows)
    try:
        camera.color_mode = 16
        image = camera.snap().astype(int)
        assert image[0].mean() < image[247].mean() < image[-1].mean()
    finally:
        sim.set_pattern(0, sim.LIT_SCENE)


def test_frames_stream_and_stop_cleanly(camera):
    camera.color_mode = 8
    images = list(camera.frames(count=3))
    assert [np.asarray(frame).shape for frame in images] == [(494, 656)] * 3
    for image in camera.frames():
        break  # leaving the loop stops the stream
    assert camera.snap().shape == (494, 656)  # idle again: a snapshot may start


def test_failed_frames_raise_with_the_code(camera):
    sim.inject_fault(0, sim.FAULT_FRAME_FAILS, 1000)
    try:
        with pytest.raises(tavrin.TavrinError) as failure:
            next(iter(camera.frames()))
        assert failure.value.code in (8, 13) and failure.value.name.startswith("SDKERR_")
    finally:
        sim.inject_fault(0, sim.FAULT_FRAME_FAILS, 0)


@pytest.mark.parametrize("action, code", [
    (lambda cam: setattr(cam, "gain", 5000), 9),
    (lambda cam: setattr(cam, "color_mode", 12), 9),
    (lambda cam: setattr(cam, "gain", True), 9),
    (lambda cam: setattr(cam, "mirror_h", False), 9),
    (lambda cam: setattr(cam, "gamma", 100.5), 9),
    (lambda cam: cam.save("/no/such/folder/x.png"), None),
])
def test_refusals_raise_tavrin_errors(camera, action, code):
    camera.snap()
    with pytest.raises(tavrin.TavrinError) as failure:
        action(camera)
    if code is not None:
        assert failure.value.code == code and failure.value.name == tavrin.ERROR_NAMES[code]


def test_error_names_are_the_librarys():
    name = ctypes.create_string_buffer(32)
    for code in range(-1, 15):
        known = tavrin.sdk().TavrinEx_GetErrorName(code, name, len(name))
        assert (name.value.decode() if known else None) == tavrin.ERROR_NAMES.get(code)


def test_an_empty_slot_reports_the_device_error():
    with pytest.raises(tavrin.TavrinError) as failure:
        tavrin.Camera(device=5)
    assert failure.value.code == 2 and failure.value.name == "SDKERR_DEVICE"


@pytest.mark.parametrize("name, value", [
    ("gain", 300), ("exposure_lines", 120), ("brightness", -20), ("gamma", 150), ("hue", 45),
    ("bayer_gain_red", 130), ("gray_mode", 1), ("gray_offset_b", -7), ("color_mode", 48),
    ("wait_time", 5), ("mirror_h", 1), ("auto_iris", 2)])
def test_settings_round_trip(camera, name, value):
    setattr(camera, name, value)
    assert getattr(camera, name) == value
    assert value in tavrin.Camera.settings()[name].allowed


def test_properties_are_the_sdk_catalogue(camera):
    settings = tavrin.Camera.settings()
    assert len(settings) == tavrin.sdk().TavrinEx_GetSettingCount()
    assert list(tavrin.settings.SettingsMixin.__annotations__) == list(settings)  # as type checkers see them
    exposure = settings["exposure_us"]
    assert (exposure.allowed, exposure.default, exposure.unit) == (range(172, 44917), 212, "us")
    assert settings["color_mode"].allowed == (8, 16, 24, 32, 48, 64) and settings["color_mode"].applies_at_start
    assert "hue rotation" in tavrin.Camera.hue.__doc__ and "-360 to 360 degrees" in tavrin.Camera.hue.__doc__
    camera.color_mode = 16
    camera.gamma = 120.0  # a whole number, whatever its type
    assert (camera.color_mode, camera.gamma) == (16, 120)


def test_enumeration_and_version():
    assert tavrin.list_cameras() == ["Tavrin860VX-RUX_01"]
    assert tavrin.sdk_version() == 27919647


def test_saved_png_reads_back(camera, tmp_path):
    pil = pytest.importorskip("PIL.Image")
    camera.color_mode = 24
    image = camera.snap()
    with pil.open(camera.save(tmp_path / "snap.png")) as png:
        assert np.array_equal(np.asarray(png.convert("RGB")), image)


def test_recording_reads_back_with_ffprobe(camera, tmp_path):
    if shutil.which("ffprobe") is None:
        pytest.skip("ffprobe is not installed")
    camera.color_mode = 24
    path = camera.record(tmp_path / "clip.avi", 500)
    probe = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                            "-show_entries", "stream=width,height,nb_read_frames", "-of", "csv=p=0", str(path)],
                           capture_output=True, text=True, check=True)
    width, height, frames = (int(v) for v in probe.stdout.strip().split(","))
    assert (width, height) == (656, 494) and frames >= 2
