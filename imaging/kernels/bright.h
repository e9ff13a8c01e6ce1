// Brightness: every sample multiplied by one factor (single precision) from
// the setting v: 1 - |v| / 255 below zero, 1 + v / 25.5 above. In place.
#pragma once

#include "imaging/kernels/params.h"

namespace tavrin {

TAVRIN_PIXEL_KERNEL(Bright8Mono);
TAVRIN_PIXEL_KERNEL(Bright8Rgb);
TAVRIN_PIXEL_KERNEL(Bright16Mono);
TAVRIN_PIXEL_KERNEL(Bright16Rgb);

// The factor for a setting.
float BrightnessFactor(int32_t value);

// One sample through the brightness step: sample x factor in single
// precision, truncated and limited to 0..maxValue.
int32_t BrightSample(int32_t sample, float factor, int32_t maxValue);

}  // namespace tavrin
