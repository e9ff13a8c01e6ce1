// The sharpness step over an area, per instruction set: 8-bit samples
// (limited to 255) and 16-bit samples (limited to maxValue).
#pragma once

#include <cstdint>

#include "imaging/kernels/kernel_area.h"

namespace tavrin {

// 8-bit: then the whole destination area (the frame too) through `table256` when it is not null.
void Sharpen8_C(const KernelArea& area, int32_t channels, int32_t strength, const uint8_t* table256);
void Sharpen8_AVX2(const KernelArea& area, int32_t channels, int32_t strength, const uint8_t* table256);
void Sharpen8_AVX512(const KernelArea& area, int32_t channels, int32_t strength, const uint8_t* table256);
// The destination area of `area`, in place. Unnamed, as in kernel_area.h:
// the vector files never lend the other files a copy compiled for them.
namespace {
inline KernelArea DestinationOf(const KernelArea& a) {
    KernelArea d = a;
    d.src = a.dst;
    d.left = a.dstX;
    d.top = a.dstY;
    d.srcBytesPerPixel = a.dstBytesPerPixel;
    d.srcStride = a.dstStride;
    return d;
}
}  // namespace
void Sharpen16_C(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue);
// Column sums formed once per row segment; plain C++ the compiler vectorises.
void Sharpen16_SSE2(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue);
// 16-bit lanes while the samples allow them (sharpen_segment.h); the AVX-512
// version only where the build compiles the AVX-512 files.
void Sharpen16_AVX2(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue);
void Sharpen16_AVX512(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue);

}  // namespace tavrin
