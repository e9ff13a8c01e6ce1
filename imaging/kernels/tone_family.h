// The four entry points of a tone family come from one template: 8- or
// 16-bit samples, gray (one channel) or colour (blue, green, red; a fourth
// sample is left alone). A family is a type with its settings record and
//   using Params = ToneParams;  // say
//   static void Apply8(const KernelArea& area, int32_t channels, const Params& params);
//   static void Apply16(const KernelArea& area, int32_t channels, const Params& params);
// and TAVRIN_TONE_FAMILY(Gamma, GammaStep) defines Gamma8Mono, Gamma8Rgb,
// Gamma16Mono and Gamma16Rgb over it. Internal to the kernel files.
#pragma once

#include <cstdint>

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/kernel_area.h"

namespace tavrin {
namespace {

template <typename Step, int32_t kSampleBytes, int32_t kChannels>
bool RunToneStep(const KernelArea& area, const typename Step::Params& params) {
    if constexpr (kSampleBytes == 1) {
        Step::Apply8(area, kChannels, params);
    } else {
        Step::Apply16(area, kChannels, params);
    }
    return true;
}

// A step that is a lookup table of the sample (gamma, contrast): the table
// is built for the call and applied. Tables::Build8(value, channels, table)
// fills 256 entries, Tables::Build16(value, bits, table) 1 << bits.
template <typename Tables>
struct TableStep {
    using Params = ToneParams;
    static void Apply8(const KernelArea& area, int32_t channels, const ToneParams& params) {
        uint8_t table[256];
        Tables::Build8(params.value, channels, table);
        Kernels().applyTable8(area, channels, table);
    }
    static void Apply16(const KernelArea& area, int32_t channels, const ToneParams& params) {
        // Room for the largest table (16 significant bits); the sensor's 10 bits use 1024 entries.
        uint16_t table[1 << 16];
        Tables::Build16(params.value, params.bits, table);
        Kernels().applyTable16(area, channels, table, 1 << SignificantBits(params.bits));
    }
};

}  // namespace
}  // namespace tavrin

#define TAVRIN_TONE_KERNEL(name, Step, sampleBytes, channels)          \
    bool name(const KernelArea& area, const Step::Params& params) {    \
        return RunToneStep<Step, sampleBytes, channels>(area, params); \
    }

#define TAVRIN_TONE_FAMILY(family, Step)           \
    TAVRIN_TONE_KERNEL(family##8Mono, Step, 1, 1)  \
    TAVRIN_TONE_KERNEL(family##8Rgb, Step, 1, 3)   \
    TAVRIN_TONE_KERNEL(family##16Mono, Step, 2, 1) \
    TAVRIN_TONE_KERNEL(family##16Rgb, Step, 2, 3)
