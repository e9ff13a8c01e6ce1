// Exposure in time units: the sensor exposes in line periods, and a frame's
// exposure also carries a fixed offset (the clock facts are the model's).
#pragma once

#include <atomic>
#include <cstdint>

#include "records/model_facts.h"

namespace tavrin {

// Whole line periods that fit into the exposure time (may lie outside the
// sensor's range; the caller checks).
int64_t ExposureLinesForMicroseconds(int32_t microseconds);
// The exposure time of a number of lines, in whole microseconds.
int32_t MicrosecondsForExposureLines(int32_t lines);

// What the analog gain dialog shows the exposure time from. Zero line
// length and offset with a period of 1.0 until an acquisition preparation or
// a real exposure call fills it.
struct RealExposureCache {
    std::atomic<double> lineLengthClocks{0.0};
    std::atomic<double> lineOffsetClocks{0.0};
    std::atomic<int32_t> exposureLines{1};
    std::atomic<double> clockPeriodMs{1.0};
    std::atomic<int32_t> microseconds{0};

    // Fills the camera's timing and the time of the given lines; returns it.
    int32_t Update(int32_t lines);
};

}  // namespace tavrin
