/**
 * @file TavrinPosix.h
 * @brief Message windows for POSIX hosts.
 *
 * The SDK announces frames and errors by posting window messages. POSIX hosts
 * have no windows, so the library offers the least that those messages need:
 * a message window owned by the thread that creates it, and a message queue
 * per thread. Posting to a window queues to its owner thread; posting with a
 * NULL window queues to the posting thread's own queue, as Win32 does.
 */
#ifndef TAVRIN_POSIX_H
#define TAVRIN_POSIX_H

#include "TavrinSdk.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TavrinMsg {
    HWND hwnd;            /* NULL for a thread message */
    unsigned int message; /* WM_SDK_FRAME, WM_SDK_ERROR, ... */
    uintptr_t wParam;
    intptr_t lParam;
} TavrinMsg;

/* A window owned by the calling thread; NULL when it cannot be made. A
 * handle is an opaque number, never given to another window once this one
 * is destroyed: a stream still posting to a destroyed window reaches no
 * window made later. */
TAVRIN_API HWND TavrinPosix_CreateMessageWindow(void);
/* Destroys the window and drops the messages queued for it; 1/0. */
TAVRIN_API int TavrinPosix_DestroyWindow(HWND hwnd);
/* Posts a message (to hwnd's owner thread, or with NULL to the calling
 * thread's own queue); 0 for a destroyed or unknown window. */
TAVRIN_API int TavrinPosix_PostMessage(HWND hwnd, unsigned int message, uintptr_t wParam, intptr_t lParam);
/* Takes the oldest message of the calling thread's queue (only those for
 * hwnd when it is not NULL), waiting up to timeoutMs (-1: no limit).
 * Returns 1 with a message, 0 on time-out. */
TAVRIN_API int TavrinPosix_GetMessage(HWND hwnd, TavrinMsg* out, int timeoutMs);
/* The same without waiting. */
TAVRIN_API int TavrinPosix_PeekMessage(HWND hwnd, TavrinMsg* out);

#ifdef __cplusplus
}
#endif

#endif /* TAVRIN_POSIX_H */
