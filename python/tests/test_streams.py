"""Single frames and streams: snap() beside a running stream, one loop at a
time, time-outs, asyncio, unplugging, recording to a whole file, and a
camera dropped without close()."""

import asyncio
import gc
import struct
import threading
import time

import pytest

import tavrin
from tavrin import sim


@pytest.fixture
def stall():
    """Makes the simulated camera stop sending frames until the test ends."""
    yield lambda: sim.inject_fault(0, sim.FAULT_FRAME_STALLS, 100000)
    sim.inject_fault(0, sim.FAULT_FRAME_STALLS, 0)


def _drain_frames_under_way(camera):
    # Frames already under way still come; the stall begins after them.
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline:
        try:
            camera.grab(timeout_ms=300)
        except tavrin.FrameTimeoutError:
            return


@pytest.mark.parametrize("how", ["snap while streaming", "snap"])
def test_snap_from_a_stalled_camera_ends_within_a_fifth_of_the_time_out(camera, stall, how):
    camera.color_mode = 8
    if how == "snap":
        camera.snap()  # prepared, and kept ready
        stall()
    else:
        camera.start()
        stall()
        _drain_frames_under_way(camera)
    start = time.monotonic()
    with pytest.raises(tavrin.FrameTimeoutError) as failure:
        camera.snap(timeout_ms=500)
    assert 0.4 <= time.monotonic() - start <= 0.6
    assert isinstance(failure.value, TimeoutError) and isinstance(failure.value, tavrin.TavrinError)


def test_snap_beside_a_frames_loop_and_a_second_loop_is_refused(camera):
    camera.color_mode = 8
    from_thread = []
    loop = camera.frames(count=4)
    first = next(loop)
    assert camera.snap().shape == (494, 656)  # the loop's thread: the stream's next frame
    worker = threading.Thread(target=lambda: from_thread.append(camera.snap(timeout_ms=3000)))
    worker.start()
    worker.join()
    assert from_thread[0].shape == (494, 656)  # another thread: waits for a new frame too
    with pytest.raises(tavrin.StreamBusyError):
        next(camera.frames())
    assert next(loop).number > first.number  # the first loop goes on
    loop.close()
    assert len(list(camera.frames(count=2))) == 2  # and a new loop may start


def test_snap_keeps_the_camera_ready_until_the_format_changes(camera):
    camera.color_mode = 8
    assert camera.snap().shape == (494, 656)
    camera.color_mode = 24
    assert camera.snap().shape == (494, 656, 3)
    camera.readout_region = (16, 8, 320, 240)
    assert camera.snap().shape == (240, 320, 3)


def test_a_snap_after_unplugging_fails_and_after_replugging_works(camera):
    camera.snap()
    sim.set_present(0, False)
    try:
        with pytest.raises(tavrin.TavrinError):
            camera.snap(timeout_ms=5000)
    finally:
        sim.set_present(0, True)
    assert camera.snap(timeout_ms=5000).shape == (494, 656, 3)


def test_aframes_leaves_the_event_loop_free(camera, stall):
    async def run():
        frames = [frame async for frame in camera.aframes(count=3)]
        ticks = 0

        async def ticker():
            nonlocal ticks
            while True:
                await asyncio.sleep(0.01)
                ticks += 1
        counting = asyncio.ensure_future(ticker())
        stall()
        with pytest.raises(tavrin.FrameTimeoutError):
            async for _ in camera.aframes(timeout_ms=1000):
                pass
        counting.cancel()
        return frames, ticks
    frames, ticks = asyncio.run(run())
    assert [f.number for f in frames] == sorted({f.number for f in frames}) and frames[0].array.size
    assert ticks >= 20, "the event loop stood still while a frame was awaited"


def test_many_refused_calls_do_not_fill_the_message_queue(camera):
    for _ in range(10001):
        with pytest.raises(tavrin.TavrinError):
            camera.use_stored_size(640, 480)  # no such stored size: refused by the SDK
    assert len(list(camera.frames(count=2, timeout_ms=3000))) == 2


def test_a_camera_dropped_without_close_stops_and_lets_go():
    cam = tavrin.Camera()
    cam.start()
    cam.grab(timeout_ms=3000)
    del cam
    gc.collect()
    sent = sim.frame_count(0)
    time.sleep(0.2)
    assert sim.frame_count(0) == sent, "the dropped camera still streams"
    with tavrin.Camera() as again:  # and the camera is free for the next owner
        assert len(list(again.frames(count=1))) == 1


def _whole_avi(path):
    """(frames in the header, whether the index is there) of a finished file."""
    data = path.read_bytes()
    riff, size, kind = struct.unpack_from("<4sI4s", data)
    assert (riff, kind, size) == (b"RIFF", b"AVI ", len(data) - 8)
    return struct.unpack_from("<I", data, 48)[0], b"idx1" in data


def test_record_returns_with_a_whole_file(camera, tmp_path):
    camera.color_mode = 24
    camera.readout_region = (0, 0, 160, 120)
    path = camera.record(tmp_path / "clip.avi", 500)
    frames, indexed = _whole_avi(path)
    assert frames >= 2 and indexed
    camera.start()
    try:
        with pytest.raises(tavrin.TavrinError, match="stop"):
            camera.record(tmp_path / "again.avi", 500)
    finally:
        camera.stop()
