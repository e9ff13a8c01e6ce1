"""One camera: open it with `with Camera() as cam:`, then snap, stream,
record, save and change its settings."""

from __future__ import annotations

import ctypes
import threading
import time
import weakref
from pathlib import Path
from typing import TYPE_CHECKING, Any, ContextManager, Dict, List, NoReturn, Optional, Tuple

from ._core import Held, Ready
from ._image import Image, Layout
from ._library import CameraInfo, FrameInfo, sdk
from ._messages import MessageWindow
from ._paths import WIDE, PathArgument, checked, for_sdk, why_not_writable
from ._stream import StreamMixin
from ._stream import milliseconds as checked_ms
from .errors import (SDKERR_PARAMETER, BadTypeError, BadValueError, DeviceLostError, FileError, FrameTimeoutError,
                     NoCameraError, TavrinError)
from .region import RegionMixin
from .settings import SettingsMixin

if TYPE_CHECKING:
    from .session import SessionRecording

_SDKERR_NOT_READY, _SDKERR_DEVICE, _SDKERR_DEVICE_IO, _SDKERR_TRANSFER = 1, 2, 6, 13
_LOST = (_SDKERR_DEVICE, _SDKERR_DEVICE_IO, _SDKERR_TRANSFER)
# Still image formats of Tavrin_SaveImage by file name extension.
FORMATS = {".bmp": 0, ".raw": 1, ".jpg": 2, ".jpeg": 2, ".png": 5, ".tif": 6, ".tiff": 6}
_FORMAT_CODES = range(0, 7)
_NAME_SLOT = 256
_NAME_SLOTS = 10
_SLOTS = range(32)
# A recording ends after its first frame plus its duration; this much more
# is allowed for the start and the file's finishing before record() gives up.
_RECORD_SLACK_MS = 10000


def list_cameras() -> List[str]:
    """The names of the cameras found, e.g. ['Tavrin860VX-RUX_01']."""
    with Camera(open_device=False) as camera:
        return camera.devices()


class Camera(SettingsMixin, RegionMixin, StreamMixin):
    """A camera of the SDK. device is the slot (0 to 31) of the camera to
    use; NoCameraError when it holds none. Settings are properties (see
    Camera.settings()) and the SDK's settings store keeps them for later
    programs; with persist=False close() puts back the values the camera
    had when it was opened, so this program leaves nothing behind (the
    environment's TAVRIN_REGISTRY=none makes a whole process keep nothing).
    Every refused call raises TavrinError with the SDK's code. A Camera
    dropped without close() is closed when it is collected (or at exit)."""

    def __init__(self, device: int = 0, open_device: bool = True, persist: bool = True) -> None:
        if isinstance(device, bool) or not isinstance(device, int):
            raise BadTypeError(f"opening camera {device!r}", [SDKERR_PARAMETER], "device is a slot number 0 to 31")
        if device not in _SLOTS:
            raise BadValueError(f"opening camera {device}", [SDKERR_PARAMETER], "device is a slot number 0 to 31")
        self._held = Held()
        self._stream = None
        self._ready = None
        self._loops = threading.Lock()
        self._finalizer = weakref.finalize(self, self._held.release)
        self._held.window = MessageWindow()
        self._held.handle = sdk().Tavrin_Initialize(self._held.window.handle)
        if not self._held.handle:
            self.close()
            raise TavrinError("creating the camera object", [])
        try:
            if open_device:
                self._open(device)
                if not persist:
                    self._held.restore = {setting.sdk_name: getattr(self, name)
                                          for name, setting in self.settings().items()}
        except BaseException:
            self.close()
            raise

    def _open(self, device: int) -> None:
        if not sdk().Tavrin_SetDeviceNumber(self.handle, device):
            codes = self.take_errors()
            if codes and codes[0] == _SDKERR_DEVICE:
                raise NoCameraError(f"opening camera {device}", codes, f"no camera in slot {device}")
            raise TavrinError(f"selecting camera {device}", codes)
        # No preview window unless one is asked for: frames arrive as arrays.
        self._check(sdk().Tavrin_SetPreviewWindow(self.handle, None, 0, 0, 0, 0), "opening the camera")

    def __enter__(self) -> "Camera":
        return self

    def record_session(self, path: PathArgument, compress: bool = False) -> ContextManager[SessionRecording]:
        """A context manager that records this camera's whole session into
        path while it runs (see tavrin.session)."""
        from .session import record_session
        return record_session(self, path, compress)

    def __exit__(self, *exc: Any) -> None:
        self.close()

    def close(self) -> None:
        """Stops any acquisition and releases the camera; safe to call twice.
        Every later use raises CameraClosedError."""
        self._stream = None
        self._ready = None
        self._finalizer()

    def _put_back(self, values: Dict[str, int]) -> None:
        for name, value in values.items():
            if getattr(self, name) != value:
                setattr(self, name, value)

    def reset_settings(self) -> None:
        """Every setting back to the default of the SDK's catalogue."""
        self._put_back({name: setting.default for name, setting in self.settings().items()})

    # --- information ------------------------------------------------------

    def devices(self) -> List[str]:
        """The names of the cameras found."""
        handle = self._live("listing cameras")
        names = ctypes.create_string_buffer(_NAME_SLOT * _NAME_SLOTS)
        count = sdk().Tavrin_EnumDevice(handle, names)
        errors = self.take_errors()
        if count == 0 and errors:
            raise TavrinError("listing cameras", errors)
        raw = names.raw
        return [raw[i * _NAME_SLOT:(i + 1) * _NAME_SLOT].split(b"\0", 1)[0].decode() for i in range(count)]

    def info(self) -> Dict[str, int]:
        """Sensor size and the gain and exposure ranges, as a dict."""
        handle = self._live("reading the camera information")
        record = CameraInfo(size=ctypes.sizeof(CameraInfo))
        self._check(sdk().Tavrin_GetCameraInfo(handle, ctypes.byref(record)), "reading the camera information")
        return {name: int(getattr(record, name)) for name, _ in CameraInfo._fields_
                if not name.startswith(("size", "res"))}

    # --- single frames ------------------------------------------------------

    def snap(self, timeout_ms: float = 5000, rgb: bool = True, bgr: bool = False) -> Image:
        """One new frame as an array, top line first: (height, width) for the
        monochrome modes, (height, width, 3 or 4) for colour; uint8 for 8, 24
        and 32 bits, uint16 for 16 (10-bit values), 48 and 64. Colour
        channels are red, green, blue (, alpha 255 or 65535); bgr=True (or
        rgb=False) keeps blue first, as OpenCV wants it. Mode 8 is the raw
        Bayer mosaic (R G / G B from the top left), not a gray image.

        While a stream runs it is the stream's next frame. Otherwise the
        first snap() prepares the camera and keeps it ready, so that the
        next ones take only a frame's time, until start(), stop(), record()
        or close(), or a change of the colour mode or readout region.
        FrameTimeoutError after timeout_ms without a frame."""
        self._live("taking a snapshot")
        limit = checked_ms(timeout_ms)
        bgr = bgr or not rgb
        if self._stream is not None:
            return self.grab(limit, bgr=bgr).array
        deadline = time.monotonic() + limit / 1000.0
        kept = self._ready is not None
        image = self._snap_ready(limit, bgr)
        if image is None and kept:
            # A camera kept ready fails its frame when it was unplugged since:
            # preparing it again tells a camera that is gone (NoCameraError)
            # from one that is back.
            self.take_errors()
            image = self._snap_ready(max(0.0, deadline - time.monotonic()) * 1000.0, bgr)
        if image is None:
            codes = self.take_errors()
            self._leave_ready()
            self._raise_for(codes, "taking a snapshot")
        return image

    def _snap_ready(self, limit: float, bgr: bool) -> Optional[Image]:
        """A frame from the camera prepared for single frames; None when the
        SDK refused it (its codes queued, the camera no longer kept ready)."""
        handle = self.handle
        ready = self._ready_for_snap()
        buffer = ready.layout.buffer()

        def take() -> int:
            return int(sdk().Tavrin_SnapShot(handle, buffer.ctypes.data, buffer.size, 1))
        if not self._within(limit, take, "taking a snapshot",
                            "the camera sent no frame (the SDK gives up its own wait after 3 s)"):
            self._ready = None
            sdk().Tavrin_StopPreview(handle)
            return None
        return ready.layout.to_array(buffer, bgr)

    def _start_key(self) -> Tuple[int, ...]:
        """What a preparation fixes: the settings that apply at a start and
        the readout region."""
        values = tuple(getattr(self, name) for name, setting in self.settings().items() if setting.applies_at_start)
        return values + tuple(self.readout_region)

    def _ready_for_snap(self) -> Ready:
        key = self._start_key()
        if self._ready is not None and self._ready.key == key:
            return self._ready
        self._leave_ready()
        if not sdk().Tavrin_Capture(self.handle):
            self._raise_for(self.take_errors(), "preparing the camera")
        self._ready = Ready(key, Layout.of(self._mode(), self.width, self.height))
        return self._ready

    def _raise_for(self, codes: List[int], operation: str) -> NoReturn:
        # The step that failed queued its code first: it comes last.
        if codes[-1:] == [_SDKERR_DEVICE]:
            raise NoCameraError(operation, codes, "the camera is gone, or another program streams from it")
        if any(code in _LOST for code in codes):
            raise DeviceLostError(operation, codes, "the camera stopped answering")
        raise TavrinError(operation, codes)

    @staticmethod
    def frame_info(address: int) -> FrameInfo:
        """The frame record a WM_SDK_FRAME message points at (its wParam). A
        failure's message carries 0 there, and its code in lParam: refused."""
        if isinstance(address, bool) or not isinstance(address, int) or address <= 0:
            raise BadValueError(f"reading the frame record at {address!r}", [SDKERR_PARAMETER],
                                "a frame message's wParam is the record's address; a failure's message carries 0 "
                                "there and its code in lParam")
        return FrameInfo.from_address(address)

    # --- files ---------------------------------------------------------------

    def save(self, path: PathArgument, format: Optional[int] = None) -> Path:
        """Saves the current image (of the last snap or frame). The format
        follows the extension (.bmp .raw .jpg .png .tif) unless given as the
        SDK's format code. FileError (an OSError) says why a file cannot be
        written, in the system's words."""
        handle = self._live(f"saving {path}")
        name = checked(path, f"saving {path}")
        code = FORMATS.get(name.suffix.lower()) if format is None else format
        if code is None:
            raise BadValueError(f"saving {name}", [SDKERR_PARAMETER],
                                f"unknown image format; use one of {', '.join(FORMATS)} or give format")
        if isinstance(code, bool) or code not in _FORMAT_CODES:
            raise BadValueError(f"saving {name}", [SDKERR_PARAMETER], "format is a code 0 to 6")
        saved = sdk().Tavrin_SaveImageW(handle, for_sdk(name), code) if WIDE else \
            sdk().Tavrin_SaveImage(handle, for_sdk(name), code)
        if not saved:
            self._file_failure(f"saving {name}", name, "no image yet: snap() or grab() a frame first")
        return name

    def _file_failure(self, operation: str, path: Path, not_ready: str) -> NoReturn:
        codes = self.take_errors()
        reason = why_not_writable(path)
        if reason is not None:
            raise FileError(operation, codes, str(path), *reason)
        if codes[:1] == [_SDKERR_NOT_READY] and len(codes) == 1:
            raise TavrinError(operation, codes, not_ready)
        self._raise_for(codes, operation)

    def record(self, path: PathArgument, milliseconds: int, timeout_ms: Optional[float] = None) -> Path:
        """Records an AVI file of the stream for the given time and returns
        its path once the file is whole (the time counts from the first
        frame). Refused while a stream runs. FrameTimeoutError when the file
        is not done within timeout_ms (by default the duration and 10 s
        more): the recording is then stopped and its file holds the frames
        so far."""
        handle = self._live(f"recording {path}")
        name = checked(path, f"recording {path}")
        if isinstance(milliseconds, bool) or not isinstance(milliseconds, int) or milliseconds <= 0:
            raise BadValueError(f"recording {name}", [SDKERR_PARAMETER], "the duration is a positive int of ms")
        limit = milliseconds + _RECORD_SLACK_MS if timeout_ms is None else checked_ms(timeout_ms)
        if self._stream is not None:
            raise TavrinError(f"recording {name}", [], "a stream runs: stop() it first (the recording is a stream)")
        self._leave_ready()
        started = sdk().Tavrin_RecordW(handle, for_sdk(name), milliseconds, 0) if WIDE else \
            sdk().Tavrin_Record(handle, for_sdk(name), milliseconds, 0)
        if not started:
            sdk().Tavrin_StopPreview(handle)
            self._file_failure(f"recording {name}", name, "")
        try:
            written = self._wait_for_recording(limit)
        finally:
            sdk().Tavrin_StopPreview(handle)  # ends a recording still under way; its file is finished
        codes = self.take_errors()
        if written is None:
            raise FrameTimeoutError(f"recording {name} within {limit:g} ms", codes,
                                    "the camera sent too few frames; the file holds those it sent")
        if codes:
            self._file_failure(f"recording {name}", name, "")
        return name

    def _wait_for_recording(self, limit: float) -> Optional[int]:
        """The frames written once the file is whole; None after limit ms."""
        writing, frames = ctypes.c_int(1), ctypes.c_int(0)
        deadline = time.monotonic() + limit / 1000.0
        while True:
            self._check(sdk().TavrinEx_GetRecordingState(self.handle, ctypes.byref(writing), ctypes.byref(frames)),
                        "reading the recording's state")
            if not writing.value:
                return frames.value
            if time.monotonic() >= deadline:
                return None
            time.sleep(0.01)

