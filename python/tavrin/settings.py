"""The camera's settings as properties, made at import from the SDK's
settings catalogue (TavrinEx_DescribeSetting): one per setting, named as the
tool names it with '_' for '-', with the values it accepts and its meaning."""

from __future__ import annotations

import ctypes
import numbers
from typing import TYPE_CHECKING, Dict, Optional, Tuple, Type, Union, overload

from ._library import SETTING_APPLIES_AT_START, SETTING_LIST, SettingInfo, sdk
from .errors import SDKERR_PARAMETER, BadTypeError, BadValueError, TavrinError

if TYPE_CHECKING:
    from ._core import CameraCore

Allowed = Union[range, Tuple[int, ...]]

_INT_MIN, _INT_MAX = -2**31, 2**31 - 1


class Setting:
    """A property of Camera. On the class (Camera.gain) it describes itself:
    name, allowed (a range, or a tuple of the accepted values), default,
    unit, group and doc, as the SDK's catalogue gives them."""

    def __init__(self, info: SettingInfo) -> None:
        self.sdk_name: bytes = info.name
        self.name: str = info.name.decode("ascii").replace("-", "_")
        self.kind: int = info.kind
        self.filter_id: int = info.filterId
        self.allowed: Allowed
        if info.kind == SETTING_LIST:
            self.allowed = tuple(info.values[:info.valueCount])
        else:
            self.allowed = range(info.minimum, info.maximum + 1)
        self.default: int = info.defaultValue
        self.unit = info.unit.decode("ascii")
        self.group = info.group.decode("ascii")
        self.applies_at_start = bool(info.flags & SETTING_APPLIES_AT_START)
        unit = f" {self.unit}" if self.unit else ""
        self.__doc__ = (f"{info.meaning.decode('ascii')}; {_describe(self.allowed)}{unit}, "
                        f"default {self.default}")

    def __repr__(self) -> str:
        return f"<setting {self.name}: {self.__doc__}>"

    @overload
    def __get__(self, camera: None, owner: Optional[type] = None) -> "Setting": ...

    @overload
    def __get__(self, camera: "CameraCore", owner: Optional[type] = None) -> int: ...

    def __get__(self, camera: Optional["CameraCore"], owner: Optional[type] = None) -> Union["Setting", int]:
        if camera is None:
            return self
        camera._live(f"reading {self.name}")
        value = ctypes.c_int(0)
        if not sdk().TavrinEx_GetSetting(camera.handle, self.sdk_name, ctypes.byref(value)):
            raise TavrinError(f"reading {self.name}", camera.take_errors())
        return value.value

    def __set__(self, camera: "CameraCore", value: object) -> None:
        camera._live(f"setting {self.name}")
        number = _whole_number(value)
        accepts = f"{self.name} accepts {_describe(self.allowed)}"
        if number is None:
            refused: Type[TavrinError] = BadValueError \
                if isinstance(value, numbers.Real) and not isinstance(value, bool) else BadTypeError
            raise refused(f"setting {self.name} to {value!r}", [SDKERR_PARAMETER], f"{accepts}, as a whole number")
        if number not in self.allowed:  # checked here, before the SDK is called
            raise BadValueError(f"setting {self.name} to {number}", [SDKERR_PARAMETER], accepts)
        if not sdk().TavrinEx_SetSetting(camera.handle, self.sdk_name, number):
            raise TavrinError(f"setting {self.name} to {number}", camera.take_errors(),
                              accepts if number not in self.allowed else "")


def _whole_number(value: object) -> Optional[int]:
    """The int a value stands for, or None. True and False are refused, as
    they are rarely meant as 1 and 0, and so are fractions."""
    if isinstance(value, bool) or type(value).__name__ == "bool_":
        return None
    if isinstance(value, numbers.Integral):
        return int(value)
    if isinstance(value, numbers.Real) and float(value).is_integer():
        return int(value)
    return None


def _describe(allowed: Allowed) -> str:
    if isinstance(allowed, range):
        if allowed.stop - 1 == _INT_MAX:
            return f"{allowed.start} or more"
        if allowed.start == 0 and allowed.stop == 2:
            return "0 or 1"
        return f"{allowed.start} to {allowed.stop - 1}"
    return ", ".join(str(v) for v in allowed[:-1]) + f" or {allowed[-1]}"


def _catalogue() -> Dict[str, Setting]:
    """Every setting of the SDK's catalogue, by Python name, in its order."""
    library = sdk()
    settings = {}
    for index in range(library.TavrinEx_GetSettingCount()):
        info = SettingInfo()
        info.size = ctypes.sizeof(info)
        if not library.TavrinEx_DescribeSetting(index, ctypes.byref(info)):
            raise OSError(f"the SDK library did not describe its setting {index}")
        setting = Setting(info)
        settings[setting.name] = setting
    return settings


class SettingsMixin:
    """The settings of one camera; Camera inherits them. On the class each
    is a Setting that describes itself (Camera.settings()["gain"])."""

    # The catalogue's settings as type checkers see them (the properties
    # themselves are made from the SDK's catalogue below; a test keeps the
    # two lists equal).
    gain: int
    exposure_lines: int
    exposure_us: int
    auto_iris: int
    color_mode: int
    wait_time: int
    mirror_h: int
    mirror_v: int
    brightness: int
    contrast: int
    hue: int
    saturation: int
    sharpness: int
    bayer_gain_rgb: int
    bayer_gain_red: int
    bayer_gain_green: int
    bayer_gain_blue: int
    white_balance: int
    gamma: int
    bayer_mode: int
    gray_mode: int
    gray_gain_r: int
    gray_gain_g1: int
    gray_gain_g2: int
    gray_gain_b: int
    gray_offset_r: int
    gray_offset_g1: int
    gray_offset_g2: int
    gray_offset_b: int
    gray_auto_balance: int

    @classmethod
    def settings(cls) -> Dict[str, Setting]:
        """Every setting, by name."""
        return {name: value for name, value in vars(SettingsMixin).items() if isinstance(value, Setting)}


for _name, _setting in _catalogue().items():
    setattr(SettingsMixin, _name, _setting)
