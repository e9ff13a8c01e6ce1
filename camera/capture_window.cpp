#include "camera/capture_window.h"

namespace tavrin {

bool IsCaptureWindowValid(const CaptureWindow& window, int32_t subSample) {
    const int64_t eh = window.EH.load(std::memory_order_relaxed);
    const int64_t ev = window.EV.load(std::memory_order_relaxed);
    const int64_t ehs = window.EHS.load(std::memory_order_relaxed);
    const int64_t evs = window.EVS.load(std::memory_order_relaxed);
    const bool inside = eh >= 0 && ev >= 0 && ehs >= 0 && evs >= 0 && eh <= kSensorWidth && ev <= kSensorHeight &&
                        ehs <= kSensorWidth && evs <= kSensorHeight && ehs + eh <= kSensorWidth &&
                        evs + ev <= kSensorHeight;
    const bool subSampleAllowed =
        !(subSample == 1 || subSample == 2 || subSample == 3 || subSample == 17 || subSample == 18 || subSample == 19);
    return inside && subSampleAllowed;
}

void ResetCaptureWindow(CaptureWindow& window) {
    window.TH = kSensorWidth;
    window.TV = kSensorHeight;
    window.EH = kSensorWidth;
    window.EV = kSensorHeight;
    window.EHS = 0;
    window.EVS = 0;
}

}  // namespace tavrin
