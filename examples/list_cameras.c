/* list_cameras: the cameras the SDK finds.
 *
 * Run it on the simulated camera with   TAVRIN_SIM=0 ./list_cameras   */
#include <stdio.h>

#include "TavrinSdk.h"

int main(void) {
    /* A handle is the SDK's camera object. No notification window is
     * needed here: errors are also kept in the handle's queue. */
    int camera = Tavrin_Initialize(NULL);
    if (camera == 0) {
        fprintf(stderr, "the SDK could not make a camera object\n");
        return 1;
    }

    /* Up to ten names in slots of 256 bytes each. */
    static char names[10][256];
    int count = Tavrin_EnumDevice(camera, &names[0][0]);
    printf("%d camera(s) found\n", count);
    for (int i = 0; i < count && i < 10; ++i) {
        printf("  %d: %s\n", i, names[i]);
    }

    Tavrin_Release(camera);
    return count > 0 ? 0 : 1;
}
