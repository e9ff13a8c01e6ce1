// The four entry points of a tone family come from one template: 8- or
// 16-bit samples, gray (one channel) or colour (blue, green, red; a fourth
// sample is left alone). A family is a type with
//   static void Apply8(const ToneArea& area, int32_t channels, const void* params);
//   static void Apply16(const ToneArea& area, int32_t channels, const void* params);
// and TAVRIN_TONE_FAMILY(Gamma, GammaStep) defines Gamma8Mono, Gamma8Rgb,
// Gamma16Mono and Gamma16Rgb over it. Internal to the kernel files.
#pragma once

#include <cstdint>

#include "imaging/kernels/tone_area.h"

namespace tavrin {
namespace {

template <typename Step, int32_t kSampleBytes, int32_t kChannels>
int32_t RunToneStep(const ToneArea& area, const void* params) {
    if constexpr (kSampleBytes == 1) {
        Step::Apply8(area, kChannels, params);
    } else {
        Step::Apply16(area, kChannels, params);
    }
    return 1;
}

}  // namespace
}  // namespace tavrin

#define TAVRIN_TONE_KERNEL(name, Step, sampleBytes, channels)                                                   \
    TAVRIN_PIXEL_KERNEL(name) {                                                                                \
        return RunToneStep<Step, sampleBytes, channels>(                                                       \
            AreaOf(dst, src, rect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride), params); \
    }

#define TAVRIN_TONE_FAMILY(family, Step)            \
    TAVRIN_TONE_KERNEL(family##8Mono, Step, 1, 1)   \
    TAVRIN_TONE_KERNEL(family##8Rgb, Step, 1, 3)    \
    TAVRIN_TONE_KERNEL(family##16Mono, Step, 2, 1)  \
    TAVRIN_TONE_KERNEL(family##16Rgb, Step, 2, 3)
