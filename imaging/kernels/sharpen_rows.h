// The sharpness step over an area, per instruction set: 8-bit samples
// (limited to 255) and 16-bit samples (limited to maxValue).
#pragma once

#include <cstdint>

#include "imaging/kernels/kernel_area.h"

namespace tavrin {

void Sharpen8_C(const KernelArea& area, int32_t channels, int32_t strength);
void Sharpen8_AVX2(const KernelArea& area, int32_t channels, int32_t strength);
void Sharpen8_AVX512(const KernelArea& area, int32_t channels, int32_t strength);
void Sharpen16_C(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue);
// Column sums formed once per row segment; plain C++ the compiler vectorises.
void Sharpen16_SSE2(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue);

}  // namespace tavrin
