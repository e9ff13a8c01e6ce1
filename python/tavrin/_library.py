"""Loads the SDK library and declares the functions Python calls."""

from __future__ import annotations

import ctypes
import sys
from pathlib import Path
from typing import Any, List, Optional

from . import _locate

class TavrinMsg(ctypes.Structure):
    _fields_ = [("hwnd", ctypes.c_void_p), ("message", ctypes.c_uint),
                ("wParam", ctypes.c_size_t), ("lParam", ctypes.c_ssize_t)]


class FrameInfo(ctypes.Structure):
    _pack_ = 4
    _fields_ = [("size", ctypes.c_int32), ("width", ctypes.c_int32), ("height", ctypes.c_int32),
                ("bitsPerPixel", ctypes.c_int32), ("frameRate", ctypes.c_int32),
                ("reserved", ctypes.c_int32), ("buffer", ctypes.c_void_p)]


class FrameMeta(ctypes.Structure):
    """TavrinFrameMeta: the record of one frame."""
    _pack_ = 4
    _fields_ = [("size", ctypes.c_int32), ("status", ctypes.c_int32), ("frameNumber", ctypes.c_uint64),
                ("captureTimeNs", ctypes.c_uint64), ("droppedFrames", ctypes.c_uint64),
                ("exposureLines", ctypes.c_int32), ("gain", ctypes.c_int32)]


class SizeEntry(ctypes.Structure):
    """TavrinSizeEntry: one stored readout window."""
    _fields_ = [(name, ctypes.c_int32) for name in (
        "totalWidth", "totalHeight", "width", "height", "left", "top", "buffers")]


class CameraInfo(ctypes.Structure):
    _fields_ = [(name, ctypes.c_int32) for name in (
        "size", "sensorWidth", "sensorHeight", "globalGainMin", "globalGainMax",
        "reserved1", "reserved2", "exposureMinLines", "exposureMaxLines")]


SETTING_RANGE, SETTING_BOOLEAN, SETTING_LIST = 1, 2, 3
SETTING_APPLIES_AT_START = 1
SETTING_MAX_VALUES = 8


class SettingInfo(ctypes.Structure):
    """TavrinSettingInfo: one setting of the SDK's catalogue."""
    _fields_ = [(name, ctypes.c_int32) for name in (
        "size", "index", "kind", "filterId", "minimum", "maximum", "defaultValue", "flags")] + [
        (name, ctypes.c_char_p) for name in ("name", "unit", "group", "meaning")] + [
        ("valueCount", ctypes.c_int32), ("values", ctypes.c_int32 * SETTING_MAX_VALUES)]


_INT, _PTR, _CHARP = ctypes.c_int, ctypes.c_void_p, ctypes.c_char_p
_INTP = ctypes.POINTER(ctypes.c_int)

# Functions whose arguments are not all ints.
_SIGNATURES = {
    "Tavrin_Initialize": [_PTR],
    "Tavrin_EnumDevice": [_INT, _PTR],
    "Tavrin_GetCameraInfo": [_INT, ctypes.POINTER(CameraInfo)],
    "Tavrin_CallBackPreview": [_INT, _PTR, _PTR, _INT, _INT],
    "Tavrin_Trigger": [_INT, _PTR, _PTR, _INT, _INT],
    "Tavrin_SnapShot": [_INT, _PTR, _INT, _INT],
    "Tavrin_GetImage": [_INT, _PTR, _INT, _INT],
    "Tavrin_Record": [_INT, _CHARP, _INT, _INT],
    "Tavrin_SaveImage": [_INT, _CHARP, _INT],
    "Tavrin_RecordW": [_INT, ctypes.c_wchar_p, _INT, _INT],  # UTF-16 on Windows, where they are used
    "Tavrin_SaveImageW": [_INT, ctypes.c_wchar_p, _INT],
    "Tavrin_SetPreviewWindow": [_INT, _PTR, _INT, _INT, _INT, _INT],
    "Tavrin_GetFilterValue": [_INT, _INT, _INTP],
    "Tavrin_GetRealExposureTime": [_INT, _INTP],
    "Tavrin_GetAutoIris": [_INT, _INTP],
    "Tavrin_GetCaptureWindowEx": [_INT] + [_INTP] * 6,
    "TavrinSim_LoadFrame": [_INT, _PTR, _INT, _INT],
    "TavrinSim_GetFillTime": [_INT, ctypes.POINTER(ctypes.c_ulonglong)],
    "TavrinEx_GetSettingCount": [],
    "TavrinEx_DescribeSetting": [_INT, ctypes.POINTER(SettingInfo)],
    "TavrinEx_GetSetting": [_INT, _CHARP, _INTP],
    "TavrinEx_SetSetting": [_INT, _CHARP, _INT],
    "TavrinEx_GetFrameMeta": [_INT, ctypes.POINTER(FrameMeta)],
    "TavrinEx_SoftwareTrigger": [_INT],
    "TavrinEx_GetRecordingState": [_INT, _INTP, _INTP],
    "TavrinEx_GetSizeTable": [_INT, ctypes.POINTER(SizeEntry), _INT, _INTP, _INTP],
}
_POSIX = {
    "TavrinPosix_CreateMessageWindow": ([], _PTR),
    "TavrinPosix_DestroyWindow": ([_PTR], _INT),
    "TavrinPosix_GetMessage": ([_PTR, ctypes.POINTER(TavrinMsg), _INT], _INT),
    "TavrinPosix_PeekMessage": ([_PTR, ctypes.POINTER(TavrinMsg)], _INT),
}


def _declare(library: ctypes.CDLL) -> ctypes.CDLL:
    for name, arguments in _SIGNATURES.items():
        function = getattr(library, name)
        function.argtypes = arguments
        function.restype = _INT
    if sys.platform != "win32":
        for name, (arguments, result) in _POSIX.items():
            function = getattr(library, name)
            function.argtypes = arguments
            function.restype = result
    return library


def load() -> ctypes.CDLL:
    """The loaded library. Raises OSError naming every place tried and what
    to do."""
    tried: List[str] = []
    explicit = _locate.explicit()
    files = [explicit] if explicit else list(_locate.files(Path(__file__).resolve().parent))
    for path in files:
        if path.is_file():
            return _declare(ctypes.CDLL(str(path)))
        tried.append(str(path))
    if explicit is None:
        for name in _locate.NAMES:  # the system's own search path
            try:
                return _declare(ctypes.CDLL(name))
            except OSError:
                tried.append(name)
        for path in _locate.from_pkg_config():
            if path.is_file():
                return _declare(ctypes.CDLL(str(path)))
            tried.append(f"{path} (pkg-config)")
    raise OSError("the Tavrin SDK library was not found; set TAVRIN_SDK_LIBRARY to its path, or PKG_CONFIG_PATH "
                  "to the folder of its TavrinSdk.pc (or add its folder to the system's library path). Tried: "
                  + ", ".join(tried))


_loaded: Optional[ctypes.CDLL] = None


def sdk() -> Any:
    """The library, loaded on first use: its functions, declared."""
    global _loaded
    if _loaded is None:
        _loaded = load()
    return _loaded


def location() -> str:
    """The file the library was loaded from."""
    return str(sdk()._name)
