// Sample scaling for the 16-bit writers (PNG, TIFF): a shift by 6 spreads
// 10-bit samples (0..1023) over the 16-bit range, a shift by 4 does the same
// for 12-bit samples. Shifts act on the unsigned 16-bit sample and keep its
// low 16 bits.
//
//   Gray16Shift4 / Gray16Shift6   16 -> 16   value << 4 / << 6
//   Rgb48Shift4 / Rgb48Shift6     48 -> 48   three words << 4 / << 6
//   Rgb64Shift4 / Rgb64Shift6     64 -> 64   three words << 4 / << 6, fourth word 0xFFFF (opaque)
//
// Same row order. Conversion kernels (imaging/pixel_kernel.h): false when a
// layout does not fit.
#pragma once

#include "imaging/pixel_kernel.h"

namespace tavrin {

bool Gray16Shift4(const KernelArea& area);
bool Gray16Shift6(const KernelArea& area);
bool Rgb48Shift4(const KernelArea& area);
bool Rgb48Shift6(const KernelArea& area);
bool Rgb64Shift4(const KernelArea& area);
bool Rgb64Shift6(const KernelArea& area);

}  // namespace tavrin
