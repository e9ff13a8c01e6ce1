#include <windows.h>

#include "example_messages.h"

HWND example_window(void) {
    return CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, GetModuleHandleA(NULL), NULL);
}

void example_close_window(HWND window) { DestroyWindow(window); }

unsigned example_wait(HWND window, int timeoutMs, uintptr_t* wParam, intptr_t* lParam) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if ((msg.message == WM_SDK_FRAME || msg.message == WM_SDK_ERROR) && msg.hwnd == window) {
                *wParam = msg.wParam;
                *lParam = msg.lParam;
                return msg.message;
            }
            DispatchMessageA(&msg);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= (DWORD)timeoutMs)
            return 0;
        MsgWaitForMultipleObjects(0, NULL, FALSE, (DWORD)timeoutMs - elapsed, QS_ALLINPUT);
    }
}
