// Monochrome kernels: per-cell gray gain and offset, and gray from colour.
#pragma once

#include "imaging/kernels/params.h"

namespace tavrin {

// out = offset + sample * gain / 128, limited to 0..M, with gain and offset
// chosen by the pixel's Bayer cell (GrayParams). In place on the raw image.
bool GrayGain8(const KernelArea& area, const GrayParams& params);
bool GrayGain16(const KernelArea& area, const GrayParams& params);

// out = (30 red + 59 green + 11 blue) / 100, from a 24/32-bit source into 8 bits.
bool RgbToGray8(const KernelArea& area);

// Largest sample value for a record's number of significant bits, as the gray
// gain and the automatic gray gain use it (there it is the saturation level):
// 255 for 8, 1023 for 10, 4095 for 12, 16383 for 14, 65535 otherwise.
int32_t GrayMaxValue(int32_t bits);

}  // namespace tavrin
