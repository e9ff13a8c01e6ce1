/* snap_png: take one 24-bit colour frame and save it as a PNG file.
 *
 *   TAVRIN_SIM=0 ./snap_png snapshot.png                              */
#include <stdio.h>
#include <stdlib.h>

#include "TavrinSdk.h"

/* Tavrin_SaveImage's format codes. */
enum { FORMAT_BMP = 0, FORMAT_RAW = 1, FORMAT_JPEG = 2, FORMAT_PNG = 5, FORMAT_TIFF = 6 };

static int fail(int camera, const char* what) {
    /* The newest code first; 0 when the queue is empty. */
    fprintf(stderr, "%s failed: SDK error %d\n", what, Tavrin_GetLastError(camera));
    Tavrin_Release(camera);
    return 1;
}

int main(int argc, char** argv) {
    const char* file = argc > 1 ? argv[1] : "snapshot.png";
    int camera = Tavrin_Initialize(NULL);
    if (camera == 0)
        return 1;

    /* 24 bits per pixel: blue, green, red; rows padded to 4 bytes. */
    if (!Tavrin_SetColorMode(camera, 24))
        return fail(camera, "setting the colour mode");
    /* No preview window: this program has no screen of its own. */
    Tavrin_SetPreviewWindow(camera, NULL, 0, 0, 0, 0);

    int width = Tavrin_Width(camera), height = Tavrin_Height(camera);
    int stride = (width * 3 + 3) & ~3;
    BYTE* pixels = malloc((size_t)stride * (size_t)height);
    if (pixels == NULL)
        return fail(camera, "allocating the image");

    /* One frame into our buffer, top line first (row-order flag 1). */
    if (!Tavrin_SnapShot(camera, pixels, stride * height, 1)) {
        free(pixels);
        return fail(camera, "taking a snapshot");
    }
    printf("centre pixel: blue %d, green %d, red %d\n", pixels[(height / 2) * stride + (width / 2) * 3],
           pixels[(height / 2) * stride + (width / 2) * 3 + 1], pixels[(height / 2) * stride + (width / 2) * 3 + 2]);
    free(pixels);

    /* The SDK keeps the last image, so it can also write it to a file. */
    if (!Tavrin_SaveImage(camera, file, FORMAT_PNG))
        return fail(camera, "saving the image");
    printf("saved %d x %d image to %s\n", width, height, file);

    Tavrin_Release(camera);
    return 0;
}
