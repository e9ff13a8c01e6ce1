// Brightness: every sample multiplied by one factor (single precision) from
// the setting v: 1 - |v| / 255 below zero, 1 + v / 25.5 above. In place.
#pragma once

#include "imaging/kernels/params.h"

namespace tavrin {

bool Bright8Mono(const KernelArea& area, const ToneParams& params);
bool Bright8Rgb(const KernelArea& area, const ToneParams& params);
bool Bright16Mono(const KernelArea& area, const ToneParams& params);
bool Bright16Rgb(const KernelArea& area, const ToneParams& params);

// The factor for a setting.
float BrightnessFactor(int32_t value);

// One sample through the brightness step: sample x factor in single
// precision, truncated and limited to 0..maxValue.
int32_t BrightSample(int32_t sample, float factor, int32_t maxValue);

}  // namespace tavrin
