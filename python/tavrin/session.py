"""Session recording: everything a camera says to its driver and hears back
(every command and reply, every frame as transferred, timing, failures,
unplugs) kept in a file that replays as the camera on any machine.

    with tavrin.Camera() as cam, cam.record_session("field.tvs"):
        for frame in cam.frames(count=100):
            ...
    print(tavrin.session.describe("field.tvs"))

Replay, in a new process (the SDK chooses its driver once per process):

    tavrin.sim.configure("0", replay="field.tvs")          # pace="fast", end="loop", strict=1
    with tavrin.Camera() as cam:
        ...                                                # the recorded camera

docs/session-format.md describes the file byte by byte."""

from __future__ import annotations

import contextlib
import ctypes
import os
import sys
from typing import TYPE_CHECKING, Any, Iterator, Optional, Tuple

from ._library import sdk
from ._paths import PathArgument, checked
from .errors import TavrinError

if TYPE_CHECKING:
    from .camera import Camera

COMPRESS_FRAMES = 1  # TAVRIN_SESSION_COMPRESS_FRAMES
_TEXT_SIZE = 65536

_declared: Optional[Any] = None


def _library() -> Any:
    """The SDK with the session functions' signatures declared."""
    global _declared
    library = sdk()
    if _declared is not library:
        signatures = {
            "TavrinEx_StartSessionRecordingEx": [ctypes.c_int, ctypes.c_char_p, ctypes.c_int],
            "TavrinEx_StopSessionRecording": [ctypes.c_int],
            "TavrinEx_GetSessionRecordingState": [ctypes.c_int, ctypes.c_char_p, ctypes.c_int],
            "TavrinEx_DescribeSession": [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int],
            "TavrinSim_GetReplayReport": [ctypes.c_char_p, ctypes.c_int],
        }
        for name, arguments in signatures.items():
            function = getattr(library, name)
            function.argtypes = arguments
            function.restype = ctypes.c_int
        _declared = library
    return library


def _narrow(path: PathArgument) -> bytes:
    """The name as the session functions take it: the file system's bytes,
    on Windows the ANSI code page."""
    text = os.fspath(path)
    return text.encode("mbcs") if sys.platform == "win32" else os.fsencode(text)


class SessionRecording:
    """A running recording, as record_session() yields it."""

    def __init__(self, camera: Camera, path: PathArgument) -> None:
        self.camera = camera
        self.path = path

    def state(self) -> Tuple[bool, str]:
        """(running, reason): whether it still records, and why the last
        recording ended ("stopped", "the disk is full ...") or a note on a
        running one."""
        text = ctypes.create_string_buffer(512)
        running = _library().TavrinEx_GetSessionRecordingState(self.camera.handle, text, len(text))
        return bool(running), text.value.decode("ascii", "replace")

    @property
    def running(self) -> bool:
        return self.state()[0]


@contextlib.contextmanager
def record_session(camera: Camera, path: PathArgument, compress: bool = False) -> Iterator[SessionRecording]:
    """Records the camera's session into path (replaced if it exists) while
    the block runs; compress=True stores frames with zstd where the SDK has
    it. A full disk ends the recording early while the camera goes on; the
    block's end then raises TavrinError (SDKERR_FILE) with the reason."""
    operation = f"starting a session recording into {path}"
    handle = camera._live(operation)
    name = checked(path, operation)
    flags = COMPRESS_FRAMES if compress else 0
    camera._check(_library().TavrinEx_StartSessionRecordingEx(handle, _narrow(name), flags), operation)
    recording = SessionRecording(camera, name)
    failed = True
    try:
        yield recording
        failed = False
    finally:
        if camera.handle:
            stopped = _library().TavrinEx_StopSessionRecording(camera.handle)
            if not stopped and not failed:
                reason = recording.state()[1]
                raise TavrinError(f"completing the session recording {name}", camera.take_errors(), reason)


def describe(path: PathArgument) -> str:
    """What a session file holds, as text (camera, when and where, settings,
    duration, frames, requests, errors, how it ended). ValueError when the
    file is no session this SDK can read."""
    text = ctypes.create_string_buffer(_TEXT_SIZE)
    if not _library().TavrinEx_DescribeSession(_narrow(path), text, len(text)):
        raise ValueError(f"{os.fspath(path)}: {text.value.decode('ascii', 'replace')}")
    return str(text.value.decode("ascii", "replace"))


def replay_report() -> str:
    """A strict replay's report of the first request that differed from the
    recording (or why the session could not be replayed); "" when none."""
    text = ctypes.create_string_buffer(4096)
    if not _library().TavrinSim_GetReplayReport(text, len(text)):
        return ""
    return str(text.value.decode("ascii", "replace"))
