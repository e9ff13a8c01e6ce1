/* record_avi: record a few seconds of the stream into an AVI file.
 *
 *   TAVRIN_SIM=0 ./record_avi clip.avi [milliseconds]                  */
#include <stdio.h>
#include <stdlib.h>

#include "example_messages.h"

int main(int argc, char** argv) {
    const char* file = argc > 1 ? argv[1] : "clip.avi";
    int milliseconds = argc > 2 ? atoi(argv[2]) : 2000;
    HWND window = example_window(); /* receives WM_SDK_ERROR */
    int camera = Tavrin_Initialize(window);
    if (camera == 0)
        return 1;
    Tavrin_SetColorMode(camera, 24);
    Tavrin_SetPreviewWindow(camera, NULL, 0, 0, 0, 0);

    /* Recording streams by itself; the last argument asks for no preview. */
    if (!Tavrin_Record(camera, file, milliseconds, 0)) {
        fprintf(stderr, "cannot record to %s: SDK error %d\n", file, Tavrin_GetLastError(camera));
        return 1;
    }

    /* The recording ends after its time, counted from its first frame; wait
     * a little longer, watching for errors, then stop the stream. */
    int result = 0;
    uintptr_t wParam;
    intptr_t lParam;
    if (example_wait(window, milliseconds + 1000, &wParam, &lParam) == WM_SDK_ERROR) {
        fprintf(stderr, "recording failed: SDK error %ld\n", (long)lParam);
        result = 1;
    }
    Tavrin_StopPreview(camera);
    Tavrin_Release(camera);
    example_close_window(window);

    FILE* avi = fopen(file, "rb");
    char riff[12] = {0};
    if (avi == NULL || fread(riff, 1, sizeof riff, avi) != sizeof riff)
        result = 1;
    if (avi != NULL)
        fclose(avi);
    printf("%s: %s\n", file, result == 0 ? "recorded" : "not recorded");
    return result;
}
