"""One camera: open it with `with Camera() as cam:`, then snap, stream,
record, save and change its settings."""

import ctypes
import time
from pathlib import Path

import numpy as np

from ._library import CameraInfo, FrameInfo, FrameMeta, sdk
from ._messages import WM_SDK_ERROR, WM_SDK_FRAME, MessageWindow
from .errors import (CameraClosedError, DeviceLostError, FrameTimeoutError, NoCameraError,
                     TavrinError)
from .settings import SettingsMixin

_SDKERR_DEVICE, _SDKERR_TRANSFER, _SDKERR_DEVICE_IO = 2, 13, 6

# Per colour mode (bits per pixel as set): sample type and channels.
_LAYOUTS = {8: (np.uint8, 1), 16: (np.uint16, 1), 24: (np.uint8, 3), 32: (np.uint8, 4),
            48: (np.uint16, 3), 64: (np.uint16, 4)}
# Still image formats of Tavrin_SaveImage by file name extension.
FORMATS = {".bmp": 0, ".raw": 1, ".jpg": 2, ".jpeg": 2, ".png": 5, ".tif": 6, ".tiff": 6}
_NAME_SLOT = 256
_NAME_SLOTS = 10


def list_cameras():
    """The names of the cameras found, e.g. ['Tavrin860VX-RUX_01']."""
    with Camera(open_device=False) as camera:
        return camera.devices()


class Frame:
    """One frame of a running stream: its pixels (array, as snap() gives
    them) and its record. number counts every frame the camera sent since
    start() (from 1), so every gap shows as a jump in number; dropped counts
    the frames the SDK announced to nobody (grab() also passes over the
    announced frames that queued while the caller was busy, to give the
    newest). time_ns is the host's
    monotonic clock when the frame's transfer completed. np.asarray(frame)
    is its array."""

    __slots__ = ("array", "number", "time_ns", "dropped", "exposure_lines", "gain")

    def __init__(self, array, meta):
        self.array = array
        self.number = int(meta.frameNumber)
        self.time_ns = int(meta.captureTimeNs)
        self.dropped = int(meta.droppedFrames)
        self.exposure_lines = int(meta.exposureLines)
        self.gain = int(meta.gain)

    def __array__(self, dtype=None, copy=None):
        return self.array if dtype is None else self.array.astype(dtype)

    def __repr__(self):
        return (f"<Frame {self.number} {self.array.shape} {self.array.dtype}, dropped {self.dropped}, "
                f"t={self.time_ns} ns>")


class Camera(SettingsMixin):
    """A camera of the SDK. device is the slot (0 to 31) of the camera to
    use; NoCameraError when it holds none. Settings are properties (see
    Camera.settings()) and the SDK's settings store keeps them for later
    programs; with persist=False close() puts back the values the camera
    had when it was opened, so this program leaves nothing behind (the
    environment's TAVRIN_REGISTRY=none makes a whole process keep nothing).
    Every refused call raises TavrinError with the SDK's code."""

    def __init__(self, device=0, open_device=True, persist=True):
        if isinstance(device, bool) or not isinstance(device, int):
            raise TypeError(f"device must be a slot number 0 to 31, not {device!r}")
        if not 0 <= device <= 31:
            raise ValueError(f"device must be a slot number 0 to 31, not {device}")
        self.handle = 0
        self._stream = None
        self._restore = None
        self._window = MessageWindow()
        self.handle = sdk().Tavrin_Initialize(self._window.handle)
        if not self.handle:
            self._window.close()
            raise TavrinError("creating the camera object", [])
        try:
            if open_device:
                if not sdk().Tavrin_SetDeviceNumber(self.handle, device):
                    codes = self.take_errors()
                    if codes and codes[0] == _SDKERR_DEVICE:
                        raise NoCameraError(f"opening camera {device}", codes, f"no camera in slot {device}")
                    raise TavrinError(f"selecting camera {device}", codes)
            if open_device:
                # No preview window unless one is asked for: frames arrive
                # as arrays instead.
                self._check(sdk().Tavrin_SetPreviewWindow(self.handle, None, 0, 0, 0, 0), "opening the camera")
                if not persist:
                    self._restore = {name: getattr(self, name) for name in self.settings()}
        except TavrinError:
            self.close()
            raise

    def __enter__(self):
        return self

    def record_session(self, path, compress=False):
        """A context manager that records this camera's whole session into
        path while it runs (see tavrin.session)."""
        from .session import record_session
        return record_session(self, path, compress)

    def __exit__(self, *exc):
        self.close()

    def close(self):
        """Stops any acquisition and releases the camera; safe to call twice."""
        if self.handle:
            self.stop()
            if self._restore is not None:
                self._put_back(self._restore)
            sdk().Tavrin_Release(self.handle)
            self.handle = 0
        self._window.close()

    def _put_back(self, values):
        for name, value in values.items():
            if getattr(self, name) != value:
                setattr(self, name, value)

    def reset_settings(self):
        """Every setting back to the default of the SDK's catalogue."""
        self._put_back({name: setting.default for name, setting in self.settings().items()})

    def _live(self, operation):
        if not self.handle:
            raise CameraClosedError(operation)
        return self.handle

    # --- errors -----------------------------------------------------------

    def take_errors(self):
        """Every code the SDK queued for this camera, newest first (emptied)."""
        codes = []
        while len(codes) < 20:
            code = sdk().Tavrin_GetLastError(self.handle)
            if code == 0:
                break
            codes.append(code)
        return codes

    def _check(self, result, operation, detail=""):
        if not result:
            if not self.handle:
                raise CameraClosedError(operation)
            raise TavrinError(operation, self.take_errors(), detail)
        return result

    # --- information ------------------------------------------------------

    def devices(self):
        """The names of the cameras found."""
        names = ctypes.create_string_buffer(_NAME_SLOT * _NAME_SLOTS)
        count = sdk().Tavrin_EnumDevice(self.handle, names)
        errors = self.take_errors()
        if count == 0 and errors:
            raise TavrinError("listing cameras", errors)
        raw = names.raw
        return [raw[i * _NAME_SLOT:(i + 1) * _NAME_SLOT].split(b"\0", 1)[0].decode() for i in range(count)]

    def info(self):
        """Sensor size and the gain and exposure ranges, as a dict."""
        record = CameraInfo(size=ctypes.sizeof(CameraInfo))
        self._check(sdk().Tavrin_GetCameraInfo(self.handle, ctypes.byref(record)), "reading the camera information")
        return {name: getattr(record, name) for name, _ in CameraInfo._fields_ if not name.startswith(("size", "res"))}

    @property
    def width(self):
        return sdk().Tavrin_Width(self.handle)

    @property
    def height(self):
        return sdk().Tavrin_Height(self.handle)

    # --- images -------------------------------------------------------------

    def _image_buffer(self):
        dtype, channels = _LAYOUTS[self.color_mode]
        row = self.width * channels * np.dtype(dtype).itemsize
        stride = (row + 3) & ~3  # rows of the SDK's images start on 4-byte boundaries
        return np.zeros(stride * self.height, np.uint8), stride, row, dtype, channels

    def _to_array(self, buffer, stride, row, dtype, channels, rgb):
        rows = buffer.reshape(self.height, stride)[:, :row]
        image = rows.copy().view(dtype)
        if channels > 1:
            image = image.reshape(self.height, self.width, channels)
            if rgb:  # the SDK's pixels are blue, green, red (, alpha)
                image[..., :3] = image[..., 2::-1].copy()
            if channels == 4:  # the SDK leaves alpha 0; an image is opaque
                image[..., 3] = np.iinfo(dtype).max
        else:
            image = image.reshape(self.height, self.width)
        return image

    # --- a running stream -----------------------------------------------------

    def start(self, trigger=False):
        """Starts the stream; grab() then takes its frames. Frame messages go
        to the thread that called start(). With trigger=True the camera takes
        a frame only on a trigger: a pulse at its trigger input or
        software_trigger(). Stopping trigger mode waits for the driver to
        give up its wait for a trigger (up to 3 s)."""
        self._live("starting the stream")
        if isinstance(trigger, bool) is False:
            raise TypeError(f"trigger must be True or False, not {trigger!r}")
        if self._stream is not None:
            return
        window = MessageWindow()
        start = sdk().Tavrin_Trigger if trigger else sdk().Tavrin_CallBackPreview
        if not start(self.handle, window.handle, None, 0, 1):
            window.close()
            self._check(0, "starting trigger mode" if trigger else "starting the stream")
        self._stream = (window, self._image_buffer())

    def software_trigger(self):
        """Fires the camera's software trigger: in trigger mode (start(trigger=True))
        the camera takes one frame, which grab() then returns."""
        self._live("firing the software trigger")
        self._check(sdk().TavrinEx_SoftwareTrigger(self.handle), "firing the software trigger",
                    "" if self._stream is not None else "start(trigger=True) first")

    def stop(self):
        """Stops the stream; safe when none runs."""
        if self._stream is None:
            return
        window, _ = self._stream
        self._stream = None
        if self.handle:
            sdk().Tavrin_StopPreview(self.handle)
        window.close()

    def grab(self, timeout_ms=1000, rgb=True, bgr=False):
        """The newest frame of the running stream as a Frame, waiting at most
        timeout_ms for one (FrameTimeoutError, a TimeoutError, after that).
        Frames that came meanwhile are skipped and counted in dropped.
        DeviceLostError when the camera stops answering."""
        self._live("grabbing a frame")
        if self._stream is None:
            raise TavrinError("grabbing a frame", [], "the stream is not running: call start() first")
        if isinstance(timeout_ms, bool) or not isinstance(timeout_ms, (int, float)) or timeout_ms < 0:
            raise ValueError(f"timeout_ms must be a number of milliseconds, not {timeout_ms!r}")
        window, layout = self._stream
        deadline = time.monotonic() + timeout_ms / 1000.0
        got = False
        while True:
            left = 0 if got else max(0, int((deadline - time.monotonic()) * 1000))
            message = window.wait(left)
            if message is None:
                if got:
                    break
                if time.monotonic() < deadline:
                    continue
                raise FrameTimeoutError(f"waiting {timeout_ms} ms for a frame", self.take_errors())
            kind, info, code = message
            if kind == WM_SDK_ERROR or (kind == WM_SDK_FRAME and not info):
                codes = [code] + self.take_errors()
                if code in (_SDKERR_TRANSFER, _SDKERR_DEVICE, _SDKERR_DEVICE_IO):
                    raise DeviceLostError("receiving a frame", codes, "the camera stopped answering")
                raise TavrinError("receiving a frame", codes)
            if kind == WM_SDK_FRAME:
                got = True
        return self._current_frame(layout, rgb, bgr)

    def _current_frame(self, layout, rgb, bgr):
        buffer, *rest = layout
        meta = FrameMeta(size=ctypes.sizeof(FrameMeta))
        after = FrameMeta(size=ctypes.sizeof(FrameMeta))
        # The image and its record are read one after the other; when a new
        # frame came between the two, read both again.
        for _ in range(5):
            self._check(sdk().TavrinEx_GetFrameMeta(self.handle, ctypes.byref(meta)), "reading the frame record")
            self._check(sdk().Tavrin_GetImage(self.handle, buffer.ctypes.data, buffer.size, 1), "copying a frame")
            self._check(sdk().TavrinEx_GetFrameMeta(self.handle, ctypes.byref(after)), "reading the frame record")
            if after.frameNumber == meta.frameNumber:
                break
        return Frame(self._to_array(buffer, *rest, rgb and not bgr), meta)

    def snap(self, rgb=True, bgr=False):
        """One new frame as an array, top line first: (height, width) for the
        monochrome modes, (height, width, 3 or 4) for colour; uint8 for 8, 24
        and 32 bits, uint16 for 16 (10-bit values), 48 and 64. Colour
        channels are red, green, blue (, alpha 255 or 65535); bgr=True (or
        rgb=False) keeps blue first, as OpenCV wants it. Mode 8 is the raw
        Bayer mosaic (R G / G B from the top left), not a gray image."""
        self._live("taking a snapshot")
        rgb = rgb and not bgr
        buffer, *layout = self._image_buffer()
        self._check(sdk().Tavrin_SnapShot(self.handle, buffer.ctypes.data, buffer.size, 1), "taking a snapshot")
        return self._to_array(buffer, *layout, rgb)

    def frames(self, count=None, timeout_ms=10000, rgb=True, bgr=False):
        """Streams frames, yielding each as a Frame (np.asarray(frame) is its
        array). A consumer slower than the camera gets the newest frame each
        time; the skipped ones show in frame.number and frame.dropped. Stops
        after count frames, or when the loop ends (break, exception,
        close()); raises as grab() does. Iterate on one thread: the frame
        messages go to that thread."""
        self.start()
        try:
            taken = 0
            while count is None or taken < count:
                frame = self.grab(timeout_ms, rgb, bgr)
                taken += 1
                yield frame
        finally:
            self.stop()

    @staticmethod
    def frame_info(address):
        """The frame record a WM_SDK_FRAME message points at."""
        return FrameInfo.from_address(address)

    def save(self, path, format=None):
        """Saves the current image (of the last snap or frame). The format
        follows the extension (.bmp .raw .jpg .png .tif) unless given as the
        SDK's format code."""
        path = Path(path)
        code = FORMATS.get(path.suffix.lower()) if format is None else format
        if code is None:
            raise ValueError(f"unknown image format for {path}; use one of {', '.join(FORMATS)}")
        self._check(sdk().Tavrin_SaveImage(self.handle, str(path).encode(), code), f"saving {path}")
        return path

    def record(self, path, milliseconds):
        """Records an AVI file of the stream for the given time and returns
        its path once it is written."""
        path = Path(path)
        self._check(sdk().Tavrin_Record(self.handle, str(path).encode(), int(milliseconds), 0), f"recording {path}")
        try:
            # The recording counts its time from its first frame; a little
            # more lets it end by itself before the stream stops.
            time.sleep(milliseconds / 1000.0 + 1.0)
        finally:
            sdk().Tavrin_StopPreview(self.handle)
        errors = self.take_errors()
        if errors:
            raise TavrinError(f"recording {path}", errors)
        return path
