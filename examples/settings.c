/* settings: change settings and read them back. Setters return 1 or 0;
 * getters return the value and set an optional "ok" flag to 1 or 0.
 *
 *   TAVRIN_SIM=0 ./settings                                            */
#include <stdio.h>

#include "TavrinSdk.h"

int main(void) {
    int camera = Tavrin_Initialize(NULL);
    if (camera == 0)
        return 1;
    int failures = 0, ok = 0;
    /* Settings live in the settings store and come back in the next run, so
     * this example puts back what it found. */
    const int gain = Tavrin_GetGlobalGain(camera, &ok), exposure = Tavrin_GetExposureTime(camera, &ok);
    const int gamma = Tavrin_GetGamma(camera, &ok), brightness = Tavrin_GetBrightness(camera, &ok);

    /* Analog gain 0..1023 and exposure in lines 2..524 go to the sensor. */
    failures += !Tavrin_SetGlobalGain(camera, 200);
    failures += !Tavrin_SetExposureTime(camera, 150);
    /* Image processing: gamma (100 neutral) and brightness (-255..255). */
    failures += !Tavrin_SetGamma(camera, 120);
    failures += !Tavrin_SetBrightness(camera, -10);

    printf("gain %d\n", Tavrin_GetGlobalGain(camera, &ok));
    printf("exposure %d lines = %d us\n", Tavrin_GetExposureTime(camera, &ok), Tavrin_GetRealExposureTime(camera, &ok));
    printf("gamma %d, brightness %d\n", Tavrin_GetGamma(camera, &ok), Tavrin_GetBrightness(camera, &ok));

    /* A value outside the range is refused, and the queue says why. */
    if (Tavrin_SetGlobalGain(camera, 5000)) {
        ++failures;
    } else {
        int code = Tavrin_GetLastError(camera);
        printf("gain 5000 refused with SDK error %d%s\n", code, code == SDKERR_PARAMETER ? " (SDKERR_PARAMETER)" : "");
    }

    failures += !Tavrin_SetGlobalGain(camera, gain) + !Tavrin_SetExposureTime(camera, exposure);
    failures += !Tavrin_SetGamma(camera, gamma) + !Tavrin_SetBrightness(camera, brightness);
    Tavrin_Release(camera);
    return failures == 0 ? 0 : 1;
}
