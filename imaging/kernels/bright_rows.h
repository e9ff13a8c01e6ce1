// The brightness step over an area, per instruction set. `sampleBytes` is 1
// or 2; samples are limited to 0..maxValue.
#pragma once

#include <cstdint>

#include "imaging/kernels/kernel_area.h"

namespace tavrin {

void Bright_C(const KernelArea& area, int32_t channels, float factor, int32_t sampleBytes, int32_t maxValue);
void Bright_AVX2(const KernelArea& area, int32_t channels, float factor, int32_t sampleBytes, int32_t maxValue);
// 16-bit samples only (others go to the AVX2 version); only where the build
// compiles the AVX-512 files.
void Bright_AVX512(const KernelArea& area, int32_t channels, float factor, int32_t sampleBytes, int32_t maxValue);

}  // namespace tavrin
