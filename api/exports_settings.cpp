// The exported settings functions: output format, readout region, filter
// values, analog values, device access and enumeration. Each finds its
// camera object and forwards.
#include "TavrinSdk.h"
#include "api/export_frame.h"
#include "camera/filter_settings.h"

using tavrin::CallCamera;
using tavrin::CallCameraOr;
using tavrin::CTavrin;

using enum tavrin::FilterId;

namespace {

int GetFilter(int h, int id, int* error) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().GetFilterValue(id, error); });
}

int SetFilter(int h, int id, int value) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().SetFilterValue(id, value); });
}

// The wide names are UTF-16 on every platform.
char16_t* Utf16(TavrinWChar* text) { return reinterpret_cast<char16_t*>(text); }

tavrin::platform::WindowHandle Window(HWND window) { return reinterpret_cast<tavrin::platform::WindowHandle>(window); }

}  // namespace

extern "C" {

// Device selection and information

TAVRIN_API int TAVRIN_CALL Tavrin_EnumDevice(int h, char* names) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().EnumDevice(names); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_EnumDeviceW(int h, TavrinWChar* names) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().EnumDeviceW(Utf16(names)); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetDeviceName(int h, int index, char* name, int size) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().GetDeviceName(index, name, size); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetDeviceNameW(int h, int index, TavrinWChar* name, int size) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().GetDeviceNameW(index, Utf16(name), size); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetCameraInfo(int h, TavrinCameraInfo* info) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().GetCameraInfo(info); });
}

// Image format and readout region

TAVRIN_API int TAVRIN_CALL Tavrin_SetColorMode(int h, int bits) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().SetColorMode(bits); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetColorMode(int h) {
    return CallCameraOr(-1, h, [](CTavrin& c) { return c.Settings().GetColorMode(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetSubSample(int h, int mode) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().SetSubSample(mode); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetSubSample(int h) {
    return CallCameraOr(-1, h, [](CTavrin& c) { return c.Context().SubSample(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetWaitTime(int h, int milliseconds) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().SetWaitTime(milliseconds); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetWaitTime(int h) {
    return CallCameraOr(-1, h, [](CTavrin& c) { return c.Settings().GetWaitTime(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetCaptureWindow(int h, int width, int height) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().SetCaptureWindow(width, height); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetCaptureWindowEx(int h, int th, int ehs, int eh, int tv, int evs, int ev) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().SetCaptureWindowEx(th, ehs, eh, tv, evs, ev); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetCaptureWindowEx(int h, int* th, int* ehs, int* eh, int* tv, int* evs, int* ev) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().GetCaptureWindowEx(th, ehs, eh, tv, evs, ev); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetPreviewWindow(int h, HWND parent, int x, int y, int width, int height) {
    return CallCamera(h,
                      [=](CTavrin& c) { return c.Settings().SetPreviewWindow(Window(parent), x, y, width, height); });
}

// Filter values, each named export one identifier of the table

TAVRIN_API int TAVRIN_CALL Tavrin_GetFilterValue(int h, int id, int* e) { return GetFilter(h, id, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetFilterValue(int h, int id, int v) { return SetFilter(h, id, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetBrightness(int h, int* e) { return GetFilter(h, kFilterBrightness, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetBrightness(int h, int v) { return SetFilter(h, kFilterBrightness, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetContrast(int h, int* e) { return GetFilter(h, kFilterContrast, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetContrast(int h, int v) { return SetFilter(h, kFilterContrast, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetHue(int h, int* e) { return GetFilter(h, kFilterHue, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetHue(int h, int v) { return SetFilter(h, kFilterHue, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetSaturation(int h, int* e) { return GetFilter(h, kFilterSaturation, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetSaturation(int h, int v) { return SetFilter(h, kFilterSaturation, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetSharpness(int h, int* e) { return GetFilter(h, kFilterSharpness, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetSharpness(int h, int v) { return SetFilter(h, kFilterSharpness, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainRGB(int h, int* e) { return GetFilter(h, kFilterBayerGainRgb, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainRGB(int h, int v) { return SetFilter(h, kFilterBayerGainRgb, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainRed(int h, int* e) { return GetFilter(h, kFilterBayerGainRed, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainRed(int h, int v) { return SetFilter(h, kFilterBayerGainRed, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainGreen(int h, int* e) { return GetFilter(h, kFilterBayerGainGreen, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainGreen(int h, int v) { return SetFilter(h, kFilterBayerGainGreen, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainBlue(int h, int* e) { return GetFilter(h, kFilterBayerGainBlue, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainBlue(int h, int v) { return SetFilter(h, kFilterBayerGainBlue, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainAuto(int h, int* e) { return GetFilter(h, kFilterBayerGainAuto, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainAuto(int h, int v) { return SetFilter(h, kFilterBayerGainAuto, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetGamma(int h, int* e) { return GetFilter(h, kFilterGamma, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetGamma(int h, int v) { return SetFilter(h, kFilterGamma, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerMode(int h, int* e) { return GetFilter(h, kFilterBayerMode, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerMode(int h, int v) { return SetFilter(h, kFilterBayerMode, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetGlobalGain(int h, int* e) { return GetFilter(h, kFilterGlobalGain, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetGlobalGain(int h, int v) { return SetFilter(h, kFilterGlobalGain, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorGainRed(int h, int* e) { return GetFilter(h, kFilterColorGainRed, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorGainRed(int h, int v) { return SetFilter(h, kFilterColorGainRed, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorGainGreen1(int h, int* e) { return GetFilter(h, kFilterColorGainGreen1, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorGainGreen1(int h, int v) { return SetFilter(h, kFilterColorGainGreen1, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorGainGreen2(int h, int* e) { return GetFilter(h, kFilterColorGainGreen2, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorGainGreen2(int h, int v) { return SetFilter(h, kFilterColorGainGreen2, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorGainBlue(int h, int* e) { return GetFilter(h, kFilterColorGainBlue, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorGainBlue(int h, int v) { return SetFilter(h, kFilterColorGainBlue, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetExposureTime(int h, int* e) { return GetFilter(h, kFilterExposure, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetExposureTime(int h, int v) { return SetFilter(h, kFilterExposure, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayMode(int h, int* e) { return GetFilter(h, kFilterGrayMode, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayMode(int h, int v) { return SetFilter(h, kFilterGrayMode, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayGainR(int h, int* e) { return GetFilter(h, kFilterGrayGainR, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayGainR(int h, int v) { return SetFilter(h, kFilterGrayGainR, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayGainG1(int h, int* e) { return GetFilter(h, kFilterGrayGainG1, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayGainG1(int h, int v) { return SetFilter(h, kFilterGrayGainG1, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayGainG2(int h, int* e) { return GetFilter(h, kFilterGrayGainG2, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayGainG2(int h, int v) { return SetFilter(h, kFilterGrayGainG2, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayGainB(int h, int* e) { return GetFilter(h, kFilterGrayGainB, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayGainB(int h, int v) { return SetFilter(h, kFilterGrayGainB, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayOffsetR(int h, int* e) { return GetFilter(h, kFilterGrayOffsetR, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayOffsetR(int h, int v) { return SetFilter(h, kFilterGrayOffsetR, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayOffsetG1(int h, int* e) { return GetFilter(h, kFilterGrayOffsetG1, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayOffsetG1(int h, int v) { return SetFilter(h, kFilterGrayOffsetG1, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayOffsetG2(int h, int* e) { return GetFilter(h, kFilterGrayOffsetG2, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayOffsetG2(int h, int v) { return SetFilter(h, kFilterGrayOffsetG2, v); }
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayOffsetB(int h, int* e) { return GetFilter(h, kFilterGrayOffsetB, e); }
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayOffsetB(int h, int v) { return SetFilter(h, kFilterGrayOffsetB, v); }

// Analog and device settings

TAVRIN_API int TAVRIN_CALL Tavrin_SetRealExposureTime(int h, int microseconds) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().SetRealExposureTime(microseconds); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetRealExposureTime(int h, int* error) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().GetRealExposureTime(error); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetMirrorH(int h, int flag) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().SetMirrorH(flag); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetMirrorH(int h) {
    return CallCamera(h, [](CTavrin& c) { return c.Settings().GetMirrorH(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetMirrorV(int h, int flag) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().SetMirrorV(flag); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetMirrorV(int h) {
    return CallCamera(h, [](CTavrin& c) { return c.Settings().GetMirrorV(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetAutoIris(int h, int mode) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().SetAutoIris(mode); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetAutoIris(int h, int* error) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().GetAutoIris(error); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetIOPort(int h, BYTE value) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().SetIOPort(value); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetIOPort(int h, BYTE* value, void*, int) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().GetIOPort(value); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_ReadRegister(int h, BYTE address, int* error) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().ReadRegister(address, error); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_ReadRegisterEx(int h, int address, int* error) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().ReadRegister(address, error); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_WriteRegister(int h, BYTE address, WORD value) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().WriteRegister(address, value); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_WriteRegisterEx(int h, int address, int value) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().WriteRegister(address, value); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_ReadSromID(int h, int address, int* error) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().ReadSromID(address, error); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_WriteSromID(int h, BYTE address, BYTE value) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().WriteSromID(address, value); });
}

}  // extern "C"
