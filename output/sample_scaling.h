// Which conversion kernels bring the camera's samples to a file's sample
// range, chosen by the number of significant bits the caller states. A shift
// by 6 spreads 10-bit samples over 16 bits, a shift by 4 does it for 12-bit
// samples; for any other count the samples are written as they are.
#pragma once

#include <cstdint>

#include "imaging/pixel_kernel.h"

namespace tavrin {

struct SampleScaling {
    // Same sample layout, scaled; null when no scaling applies.
    PixelKernel gray16 = nullptr;
    PixelKernel rgb48 = nullptr;
    PixelKernel rgb64 = nullptr;
    // Scaled and turned from B, G, R to R, G, B; null when no scaling applies.
    PixelKernel rgb48Swapped = nullptr;
    PixelKernel rgb64Swapped = nullptr;
    // 16-bit gray to 8 bits with the rows reversed (never null).
    PixelKernel gray16To8Flipped = nullptr;
};

SampleScaling ScalingForSignificantBits(int32_t significantBits);

}  // namespace tavrin
