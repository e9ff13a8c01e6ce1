// The facts of the one camera model this library serves, in one place: its
// name on the driver's device paths, the sensor's size, the ranges of gain
// and exposure, and the sensor clock that turns lines into time. Constants
// only, with no dependencies, so that every layer may read them.
#pragma once

#include <cstdint>

namespace tavrin::model {

// The base of the model's device paths.
inline constexpr const char* kModelName = "Tvrn860VXRUX";

// The sensor's full frame in pixels.
inline constexpr int kSensorWidth = 656;
inline constexpr int kSensorHeight = 494;

// Global gain register range and the value a selected camera starts with.
inline constexpr uint32_t kGainMin = 0;
inline constexpr uint32_t kGainMax = 1023;
inline constexpr uint32_t kGainDefault = 310;

// Exposure in line periods.
inline constexpr uint32_t kExposureMin = 2;
inline constexpr uint32_t kExposureMax = 524;

// The sensor clock: 36 MHz, a line period of 3080 clocks, and a fixed
// offset of 1480 clocks in every frame's exposure. The clock period is kept
// as the single-precision value the camera's firmware tables use, so that
// times round exactly as they always have.
inline constexpr uint32_t kSensorClockHz = 36000000;
inline constexpr double kLineLengthClocks = 3080.0;
inline constexpr double kLineOffsetClocks = 1480.0;
inline constexpr double kClockPeriodMs = 2.7777778086601757e-05;  // 1/36000 ms in single precision
inline constexpr double kLineTimeMs = 0.08555555650673341;        // kLineLengthClocks x kClockPeriodMs

// Significant bits of every sample the sensor delivers (16-bit transfers
// carry them in the low bits).
inline constexpr int kSignificantBits = 10;

// Frame slots in the ring the model streams through.
inline constexpr int kRingSlots = 4;

}  // namespace tavrin::model
