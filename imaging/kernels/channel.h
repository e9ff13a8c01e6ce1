// Channel order and alpha for the writers whose formats want red first
// (TIFF) or an opaque alpha (PNG). Same row order; in place is allowed.
//
//   Rgb24Swap          24 -> 24, 32 -> 32   out = (in[2], in[1], in[0]); a fourth byte is not written
//   Rgb32InvertAlpha   32 -> 32             three bytes copied, fourth = NOT source's fourth
//   Rgb48SwapShift4/6  48 -> 48             out = (in[2], in[1], in[0]) << 4 / << 6
//   Rgb64SwapShift4/6  64 -> 64             as 48, fourth word 0xFFFF
//
// Pixel kernels (imaging/pixel_kernel.h); they return 1.
#pragma once

#include "imaging/pixel_kernel.h"

namespace tavrin {

TAVRIN_PIXEL_KERNEL(Rgb24Swap);
TAVRIN_PIXEL_KERNEL(Rgb32InvertAlpha);
TAVRIN_PIXEL_KERNEL(Rgb48SwapShift4);
TAVRIN_PIXEL_KERNEL(Rgb48SwapShift6);
TAVRIN_PIXEL_KERNEL(Rgb64SwapShift4);
TAVRIN_PIXEL_KERNEL(Rgb64SwapShift6);

}  // namespace tavrin
