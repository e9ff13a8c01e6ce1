/* trigger: in trigger mode the camera sends a frame only when a trigger
 * pulse arrives. With the simulated camera the program fires the pulses
 * itself (TavrinSim_FireTrigger); a real camera takes them on its input.
 *
 *   TAVRIN_SIM=0 ./trigger [pulses]                                    */
#include <stdio.h>
#include <stdlib.h>

#include "TavrinSim.h"
#include "example_messages.h"

int main(int argc, char** argv) {
    int pulses = argc > 1 ? atoi(argv[1]) : 3;
    HWND window = example_window();
    int camera = Tavrin_Initialize(window);
    if (camera == 0)
        return 1;
    Tavrin_SetColorMode(camera, 8);
    Tavrin_SetPreviewWindow(camera, NULL, 0, 0, 0, 0);
    int size = ((Tavrin_Width(camera) + 3) & ~3) * Tavrin_Height(camera);
    BYTE* image = malloc((size_t)size);

    /* The SDK waits for triggered frames on a thread of its own and posts
     * WM_SDK_FRAME for each, like a callback preview. */
    if (image == NULL || !Tavrin_Trigger(camera, window, image, size, 1)) {
        fprintf(stderr, "cannot enter trigger mode: SDK error %d\n", Tavrin_GetLastError(camera));
        return 1;
    }

    int received = 0;
    for (int pulse = 1; pulse <= pulses; ++pulse) {
        if (!TavrinSim_FireTrigger(0)) {
            fprintf(stderr, "no simulated camera: run with TAVRIN_SIM=0\n");
            break;
        }
        uintptr_t wParam = 0;
        intptr_t lParam = 0;
        unsigned message = example_wait(window, 5000, &wParam, &lParam);
        if (message == WM_SDK_FRAME && wParam != 0) {
            const TavrinFrameInfo* info = (const TavrinFrameInfo*)wParam;
            printf("pulse %d: frame %d x %d, first pixel %d\n", pulse, info->width, info->height, image[0]);
            ++received;
        } else {
            fprintf(stderr, "pulse %d: no frame (message 0x%x, code %ld)\n", pulse, message, (long)lParam);
        }
    }

    Tavrin_StopPreview(camera); /* ends trigger mode */
    Tavrin_Release(camera);
    example_close_window(window);
    free(image);
    return received == pulses ? 0 : 1;
}
