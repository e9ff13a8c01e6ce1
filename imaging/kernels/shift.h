// Sample scaling for the 16-bit writers (PNG, TIFF): a shift by 6 spreads
// 10-bit samples (0..1023) over the 16-bit range, a shift by 4 does the same
// for 12-bit samples. Shifts act on the unsigned 16-bit sample and keep its
// low 16 bits.
//
//   Gray16Shift4 / Gray16Shift6   16 -> 16   value << 4 / << 6
//   Rgb48Shift4 / Rgb48Shift6     48 -> 48   three words << 4 / << 6
//   Rgb64Shift4 / Rgb64Shift6     64 -> 64   three words << 4 / << 6, fourth word 0xFFFF (opaque)
//
// Same row order. Pixel kernels (imaging/pixel_kernel.h); they return 1.
#pragma once

#include "imaging/pixel_kernel.h"

namespace tavrin {

TAVRIN_PIXEL_KERNEL(Gray16Shift4);
TAVRIN_PIXEL_KERNEL(Gray16Shift6);
TAVRIN_PIXEL_KERNEL(Rgb48Shift4);
TAVRIN_PIXEL_KERNEL(Rgb48Shift6);
TAVRIN_PIXEL_KERNEL(Rgb64Shift4);
TAVRIN_PIXEL_KERNEL(Rgb64Shift6);

}  // namespace tavrin
