// Contrast: a lookup table that clips k = c * N / 256 entries at each end and
// stretches the rest linearly (negative c compresses towards the middle),
// rebuilt on every call and applied in place.
#pragma once

#include <cstdint>

#include "imaging/kernels/params.h"

namespace tavrin {

TAVRIN_PIXEL_KERNEL(Contrast8Mono);
TAVRIN_PIXEL_KERNEL(Contrast8Rgb);
TAVRIN_PIXEL_KERNEL(Contrast16Mono);
TAVRIN_PIXEL_KERNEL(Contrast16Rgb);

void BuildContrastTable8(int32_t contrast, uint8_t (&table)[256]);
// 1 << bits entries (bits limited to 8..16).
void BuildContrastTable16(int32_t contrast, int32_t bits, uint16_t* table);

}  // namespace tavrin
