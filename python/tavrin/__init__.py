"""Python access to the Tavrin 860VX-RUX camera SDK (ctypes over the SDK's
shared library, images as numpy arrays).

    import tavrin
    with tavrin.Camera() as cam:
        cam.color_mode = 24
        image = cam.snap()          # (494, 656, 3) uint8, top line first

The library is found through TAVRIN_SDK_LIBRARY, where the package was told
at installation, beside the installed package, on the system's library path,
or through pkg-config."""

from . import session, sim
from ._image import Frame
from ._library import sdk
from .camera import FORMATS, Camera, list_cameras
from .errors import (ERROR_NAMES, BadTypeError, BadValueError, CameraClosedError, DeviceLostError, FileError,
                     FrameTimeoutError, NoCameraError, StreamBusyError, TavrinError)
from .region import ReadoutRegion, StoredSize

__all__ = ["Camera", "Frame", "ReadoutRegion", "StoredSize", "TavrinError", "NoCameraError", "CameraClosedError",
           "FrameTimeoutError", "DeviceLostError", "StreamBusyError", "FileError", "BadValueError", "BadTypeError",
           "ERROR_NAMES", "FORMATS", "list_cameras", "session", "sim", "sdk", "sdk_version"]
__version__ = "1.0"


def sdk_version() -> int:
    """The library's version number (Tavrin_GetDllVersion)."""
    return int(sdk().Tavrin_GetDllVersion())
