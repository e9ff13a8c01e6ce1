/* A message window and a wait for the SDK's messages, for the examples that
 * are not about the message loop itself (one implementation per system). */
#ifndef EXAMPLE_MESSAGES_H
#define EXAMPLE_MESSAGES_H

#include "TavrinSdk.h"

/* A window of the calling thread that receives the SDK's messages. */
HWND example_window(void);
void example_close_window(HWND window);
/* Waits up to timeoutMs for WM_SDK_FRAME or WM_SDK_ERROR on the window.
 * Returns the message (0 on time-out) and its wParam and lParam. */
unsigned example_wait(HWND window, int timeoutMs, uintptr_t* wParam, intptr_t* lParam);

#endif
