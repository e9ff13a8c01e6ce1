"""A running stream: start(), grab() and the loops over its frames, in
threads and in asyncio."""

from __future__ import annotations

import asyncio
import concurrent.futures
import ctypes
import threading
import time
from typing import AsyncIterator, Iterator, Optional

from ._core import CameraCore, Stream
from ._image import Frame, Layout
from ._library import FrameMeta, sdk
from ._messages import WM_SDK_ERROR, WM_SDK_FRAME, MessageWindow
from .errors import (SDKERR_PARAMETER, BadValueError, DeviceLostError, FrameTimeoutError, StreamBusyError,
                     TavrinError)

_SDKERR_DEVICE, _SDKERR_TRANSFER, _SDKERR_DEVICE_IO = 2, 13, 6
_POLL_S = 0.001  # how often a thread other than the stream's looks for a new frame


def milliseconds(value: float, name: str = "timeout_ms") -> float:
    """A time-out as given, checked: a number of milliseconds, not below 0."""
    if isinstance(value, bool) or not isinstance(value, (int, float)) or not value >= 0:
        raise BadValueError(f"{name}={value!r}", [SDKERR_PARAMETER], f"{name} is a number of milliseconds, 0 or more")
    return float(value)


def _meta() -> FrameMeta:
    return FrameMeta(size=ctypes.sizeof(FrameMeta))


class StreamMixin(CameraCore):
    """The stream of one camera; Camera inherits it."""

    _loops: threading.Lock  # held while a frames() or aframes() loop runs

    def start(self, trigger: bool = False) -> None:
        """Starts the stream; grab() then takes its frames. With trigger=True
        the camera takes a frame only on a trigger: a pulse at its trigger
        input or software_trigger(). Stopping trigger mode waits for the
        driver to give up its wait for a trigger (up to 3 s). Any thread may
        grab; the thread that called start() gets each frame at once, others
        look for new frames every millisecond."""
        handle = self._live("starting the stream")
        if not isinstance(trigger, bool):
            raise TypeError(f"trigger must be True or False, not {trigger!r}")
        if self._stream is not None:
            if self._stream.trigger != trigger:
                raise TavrinError("starting the stream", [],
                                  f"it runs already with trigger={self._stream.trigger}: stop() it first")
            return
        self._leave_ready()
        layout = Layout.of(self._mode(), self.width, self.height)
        window = MessageWindow()
        begin = sdk().Tavrin_Trigger if trigger else sdk().Tavrin_CallBackPreview
        if not begin(handle, window.handle, None, 0, 1):
            window.close()
            self._check(0, "starting trigger mode" if trigger else "starting the stream")
        self._held.stream_window = window
        self._stream = Stream(window, threading.get_ident(), layout, trigger)

    def _mode(self) -> int:
        value = ctypes.c_int(0)
        self._check(sdk().TavrinEx_GetSetting(self.handle, b"color-mode", ctypes.byref(value)),
                    "reading the colour mode")
        return value.value

    def stop(self) -> None:
        """Stops the stream (and leaves the readiness for single frames that
        snap() keeps); safe when none runs."""
        self._leave_ready()
        if self._stream is None:
            return
        window = self._stream.window
        self._stream = None
        if self.handle:
            sdk().Tavrin_StopPreview(self.handle)
        window.close()
        self._held.stream_window = None

    def software_trigger(self) -> None:
        """Fires the camera's software trigger: in trigger mode (start(trigger=True))
        the camera takes one frame, which grab() then returns."""
        handle = self._live("firing the software trigger")
        self._check(sdk().TavrinEx_SoftwareTrigger(handle), "firing the software trigger",
                    "" if self._stream is not None and self._stream.trigger else "start(trigger=True) first")

    def grab(self, timeout_ms: float = 1000, rgb: bool = True, bgr: bool = False) -> Frame:
        """The newest frame of the running stream as a Frame, waiting at most
        timeout_ms for one (FrameTimeoutError, a TimeoutError, after that).
        Frames that came meanwhile are skipped and counted in dropped.
        DeviceLostError when the camera stops answering."""
        self._live("grabbing a frame")
        limit = milliseconds(timeout_ms)
        stream = self._stream
        if stream is None:
            raise TavrinError("grabbing a frame", [], "the stream is not running: call start() first")
        self._drain_notifications()
        deadline = time.monotonic() + limit / 1000.0
        if threading.get_ident() == stream.thread:
            self._wait_for_message(stream, deadline, limit)
        else:
            self._poll_for_frame(deadline, limit)
        return self._current_frame(stream.layout, bgr or not rgb)

    def _wait_for_message(self, stream: Stream, deadline: float, limit: float) -> None:
        got = False
        while True:
            # Once a frame came, the ones queued behind it are taken too, so
            # that the newest is returned.
            left = 0 if got else max(0, int((deadline - time.monotonic()) * 1000))
            message = stream.window.wait(left)
            if message is None:
                if got:
                    return
                if time.monotonic() < deadline:
                    continue
                raise FrameTimeoutError(f"waiting {limit:g} ms for a frame", self.take_errors())
            kind, info, code = message
            if kind == WM_SDK_ERROR or (kind == WM_SDK_FRAME and not info):
                codes = [code] + self.take_errors()
                if code in (_SDKERR_TRANSFER, _SDKERR_DEVICE, _SDKERR_DEVICE_IO):
                    raise DeviceLostError("receiving a frame", codes, "the camera stopped answering")
                raise TavrinError("receiving a frame", codes)
            got = got or kind == WM_SDK_FRAME

    def _poll_for_frame(self, deadline: float, limit: float) -> None:
        """Waits for a frame newer than the current image: the frame record's
        capture time moves on with every frame."""
        meta = _meta()
        before = meta.captureTimeNs if sdk().TavrinEx_GetFrameMeta(self.handle, ctypes.byref(meta)) else 0
        while True:
            if sdk().TavrinEx_GetFrameMeta(self.handle, ctypes.byref(meta)) and meta.captureTimeNs > before:
                return
            if time.monotonic() >= deadline:
                raise FrameTimeoutError(f"waiting {limit:g} ms for a frame", [])
            time.sleep(_POLL_S)

    def _current_frame(self, layout: Layout, bgr: bool) -> Frame:
        buffer = layout.buffer()
        meta, after = _meta(), _meta()
        # The image and its record are read one after the other; when a new
        # frame came between the two, read both again.
        for _ in range(5):
            self._check(sdk().TavrinEx_GetFrameMeta(self.handle, ctypes.byref(meta)), "reading the frame record")
            self._check(sdk().Tavrin_GetImage(self.handle, buffer.ctypes.data, buffer.size, 1), "copying a frame")
            self._check(sdk().TavrinEx_GetFrameMeta(self.handle, ctypes.byref(after)), "reading the frame record")
            if after.frameNumber == meta.frameNumber:
                break
        return Frame(layout.to_array(buffer, bgr), meta)

    def _enter_loop(self, operation: str) -> bool:
        """Takes the camera's one loop; True when this loop started the stream."""
        self._live(operation)
        if not self._loops.acquire(blocking=False):
            raise StreamBusyError(operation, [], "another frames() or aframes() loop runs on this camera: "
                                  "leave it first (a second loop would take its frames)")
        return self._stream is None

    def frames(self, count: Optional[int] = None, timeout_ms: float = 10000, rgb: bool = True,
               bgr: bool = False) -> Iterator[Frame]:
        """Streams frames, yielding each as a Frame (np.asarray(frame) is its
        array). A consumer slower than the camera gets the newest frame each
        time; the skipped ones show in frame.number and frame.dropped. Uses
        the running stream if start() was called, otherwise starts one and
        stops it when the loop ends (count frames, break, an exception).
        Raises as grab() does; StreamBusyError while another loop runs."""
        milliseconds(timeout_ms)
        started = self._enter_loop("streaming frames")
        try:
            if started:
                self.start()
            taken = 0
            while count is None or taken < count:
                frame = self.grab(timeout_ms, rgb, bgr)
                taken += 1
                yield frame
        finally:
            try:
                if started:
                    self.stop()
            finally:
                self._loops.release()

    async def aframes(self, count: Optional[int] = None, timeout_ms: float = 10000, rgb: bool = True,
                      bgr: bool = False) -> AsyncIterator[Frame]:
        """frames() for asyncio: `async for frame in cam.aframes():`. The
        waits run on a thread of their own, so the event loop goes on
        meanwhile. Close the loop early with `async with
        contextlib.aclosing(cam.aframes()) as frames:` to stop the stream at
        once (otherwise asyncio does it when it collects the generator)."""
        milliseconds(timeout_ms)
        started = self._enter_loop("streaming frames")
        loop = asyncio.get_running_loop()
        # The stream's messages go to the thread that starts it: this one.
        worker = concurrent.futures.ThreadPoolExecutor(1, thread_name_prefix="tavrin-aframes")
        try:
            if started:
                await loop.run_in_executor(worker, self.start)
            taken = 0
            while count is None or taken < count:
                frame = await loop.run_in_executor(worker, self.grab, timeout_ms, rgb, bgr)
                taken += 1
                yield frame
        finally:
            try:
                if started:
                    await loop.run_in_executor(worker, self.stop)
            finally:
                self._loops.release()
                worker.shutdown(wait=False)
