/* stream: continuous frames, one WM_SDK_FRAME message per frame, handled by
 * a window procedure. On Windows the SDK posts real window messages, so any
 * window of the program can receive them; here a message-only window.
 *
 *   set TAVRIN_SIM=0 & stream.exe [frames]                             */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "TavrinSdk.h"

static int g_wanted = 10, g_frames = 0, g_result = 0;
static BYTE* g_image;

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SDK_FRAME && wParam != 0) {
        const TavrinFrameInfo* info = (const TavrinFrameInfo*)wParam;
        printf("frame %d: %d x %d, %d bits, rate %d.%d fps, first pixel %d\n", ++g_frames, info->width, info->height,
               info->bitsPerPixel, info->frameRate / 10, info->frameRate % 10, g_image[0]);
        if (g_frames >= g_wanted)
            PostQuitMessage(0);
        return 0;
    }
    if (message == WM_SDK_ERROR || message == WM_SDK_FRAME) { /* a failure carries its code */
        fprintf(stderr, "streaming failed: SDK error %ld\n", (long)lParam);
        g_result = 1;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int main(int argc, char** argv) {
    g_wanted = argc > 1 ? atoi(argv[1]) : 10;
    WNDCLASSA windowClass = {0};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "TavrinStreamExample";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                  windowClass.hInstance, NULL);

    int camera = Tavrin_Initialize(window);
    if (camera == 0)
        return 1;
    Tavrin_SetColorMode(camera, 8);
    Tavrin_SetPreviewWindow(camera, NULL, 0, 0, 0, 0);
    int stride = (Tavrin_Width(camera) + 3) & ~3;
    int size = stride * Tavrin_Height(camera);
    g_image = malloc((size_t)size);
    if (g_image == NULL || !Tavrin_CallBackPreview(camera, window, g_image, size, 1)) {
        fprintf(stderr, "cannot start: SDK error %d\n", Tavrin_GetLastError(camera));
        return 1;
    }

    /* An ordinary message loop; give up after 10 s without a message. */
    UINT_PTR timer = SetTimer(NULL, 0, 10000, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.wParam == timer)
            break;
        DispatchMessageA(&msg);
    }
    KillTimer(NULL, timer);

    Tavrin_StopPreview(camera);
    Tavrin_Release(camera);
    DestroyWindow(window);
    free(g_image);
    return g_result != 0 || g_frames < g_wanted;
}
