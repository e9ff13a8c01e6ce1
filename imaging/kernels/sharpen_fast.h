// The AVX2 sharpness kernel for 8-bit images. Returns false when it does not
// handle the layout (the caller then uses the reference).
#pragma once

#include <cstdint>

#include "imaging/kernels/tone_area.h"

namespace tavrin {

bool Sharpen8Avx2(const ToneArea& area, int32_t channels, int32_t strength);

}  // namespace tavrin
