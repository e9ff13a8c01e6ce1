// Bit-depth conversions for the consumers of the output image: the preview
// (same row order) and the writers that need the rows reversed (JPEG, AVI).
// Samples are unsigned; a conversion to 8 bits keeps the low 8 bits of the
// shifted value, so a 10-bit sample above 1023 wraps rather than saturates.
//
//   Gray16To8       16 -> 8   value >> 2         same row order
//   Gray16To8Flip   16 -> 8   value >> 2         reversed
//   Gray12To8Flip   16 -> 8   value >> 4         reversed
//   Rgb48To24       48 or 64 -> 24  first three words >> 2   same order
//   Rgb48To24Flip   48 or 64 -> 24  first three words >> 2   reversed
//   Rgb32To24       32 -> 24  first three bytes   same order
//
// All are conversion kernels (imaging/pixel_kernel.h): false when a layout does not fit.
#pragma once

#include "imaging/pixel_kernel.h"

namespace tavrin {

bool Gray16To8(const KernelArea& area);
bool Gray16To8Flip(const KernelArea& area);
bool Gray12To8Flip(const KernelArea& area);
bool Rgb48To24(const KernelArea& area);
bool Rgb48To24Flip(const KernelArea& area);
bool Rgb32To24(const KernelArea& area);

}  // namespace tavrin
