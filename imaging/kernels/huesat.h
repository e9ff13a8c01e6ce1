// Hue rotation and saturation in a fixed-point HSL-style transform on a hue
// circle of 1530 steps (six sectors of 255).
#pragma once

#include <cstdint>

#include "imaging/kernels/params.h"

namespace tavrin {

// The transform's lookup tables. The gray steps, reciprocals and lightness
// limits are constant; the saturation table follows `saturation`.
struct HueSatTables {
    int32_t saturation = 0;
    bool built = false;
    uint32_t gray[256];        // k * 0x010101
    uint32_t reciprocal[256];  // 0xFF0000 / d, 0 for d = 0
    int32_t scaled[256];       // chroma scaled by the saturation, rounded
    int32_t limit[511];        // min(t, 511 - t) for a lightness sum t
};

// Fills `tables` for `saturation` (constant parts only on first use; the
// saturation part when it differs from the one the tables were built for).
void BuildHueSatTables(HueSatTables& tables, int32_t saturation);

// In place on 24/32-bit (HueSat8) or 48/64-bit (HueSat16, 10 significant bits,
// reduced to 8) images; a fourth channel is left alone. The tables are cached
// per thread, so cameras converting at once on their own threads never share them.
bool HueSat8(const KernelArea& area, const HueSatParams& params);
bool HueSat16(const KernelArea& area, const HueSatParams& params);

// HueSat8 and then a table of the sample for the colour samples (the tone
// steps that follow the transform, as one table), in one pass over the image:
// byte for byte HueSat8 followed by the table.
struct HueSatTableParams {
    HueSatParams hueSat;
    const uint8_t* table256;
};
bool HueSatTable8(const KernelArea& area, const HueSatTableParams& params);

}  // namespace tavrin
