#include "example_messages.h"

#include "TavrinPosix.h"

HWND example_window(void) { return TavrinPosix_CreateMessageWindow(); }

void example_close_window(HWND window) { TavrinPosix_DestroyWindow(window); }

unsigned example_wait(HWND window, int timeoutMs, uintptr_t* wParam, intptr_t* lParam) {
    TavrinMsg msg;
    if (!TavrinPosix_GetMessage(window, &msg, timeoutMs))
        return 0;
    *wParam = msg.wParam;
    *lParam = msg.lParam;
    return msg.message;
}
