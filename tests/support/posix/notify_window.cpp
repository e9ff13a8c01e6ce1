// POSIX hosts read the library's own message queues through TavrinPosix.h.
#include "TavrinPosix.h"
#include "support/notify_window.h"

namespace tavrin::test {

HWND CreateNotifyWindow() { return TavrinPosix_CreateMessageWindow(); }

void DestroyNotifyWindow(HWND window) { TavrinPosix_DestroyWindow(window); }

bool NextMessage(HWND window, PostedMessage& out, int timeoutMs) {
    TavrinMsg msg{};
    if (!TavrinPosix_GetMessage(window, &msg, timeoutMs)) {
        return false;
    }
    out = PostedMessage{msg.hwnd, msg.message, msg.wParam, msg.lParam};
    return true;
}

void DrainMessages() {
    TavrinMsg msg{};
    while (TavrinPosix_PeekMessage(nullptr, &msg)) {
    }
}

}  // namespace tavrin::test
