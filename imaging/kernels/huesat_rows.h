// The hue and saturation step over an area, per instruction set: 24/32-bit
// images, and 48/64-bit images whose samples are reduced by `sampleShift`.
#pragma once

#include <cstdint>

#include "imaging/kernels/huesat_pixel.h"
#include "imaging/kernels/tone_area.h"

namespace tavrin {

void HueSatArea8_C(const ToneArea& area, const HueSatTables& tables, huesat::HueShift shift);
void HueSatArea8_AVX2(const ToneArea& area, const HueSatTables& tables, huesat::HueShift shift);
void HueSatArea16_C(const ToneArea& area, const HueSatTables& tables, huesat::HueShift shift, int32_t sampleShift);
void HueSatArea16_AVX2(const ToneArea& area, const HueSatTables& tables, huesat::HueShift shift,
                       int32_t sampleShift);

}  // namespace tavrin
