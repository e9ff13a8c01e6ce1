"""A window that receives the SDK's messages, and a wait for the next one.

On Windows it is a message-only window of the calling thread, read with the
thread's message queue; elsewhere a message window of the SDK's own
(TavrinPosix_CreateMessageWindow). Either way the window belongs to the
thread that makes it, and only that thread reads its messages: a thread's
queue holds at most 10,000 of them, so a window that receives messages must
be read (drain()) or its thread's other windows get nothing more."""

from __future__ import annotations

import ctypes
import sys
import threading
import time
from typing import Any, Optional, Tuple

from ._library import TavrinMsg, sdk

WM_SDK_FRAME = 0x8002
WM_SDK_ERROR = 0x8003

Message = Tuple[int, int, int]  # message, wParam, lParam


class _PosixWindow:
    def __init__(self) -> None:
        self.thread = threading.get_ident()
        self.handle: Optional[int] = sdk().TavrinPosix_CreateMessageWindow()
        if not self.handle:
            raise OSError("the SDK could not make a message window")

    def wait(self, timeout_ms: int) -> Optional[Message]:
        """(message, wParam, lParam), or None after timeout_ms."""
        msg = TavrinMsg()
        if not sdk().TavrinPosix_GetMessage(self.handle, ctypes.byref(msg), int(timeout_ms)):
            return None
        return int(msg.message), int(msg.wParam), int(msg.lParam)

    def drain(self) -> int:
        """Drops the messages waiting for the window (on its own thread
        only: another thread's queue is not ours to read); how many."""
        if not self.handle or threading.get_ident() != self.thread:
            return 0
        msg = TavrinMsg()
        count = 0
        while sdk().TavrinPosix_PeekMessage(self.handle, ctypes.byref(msg)):
            count += 1
        return count

    def close(self) -> None:
        if self.handle:
            sdk().TavrinPosix_DestroyWindow(self.handle)
            self.handle = None


class _Win32Window:
    _PM_REMOVE = 1

    def __init__(self) -> None:
        from ctypes import wintypes
        self.thread = threading.get_ident()
        user32: Any = ctypes.WinDLL("user32", use_last_error=True)  # type: ignore[attr-defined]
        self._user32 = user32
        user32.CreateWindowExW.restype = wintypes.HWND
        user32.CreateWindowExW.argtypes = [
            wintypes.DWORD, wintypes.LPCWSTR, wintypes.LPCWSTR, wintypes.DWORD, ctypes.c_int, ctypes.c_int,
            ctypes.c_int, ctypes.c_int, wintypes.HWND, wintypes.HMENU, wintypes.HINSTANCE, wintypes.LPVOID]
        user32.PeekMessageW.argtypes = [ctypes.POINTER(wintypes.MSG), wintypes.HWND, wintypes.UINT,
                                        wintypes.UINT, wintypes.UINT]
        user32.DispatchMessageW.argtypes = [ctypes.POINTER(wintypes.MSG)]
        user32.DestroyWindow.argtypes = [wintypes.HWND]
        hwnd_message = wintypes.HWND(-3)
        self.handle: Optional[int] = user32.CreateWindowExW(0, "STATIC", "tavrin", 0, 0, 0, 0, 0, hwnd_message,
                                                            None, None, None)
        if not self.handle:
            raise OSError(ctypes.get_last_error(), "the message window could not be made")  # type: ignore
        self._msg = wintypes.MSG()

    def _take(self, window: Optional[int], first: int, last: int) -> bool:
        return bool(self._user32.PeekMessageW(ctypes.byref(self._msg), window, first, last, self._PM_REMOVE))

    def wait(self, timeout_ms: int) -> Optional[Message]:
        deadline = time.monotonic() + timeout_ms / 1000.0
        while True:
            if self._take(self.handle, WM_SDK_FRAME, WM_SDK_ERROR):
                return int(self._msg.message), int(self._msg.wParam or 0), int(self._msg.lParam or 0)
            # The thread's other messages (of a preview window) are handed
            # on, so that its windows stay responsive; the SDK's messages for
            # other windows of the thread stay queued for them.
            while self._take(None, 0, WM_SDK_FRAME - 1) or self._take(None, WM_SDK_ERROR + 1, 0xFFFFFFFF):
                self._user32.DispatchMessageW(ctypes.byref(self._msg))
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return None
            self._user32.MsgWaitForMultipleObjects(0, None, 0, int(remaining * 1000) + 1, 0x04FF)

    def drain(self) -> int:
        if not self.handle or threading.get_ident() != self.thread:
            return 0
        count = 0
        while self._take(self.handle, 0, 0):
            count += 1
        return count

    def close(self) -> None:
        if self.handle:
            self._user32.DestroyWindow(self.handle)
            self.handle = None


if sys.platform == "win32":
    MessageWindow = _Win32Window
else:
    MessageWindow = _PosixWindow
