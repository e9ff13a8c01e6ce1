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
    ConvertKernel gray16 = nullptr;
    ConvertKernel rgb48 = nullptr;
    ConvertKernel rgb64 = nullptr;
    // Scaled and turned from B, G, R to R, G, B; null when no scaling applies.
    ConvertKernel rgb48Swapped = nullptr;
    ConvertKernel rgb64Swapped = nullptr;
    // 16-bit gray to 8 bits with the rows reversed (never null).
    ConvertKernel gray16To8Flipped = nullptr;
};

SampleScaling ScalingForSignificantBits(int32_t significantBits);

}  // namespace tavrin
