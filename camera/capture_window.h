// The readout region: total size, effective size and start of the image
// within the sensor, and the frame buffer count.
#pragma once

#include <atomic>
#include <cstdint>

namespace tavrin {

inline constexpr int32_t kSensorWidth = 656;
inline constexpr int32_t kSensorHeight = 494;

struct CaptureWindow {
    std::atomic<int32_t> TH{kSensorWidth};
    std::atomic<int32_t> TV{kSensorHeight};
    std::atomic<int32_t> EH{kSensorWidth};
    std::atomic<int32_t> EV{kSensorHeight};
    std::atomic<int32_t> EHS{0};
    std::atomic<int32_t> EVS{0};
    std::atomic<int32_t> Buf{4};
};

// The region lies inside the sensor and the sub-sample mode is one this
// model reads (it has only full resolution).
bool IsCaptureWindowValid(const CaptureWindow& window, int32_t subSample);

// The full sensor from (0, 0); the buffer count stays.
void ResetCaptureWindow(CaptureWindow& window);

}  // namespace tavrin
