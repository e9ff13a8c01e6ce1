/* stream: continuous frames, one WM_SDK_FRAME message per frame, read with
 * a message loop. On Linux and other POSIX systems a "window" is a message
 * window of TavrinPosix.h, read with TavrinPosix_GetMessage.
 *
 *   TAVRIN_SIM=0 ./stream [frames]                                     */
#include <stdio.h>
#include <stdlib.h>

#include "TavrinPosix.h"

int main(int argc, char** argv) {
    int wanted = argc > 1 ? atoi(argv[1]) : 10;

    /* The window belongs to this thread: messages for it queue here. */
    HWND window = TavrinPosix_CreateMessageWindow();
    int camera = Tavrin_Initialize(window); /* errors are posted to it too */
    if (camera == 0)
        return 1;
    Tavrin_SetColorMode(camera, 8);
    Tavrin_SetPreviewWindow(camera, NULL, 0, 0, 0, 0);

    int width = Tavrin_Width(camera), height = Tavrin_Height(camera);
    int stride = (width + 3) & ~3;
    int size = stride * height;
    BYTE* image = malloc((size_t)size);

    /* Each frame is copied into `image` (top line first), then announced. */
    if (image == NULL || !Tavrin_CallBackPreview(camera, window, image, size, 1)) {
        fprintf(stderr, "cannot start: SDK error %d\n", Tavrin_GetLastError(camera));
        return 1;
    }

    int frames = 0, result = 0;
    TavrinMsg msg;
    while (frames < wanted && TavrinPosix_GetMessage(window, &msg, 10000)) {
        if (msg.message == WM_SDK_ERROR || (msg.message == WM_SDK_FRAME && msg.wParam == 0)) {
            fprintf(stderr, "streaming failed: SDK error %ld\n", (long)msg.lParam);
            result = 1;
            break;
        }
        if (msg.message == WM_SDK_FRAME) {
            /* wParam points at the frame record; the SDK rewrites it (and
             * the buffer) for the next frame, so use them promptly. */
            const TavrinFrameInfo* info = (const TavrinFrameInfo*)msg.wParam;
            printf("frame %d: %d x %d, %d bits, rate %d.%d fps, first pixel %d\n", ++frames, info->width, info->height,
                   info->bitsPerPixel, info->frameRate / 10, info->frameRate % 10, image[0]);
        }
    }
    if (frames < wanted)
        result = 1;

    Tavrin_StopPreview(camera); /* waits until no frame is being delivered */
    Tavrin_Release(camera);
    TavrinPosix_DestroyWindow(window);
    free(image);
    return result;
}
