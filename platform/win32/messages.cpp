#include <windows.h>

#include "platform/message_windows.h"

namespace tavrin::platform {

bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return PostMessageA(static_cast<HWND>(window), message, wParam, lParam) != FALSE;
}

bool WindowExists(WindowHandle window) { return window != nullptr && ::IsWindow(static_cast<HWND>(window)); }

// Message-only windows of the system's STATIC class serve as notification
// windows for tests and for the command-line tool.
WindowHandle CreateMessageWindow() {
    return CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
}

bool DestroyMessageWindow(WindowHandle window) { return DestroyWindow(static_cast<HWND>(window)) != FALSE; }

bool ReceiveMessage(WindowHandle window, Message& out, int timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg{};
        if (PeekMessageA(&msg, static_cast<HWND>(window), 0, 0, PM_REMOVE)) {
            out = Message{msg.hwnd, msg.message, msg.wParam, msg.lParam};
            return true;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (timeoutMs >= 0 && elapsed >= static_cast<DWORD>(timeoutMs)) {
            return false;
        }
        const DWORD left = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs) - elapsed;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT);
    }
}

}  // namespace tavrin::platform
