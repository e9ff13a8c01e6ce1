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

void ApplyTable16(const ToneArea& area, int32_t channels, const uint16_t* table, int32_t size) {
    // A table lookup per sample is what the hardware does best here; the
    // reference loop is already the fast one.
    reference::ApplyTable16(area, channels, table, size);
}

}  // namespace tavrin
