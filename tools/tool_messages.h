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
// Watches the terminal for a key press while the object lives (the terminal
// is put in a mode that reports single keys, and restored after).
class KeyWatch {
public:
    KeyWatch();
    ~KeyWatch();
    KeyWatch(const KeyWatch&) = delete;
    KeyWatch& operator=(const KeyWatch&) = delete;
    bool Pressed();
};
// Sets an environment variable for this process (and so for the SDK).
void SetToolEnvironment(const char* name, const char* value);

}  // namespace tavrin::tool
