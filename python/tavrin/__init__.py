"""Python access to the Tavrin 860VX-RUX camera SDK (ctypes over the SDK's
shared library, images as numpy arrays).

    import tavrin
    with tavrin.Camera() as cam:
        cam.color_mode = 24
        image = cam.snap()          # (494, 656, 3) uint8, top line first

The library is found through TAVRIN_SDK_LIBRARY, beside the installed
package, or on the system's library path."""

from . import session, sim
from ._library import sdk
from .camera import FORMATS, Camera, Frame, list_cameras
from .errors import (ERROR_NAMES, CameraClosedError, DeviceLostError, FrameTimeoutError, NoCameraError,
                     TavrinError)

__all__ = ["Camera", "Frame", "TavrinError", "NoCameraError", "CameraClosedError", "FrameTimeoutError",
           "DeviceLostError", "ERROR_NAMES", "FORMATS", "list_cameras", "session", "sim", "sdk_version"]
__version__ = "1.0"


def sdk_version():
    """The library's version number (Tavrin_GetDllVersion)."""
    return sdk().Tavrin_GetDllVersion()
