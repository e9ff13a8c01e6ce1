// POSIX message windows and per-thread message queues: what a Win32 host
// gets from its window manager, reduced to what the SDK's messages need.
#pragma once

#include <cstdint>

#include "platform/messages.h"

namespace tavrin::platform {

struct Message {
    WindowHandle window;  // null for a thread message
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

// A window owned by the calling thread: messages posted to it queue there.
WindowHandle CreateMessageWindow();
// Destroys the window and drops the messages still queued for it.
bool DestroyMessageWindow(WindowHandle window);
// Takes the oldest message of the calling thread's queue (for window only,
// unless it is null). timeoutMs < 0 waits without a limit, 0 only peeks.
bool ReceiveMessage(WindowHandle window, Message& out, int timeoutMs);

}  // namespace tavrin::platform
