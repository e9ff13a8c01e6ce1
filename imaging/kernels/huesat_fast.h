// The AVX2 hue and saturation kernel for 24- and 32-bit images. Returns false
// when it does not handle the layout (the caller then uses the reference).
#pragma once

#include "imaging/kernels/huesat_pixel.h"
#include "imaging/kernels/tone_area.h"

namespace tavrin {

bool HueSat8Avx2(const ToneArea& area, const HueSatTables& tables, huesat::HueShift shift);
// 48- and 64-bit images whose samples are reduced by `sampleShift` bits.
bool HueSat16Avx2(const ToneArea& area, const HueSatTables& tables, huesat::HueShift shift, int32_t sampleShift);

}  // namespace tavrin
