// The AVX2 brightness kernel for rows of packed samples. Returns false when it
// does not handle the layout (the caller then uses the reference).
#pragma once

#include <cstdint>

#include "imaging/kernels/tone_area.h"

namespace tavrin {

bool BrightAvx2(const ToneArea& area, int32_t channels, float factor, int32_t sampleBytes, int32_t maxValue);

}  // namespace tavrin
