// On Windows the library posts real window messages: the platform layer's
// message-only windows and queue reads serve the tests.
#include "platform/message_windows.h"
#include "support/notify_window.h"

namespace tavrin::test {

HWND CreateNotifyWindow() { return static_cast<HWND>(platform::CreateMessageWindow()); }

void DestroyNotifyWindow(HWND window) { platform::DestroyMessageWindow(window); }

bool NextMessage(HWND window, PostedMessage& out, int timeoutMs) {
    platform::Message msg{};
    if (!platform::ReceiveMessage(window, msg, timeoutMs)) {
        return false;
    }
    out = PostedMessage{static_cast<HWND>(msg.window), msg.message, msg.wParam, msg.lParam};
    return true;
}

void DrainMessages() {
    platform::Message msg{};
    while (platform::ReceiveMessage(nullptr, msg, 0)) {
    }
}

}  // namespace tavrin::test
