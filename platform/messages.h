// Posting window messages with Win32 semantics. On Windows a window is an
// HWND; on POSIX it is a message window of include/TavrinPosix.h.
#pragma once

#include <cstdint>

namespace tavrin::platform {

using WindowHandle = void*;

// Queues a message for the window's thread (null: the calling thread's own
// queue) and returns at once; false when the window does not exist or its
// thread's queue already holds 10,000 messages (the Win32 limit).
bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// True while the window exists.
bool WindowExists(WindowHandle window);

}  // namespace tavrin::platform
