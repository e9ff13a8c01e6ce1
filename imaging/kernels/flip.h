// Row-reversing copies for writers whose format stores the bottom line first.
//
//   FlipCopy    any -> same format: each whole row (the smaller of the two
//               strides in bytes), rows reversed. BMP and 8-bit JPEG.
//   Rgb24Flip   24 or 32 -> 24: the first three bytes of each pixel, rows
//               reversed. AVI.
//
// Pixel kernels (imaging/pixel_kernel.h); they return 1.
#pragma once

#include "imaging/pixel_kernel.h"

namespace tavrin {

TAVRIN_PIXEL_KERNEL(FlipCopy);
TAVRIN_PIXEL_KERNEL(Rgb24Flip);

}  // namespace tavrin
