"""The camera's settings as properties, made at import from the SDK's
settings catalogue (TavrinEx_DescribeSetting): one per setting, named as the
tool names it with '_' for '-', with the values it accepts and its meaning."""

import ctypes
import numbers

from ._library import SETTING_APPLIES_AT_START, SETTING_LIST, SettingInfo, sdk
from .errors import SDKERR_PARAMETER, BadTypeError, BadValueError, TavrinError

_INT_MIN, _INT_MAX = -2**31, 2**31 - 1


class Setting:
    """A property of Camera. On the class (Camera.gain) it describes itself:
    name, allowed (a range, or a tuple of the accepted values), default,
    unit, group and doc, as the SDK's catalogue gives them."""

    def __init__(self, info):
        self.sdk_name = info.name
        self.name = info.name.decode("ascii").replace("-", "_")
        self.kind = info.kind
        self.filter_id = info.filterId
        if info.kind == SETTING_LIST:
            self.allowed = tuple(info.values[:info.valueCount])
        else:
            self.allowed = range(info.minimum, info.maximum + 1)
        self.default = info.defaultValue
        self.unit = info.unit.decode("ascii")
        self.group = info.group.decode("ascii")
        self.applies_at_start = bool(info.flags & SETTING_APPLIES_AT_START)
        unit = f" {self.unit}" if self.unit else ""
        self.__doc__ = (f"{info.meaning.decode('ascii')}; {_describe(self.allowed)}{unit}, "
                        f"default {self.default}")

    def __repr__(self):
        return f"<setting {self.name}: {self.__doc__}>"

    def __get__(self, camera, owner=None):
        if camera is None:
            return self
        camera._live(f"reading {self.name}")
        value = ctypes.c_int(0)
        if not sdk().TavrinEx_GetSetting(camera.handle, self.sdk_name, ctypes.byref(value)):
            raise TavrinError(f"reading {self.name}", camera.take_errors())
        return value.value

    def __set__(self, camera, value):
        camera._live(f"setting {self.name}")
        number = _whole_number(value)
        accepts = f"{self.name} accepts {_describe(self.allowed)}"
        if number is None:
            refused = BadValueError if isinstance(value, numbers.Real) and not isinstance(value, bool) \
                else BadTypeError
            raise refused(f"setting {self.name} to {value!r}", [SDKERR_PARAMETER], f"{accepts}, as a whole number")
        if number not in self.allowed:  # checked here, before the SDK is called
            raise BadValueError(f"setting {self.name} to {number}", [SDKERR_PARAMETER], accepts)
        if not sdk().TavrinEx_SetSetting(camera.handle, self.sdk_name, number):
            raise TavrinError(f"setting {self.name} to {number}", camera.take_errors(),
                              accepts if number not in self.allowed else "")


def _whole_number(value):
    """The int a value stands for, or None. True and False are refused, as
    they are rarely meant as 1 and 0, and so are fractions."""
    if isinstance(value, bool) or type(value).__name__ == "bool_":
        return None
    if isinstance(value, numbers.Integral):
        return int(value)
    if isinstance(value, numbers.Real) and float(value).is_integer():
        return int(value)
    return None


def _describe(allowed):
    if isinstance(allowed, range):
        if allowed.stop - 1 == _INT_MAX:
            return f"{allowed.start} or more"
        if allowed.start == 0 and allowed.stop == 2:
            return "0 or 1"
        return f"{allowed.start} to {allowed.stop - 1}"
    return ", ".join(str(v) for v in allowed[:-1]) + f" or {allowed[-1]}"


def _catalogue():
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
    """The settings of one camera; Camera inherits them."""

    @classmethod
    def settings(cls):
        """Every setting, by name."""
        return {name: value for name, value in vars(SettingsMixin).items() if isinstance(value, Setting)}


for _name, _setting in _catalogue().items():
    setattr(SettingsMixin, _name, _setting)
