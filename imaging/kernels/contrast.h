// Contrast: a lookup table that clips k = c * N / 256 entries at each end and
// stretches the rest linearly (negative c compresses towards the middle),
// rebuilt on every call and applied in place.
#pragma once

#include <cstdint>

#include "imaging/kernels/params.h"

namespace tavrin {

bool Contrast8Mono(const KernelArea& area, const ToneParams& params);
bool Contrast8Rgb(const KernelArea& area, const ToneParams& params);
bool Contrast16Mono(const KernelArea& area, const ToneParams& params);
bool Contrast16Rgb(const KernelArea& area, const ToneParams& params);

void BuildContrastTable8(int32_t contrast, uint8_t (&table)[256]);
// 1 << bits entries (bits limited to 8..16).
void BuildContrastTable16(int32_t contrast, int32_t bits, uint16_t* table);

}  // namespace tavrin
