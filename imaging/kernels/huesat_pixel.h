// The per-pixel hue and saturation transform and the hue shift, shared by the
// reference and the vectorised kernel's row tails. Internal.
#pragma once

#include <cstdint>

#include "imaging/kernels/huesat.h"

namespace tavrin::huesat {

// Where the hue rotation lands on the 1530-step circle.
struct HueShift {
    int32_t sector;    // 0..5
    int32_t fraction;  // 0..254
};

// Ramps of the six sectors of the circle: which channels the sector's base
// colour lights, and which channel moves (and which way) along the sector.
inline constexpr uint32_t kSectorMask[6] = {0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF};
inline constexpr int32_t kSectorStep[6] = {-1, 256, -65536, 1, -256, 65536};

// Unnamed so that the AVX2 file's copy stays its own.
namespace {

inline HueShift ShiftOf(int32_t hue) {
    const int64_t angle = static_cast<int64_t>(hue) * 65536 / 360;
    const auto a = static_cast<uint32_t>(static_cast<uint16_t>(angle));
    const int32_t q = static_cast<int32_t>((a * 6) >> 8);
    int32_t fraction = q % 512;
    if (fraction >= 256)
        fraction -= 512;
    const int32_t pair = ((q + 256) >> 9) % 3;
    int32_t shift = fraction + 510 * pair;
    if (shift < 0)
        shift += 1530;
    if (shift > 1529)
        shift -= 1530;
    return HueShift{shift / 255, shift % 255};
}

// Transforms one pixel of 8-bit blue, green, red; returns 0xRRGGBB.
inline uint32_t TransformPixel(int32_t blue, int32_t green, int32_t red, const HueSatTables& t, HueShift shift) {
    int32_t base;
    int32_t hi;
    int32_t lo;
    int32_t l;
    if (red >= green) {
        base = 1, hi = red, lo = green, l = green - blue;
    } else {
        base = 3, hi = green, lo = red, l = blue - red;
    }
    if (blue > hi)
        base = 5, hi = blue, l = red - green;
    const int32_t max = hi;
    const int32_t min = lo < blue ? lo : blue;
    const int32_t d = max - min;
    if (l < 0) {
        base -= 1;
        l += d;
    }
    const int32_t sum = max + min;
    const int32_t scaled = t.scaled[d];
    const int32_t chroma = scaled < t.limit[sum] ? scaled : t.limit[sum];
    const int32_t newMin = (sum - chroma) >> 1;
    const int32_t span = ((chroma + sum) >> 1) - newMin;
    uint32_t value = t.gray[newMin];
    if (d != 0) {
        int32_t v = static_cast<int32_t>((t.reciprocal[d] * static_cast<uint32_t>(l) + 0x8000) >> 16) + shift.fraction;
        int32_t sector = base + shift.sector;
        if (v >= 255) {
            v -= 255;
            sector += 1;
        }
        sector %= 6;
        value +=
            (t.gray[span] & kSectorMask[sector]) + static_cast<uint32_t>(((span * v + 128) >> 8) * kSectorStep[sector]);
    }
    return value;
}

}  // namespace
}  // namespace tavrin::huesat
