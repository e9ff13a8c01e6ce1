// Notification windows for tests that go through the exports: a window owned
// by the calling thread and a way to take the messages the library posts.
#pragma once

#include <cstdint>

#include "TavrinSdk.h"

namespace tavrin::test {

struct PostedMessage {
    HWND window;
    unsigned int message;
    uintptr_t wParam;
    intptr_t lParam;
};

HWND CreateNotifyWindow();
void DestroyNotifyWindow(HWND window);
// The oldest message of the calling thread's queue for window (any, when
// null), waiting up to timeoutMs; false on time-out.
bool NextMessage(HWND window, PostedMessage& out, int timeoutMs);
// Drops everything queued for the calling thread.
void DrainMessages();

}  // namespace tavrin::test
