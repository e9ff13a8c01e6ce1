// The hue and saturation step over an area, per instruction set: 24/32-bit
// images, with the colour samples then through `table256` when it is not
// null, and 48/64-bit images whose samples are reduced by `sampleShift`.
#pragma once

#include <cstdint>

#include "imaging/kernels/huesat_pixel.h"
#include "imaging/kernels/kernel_area.h"

namespace tavrin {

void HueSatArea8_C(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift, const uint8_t* table256);
void HueSatArea8_AVX2(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift,
                      const uint8_t* table256);
void HueSatArea8_AVX512(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift,
                        const uint8_t* table256);
void HueSatArea16_C(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift, int32_t sampleShift);
void HueSatArea16_AVX2(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift, int32_t sampleShift);
void HueSatArea16_AVX512(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift,
                         int32_t sampleShift);

}  // namespace tavrin
