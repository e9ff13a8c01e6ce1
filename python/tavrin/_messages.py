"""A window that receives the SDK's messages, and a wait for the next one.

On Windows it is a message-only window of the calling thread, read with the
thread's message queue; elsewhere a message window of the SDK's own
(TavrinPosix_CreateMessageWindow). Either way the window belongs to the
thread that makes it, and only that thread reads its messages."""

import ctypes
import sys
import time

from ._library import TavrinMsg, sdk

WM_SDK_FRAME = 0x8002
WM_SDK_ERROR = 0x8003


class _PosixWindow:
    def __init__(self):
        self.handle = sdk().TavrinPosix_CreateMessageWindow()
        if not self.handle:
            raise OSError("the SDK could not make a message window")

    def wait(self, timeout_ms):
        """(message, wParam, lParam), or None after timeout_ms."""
        msg = TavrinMsg()
        if not sdk().TavrinPosix_GetMessage(self.handle, ctypes.byref(msg), int(timeout_ms)):
            return None
        return msg.message, msg.wParam, msg.lParam

    def close(self):
        if self.handle:
            sdk().TavrinPosix_DestroyWindow(self.handle)
            self.handle = None


class _Win32Window:
    def __init__(self):
        from ctypes import wintypes
        self._user32 = ctypes.WinDLL("user32", use_last_error=True)
        self._user32.CreateWindowExW.restype = wintypes.HWND
        self._user32.CreateWindowExW.argtypes = [
            wintypes.DWORD, wintypes.LPCWSTR, wintypes.LPCWSTR, wintypes.DWORD, ctypes.c_int, ctypes.c_int,
            ctypes.c_int, ctypes.c_int, wintypes.HWND, wintypes.HMENU, wintypes.HINSTANCE, wintypes.LPVOID]
        self._user32.PeekMessageW.argtypes = [ctypes.POINTER(wintypes.MSG), wintypes.HWND, wintypes.UINT,
                                              wintypes.UINT, wintypes.UINT]
        self._user32.DispatchMessageW.argtypes = [ctypes.POINTER(wintypes.MSG)]
        self._user32.DestroyWindow.argtypes = [wintypes.HWND]
        hwnd_message = wintypes.HWND(-3)
        self.handle = self._user32.CreateWindowExW(0, "STATIC", "tavrin", 0, 0, 0, 0, 0, hwnd_message, None,
                                                   None, None)
        if not self.handle:
            raise OSError(ctypes.get_last_error(), "the message window could not be made")
        self._msg = wintypes.MSG()

    def wait(self, timeout_ms):
        deadline = time.monotonic() + timeout_ms / 1000.0
        while True:
            # Other messages of the thread (the preview window's) are handed
            # on, so that its windows stay responsive.
            while self._user32.PeekMessageW(ctypes.byref(self._msg), None, 0, 0, 1):
                if self._msg.message in (WM_SDK_FRAME, WM_SDK_ERROR):
                    return self._msg.message, self._msg.wParam or 0, self._msg.lParam or 0
                self._user32.DispatchMessageW(ctypes.byref(self._msg))
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return None
            self._user32.MsgWaitForMultipleObjects(0, None, 0, int(remaining * 1000) + 1, 0x04FF)

    def close(self):
        if self.handle:
            self._user32.DestroyWindow(self.handle)
            self.handle = None


MessageWindow = _Win32Window if sys.platform == "win32" else _PosixWindow
