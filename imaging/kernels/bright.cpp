#include "imaging/kernels/bright.h"

#include "imaging/kernels/bright_fast.h"
#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/tone_area.h"

namespace tavrin {
namespace {

// sample x factor in single precision, truncated and limited to 0..maxValue.
// Limiting before the truncation gives the same result and keeps the
// conversion defined for factors from out-of-range settings.
inline int32_t Scaled(int32_t sample, float factor, float maxValue) {
    float product = static_cast<float>(sample) * factor;
    if (product > maxValue) product = maxValue;
    if (!(product > 0.0f)) product = 0.0f;
    return static_cast<int32_t>(product);
}

void Bright8(const ToneArea& area, int32_t channels, float factor) {
    MapSamples8(area, channels, [&](int32_t s) { return Scaled(s, factor, 255.0f); });
}

void Bright16(const ToneArea& area, int32_t channels, float factor, int32_t maxValue) {
    const auto limit = static_cast<float>(maxValue);
    MapSamples16(area, channels, [&](int32_t s) { return Scaled(s, factor, limit); });
}

bool Fast(const ToneArea& area, int32_t channels, float factor, int32_t sampleBytes, int32_t maxValue) {
    return UseAvx2Kernels() && BrightAvx2(area, channels, factor, sampleBytes, maxValue);
}

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

namespace reference {

#define TAVRIN_AREA AreaOf(dst, src, rect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride)

TAVRIN_PIXEL_KERNEL(Bright8Mono) {
    Bright8(TAVRIN_AREA, 1, BrightnessFactor(ToneValue(params)));
    return 1;
}
TAVRIN_PIXEL_KERNEL(Bright8Rgb) {
    Bright8(TAVRIN_AREA, 3, BrightnessFactor(ToneValue(params)));
    return 1;
}
TAVRIN_PIXEL_KERNEL(Bright16Mono) {
    Bright16(TAVRIN_AREA, 1, BrightnessFactor(ToneValue(params)), MaxValueOf(ToneBits(params)));
    return 1;
}
TAVRIN_PIXEL_KERNEL(Bright16Rgb) {
    Bright16(TAVRIN_AREA, 3, BrightnessFactor(ToneValue(params)), MaxValueOf(ToneBits(params)));
    return 1;
}

}  // namespace reference

TAVRIN_PIXEL_KERNEL(Bright8Mono) {
    const ToneArea area = TAVRIN_AREA;
    const float factor = BrightnessFactor(ToneValue(params));
    if (!Fast(area, 1, factor, 1, 255)) Bright8(area, 1, factor);
    return 1;
}
TAVRIN_PIXEL_KERNEL(Bright8Rgb) {
    const ToneArea area = TAVRIN_AREA;
    const float factor = BrightnessFactor(ToneValue(params));
    if (!Fast(area, 3, factor, 1, 255)) Bright8(area, 3, factor);
    return 1;
}
TAVRIN_PIXEL_KERNEL(Bright16Mono) {
    const ToneArea area = TAVRIN_AREA;
    const float factor = BrightnessFactor(ToneValue(params));
    const int32_t maxValue = MaxValueOf(ToneBits(params));
    if (!Fast(area, 1, factor, 2, maxValue)) Bright16(area, 1, factor, maxValue);
    return 1;
}
TAVRIN_PIXEL_KERNEL(Bright16Rgb) {
    const ToneArea area = TAVRIN_AREA;
    const float factor = BrightnessFactor(ToneValue(params));
    const int32_t maxValue = MaxValueOf(ToneBits(params));
    if (!Fast(area, 3, factor, 2, maxValue)) Bright16(area, 3, factor, maxValue);
    return 1;
}

#undef TAVRIN_AREA

}  // namespace tavrin
