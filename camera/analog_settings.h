// Exposure in time units: the sensor exposes in line periods of 3080 clocks
// at 36 MHz, and a frame's exposure also carries a fixed offset of 1480
// clocks. The clock period is kept as the single-precision value the
// camera's firmware tables use, so that times round exactly as they always
// have.
#pragma once

#include <atomic>
#include <cstdint>

namespace tavrin {

inline constexpr double kLineLengthClocks = 3080.0;
inline constexpr double kLineOffsetClocks = 1480.0;
inline constexpr double kClockPeriodMs = 2.7777778086601757e-05;  // 1/36000 ms in single precision
inline constexpr double kLineTimeMs = 0.08555555650673341;        // kLineLengthClocks x kClockPeriodMs

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
