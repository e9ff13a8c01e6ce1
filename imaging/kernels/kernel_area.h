// What the kernel files share about their areas (KernelArea, in
// imaging/pixel_kernel.h): row starts, sample access and limits. Internal to
// the kernel files.
#pragma once

#include <cstdint>
#include <cstring>

#include "imaging/kernels/params.h"

namespace tavrin {

// Kept in an unnamed namespace so that the AVX2 files, which include this
// too, never lend the other files a copy compiled for AVX2.
namespace {

// Start of row y of the area (first pixel of the rectangle) in either image.
inline const uint8_t* SourceRowOf(const KernelArea& a, int32_t y) {
    return a.src + static_cast<intptr_t>(a.top + y) * a.srcStride + static_cast<intptr_t>(a.left) * a.srcBytesPerPixel;
}
inline uint8_t* DestRowOf(const KernelArea& a, int32_t y) {
    return a.dst + static_cast<intptr_t>(a.dstY + y) * a.dstStride + static_cast<intptr_t>(a.dstX) * a.dstBytesPerPixel;
}

inline int32_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void Store16(uint8_t* p, int32_t value) {
    const auto v = static_cast<uint16_t>(value);
    std::memcpy(p, &v, 2);
}

inline int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Significant bits of a 16-bit image limited to 8..16, and its largest value.
inline int32_t SignificantBits(int32_t bits) { return Clamp(bits, 8, 16); }
inline int32_t MaxValueOf(int32_t bits) { return (1 << SignificantBits(bits)) - 1; }

// Calls fn(sample) -> sample for `channels` samples of every pixel, reading
// the source and writing the destination (the same memory when in place).
// Sample is uint8_t or uint16_t.
template <typename Sample, typename Fn>
inline void MapSamples(const KernelArea& a, int32_t channels, const Fn& fn) {
    for (int32_t y = 0; y < a.height; ++y) {
        const uint8_t* in = SourceRowOf(a, y);
        uint8_t* out = DestRowOf(a, y);
        for (int32_t x = 0; x < a.width; ++x, in += a.srcBytesPerPixel, out += a.dstBytesPerPixel) {
            for (int32_t c = 0; c < channels; ++c) {
                if constexpr (sizeof(Sample) == 1) {
                    out[c] = static_cast<uint8_t>(fn(in[c]));
                } else {
                    Store16(out + 2 * c, fn(Load16(in + 2 * c)));
                }
            }
        }
    }
}

}  // namespace
}  // namespace tavrin
