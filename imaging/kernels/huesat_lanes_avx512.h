// The AVX-512 hue and saturation transform on 32 pixels held one per 16-bit
// lane, shared by the 8- and 16-bit kernels. The lane arithmetic is that of
// the AVX2 version (see there why every channel can be computed on its own),
// with each branch of the per-pixel transform a mask; the reciprocal table is
// not read: 0xFF0000 / d is computed, exactly, by a float division (see
// ReciprocalProduct). Internal; included only by the _avx512 files.
#pragma once

#include <immintrin.h>

#include "imaging/kernels/huesat_rows.h"

namespace tavrin::huesat {
// Unnamed so that each file's copy stays its own.
namespace {

inline __m512i Words(int32_t value) { return _mm512_set1_epi16(static_cast<int16_t>(value)); }

// Bit s set where sector s lights a channel, or moves it up or down.
struct SectorBits {
    int32_t lit = 0;
    int32_t up = 0;
    int32_t down = 0;
};

constexpr SectorBits SectorBitsOf(int32_t channel) {
    SectorBits bits;
    const uint32_t shift = 8u * static_cast<uint32_t>(channel);
    const int32_t unit = 1 << shift;
    for (int32_t sector = 0; sector < 6; ++sector) {
        if (((huesat::kSectorMask[sector] >> shift) & 0xFF) != 0)
            bits.lit |= 1 << sector;
        if (huesat::kSectorStep[sector] == unit)
            bits.up |= 1 << sector;
        if (huesat::kSectorStep[sector] == -unit)
            bits.down |= 1 << sector;
    }
    return bits;
}

struct Constants {
    __m512i saturation;  // saturation + 256
    __m512i shiftFraction;
    __m512i shiftSector;
};

Constants MakeConstants(const HueSatTables& tables, huesat::HueShift shift) {
    return Constants{Words(tables.saturation + 256), Words(shift.fraction), Words(shift.sector)};
}

struct Planes {
    __m512i blue, green, red;  // 16-bit lanes, 0..255
};

// (reciprocal[d] x l + 0x8000) >> 16 for 32 lanes, 0 <= l <= d <= 255, where
// reciprocal[d] = floor(0xFF0000 / d). The float quotient truncated is that
// floor: 0xFF0000 and d are exact floats, the division rounds correctly, and
// its error (under q x 2^-24 < 1 / d for q = 0xFF0000 / d) is smaller than
// the distance 1 / d from a quotient that is not whole to the next integer,
// so rounding never reaches it. Where d is 0 (l is 0 too) any finite
// quotient gives the reference's 0; d is taken as 1 there.
inline __m512i ReciprocalProduct(__m512i d, __m512i l) {
    const __m512i zero = _mm512_setzero_si512();
    // The zero-masked forms with every lane on: GCC 12 takes the plain forms'
    // undefined pass-through for an uninitialised read.
    constexpr __mmask16 kAll = 0xFFFF;
    const auto half = [](__m512i d32, __m512i l32) {
        const __m512 quotient = _mm512_div_ps(_mm512_set1_ps(16711680.0f), _mm512_maskz_cvtepi32_ps(kAll, d32));
        const __m512i q = _mm512_maskz_cvttps_epi32(kAll, quotient);
        const __m512i product = _mm512_add_epi32(_mm512_mullo_epi32(q, l32), _mm512_set1_epi32(0x8000));
        return _mm512_maskz_srli_epi32(kAll, product, 16);
    };
    const __m512i divisor = _mm512_max_epi16(d, Words(1));
    // The unpacks take words 0-3 and 4-7 of every 128-bit lane; the pack puts them back in order.
    const __m512i low = half(_mm512_unpacklo_epi16(divisor, zero), _mm512_unpacklo_epi16(l, zero));
    const __m512i high = half(_mm512_unpackhi_epi16(divisor, zero), _mm512_unpackhi_epi16(l, zero));
    return _mm512_packus_epi32(low, high);
}

// One channel: newMin, plus span where the sector lights it, plus or minus
// the ramp where the sector moves it; `bit` holds 1 << sector.
inline __m512i Channel(__m512i bit, SectorBits bits, __m512i newMin, __m512i span, __m512i ramp) {
    __m512i value = _mm512_mask_add_epi16(newMin, _mm512_test_epi16_mask(bit, Words(bits.lit)), newMin, span);
    value = _mm512_mask_add_epi16(value, _mm512_test_epi16_mask(bit, Words(bits.up)), value, ramp);
    return _mm512_mask_sub_epi16(value, _mm512_test_epi16_mask(bit, Words(bits.down)), value, ramp);
}

inline Planes Transform(const Planes& in, const Constants& k) {
    const __m512i blue = in.blue;
    const __m512i green = in.green;
    const __m512i red = in.red;
    const __m512i one = Words(1);
    // R >= G: base 1, hi R, lo G, l = G - B; else base 3, hi G, lo R, l = B - R.
    const __mmask32 greenAbove = _mm512_cmpgt_epi16_mask(green, red);
    __m512i base = _mm512_mask_blend_epi16(greenAbove, one, Words(3));
    __m512i hi = _mm512_max_epi16(red, green);
    const __m512i lo = _mm512_min_epi16(red, green);
    __m512i l = _mm512_mask_sub_epi16(_mm512_sub_epi16(green, blue), greenAbove, blue, red);
    // B above both: base 5, hi B, l = R - G.
    const __mmask32 blueAbove = _mm512_cmpgt_epi16_mask(blue, hi);
    base = _mm512_mask_mov_epi16(base, blueAbove, Words(5));
    hi = _mm512_max_epi16(hi, blue);
    l = _mm512_mask_sub_epi16(l, blueAbove, red, green);
    const __m512i min = _mm512_min_epi16(lo, blue);
    const __m512i d = _mm512_sub_epi16(hi, min);
    const __mmask32 negative = _mm512_movepi16_mask(l);
    base = _mm512_mask_sub_epi16(base, negative, base, one);
    l = _mm512_mask_add_epi16(l, negative, l, d);

    // chroma = min(S[d], limit[sum]) with S[d] = (d (saturation + 256) + 128) >> 8,
    // which the rounding high multiply gives from d << 7.
    const __m512i sum = _mm512_add_epi16(hi, min);
    const __m512i scaled = _mm512_mulhrs_epi16(_mm512_slli_epi16(d, 7), k.saturation);
    const __m512i limit = _mm512_min_epi16(sum, _mm512_sub_epi16(Words(511), sum));
    const __m512i chroma = _mm512_min_epi16(scaled, limit);
    const __m512i newMin = _mm512_srli_epi16(_mm512_sub_epi16(sum, chroma), 1);
    const __m512i span = _mm512_sub_epi16(_mm512_srli_epi16(_mm512_add_epi16(chroma, sum), 1), newMin);

    // Where d is 0, span is 0 too, so the ramp terms vanish as the
    // reference's d != 0 test makes them.
    __m512i v = _mm512_add_epi16(ReciprocalProduct(d, l), k.shiftFraction);
    __m512i sector = _mm512_add_epi16(base, k.shiftSector);
    const __mmask32 wraps = _mm512_cmpgt_epi16_mask(v, Words(254));
    v = _mm512_mask_sub_epi16(v, wraps, v, Words(255));
    sector = _mm512_mask_add_epi16(sector, wraps, sector, one);
    // sector is at most 11 here: one subtraction of 6 is the remainder.
    sector = _mm512_mask_sub_epi16(sector, _mm512_cmpgt_epi16_mask(sector, Words(5)), sector, Words(6));
    // span x v <= 255 x 254, so the product and the rounding stay below 2^16.
    const __m512i ramp = _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(span, v), Words(128)), 8);
    const __m512i bit = _mm512_sllv_epi16(one, sector);
    return Planes{Channel(bit, SectorBitsOf(0), newMin, span, ramp), Channel(bit, SectorBitsOf(1), newMin, span, ramp),
                  Channel(bit, SectorBitsOf(2), newMin, span, ramp)};
}

// Byte masks of the first `bytes` bytes of each of `count` 64-byte registers.
template <int32_t count>
struct Tail {
    __mmask64 mask[count];
    explicit Tail(int32_t bytes) {
        for (int32_t r = 0; r < count; ++r) {
            const int32_t n = bytes - 64 * r;
            mask[r] = _bzhi_u64(~__mmask64{0}, static_cast<uint32_t>(n < 0 ? 0 : n));
        }
    }
};

}  // namespace
}  // namespace tavrin::huesat
