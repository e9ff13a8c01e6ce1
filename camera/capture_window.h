// The rule every readout region must meet before it reaches the sensor.
#pragma once

#include <cstdint>

#include "records/model_facts.h"
#include "records/settings_records.h"

namespace tavrin {

inline constexpr int32_t kSensorWidth = model::kSensorWidth;
inline constexpr int32_t kSensorHeight = model::kSensorHeight;

// The region lies inside the sensor and the sub-sample mode is one this
// model reads (it has only full resolution).
bool IsCaptureWindowValid(const CaptureWindow& window, int32_t subSample);

// The full sensor from (0, 0); the buffer count stays.
void ResetCaptureWindow(CaptureWindow& window);

}  // namespace tavrin
