"""One camera: open it with `with Camera() as cam:`, then snap, stream,
record, save and change its settings."""

import ctypes
import time
from pathlib import Path

import numpy as np

from ._library import CameraInfo, FrameInfo, sdk
from ._messages import WM_SDK_FRAME, MessageWindow
from .errors import TavrinError
from .settings import SettingsMixin

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


class Camera(SettingsMixin):
    """A camera of the SDK. device is the slot (0 to 31) of the camera to
    use. Settings are properties (see Camera.settings()); every refused call
    raises TavrinError with the SDK's code."""

    def __init__(self, device=0, open_device=True):
        self._window = MessageWindow()
        self.handle = sdk().Tavrin_Initialize(self._window.handle)
        if not self.handle:
            self._window.close()
            raise TavrinError("creating the camera object", [])
        try:
            if device:
                self._check(sdk().Tavrin_SetDeviceNumber(self.handle, device), f"selecting camera {device}")
            if open_device:
                # No preview window unless one is asked for: frames arrive
                # as arrays instead.
                self._check(sdk().Tavrin_SetPreviewWindow(self.handle, None, 0, 0, 0, 0), "opening the camera")
        except TavrinError:
            self.close()
            raise

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        """Stops any acquisition and releases the camera; safe to call twice."""
        if self.handle:
            sdk().Tavrin_Release(self.handle)
            self.handle = 0
        self._window.close()

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
        else:
            image = image.reshape(self.height, self.width)
        return image

    def snap(self, rgb=True):
        """One new frame as an array, top line first: (height, width) for the
        monochrome modes, (height, width, 3 or 4) for colour; uint8 for 8, 24
        and 32 bits, uint16 for 16 (10-bit values), 48 and 64. Colour
        channels are red, green, blue (, alpha); rgb=False keeps blue first."""
        buffer, *layout = self._image_buffer()
        self._check(sdk().Tavrin_SnapShot(self.handle, buffer.ctypes.data, buffer.size, 1), "taking a snapshot")
        return self._to_array(buffer, *layout, rgb)

    def frames(self, count=None, timeout_ms=10000, rgb=True):
        """Streams frames, yielding each as snap() would. Stops after count
        frames, or when the loop ends (break, exception, close()); raises
        TavrinError when a frame fails or none comes within timeout_ms.
        Iterate on one thread: the frame messages go to that thread."""
        buffer, *layout = self._image_buffer()
        window = MessageWindow()
        try:
            self._check(sdk().Tavrin_CallBackPreview(self.handle, window.handle, None, 0, 1), "starting the stream")
            taken = 0
            while count is None or taken < count:
                message = window.wait(timeout_ms)
                if message is None:
                    raise TavrinError(f"waiting {timeout_ms} ms for a frame", self.take_errors())
                kind, info, code = message
                if kind != WM_SDK_FRAME:
                    continue
                if not info:
                    raise TavrinError("receiving a frame", [code] + self.take_errors())
                # The current image is copied under the SDK's frame lock, so a
                # newer frame never tears it.
                self._check(sdk().Tavrin_GetImage(self.handle, buffer.ctypes.data, buffer.size, 1), "copying a frame")
                taken += 1
                yield self._to_array(buffer, *layout, rgb)
        finally:
            if self.handle:
                sdk().Tavrin_StopPreview(self.handle)
            window.close()

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
