// Message windows for POSIX hosts (see TavrinPosix.h).
#include "TavrinPosix.h"
#include "platform/message_windows.h"

namespace {

tavrin::platform::WindowHandle Window(HWND window) { return reinterpret_cast<tavrin::platform::WindowHandle>(window); }

}  // namespace

extern "C" {

TAVRIN_API HWND TavrinPosix_CreateMessageWindow(void) {
    try {
        return reinterpret_cast<HWND>(tavrin::platform::CreateMessageWindow());
    } catch (...) {
        return nullptr;
    }
}

TAVRIN_API int TavrinPosix_DestroyWindow(HWND hwnd) {
    return tavrin::platform::DestroyMessageWindow(Window(hwnd)) ? 1 : 0;
}

TAVRIN_API int TavrinPosix_PostMessage(HWND hwnd, unsigned int message, uintptr_t wParam, intptr_t lParam) {
    try {
        return tavrin::platform::PostWindowMessage(Window(hwnd), message, wParam, lParam) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

TAVRIN_API int TavrinPosix_GetMessage(HWND hwnd, TavrinMsg* out, int timeoutMs) {
    if (out == nullptr) {
        return 0;
    }
    try {
        tavrin::platform::Message message{};
        if (!tavrin::platform::ReceiveMessage(Window(hwnd), message, timeoutMs < 0 ? -1 : timeoutMs)) {
            return 0;
        }
        *out = TavrinMsg{reinterpret_cast<HWND>(message.window), message.message, message.wParam, message.lParam};
        return 1;
    } catch (...) {
        return 0;
    }
}

TAVRIN_API int TavrinPosix_PeekMessage(HWND hwnd, TavrinMsg* out) { return TavrinPosix_GetMessage(hwnd, out, 0); }

}  // extern "C"
