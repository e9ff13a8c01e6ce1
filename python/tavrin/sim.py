"""Control of the simulated camera built into the SDK, for tests and demos.

Call configure() before the first Camera is made: the library reads
TAVRIN_SIM when it first needs the driver."""

from __future__ import annotations

import os
from typing import Union

import numpy as np
import numpy.typing as npt

from ._library import sdk

LIT_SCENE, FLAT, RAMP, COLOR_BARS = 0, 1, 2, 3
FAULT_FRAME_FAILS, FAULT_FRAME_SHORT, FAULT_FRAME_STALLS, FAULT_COMMAND_FAILS, FAULT_OPEN_FAILS = 1, 2, 3, 4, 5


def configure(slots: Union[str, int] = "0", **options: Union[int, str, "os.PathLike[str]"]) -> None:
    """Chooses the simulated camera: slots like "0" or "0,2"; options such as
    pattern=3, level=512, interval=0 (milliseconds per frame), light=100
    (per cent of the simulated lamp, which suits the camera's defaults;
    light=2 is an ordinary room). replay=PATH puts the camera of a recorded
    session (tavrin.session) in slot 0, with pace="recorded" or "fast",
    end="stall", "unplug" or "loop", strict=1."""
    def text(key: str, value: Union[int, str, "os.PathLike[str]"]) -> str:
        if key == "replay":
            path = os.fspath(value) if not isinstance(value, int) else str(value)
            if ";" in path:
                raise ValueError(f"a replayed session's path cannot hold ';': {path!r}")
            return path
        if key in ("pace", "end"):
            return str(value)
        if isinstance(value, (int, str)):
            return str(int(value))
        raise TypeError(f"{key} takes a number, not {value!r}")
    items = [str(slots)] + [f"{key}={text(key, value)}" for key, value in options.items()]
    os.environ["TAVRIN_SIM"] = ";".join(items)


def _ok(result: int) -> None:
    if not result:
        raise RuntimeError("the simulated camera refused (is it active, is the slot right?)")


def is_active() -> bool:
    return bool(sdk().TavrinSim_IsActive())


def set_present(slot: int, present: bool) -> None:
    _ok(sdk().TavrinSim_SetPresent(slot, int(bool(present))))


def fire_trigger(slot: int = 0) -> None:
    _ok(sdk().TavrinSim_FireTrigger(slot))


def set_pattern(slot: int, pattern: int, level: int = 512) -> None:
    _ok(sdk().TavrinSim_SetPattern(slot, pattern, level))


def load_frame(slot: int, samples: npt.ArrayLike) -> None:
    """The camera sends this exact 10-bit mosaic (a 2-D array) from now on."""
    samples = np.ascontiguousarray(samples, dtype=np.uint16)
    height, width = samples.shape
    _ok(sdk().TavrinSim_LoadFrame(slot, samples.ctypes.data, width, height))


def inject_fault(slot: int, fault: int, count: int = 1) -> None:
    _ok(sdk().TavrinSim_InjectFault(slot, fault, count))


def frame_count(slot: int = 0) -> int:
    return int(sdk().TavrinSim_GetFrameCount(slot))


def replay_report() -> str:
    """A strict replay's report of the first request that differed from the
    recording; "" when there is none."""
    from .session import replay_report as report
    return report()
