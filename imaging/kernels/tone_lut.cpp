#include "imaging/kernels/tone_lut.h"

#include "imaging/kernels/dispatch.h"

namespace tavrin {

namespace reference {

void ApplyTable8(const ToneArea& area, int32_t channels, const uint8_t* table256) {
    MapSamples8(area, channels, [&](int32_t s) { return table256[s]; });
}

void ApplyTable16(const ToneArea& area, int32_t channels, const uint16_t* table, int32_t size) {
    const int32_t last = size - 1;
    MapSamples16(area, channels, [&](int32_t s) { return table[s < last ? s : last]; });
}

}  // namespace reference

void ApplyTable8(const ToneArea& area, int32_t channels, const uint8_t* table256) {
    if (UseAvx2Kernels() && ApplyTable8Avx2(area, channels, table256)) return;
    reference::ApplyTable8(area, channels, table256);
}

// Gray rows and colour rows of three or four samples per pixel are runs of
// samples that all go through the table except every fourth of a four-sample
// pixel. The index limit is written so that it becomes a conditional move:
// a branch would mispredict on frames full of clipped samples.
void ApplyTable16(const ToneArea& area, int32_t channels, const uint16_t* table, int32_t size) {
    const int32_t samplesPerPixel = area.srcBytesPerPixel / 2;
    const bool whole = samplesPerPixel == channels && (channels == 1 || channels == 3);
    const bool keepFourth = channels == 3 && samplesPerPixel == 4;
    if (!UseFastKernels() || area.srcBytesPerPixel != area.dstBytesPerPixel || (!whole && !keepFourth)) {
        reference::ApplyTable16(area, channels, table, size);
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

}  // namespace tavrin
