// Row-reversing copies for writers whose format stores the bottom line first.
//
//   FlipCopy    any -> same format: each whole row (the smaller of the two
//               strides in bytes), rows reversed. BMP and 8-bit JPEG.
//   Rgb24Flip   24 or 32 -> 24: the first three bytes of each pixel, rows
//               reversed. AVI.
//
// Conversion kernels (imaging/pixel_kernel.h): false when a layout does not fit.
#pragma once

#include "imaging/pixel_kernel.h"

namespace tavrin {

bool FlipCopy(const KernelArea& area);
bool Rgb24Flip(const KernelArea& area);

}  // namespace tavrin
