// Channel order and alpha for the writers whose formats want red first
// (TIFF) or an opaque alpha (PNG). Same row order; in place is allowed.
//
//   Rgb24Swap          24 -> 24, 32 -> 32   out = (in[2], in[1], in[0]); a fourth byte is not written
//   Rgb32InvertAlpha   32 -> 32             three bytes copied, fourth = NOT source's fourth
//   Rgb48SwapShift4/6  48 -> 48             out = (in[2], in[1], in[0]) << 4 / << 6
//   Rgb64SwapShift4/6  64 -> 64             as 48, fourth word 0xFFFF
//
// Conversion kernels (imaging/pixel_kernel.h): false when a layout does not fit.
#pragma once

#include "imaging/pixel_kernel.h"

namespace tavrin {

bool Rgb24Swap(const KernelArea& area);
bool Rgb32InvertAlpha(const KernelArea& area);
bool Rgb48SwapShift4(const KernelArea& area);
bool Rgb48SwapShift6(const KernelArea& area);
bool Rgb64SwapShift4(const KernelArea& area);
bool Rgb64SwapShift6(const KernelArea& area);

}  // namespace tavrin
