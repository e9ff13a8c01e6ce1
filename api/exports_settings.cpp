// The exported settings functions: output format, readout region, filter
// values, analog values, device access and enumeration. Each finds its
// camera object and forwards.
#include "api/TavrinSdk.h"
#include "api/export_frame.h"

using tavrin::CallCamera;
using tavrin::CallCameraOr;
using tavrin::CTavrin;

namespace {

tavrin::platform::WindowHandle Window(HWND window) { return reinterpret_cast<tavrin::platform::WindowHandle>(window); }

}  // namespace

extern "C" {

// Image format and readout region

TAVRIN_API int TAVRIN_CALL Tavrin_SetColorMode(int h, int bits) {
    return CallCamera(h, [=](CTavrin& c) { return c.SetColorMode(bits); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetColorMode(int h) {
    return CallCameraOr(-1, h, [](CTavrin& c) { return c.GetColorMode(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetSubSample(int h, int mode) {
    return CallCamera(h, [=](CTavrin& c) { return c.SetSubSample(mode); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetSubSample(int h) {
    return CallCameraOr(-1, h, [](CTavrin& c) { return c.SubSample(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetWaitTime(int h, int milliseconds) {
    return CallCamera(h, [=](CTavrin& c) { return c.SetWaitTime(milliseconds); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetWaitTime(int h) {
    return CallCameraOr(-1, h, [](CTavrin& c) { return c.GetWaitTime(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetCaptureWindowEx(int h, int* th, int* ehs, int* eh, int* tv, int* evs, int* ev) {
    return CallCamera(h, [=](CTavrin& c) { return c.GetCaptureWindowEx(th, ehs, eh, tv, evs, ev); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetPreviewWindow(int h, HWND parent, int x, int y, int width, int height) {
    return CallCamera(h, [=](CTavrin& c) { return c.SetPreviewWindow(Window(parent), x, y, width, height); });
}

// Analog and device settings

TAVRIN_API int TAVRIN_CALL Tavrin_SetAutoIris(int h, int mode) {
    return CallCamera(h, [=](CTavrin& c) { return c.SetAutoIris(mode); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetAutoIris(int h, int* error) {
    return CallCamera(h, [=](CTavrin& c) { return c.GetAutoIris(error); });
}

}  // extern "C"
