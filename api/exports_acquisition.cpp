// The acquisition exports: each finds its camera object and forwards.
#include "TavrinSdk.h"
#include "api/export_frame.h"

using tavrin::CallCamera;
using tavrin::CTavrin;

namespace {

tavrin::platform::WindowHandle Window(HWND window) { return reinterpret_cast<tavrin::platform::WindowHandle>(window); }

const char16_t* Utf16(const TavrinWChar* text) { return reinterpret_cast<const char16_t*>(text); }

}  // namespace

extern "C" {

TAVRIN_API int TAVRIN_CALL Tavrin_Preview(int h) {
    return CallCamera(h, [](CTavrin& c) { return c.Acquisition().Preview(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_CallBackPreview(int h, HWND window, BYTE* buffer, int size, int rowOrder) {
    return CallCamera(
        h, [=](CTavrin& c) { return c.Acquisition().CallBackPreview(Window(window), buffer, size, rowOrder); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_StartPreview(int h) {
    return CallCamera(h, [](CTavrin& c) { return c.Acquisition().StartPreview(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_StopPreview(int h) {
    return CallCamera(h, [](CTavrin& c) { return c.Acquisition().StopPreview(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_Capture(int h) {
    return CallCamera(h, [](CTavrin& c) { return c.Acquisition().Capture(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SnapShot(int h, BYTE* buffer, int size, int rowOrder) {
    return CallCamera(h, [=](CTavrin& c) { return c.Acquisition().SnapShot(buffer, size, rowOrder); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_GetImage(int h, BYTE* buffer, int size, int rowOrder) {
    return CallCamera(h, [=](CTavrin& c) { return c.Acquisition().GetImage(buffer, size, rowOrder); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_Trigger(int h, HWND window, BYTE* buffer, int size, int rowOrder) {
    return CallCamera(h, [=](CTavrin& c) { return c.Acquisition().Trigger(Window(window), buffer, size, rowOrder); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_Close(int h) {
    return CallCamera(h, [](CTavrin& c) { return c.Close(); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_Record(int h, const char* fileName, int milliseconds, int showPreview) {
    return CallCamera(h, [=](CTavrin& c) { return c.Acquisition().Record(fileName, milliseconds, showPreview); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_RecordW(int h, const TavrinWChar* fileName, int milliseconds, int showPreview) {
    return CallCamera(h,
                      [=](CTavrin& c) { return c.Acquisition().RecordW(Utf16(fileName), milliseconds, showPreview); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SaveImage(int h, const char* fileName, int format) {
    return CallCamera(h, [=](CTavrin& c) { return c.Acquisition().SaveImage(fileName, format); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SaveImageW(int h, const TavrinWChar* fileName, int format) {
    return CallCamera(h, [=](CTavrin& c) { return c.Acquisition().SaveImageW(Utf16(fileName), format); });
}

}  // extern "C"
