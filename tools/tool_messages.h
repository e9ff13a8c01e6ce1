// The notification window of the command-line tool and a way to wait for
// the SDK's messages on it (a message-only window on Windows, a message
// window of TavrinPosix.h elsewhere).
#pragma once

#include <cstdint>

#include "TavrinSdk.h"

namespace tavrin::tool {

struct SdkMessage {
    unsigned int message;
    uintptr_t wParam;
    intptr_t lParam;
};

HWND CreateToolWindow();
void DestroyToolWindow(HWND window);
// The next message for the window or the thread, waiting up to timeoutMs.
bool WaitSdkMessage(HWND window, SdkMessage& out, int timeoutMs);
// Sets an environment variable for this process (and so for the SDK).
void SetToolEnvironment(const char* name, const char* value);

}  // namespace tavrin::tool
