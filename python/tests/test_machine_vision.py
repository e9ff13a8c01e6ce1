"""Python for machine vision: frames with their records, time-outs, typed
exceptions, settings that leave nothing behind, channel order and alpha."""

import time

import numpy as np
import pytest

import tavrin
from tavrin import sim


def test_grab_numbers_frames_and_shows_the_gaps_of_a_slow_consumer(camera):
    camera.color_mode = 8
    camera.start()
    try:
        first = camera.grab(timeout_ms=2000)
        time.sleep(0.3)  # the camera runs on meanwhile
        later = camera.grab(timeout_ms=2000)
    finally:
        camera.stop()
    assert np.asarray(first).shape == (494, 656) and first.number >= 1
    assert later.number > first.number + 1, "frames came while the consumer slept"
    assert first.dropped <= later.dropped <= later.number - 1
    assert later.time_ns > first.time_ns
    assert (first.exposure_lines, first.gain) == (camera.exposure_lines, camera.gain)


def test_trigger_mode_takes_a_frame_per_software_trigger(camera):
    with pytest.raises(tavrin.TavrinError):
        camera.software_trigger()  # not in trigger mode
    camera.start(trigger=True)
    try:
        with pytest.raises(tavrin.FrameTimeoutError):
            camera.grab(timeout_ms=200)  # no trigger, no frame
        camera.software_trigger()
        frame = camera.grab(timeout_ms=3000)
        assert frame.number == 1 and frame.dropped == 0
    finally:
        camera.stop()


def test_a_stalled_camera_times_out_within_a_fifth(camera):
    camera.start()
    sim.inject_fault(0, sim.FAULT_FRAME_STALLS, 1000)
    try:
        # Frames already under way still come; the stall begins after them.
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            try:
                camera.grab(timeout_ms=300)
            except tavrin.FrameTimeoutError:
                break
        start = time.monotonic()
        with pytest.raises(tavrin.FrameTimeoutError) as failure:
            camera.grab(timeout_ms=500)
        assert 0.4 <= time.monotonic() - start <= 0.6
        assert isinstance(failure.value, TimeoutError) and isinstance(failure.value, tavrin.TavrinError)
    finally:
        sim.inject_fault(0, sim.FAULT_FRAME_STALLS, 0)
        camera.stop()


@pytest.mark.parametrize("make, kind", [
    (lambda: tavrin.Camera(device=7), tavrin.NoCameraError),
    (lambda: tavrin.Camera(device=40), ValueError),
    (lambda: tavrin.Camera(device="0"), TypeError),
])
def test_opening_errors_are_typed(make, kind):
    with pytest.raises(kind):
        make()


@pytest.mark.parametrize("value, kind", [(True, TypeError), ("3", TypeError), (12.7, ValueError),
                                         (5000, ValueError)])
def test_bad_setting_values_are_refused_before_the_sdk(camera, value, kind):
    with pytest.raises(kind):
        camera.gain = value
    assert camera.take_errors() == []  # nothing reached the SDK


def test_a_closed_camera_says_so(tmp_path):
    cam = tavrin.Camera()
    cam.close()
    uses = (cam.snap, lambda: cam.gain, cam.start, lambda: cam.save(tmp_path / "x.png"), cam.info, cam.size_table,
            lambda: cam.record(tmp_path / "x.avi", 100), lambda: cam.readout_region, lambda: cam.width,
            lambda: next(cam.frames()), cam.software_trigger)
    for use in uses:
        with pytest.raises(tavrin.CameraClosedError, match="the camera is closed"):
            use()
    assert cam.closed and not list(tmp_path.iterdir())


def _folder(path):
    path.mkdir()
    return path


@pytest.mark.parametrize("call, kind, says", [
    (lambda cam, tmp: cam.save(tmp / "no-such-folder" / "x.png"), tavrin.FileError, "no-such-folder does not exist"),
    (lambda cam, tmp: cam.record(tmp / "no-such-folder" / "x.avi", 200), tavrin.FileError, "does not exist"),
    (lambda cam, tmp: cam.save(_folder(tmp / "folder.png")), tavrin.FileError, "Is a directory"),
    (lambda cam, tmp: cam.save(str(tmp / "x.bmp") + "\0.png"), ValueError, "NUL"),
    (lambda cam, tmp: cam.save(tmp / "x.gif"), ValueError, "unknown image format"),
    (lambda cam, tmp: tavrin.Camera.frame_info(0), ValueError, "failure's message carries 0"),
])
def test_file_and_argument_errors_say_why(camera, tmp_path, call, kind, says):
    camera.snap()
    with pytest.raises(kind, match=says) as failure:
        call(camera, tmp_path)
    if kind is tavrin.FileError:
        assert isinstance(failure.value, OSError) and failure.value.errno and failure.value.filename
    assert not [p for p in tmp_path.iterdir() if p.name.startswith("x")]


def test_names_beyond_ascii_are_kept(camera, tmp_path):
    camera.snap()
    path = camera.save(tmp_path / "Bild-größe-画像.png")
    assert [p.name for p in tmp_path.iterdir()] == ["Bild-größe-画像.png"] and path.stat().st_size > 1000


def test_the_readout_region_and_the_size_table(camera):
    assert camera.readout_region == (0, 0, 656, 494)
    assert camera.size_table() == [tavrin.StoredSize(0, 0, 656, 494, 656, 494, True)]
    camera.readout_region = (100, 50, 320, 240)
    assert camera.readout_region == tavrin.ReadoutRegion(100, 50, 320, 240)
    camera.color_mode = 8
    assert camera.snap().shape == (240, 320)
    for bad, kind in [((600, 0, 100, 100), ValueError), ((0, 0, 2, 2), ValueError), ((0, 0, 100), TypeError),
                      ((0, 0, 100.0, 100), TypeError)]:
        with pytest.raises(kind):
            camera.readout_region = bad
    assert camera.take_errors() == [] and camera.readout_region == (100, 50, 320, 240)
    with pytest.raises(tavrin.TavrinError, match="size_table") as failure:
        camera.use_stored_size(640, 480)
    assert failure.value.name == "SDKERR_WINDOW"
    assert camera.use_stored_size(656, 494) == (0, 0, 656, 494)
    camera.start()
    try:
        with pytest.raises(tavrin.TavrinError, match="stop"):
            camera.readout_region = (0, 0, 100, 100)
    finally:
        camera.stop()


def test_persist_false_leaves_the_store_as_it_was_and_reset_restores_defaults():
    with tavrin.Camera(persist=False) as cam:
        before = cam.gamma
        cam.gamma = 150 if before != 150 else 151
    with tavrin.Camera() as cam:
        assert cam.gamma == before
        cam.gamma, cam.brightness = 120, -10
        cam.reset_settings()
        assert (cam.gamma, cam.brightness) == (100, 0)


@pytest.mark.parametrize("mode, opaque", [(32, 255), (64, 65535)])
def test_alpha_is_opaque_and_bgr_keeps_blue_first(camera, mode, opaque):
    sim.set_pattern(0, sim.COLOR_BARS)
    try:
        camera.color_mode = mode
        rgb = camera.snap()
        bgr = camera.snap(bgr=True)
    finally:
        sim.set_pattern(0, sim.LIT_SCENE)
    assert (rgb[..., 3] == opaque).all()
    np.testing.assert_array_equal(rgb[..., :3], bgr[..., 2::-1])
