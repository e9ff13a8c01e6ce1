// The exported built-in dialogs. Each finds its camera object and forwards.
#include "TavrinSdk.h"
#include "api/export_frame.h"
#include "camera/dialog_launchers.h"

using tavrin::CallCamera;
using tavrin::CTavrin;

namespace {

tavrin::platform::WindowHandle Window(HWND window) { return reinterpret_cast<tavrin::platform::WindowHandle>(window); }

}  // namespace

TAVRIN_API int TAVRIN_CALL Tavrin_SetCameraDlg(int h, HWND parent) {
    return CallCamera(h, [=](CTavrin& c) { return tavrin::SetCameraDlg(c, Window(parent)); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetAnalogDlg(int h, HWND parent) {
    return CallCamera(h, [=](CTavrin& c) { return tavrin::SetAnalogDlg(c, Window(parent)); });
}

TAVRIN_API int TAVRIN_CALL Tavrin_SetImageDlg(int h, HWND parent) {
    return CallCamera(h, [=](CTavrin& c) { return tavrin::SetImageDlg(c, Window(parent)); });
}
