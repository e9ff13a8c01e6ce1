#include "imaging/kernels/sharpen.h"

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/sharpen_rows.h"
#include "imaging/kernels/sharpen_segment.h"
#include "imaging/kernels/tone_family.h"
#include "imaging/kernels/tone_lut.h"

namespace tavrin {
namespace {

// Strengths outside the setting's range (from a stored value) are limited to it.
int32_t Limited(int32_t strength) { return Clamp(strength, 0, 30); }

// The unsharp mask: the mean m of the 4x4 window from (x-2, y-2) to (x+1, y+1)
// of the source, then out = v + (v - m) x strength / 10 (truncated toward
// zero), limited to 0..maxValue. The two-pixel frame is not touched.
template <typename Sample>
void Sharpen(const KernelArea& a, int32_t channels, int32_t strength, int32_t maxValue, uint8_t* ring) {
    if (a.width <= 4 || a.height <= 4)
        return;
    constexpr int32_t kSampleBytes = sizeof(Sample);
    SharpenSource source(a, ring);
    for (int32_t y = 2; y <= a.height - 3; ++y) {
        const uint8_t* rows[4];  // rows y-2..y+1
        source.RowsFor(y, rows);
        const auto sample = [&](int32_t x, int32_t row, int32_t c) {
            const uint8_t* p = rows[row] + x * a.srcBytesPerPixel + c * kSampleBytes;
            return kSampleBytes == 1 ? static_cast<int32_t>(*p) : Load16(p);
        };
        for (int32_t x = 2; x <= a.width - 3; ++x) {
            uint8_t* out = DestRowOf(a, y) + x * a.dstBytesPerPixel;
            for (int32_t c = 0; c < channels; ++c) {
                int32_t sum = 0;
                for (int32_t row = 0; row < 4; ++row) {
                    for (int32_t dx = -2; dx <= 1; ++dx)
                        sum += sample(x + dx, row, c);
                }
                const int32_t mean = sum >> 4;
                const int32_t v = sample(x, 2, c);
                const int32_t value = Clamp(v + (v - mean) * strength / 10, 0, maxValue);
                if (kSampleBytes == 1) {
                    out[c] = static_cast<uint8_t>(value);
                } else {
                    Store16(out + 2 * c, value);
                }
            }
        }
    }
}

// The same mask for 16-bit images, one row segment at a time from column
// sums (sharpen_segment.h). The arithmetic and its order are those above.
void Sharpen16ByColumns(const KernelArea& a, int32_t channels, int32_t strength, int32_t maxValue, uint8_t* ring) {
    const int32_t spp = a.srcBytesPerPixel / 2;  // samples per pixel
    if (a.srcBytesPerPixel != a.dstBytesPerPixel || a.srcBytesPerPixel % 2 != 0 || spp < channels || spp > 8) {
        Sharpen<uint16_t>(a, channels, strength, maxValue, ring);
        return;
    }
    if (a.width <= 4 || a.height <= 4)
        return;
    ForEachSharpenSegment(a, ring, spp, kSharpenSegment,
                          [&](const uint8_t* const(&rows)[4], uint8_t* out, int32_t s0, int32_t s1) {
                              Sharpen16Segment(rows, out, s0, s1, spp, channels, strength, maxValue);
                          });
}

struct SharpenStep {
    using Params = ToneParams;
    static void Apply8(const KernelArea& area, int32_t channels, const ToneParams& params) {
        Kernels().sharpen8(area, channels, Limited(params.value), nullptr, nullptr);
    }
    static void Apply16(const KernelArea& area, int32_t channels, const ToneParams& params) {
        Kernels().sharpen16(area, channels, Limited(params.value), MaxValueOf(params.bits), nullptr);
    }
};

}  // namespace

void Sharpen8_C(const KernelArea& area, int32_t channels, int32_t strength, const uint8_t* table256, uint8_t* ring) {
    Sharpen<uint8_t>(area, channels, strength, 255, ring);
    if (table256 != nullptr)
        ApplyTable8_C(DestinationOf(area), channels, table256);
}

void Sharpen16_C(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue, uint8_t* ring) {
    Sharpen<uint16_t>(area, channels, strength, maxValue, ring);
}

void Sharpen16_SSE2(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue, uint8_t* ring) {
    Sharpen16ByColumns(area, channels, strength, maxValue, ring);
}

TAVRIN_TONE_FAMILY(Sharpen, SharpenStep)

bool SharpenTable8Mono(const KernelArea& area, const SharpenTableParams& params) {
    Kernels().sharpen8(area, 1, Limited(params.strength), params.table256, nullptr);
    return true;
}
bool SharpenTable8Rgb(const KernelArea& area, const SharpenTableParams& params) {
    Kernels().sharpen8(area, 3, Limited(params.strength), params.table256, nullptr);
    return true;
}

namespace {

bool SharpenInPlace(const KernelArea& area, int32_t channels, int32_t sampleBytes, const SharpenInPlaceParams& p) {
    if (sampleBytes == 1) {
        Kernels().sharpen8(area, channels, Limited(p.strength), p.table256, p.ring);
    } else {
        Kernels().sharpen16(area, channels, Limited(p.strength), MaxValueOf(p.bits), p.ring);
    }
    return true;
}

}  // namespace

bool SharpenInPlace8Mono(const KernelArea& area, const SharpenInPlaceParams& params) {
    return SharpenInPlace(area, 1, 1, params);
}
bool SharpenInPlace8Rgb(const KernelArea& area, const SharpenInPlaceParams& params) {
    return SharpenInPlace(area, 3, 1, params);
}
bool SharpenInPlace16Mono(const KernelArea& area, const SharpenInPlaceParams& params) {
    return SharpenInPlace(area, 1, 2, params);
}
bool SharpenInPlace16Rgb(const KernelArea& area, const SharpenInPlaceParams& params) {
    return SharpenInPlace(area, 3, 2, params);
}

}  // namespace tavrin
