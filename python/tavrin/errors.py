"""The SDK's error codes as Python exceptions."""

from __future__ import annotations

from typing import Iterable

ERROR_NAMES = {
    1: "SDKERR_NOT_READY", 2: "SDKERR_DEVICE", 3: "SDKERR_THREAD", 4: "SDKERR_WINDOW",
    5: "SDKERR_BUFFER", 6: "SDKERR_DEVICE_IO", 7: "SDKERR_CAPTURE_WINDOW", 8: "SDKERR_FRAME",
    9: "SDKERR_PARAMETER", 11: "SDKERR_UNSUPPORTED", 12: "SDKERR_FILE", 13: "SDKERR_TRANSFER",
}
SDKERR_PARAMETER = 9


class TavrinError(Exception):
    """A call the SDK refused, or that this package refused before calling it.

    code is the SDK's error code (0 when it queued none), name its name, and
    codes every code the call queued, newest first (the outer operation's
    code comes before the inner step's)."""

    def __init__(self, operation: str, codes: Iterable[int], detail: str = "") -> None:
        self.operation = operation
        self.codes = list(codes)
        self.code = self.codes[0] if self.codes else 0
        self.name = ERROR_NAMES.get(self.code, "no error code")
        self.detail = detail
        text = f"{operation} failed"
        if self.codes:
            text += f": {self.name} ({self.code})"
        if len(self.codes) > 1:
            text += " after " + ", ".join(f"{ERROR_NAMES.get(c, c)} ({c})" for c in self.codes[1:])
        super().__init__(text + (f"; {detail}" if detail else ""))


class NoCameraError(TavrinError):
    """The slot holds no camera (or another program has it)."""


class CameraClosedError(TavrinError):
    """The camera was used after close()."""

    def __init__(self, operation: str) -> None:
        TavrinError.__init__(self, operation, [], "the camera is closed")


class FrameTimeoutError(TavrinError, TimeoutError):
    """No frame came within the time asked for; also a TimeoutError."""

    def __str__(self) -> str:
        return str(self.args[0]) if self.args else ""


class DeviceLostError(TavrinError):
    """The camera stopped answering while it streamed (unplugged); a new
    Camera works once it is back."""


class StreamBusyError(TavrinError):
    """A frames() or aframes() loop already runs on this camera: a second one
    would take its frames away (finish or leave the first loop)."""


class FileError(TavrinError, OSError):
    """A file could not be written; errno, strerror and filename say why, in
    the system's words (a missing folder, no permission, a full disk). Also
    an OSError."""

    def __init__(self, operation: str, codes: Iterable[int], filename: str, errno: int, strerror: str) -> None:
        TavrinError.__init__(self, operation, codes, f"{filename}: {strerror}")
        self.errno = errno
        self.strerror = strerror
        self.filename = filename

    def __str__(self) -> str:
        return str(self.args[0]) if self.args else ""


class BadValueError(TavrinError, ValueError):
    """A value outside what a setting or call accepts, refused before the
    SDK was called (code SDKERR_PARAMETER); also a ValueError."""


class BadTypeError(TavrinError, TypeError):
    """A value of a type a setting does not take (True, 1.5, "3"), refused
    before the SDK was called (code SDKERR_PARAMETER); also a TypeError."""
