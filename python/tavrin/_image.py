"""Images as numpy arrays: the SDK's pixel layouts, the buffer an image is
copied into, and the array made from it without a further copy where the
layout allows."""

from __future__ import annotations

from typing import Any, NamedTuple, Optional, Tuple, Type

import numpy as np
import numpy.typing as npt

from ._library import FrameMeta

# Per colour mode (bits per pixel as set): sample type and channels.
_LAYOUTS: dict[int, Tuple[Type[np.unsignedinteger[Any]], int]] = {
    8: (np.uint8, 1), 16: (np.uint16, 1), 24: (np.uint8, 3), 32: (np.uint8, 4), 48: (np.uint16, 3),
    64: (np.uint16, 4)}

Image = npt.NDArray[Any]


class Layout(NamedTuple):
    """How the SDK lays out one image: rows of stride bytes (padded to a
    multiple of 4), each holding width pixels of channels samples."""
    width: int
    height: int
    dtype: Type[np.unsignedinteger[Any]]
    channels: int
    stride: int

    @classmethod
    def of(cls, mode: int, width: int, height: int) -> "Layout":
        dtype, channels = _LAYOUTS[mode]
        row = width * channels * np.dtype(dtype).itemsize
        return cls(width, height, dtype, channels, (row + 3) & ~3)

    @property
    def size(self) -> int:
        return self.stride * self.height

    def buffer(self) -> npt.NDArray[np.uint8]:
        """A fresh buffer for one image (the array made from it keeps it)."""
        return np.empty(self.size, np.uint8)

    def to_array(self, buffer: npt.NDArray[np.uint8], bgr: bool) -> Image:
        """The image in the buffer as an array, top line first: (height,
        width) or (height, width, channels). The buffer becomes the array's
        memory; only padded rows and the change to red-first order move
        pixels again."""
        row = self.width * self.channels * np.dtype(self.dtype).itemsize
        rows = buffer.reshape(self.height, self.stride)
        if row != self.stride:
            rows = np.ascontiguousarray(rows[:, :row])
        image = rows.view(self.dtype)
        if self.channels == 1:
            return image.reshape(self.height, self.width)
        image = image.reshape(self.height, self.width, self.channels)
        if not bgr:  # the SDK's pixels are blue, green, red (, alpha)
            blue = image[..., 0].copy()
            image[..., 0] = image[..., 2]
            image[..., 2] = blue
        if self.channels == 4:  # the SDK leaves alpha 0; an image is opaque
            image[..., 3] = np.iinfo(self.dtype).max
        return image


class Frame:
    """One frame of a running stream: its pixels (array, as snap() gives
    them) and its record. number counts every frame the camera sent since
    the stream started (from 1), so every gap shows as a jump in number;
    dropped counts the frames the SDK announced to nobody (grab() also
    passes over the announced frames that queued while the caller was busy,
    to give the newest). time_ns is the host's monotonic clock when the
    frame's transfer completed. np.asarray(frame) is its array."""

    __slots__ = ("array", "number", "time_ns", "dropped", "exposure_lines", "gain")

    def __init__(self, array: Image, meta: FrameMeta) -> None:
        self.array = array
        self.number = int(meta.frameNumber)
        self.time_ns = int(meta.captureTimeNs)
        self.dropped = int(meta.droppedFrames)
        self.exposure_lines = int(meta.exposureLines)
        self.gain = int(meta.gain)

    def __array__(self, dtype: Optional[npt.DTypeLike] = None, copy: Optional[bool] = None) -> Image:
        if dtype is None and not copy:
            return self.array
        return np.array(self.array, dtype=dtype, copy=True)

    def __repr__(self) -> str:
        return (f"<Frame {self.number} {self.array.shape} {self.array.dtype}, dropped {self.dropped}, "
                f"t={self.time_ns} ns>")
