// Analog values: exposure in time units, the mirror flags and the automatic
// exposure mode.
#include "camera/analog_settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "camera/CTavrin.h"

namespace tavrin {

int64_t ExposureLinesForMicroseconds(int32_t microseconds) {
    return static_cast<int64_t>(std::floor(microseconds / 1000.0 / kLineTimeMs));
}

// The stored exposure may come from the registry unchecked, so the time is
// limited to what an int can carry.
int32_t MicrosecondsForExposureLines(int32_t lines) {
    const double time = std::floor((lines * kLineLengthClocks + kLineOffsetClocks) * kClockPeriodMs * 1000.0);
    const double limited = std::clamp(time, static_cast<double>(std::numeric_limits<int32_t>::min()),
                                      static_cast<double>(std::numeric_limits<int32_t>::max()));
    return static_cast<int32_t>(limited);
}

int32_t RealExposureCache::Update(int32_t lines) {
    lineLengthClocks.store(kLineLengthClocks, std::memory_order_relaxed);
    lineOffsetClocks.store(kLineOffsetClocks, std::memory_order_relaxed);
    clockPeriodMs.store(kClockPeriodMs, std::memory_order_relaxed);
    exposureLines.store(lines, std::memory_order_relaxed);
    const int32_t time = MicrosecondsForExposureLines(lines);
    microseconds.store(time, std::memory_order_relaxed);
    return time;
}

// 0 off, 1 automatic exposure, 2 automatic gain; the acquisition loop reads
// the mode for every frame. It needs no camera, and a bad mode is only
// posted.
int CTavrin::SetAutoIris(int mode) {
    if (mode < 0 || mode > 2) {
        Notify(kErrParameter);
        return 0;
    }
    analog_.Set(AnalogRecord::kAutoIris, mode);
    return 1;
}

int CTavrin::GetAutoIris(int* error) const {
    if (error != nullptr) {
        *error = 1;
    }
    return analog_.Get(AnalogRecord::kAutoIris);
}

}  // namespace tavrin
