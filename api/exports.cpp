// The exported functions: each finds its camera object and forwards.
#include "TavrinSdk.h"
#include "api/export_frame.h"

using tavrin::CallCamera;
using tavrin::CallCameraOr;
using tavrin::CTavrin;

namespace {

constexpr int kDllVersion = 27919647;  // 0x01AA051F

tavrin::platform::WindowHandle Window(HWND window) { return reinterpret_cast<tavrin::platform::WindowHandle>(window); }

}  // namespace

extern "C" {

// Lifecycle and errors

TAVRIN_API int TAVRIN_CALL Tavrin_Initialize(HWND notifyWindow) {
    try {
        return tavrin::SdkChain().CreateHandle(Window(notifyWindow));
    } catch (...) {
        return 0;
    }
}

TAVRIN_API int TAVRIN_CALL Tavrin_Release(int h) {
    try {
        return tavrin::SdkChain().Release(h);
    } catch (...) {
        return 0;
    }
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetDllVersion(void) { return kDllVersion; }

TAVRIN_API int TAVRIN_CALL Tavrin_GetLastError(int h) {
    return CallCamera(h, [](CTavrin& c) { return c.TakeLastError(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetStatus(int h, void*) {
    return CallCamera(h, [](CTavrin&) { return 0; });
}

// Device selection and information

TAVRIN_API int TAVRIN_CALL Tavrin_SetDeviceNumber(int h, int index) {
    return CallCamera(h, [=](CTavrin& c) { return c.SelectDevice(index); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_Width(int h) {
    return CallCamera(h, [](CTavrin& c) { return c.Width(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_Height(int h) {
    return CallCamera(h, [](CTavrin& c) { return c.Height(); });
}

// Register configuration file (no device library object needed)

TAVRIN_API int TAVRIN_CALL Tavrin_LoadConfigFileA(int h, const char* fileName) {
    return CallCamera(h, [=](CTavrin& c) { return c.LoadConfigFile(fileName); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_LoadConfigFileW(int h, const TavrinWChar* fileName) {
    return CallCamera(h, [=](CTavrin& c) { return c.LoadConfigFileW(reinterpret_cast<const char16_t*>(fileName)); });
}

// Operations this camera model does not have

TAVRIN_API int TAVRIN_CALL Tavrin_Fpga_ReadRegister(int h, int, int*) {
    return CallCamera(h, [](CTavrin& c) { return c.Settings().Unsupported(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_Fpga_WriteRegister(int h, int, int) {
    return CallCamera(h, [](CTavrin& c) { return c.Settings().Unsupported(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_Fps(int h) {
    return CallCamera(h, [](CTavrin& c) { return c.Settings().Unsupported(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetHalfClock(int h, int*) {
    return CallCamera(h, [](CTavrin& c) { return c.Settings().Unsupported(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetHalfClock(int h, int) {
    return CallCamera(h, [](CTavrin& c) { return c.Settings().Unsupported(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetCrossbar(int h, int, int) {
    return CallCamera(h, [](CTavrin& c) { return c.Settings().Unsupported(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetSamplingRate(int h, int) {
    return CallCamera(h, [](CTavrin& c) { return c.Settings().Unsupported(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetConfigFilter(int h, int, int*) {
    return CallCamera(h, [](CTavrin& c) { return c.Settings().UnsupportedFilter(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetConfigFilter(int h, int, int) {
    return CallCamera(h, [](CTavrin& c) { return c.Settings().UnsupportedFilter(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetSamplingRate(int h, int* rate) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().UnsupportedQuery(rate); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetVideoFormat(int h, int* format) {
    return CallCamera(h, [=](CTavrin& c) { return c.Settings().UnsupportedQuery(format); });
}

}  // extern "C"
