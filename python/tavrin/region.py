"""The readout region (the part of the sensor the camera reads, which is the
image size) and the size table (the readout windows kept in the SDK's
settings store, which the camera dialog edits)."""

from __future__ import annotations

import ctypes
from typing import List, NamedTuple, Sequence

from ._core import CameraCore
from ._library import CameraInfo, SizeEntry, sdk
from .errors import SDKERR_PARAMETER, BadTypeError, BadValueError, TavrinError

_SDKERR_WINDOW = 4
_MIN_WIDTH, _MIN_HEIGHT = 4, 3  # the least the camera reads


class ReadoutRegion(NamedTuple):
    """A part of the sensor, in pixels from its top left corner."""
    left: int
    top: int
    width: int
    height: int


class StoredSize(NamedTuple):
    """One readout window of the size table."""
    left: int
    top: int
    width: int
    height: int
    total_width: int
    total_height: int
    selected: bool  # the one the camera starts with


class RegionMixin(CameraCore):
    """The readout region of one camera; Camera inherits it."""

    @property
    def readout_region(self) -> ReadoutRegion:
        """The part of the sensor the camera reads: snap() and frames give
        images of its size. Set it to (left, top, width, height) for this
        Camera (the settings store keeps the camera dialog's choice); it must
        lie within the sensor and be at least 4 x 3 pixels. Set while no
        stream runs; the next snap() or start() uses it."""
        handle = self._live("reading the readout region")
        values = [ctypes.c_int(0) for _ in range(6)]
        sdk().Tavrin_GetCaptureWindowEx(handle, *(ctypes.byref(v) for v in values))
        _, left, width, _, top, height = (v.value for v in values)
        return ReadoutRegion(left, top, width, height)

    @readout_region.setter
    def readout_region(self, region: Sequence[int]) -> None:
        handle = self._live("setting the readout region")
        left, top, width, height = self._checked_region(region)
        if self._stream is not None:
            raise TavrinError("setting the readout region", [], "stop() the stream first")
        total = [ctypes.c_int(0), ctypes.c_int(0)]
        sdk().Tavrin_GetCaptureWindowEx(handle, ctypes.byref(total[0]), None, None, ctypes.byref(total[1]), None,
                                        None)
        self._check(sdk().Tavrin_SetCaptureWindowEx(handle, total[0].value, left, width, total[1].value, top,
                                                    height), f"setting the readout region to {tuple(region)}")

    def _checked_region(self, region: Sequence[int]) -> ReadoutRegion:
        operation = f"setting the readout region to {region!r}"
        try:
            values = list(region)
        except TypeError:
            raise BadTypeError(operation, [SDKERR_PARAMETER], "give (left, top, width, height)") from None
        if len(values) != 4 or any(isinstance(v, bool) or not isinstance(v, int) for v in values):
            raise BadTypeError(operation, [SDKERR_PARAMETER], "give (left, top, width, height) as four ints")
        left, top, width, height = values
        info = CameraInfo(size=ctypes.sizeof(CameraInfo))
        self._check(sdk().Tavrin_GetCameraInfo(self.handle, ctypes.byref(info)), "reading the sensor size")
        sensor_width, sensor_height = info.sensorWidth, info.sensorHeight
        if min(values) < 0 or width < _MIN_WIDTH or height < _MIN_HEIGHT or left + width > sensor_width \
                or top + height > sensor_height:
            raise BadValueError(operation, [SDKERR_PARAMETER],
                                f"the region must lie within the {sensor_width} x {sensor_height} sensor and be at "
                                f"least {_MIN_WIDTH} x {_MIN_HEIGHT} pixels")
        return ReadoutRegion(left, top, width, height)

    def size_table(self) -> List[StoredSize]:
        """The readout windows stored for this camera, in their order; empty
        when the settings store keeps none (TAVRIN_REGISTRY=none)."""
        handle = self._live("reading the size table")
        count, selected = ctypes.c_int(0), ctypes.c_int(0)
        self._check(sdk().TavrinEx_GetSizeTable(handle, None, 0, ctypes.byref(count), ctypes.byref(selected)),
                    "reading the size table")
        entries = (SizeEntry * max(count.value, 1))()
        self._check(sdk().TavrinEx_GetSizeTable(handle, entries, count.value, ctypes.byref(count),
                                                ctypes.byref(selected)), "reading the size table")
        return [StoredSize(e.left, e.top, e.width, e.height, e.totalWidth, e.totalHeight, i == selected.value)
                for i, e in enumerate(entries[:count.value])]

    def use_stored_size(self, width: int, height: int) -> ReadoutRegion:
        """Reads the first readout window of the size table of that size
        from now on (Tavrin_SetCaptureWindow); the region it gives."""
        handle = self._live("choosing a stored readout window")
        operation = f"choosing the stored readout window {width} x {height}"
        if any(isinstance(v, bool) or not isinstance(v, int) for v in (width, height)):
            raise BadTypeError(operation, [SDKERR_PARAMETER], "width and height are ints")
        if self._stream is not None:
            raise TavrinError(operation, [], "stop() the stream first")
        if not sdk().Tavrin_SetCaptureWindow(handle, width, height):
            codes = self.take_errors()
            raise TavrinError(operation, codes, "size_table() lists the stored ones"
                              if codes[:1] == [_SDKERR_WINDOW] else "")
        return self.readout_region
