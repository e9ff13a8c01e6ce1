#include "imaging/kernels/bright.h"

#include "imaging/kernels/bright_rows.h"
#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/tone_family.h"
#include "imaging/kernels/tone_lut.h"

namespace tavrin {
namespace {

// sample x factor in single precision, truncated and limited to 0..maxValue.
// Limiting before the truncation gives the same result and keeps the
// conversion defined for factors from out-of-range settings.
inline int32_t Scaled(int32_t sample, float factor, float maxValue) {
    float product = static_cast<float>(sample) * factor;
    if (product > maxValue)
        product = maxValue;
    if (!(product > 0.0f))
        product = 0.0f;
    return static_cast<int32_t>(product);
}

// An 8-bit sample has 256 values, so its brightness is a 256-entry table of
// the same function: one table pass, the fastest per-sample step there is.
struct BrightStep {
    using Params = ToneParams;
    static void Apply8(const KernelArea& area, int32_t channels, const ToneParams& params) {
        const float factor = BrightnessFactor(params.value);
        uint8_t table[256];
        for (int32_t i = 0; i < 256; ++i)
            table[i] = static_cast<uint8_t>(Scaled(i, factor, 255.0f));
        Kernels().applyTable8(area, channels, table);
    }
    static void Apply16(const KernelArea& area, int32_t channels, const ToneParams& params) {
        Kernels().bright(area, channels, BrightnessFactor(params.value), 2, MaxValueOf(params.bits));
    }
};

}  // namespace

float BrightnessFactor(int32_t value) {
    double factor = 1.0;
    if (value < 0) {
        factor = 1.0 - -static_cast<double>(value) * 0.00392156862745098;
    } else if (value > 0) {
        factor = 1.0 + static_cast<double>(value) * 0.0392156862745098;
    }
    return static_cast<float>(factor);
}

int32_t BrightSample(int32_t sample, float factor, int32_t maxValue) {
    return Scaled(sample, factor, static_cast<float>(maxValue));
}

void Bright_C(const KernelArea& area, int32_t channels, float factor, int32_t sampleBytes, int32_t maxValue) {
    const auto limit = static_cast<float>(maxValue);
    const auto scaled = [&](int32_t s) { return Scaled(s, factor, limit); };
    if (sampleBytes == 1) {
        MapSamples<uint8_t>(area, channels, scaled);
    } else {
        MapSamples<uint16_t>(area, channels, scaled);
    }
}

TAVRIN_TONE_FAMILY(Bright, BrightStep)

}  // namespace tavrin
