// The brightness step over an area, per instruction set. `sampleBytes` is 1
// or 2; samples are limited to 0..maxValue.
#pragma once

#include <cstdint>

#include "imaging/kernels/tone_area.h"

namespace tavrin {

void Bright_C(const ToneArea& area, int32_t channels, float factor, int32_t sampleBytes, int32_t maxValue);
void Bright_AVX2(const ToneArea& area, int32_t channels, float factor, int32_t sampleBytes, int32_t maxValue);

}  // namespace tavrin
