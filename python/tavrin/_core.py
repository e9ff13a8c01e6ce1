"""What every part of a Camera shares: the SDK handle and windows it holds,
the check that it is still open, its error queue, and calls bounded in time."""

from __future__ import annotations

import concurrent.futures
import ctypes
from typing import Callable, Dict, List, NamedTuple, Optional, TypeVar

from ._image import Layout
from ._library import sdk
from ._messages import MessageWindow
from .errors import CameraClosedError, FrameTimeoutError, TavrinError

T = TypeVar("T")


class Held:
    """What a Camera holds of the SDK. Kept apart from the Camera so that a
    Camera dropped without close() is released by its finalizer, which
    must not refer to the Camera itself."""

    def __init__(self) -> None:
        self.handle = 0
        self.window: Optional[MessageWindow] = None        # the notification window
        self.stream_window: Optional[MessageWindow] = None  # the running stream's frame messages
        self.restore: Optional[Dict[bytes, int]] = None     # settings to put back (persist=False)
        self.worker: Optional[concurrent.futures.ThreadPoolExecutor] = None

    def release(self) -> None:
        """Stops any acquisition, puts back the settings of a camera opened
        with persist=False, releases the handle and closes the windows."""
        library = sdk()
        if self.handle:
            library.Tavrin_StopPreview(self.handle)
            for name, value in (self.restore or {}).items():
                now = ctypes.c_int(0)
                if library.TavrinEx_GetSetting(self.handle, name, ctypes.byref(now)) and now.value != value:
                    library.TavrinEx_SetSetting(self.handle, name, value)
            library.Tavrin_Release(self.handle)
            self.handle = 0
        for window in (self.stream_window, self.window):
            if window is not None:
                window.close()
        self.stream_window = self.window = None
        if self.worker is not None:
            self.worker.shutdown(wait=False)
            self.worker = None


class Stream(NamedTuple):
    """A running stream: its frame messages go to window, on the thread
    that started it; its images have the layout."""
    window: MessageWindow
    thread: int
    layout: Layout
    trigger: bool


class Ready(NamedTuple):
    """The camera prepared for single frames (the SDK's capture state) for
    the settings in key; its images have the layout."""
    key: tuple[int, ...]
    layout: Layout


class CameraCore:
    """The parts of a Camera that its other parts build on."""

    _held: Held
    _stream: Optional[Stream]
    _ready: Optional[Ready]

    @property
    def handle(self) -> int:
        """The SDK's handle of this camera; 0 once closed."""
        return self._held.handle

    @property
    def closed(self) -> bool:
        return not self._held.handle

    def _live(self, operation: str) -> int:
        if not self._held.handle:
            raise CameraClosedError(operation)
        return self._held.handle

    # --- errors -----------------------------------------------------------

    def take_errors(self) -> List[int]:
        """Every code the SDK queued for this camera, newest first (emptied)."""
        self._drain_notifications()
        codes: List[int] = []
        while self._held.handle and len(codes) < 20:
            code = sdk().Tavrin_GetLastError(self._held.handle)
            if code == 0:
                break
            codes.append(code)
        return codes

    def _drain_notifications(self) -> None:
        # The SDK posts every queued code to the notification window too;
        # the codes are read from the queue, the posted copies dropped.
        if self._held.window is not None:
            self._held.window.drain()

    def _check(self, result: int, operation: str, detail: str = "") -> int:
        if not result:
            if not self._held.handle:
                raise CameraClosedError(operation)
            raise TavrinError(operation, self.take_errors(), detail)
        return result

    def _within(self, timeout_ms: float, call: Callable[[], T], operation: str, detail: str) -> T:
        """call() on the camera's worker thread, waited for at most
        timeout_ms: the SDK's own waits for a frame are longer and cannot be
        cut short, so on time-out the call runs on there until the SDK gives
        up, and the next call of the camera that goes there waits for it."""
        if self._held.worker is None:
            self._held.worker = concurrent.futures.ThreadPoolExecutor(1, thread_name_prefix="tavrin-camera")
        future = self._held.worker.submit(call)
        try:
            return future.result(timeout=timeout_ms / 1000.0)
        except concurrent.futures.TimeoutError:
            raise FrameTimeoutError(f"{operation} within {timeout_ms:g} ms", [], detail) from None

    def _leave_ready(self) -> None:
        """Out of the capture state of snap(), so that the next start
        prepares the camera for what it is asked."""
        if self._ready is not None:
            self._ready = None
            if self._held.handle:
                sdk().Tavrin_StopPreview(self._held.handle)

    # --- information ------------------------------------------------------

    @property
    def width(self) -> int:
        """The image width: the readout region's."""
        return int(sdk().Tavrin_Width(self._live("reading the width")))

    @property
    def height(self) -> int:
        """The image height: the readout region's."""
        return int(sdk().Tavrin_Height(self._live("reading the height")))
