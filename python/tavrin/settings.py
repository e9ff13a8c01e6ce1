"""The camera's settings as properties, each with the values it accepts."""

import ctypes

from ._library import sdk
from .errors import SDKERR_PARAMETER, TavrinError


class Setting:
    """A property of Camera. On the class (Camera.gain) it describes itself:
    name, allowed (a range, or a tuple of the accepted values) and doc."""

    def __init__(self, allowed, doc, filter_id=0, getter=None, setter=None, read=None, write=None):
        self.allowed = allowed
        self.__doc__ = doc
        self.filter_id = filter_id
        self._getter, self._setter = getter, setter
        self._read = read or (lambda value: value)
        self._write = write or (lambda value: value)
        self.name = None

    def __set_name__(self, owner, name):
        self.name = name

    def __repr__(self):
        return f"<setting {self.name}: {self.allowed}; {self.__doc__}>"

    def __get__(self, camera, owner=None):
        if camera is None:
            return self
        handle = camera.handle
        if self.filter_id:
            ok = ctypes.c_int(0)
            value = sdk().Tavrin_GetFilterValue(handle, self.filter_id, ctypes.byref(ok))
        else:
            ok = ctypes.c_int(0)
            value = self._getter(handle, ok)
        if not ok.value:
            raise TavrinError(f"reading {self.name}", camera.take_errors())
        return self._read(value)

    def __set__(self, camera, value):
        value = int(value)
        if value not in self.allowed:
            raise TavrinError(f"setting {self.name} to {value}", [SDKERR_PARAMETER],
                              f"{self.name} accepts {_describe(self.allowed)}")
        sdk_value = self._write(value)
        if self.filter_id:
            done = sdk().Tavrin_SetFilterValue(camera.handle, self.filter_id, sdk_value)
        else:
            done = self._setter(camera.handle, sdk_value)
        if not done:
            raise TavrinError(f"setting {self.name} to {value}", camera.take_errors())


def _describe(allowed):
    if isinstance(allowed, range):
        return f"{allowed.start} to {allowed.stop - 1}"
    return ", ".join(str(v) for v in allowed)


def _with_error_out(name):
    def get(handle, ok):
        return getattr(sdk(), name)(handle, ctypes.byref(ok))
    return get


def _plain(name, valid=lambda value: True):
    def get(handle, ok):
        value = getattr(sdk(), name)(handle)
        ok.value = int(valid(value))
        return value
    return get


def _setter(name):
    return lambda handle, value: getattr(sdk(), name)(handle, value)


# Tavrin_GetColorMode answers with the significant bits (10 for 16, 42 for
# 48, 58 for 64); the property answers with what was set.
_MODE_BITS = {8: 8, 10: 16, 24: 24, 32: 32, 42: 48, 58: 64}
_ANY = range(-2**31, 2**31)


class SettingsMixin:
    """The settings of one camera; Camera inherits them."""

    gain = Setting(range(0, 1024), "analog gain of the sensor: 0 is 1x, 1023 is 8x", 13)
    exposure_lines = Setting(range(2, 525), "exposure in sensor lines", 18)
    exposure_us = Setting(range(172, 44917), "exposure in microseconds (whole lines of 85.6 us)",
                          getter=_with_error_out("Tavrin_GetRealExposureTime"),
                          setter=_setter("Tavrin_SetRealExposureTime"))
    auto_iris = Setting(range(0, 3), "0 off, 1 automatic exposure, 2 automatic gain",
                        getter=_with_error_out("Tavrin_GetAutoIris"), setter=_setter("Tavrin_SetAutoIris"))
    color_mode = Setting((8, 16, 24, 32, 48, 64), "bits per pixel of the images snap() and frames() give",
                         getter=_plain("Tavrin_GetColorMode", lambda v: v in _MODE_BITS),
                         setter=_setter("Tavrin_SetColorMode"), read=lambda v: _MODE_BITS[v])
    wait_time = Setting(range(0, 2**31), "milliseconds the stream waits before each frame",
                        getter=_plain("Tavrin_GetWaitTime", lambda v: v >= 0), setter=_setter("Tavrin_SetWaitTime"))
    mirror_h = Setting((0, 1), "mirror the image left to right",
                       getter=_plain("Tavrin_GetMirrorH"), setter=_setter("Tavrin_SetMirrorH"))
    mirror_v = Setting((0, 1), "mirror the image top to bottom",
                       getter=_plain("Tavrin_GetMirrorV"), setter=_setter("Tavrin_SetMirrorV"))
    brightness = Setting(range(-255, 256), "added to every sample", 1)
    contrast = Setting(range(-127, 128), "contrast around mid level; 0 leaves it", 2)
    hue = Setting(range(-360, 361), "hue rotation in degrees (colour modes)", 3)
    saturation = Setting(range(-255, 256), "colour saturation; 0 leaves it", 4)
    sharpness = Setting(range(0, 31), "sharpening strength; 0 off", 5)
    bayer_gain_rgb = Setting(_ANY, "red, green and blue gains packed in bytes 0, 1 and 2", 6)
    bayer_gain_red = Setting(range(0, 401), "red gain in per cent (colour modes)", 7)
    bayer_gain_green = Setting(range(0, 401), "green gain in per cent (colour modes)", 8)
    bayer_gain_blue = Setting(range(0, 401), "blue gain in per cent (colour modes)", 9)
    white_balance = Setting(_ANY, "automatic white balance (stored as 0 or 1)", 10)
    gamma = Setting(range(0, 201), "tone curve; 100 is neutral", 11)
    bayer_mode = Setting(range(0, 4), "colour filter phase at the first pixel", 12)
    gray_mode = Setting(range(0, 3), "monochrome modes: 0 off, 1 gray gains and offsets, 2 colour to gray", 19)
    gray_gain_r = Setting(range(0, 256), "gray gain of red sites; 128 is unity", 20)
    gray_gain_g1 = Setting(range(0, 256), "gray gain of first green sites; 128 is unity", 21)
    gray_gain_g2 = Setting(range(0, 256), "gray gain of second green sites; 128 is unity", 22)
    gray_gain_b = Setting(range(0, 256), "gray gain of blue sites; 128 is unity", 23)
    gray_offset_r = Setting(range(-255, 256), "gray offset of red sites", 24)
    gray_offset_g1 = Setting(range(-255, 256), "gray offset of first green sites", 25)
    gray_offset_g2 = Setting(range(-255, 256), "gray offset of second green sites", 26)
    gray_offset_b = Setting(range(-255, 256), "gray offset of blue sites", 27)
    gray_auto_balance = Setting((0, 1), "1: the next frame in gray mode 1 balances the gray gains", 28)

    @classmethod
    def settings(cls):
        """Every setting, by name."""
        return {name: value for name, value in vars(SettingsMixin).items() if isinstance(value, Setting)}
