#include "imaging/kernels/tone_lut.h"

#include <memory>

#include "imaging/kernels/bright.h"
#include "imaging/kernels/contrast.h"
#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/gamma.h"
#include "imaging/kernels/tone_family.h"

namespace tavrin {
namespace {

// The composed 8-bit table: entry i is sample i after each active step in turn.
void ToneCurve8(const KernelArea& area, int32_t channels, const ToneCurveParams& p, bool limitGammaExponent) {
    uint8_t table[256];
    for (int32_t i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(i);
    uint8_t step[256];
    if (p.gamma != kNeutralGammaSetting) {
        BuildGammaTable8(p.gamma, limitGammaExponent, step);
        for (uint8_t& entry : table)
            entry = step[entry];
    }
    if (p.contrast != 0) {
        BuildContrastTable8(p.contrast, step);
        for (uint8_t& entry : table)
            entry = step[entry];
    }
    if (p.brightness != 0) {
        const float factor = BrightnessFactor(p.brightness);
        for (uint8_t& entry : table)
            entry = static_cast<uint8_t>(BrightSample(entry, factor, 255));
    }
    Kernels().applyTable8(area, channels, table);
}

// The 16-bit steps index their tables with the sample limited to the last
// entry, and every table's values stay below its size, so once gamma or
// contrast has run the composed table over 1 << bits entries, applied with
// the same limit, is exact. Brightness alone has no such limit: it runs as
// itself.
// Returns false when only brightness is active.
bool ToneCurve16(const KernelArea& area, int32_t channels, const ToneCurveParams& p) {
    if (p.gamma == kNeutralGammaSetting && p.contrast == 0)
        return false;
    const int32_t size = 1 << SignificantBits(p.bits);
    // The sensor's 10 bits fit on the stack; wider tables come from the heap.
    constexpr int32_t kLocalSize = 1024;
    uint16_t local[2 * kLocalSize];
    std::unique_ptr<uint16_t[]> wide;
    if (size > kLocalSize)
        wide.reset(new uint16_t[2 * static_cast<size_t>(size)]);
    uint16_t* table = wide ? wide.get() : local;
    uint16_t* step = table + size;
    for (int32_t i = 0; i < size; ++i)
        table[i] = static_cast<uint16_t>(i);
    if (p.gamma != kNeutralGammaSetting) {
        BuildGammaTable16(p.gamma, p.bits, step);
        for (int32_t i = 0; i < size; ++i)
            table[i] = step[table[i]];
    }
    if (p.contrast != 0) {
        BuildContrastTable16(p.contrast, p.bits, step);
        for (int32_t i = 0; i < size; ++i)
            table[i] = step[table[i]];
    }
    if (p.brightness != 0) {
        const float factor = BrightnessFactor(p.brightness);
        const int32_t maxValue = MaxValueOf(p.bits);
        for (int32_t i = 0; i < size; ++i)
            table[i] = static_cast<uint16_t>(BrightSample(table[i], factor, maxValue));
    }
    Kernels().applyTable16(area, channels, table, size);
    return true;
}

// The colour 8-bit gamma limits its exponent, the gray one does not.
struct ToneCurveStep {
    using Params = ToneCurveParams;
    static void Apply8(const KernelArea& area, int32_t channels, const ToneCurveParams& p) {
        ToneCurve8(area, channels, p, channels == 3);
    }
    static void Apply16(const KernelArea& area, int32_t channels, const ToneCurveParams& p) {
        if (ToneCurve16(area, channels, p))
            return;
        Kernels().bright(area, channels, BrightnessFactor(p.brightness), 2, MaxValueOf(p.bits));
    }
};

}  // namespace

void ApplyTable8_C(const KernelArea& area, int32_t channels, const uint8_t* table256) {
    MapSamples<uint8_t>(area, channels, [&](int32_t s) { return table256[s]; });
}

void ApplyTable16_C(const KernelArea& area, int32_t channels, const uint16_t* table, int32_t size) {
    const int32_t last = size - 1;
    MapSamples<uint16_t>(area, channels, [&](int32_t s) { return table[s < last ? s : last]; });
}

// Gray rows and colour rows of three or four samples per pixel are runs of
// samples that all go through the table except every fourth of a four-sample
// pixel. The index limit is written so that it becomes a conditional move:
// a branch would mispredict on frames full of clipped samples.
void ApplyTable16_SSE2(const KernelArea& area, int32_t channels, const uint16_t* table, int32_t size) {
    const int32_t samplesPerPixel = area.srcBytesPerPixel / 2;
    const bool whole = samplesPerPixel == channels && (channels == 1 || channels == 3);
    const bool keepFourth = channels == 3 && samplesPerPixel == 4;
    if (area.srcBytesPerPixel != area.dstBytesPerPixel || (!whole && !keepFourth)) {
        ApplyTable16_C(area, channels, table, size);
        return;
    }
    const auto last = static_cast<uint32_t>(size - 1);
    const int32_t count = area.width * samplesPerPixel;
    for (int32_t y = 0; y < area.height; ++y) {
        const uint8_t* in = SourceRowOf(area, y);
        uint8_t* out = DestRowOf(area, y);
        for (int32_t i = 0; i < count; ++i) {
            const auto s = static_cast<uint32_t>(Load16(in + 2 * i));
            const uint32_t index = s < last ? s : last;
            const int32_t value = keepFourth && (i & 3) == 3 ? static_cast<int32_t>(s) : table[index];
            Store16(out + 2 * i, value);
        }
    }
}

TAVRIN_TONE_FAMILY(ToneCurve, ToneCurveStep)

}  // namespace tavrin
