#include <windows.h>
#include <commctrl.h>

#include <conio.h>

#include <cstdlib>

#include "tools/tool_messages.h"

namespace tavrin::tool {

HWND CreateToolWindow() {
    // The SDK's dialogs use the tab, trackbar and up-down controls, which the
    // host makes available.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    return CreateWindowExA(0, "STATIC", "tavrin", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

void DestroyToolWindow(HWND window) { DestroyWindow(window); }

bool WaitSdkMessage(HWND, SdkMessage& out, int timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg{};
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_SDK_FRAME || msg.message == WM_SDK_ERROR) {
                out = SdkMessage{msg.message, msg.wParam, msg.lParam};
                return true;
            }
            DispatchMessageA(&msg);
            continue;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= static_cast<DWORD>(timeoutMs)) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeoutMs) - elapsed, QS_ALLINPUT);
    }
}

void SetToolEnvironment(const char* name, const char* value) {
    _putenv_s(name, value);
    SetEnvironmentVariableA(name, value);
}

}  // namespace tavrin::tool

namespace tavrin::tool {

KeyWatch::KeyWatch() = default;
KeyWatch::~KeyWatch() = default;

bool KeyWatch::Pressed() {
    if (_kbhit() == 0) {
        return false;
    }
    _getch();
    return true;
}

}  // namespace tavrin::tool
