// The AVX-512 hue and saturation transform on 64 pixels held one per byte,
// shared by the 8- and 16-bit kernels.
//
// No channel of the reference's 0xRRGGBB result carries into another (see
// huesat_avx2.cpp), and every quantity but two fits a byte: the channels,
// max, min, d, l, the chroma (the saturation's scale limited by the lightness
// limit, itself at most 255), newMin and the ramp. Most of the transform
// therefore runs on 64 byte lanes. Only the two products widen to 16-bit
// lanes, unpacked into low and high halves and packed back in the same order
// (so no lane fix-up is needed):
// - the saturation scale S[d] = (d (saturation + 256) + 128) >> 8, one
//   rounding high multiply, packed with unsigned saturation (min(S, 255) is
//   all the chroma needs);
// - the hue position (Q[d] l + 0x8000) >> 16 with Q[d] = 0xFF0000 / d, which
//   needs 24-bit Q: Q is split into qh = Q >> 16 and ql = Q & 0xFFFF, each
//   byte looked up in a 256-entry table (two two-source byte permutes and a
//   blend), and (Q l + 0x8000) >> 16 = qh l + mulhi(ql, l) + (lo(ql l) >> 15).
// The span of the reference, ((chroma + sum) >> 1) - newMin, is the chroma
// itself: with e = sum - chroma, (e + 2 chroma) >> 1 = (e >> 1) + chroma.
// The result is chosen per channel among three values, the top (newMin +
// chroma), the moving one and the bottom (newMin), by bitwise selects whose
// masks come from 16-entry byte shuffles of the sector.
// Internal; included only by the _avx512 files.
#pragma once

#include <immintrin.h>

#include "imaging/kernels/byte_table_avx512.h"
#include "imaging/kernels/huesat_rows.h"

namespace tavrin::huesat {
// Unnamed so that each file's copy stays its own.
namespace {

inline __m512i Bytes(int32_t value) { return _mm512_set1_epi8(static_cast<char>(value)); }
inline __m512i Words(int32_t value) { return _mm512_set1_epi16(static_cast<int16_t>(value)); }

// a where `mask` has a bit set, else b, bit by bit.
inline __m512i Select(__m512i mask, __m512i a, __m512i b) { return _mm512_ternarylogic_epi64(mask, a, b, 0xCA); }

// Per sector as a byte shuffle sees it (index 0..11, the sector before its
// remainder by 6, in every 128-bit lane): 0xFF where the sector makes a
// channel the top value or the moving one, and where the moving channel falls.
struct SectorMasks {
    __m512i top[3];
    __m512i moving[3];
    __m512i falls;
};

// Which channel the sector lights, and which one moves (and which way).
constexpr bool Lights(int32_t sector, int32_t channel) {
    return ((kSectorMask[sector % 6] >> (8 * channel)) & 0xFF) != 0;
}
constexpr bool Moves(int32_t sector, int32_t channel) {
    const int32_t step = kSectorStep[sector % 6];
    return step == (1 << (8 * channel)) || step == -(1 << (8 * channel));
}

inline SectorMasks MakeSectorMasks() {
    SectorMasks m;
    const auto shuffleTable = [](auto chosen) {
        alignas(64) uint8_t table[64] = {};
        for (int32_t b = 0; b < 64; ++b)
            table[b] = b % 16 < 12 && chosen(b % 16) ? 0xFF : 0;
        return _mm512_load_si512(table);
    };
    for (int32_t c = 0; c < 3; ++c) {
        // A lit channel that moves falls from the top; one that is not lit rises from the bottom.
        m.top[c] = shuffleTable([c](int32_t s) { return Lights(s, c) && !Moves(s, c); });
        m.moving[c] = shuffleTable([c](int32_t s) { return Moves(s, c); });
    }
    m.falls = shuffleTable([](int32_t s) { return kSectorStep[s % 6] < 0; });
    return m;
}

struct Constants {
    __m512i saturation;                   // words: saturation + 256
    __m512i fraction;                     // words: the hue shift's fraction
    __m512i base1, base3, base5;          // bytes: each base sector plus the hue shift's sector
    avx512::ByteTable qh, qlLow, qlHigh;  // bytes of the reciprocal table
    SectorMasks sectors;
};

// The reciprocal table's byte `byte` (0: bits 0-7, 1: bits 8-15, 2: bits 16-23).
inline avx512::ByteTable ReciprocalBytes(const HueSatTables& tables, int32_t byte) {
    alignas(64) uint8_t bytes[256];
    for (int32_t d = 0; d < 256; ++d)
        bytes[d] = static_cast<uint8_t>(tables.reciprocal[d] >> (8 * byte));
    return avx512::ByteTable(bytes);
}

inline Constants MakeConstants(const HueSatTables& tables, HueShift shift) {
    return Constants{Words(tables.saturation + 256), Words(shift.fraction),      Bytes(1 + shift.sector),
                     Bytes(3 + shift.sector),        Bytes(5 + shift.sector),    ReciprocalBytes(tables, 2),
                     ReciprocalBytes(tables, 0),     ReciprocalBytes(tables, 1), MakeSectorMasks()};
}

struct Planes {
    __m512i blue, green, red;  // 64 pixels, one byte each
};

// The low and high halves of byte lanes as 16-bit lanes, and back.
struct Halves {
    __m512i low, high;
};
inline Halves Widen(__m512i bytes) {
    const __m512i zero = _mm512_setzero_si512();
    return Halves{_mm512_unpacklo_epi8(bytes, zero), _mm512_unpackhi_epi8(bytes, zero)};
}
inline __m512i Narrow(Halves words) { return _mm512_packus_epi16(words.low, words.high); }
template <typename F>
inline __m512i PerHalf(F f, Halves a) {
    return Narrow(Halves{f(a.low), f(a.high)});
}
template <typename F>
inline __m512i PerHalf(F f, Halves a, Halves b) {
    return Narrow(Halves{f(a.low, b.low), f(a.high, b.high)});
}

// floor((a + b) / 2) for bytes.
inline __m512i HalfSum(__m512i a, __m512i b) {
    return _mm512_sub_epi8(_mm512_avg_epu8(a, b), _mm512_and_si512(_mm512_xor_si512(a, b), Bytes(1)));
}

inline Planes Transform(const Planes& in, const Constants& k) {
    const __m512i blue = in.blue;
    const __m512i green = in.green;
    const __m512i red = in.red;
    // R >= G: base 1, l = G - B; else base 3, l = B - R; B above both: base 5,
    // l = R - G. A negative l (x < y below) takes one sector back and d on.
    const __mmask64 greenAbove = _mm512_cmpgt_epu8_mask(green, red);
    const __m512i redGreenMax = _mm512_max_epu8(red, green);
    const __mmask64 blueAbove = _mm512_cmpgt_epu8_mask(blue, redGreenMax);
    const __m512i max = _mm512_max_epu8(redGreenMax, blue);
    const __m512i min = _mm512_min_epu8(_mm512_min_epu8(red, green), blue);
    const __m512i d = _mm512_sub_epi8(max, min);
    const __m512i x = _mm512_mask_blend_epi8(blueAbove, _mm512_mask_blend_epi8(greenAbove, green, blue), red);
    const __m512i y = _mm512_mask_blend_epi8(blueAbove, _mm512_mask_blend_epi8(greenAbove, blue, red), green);
    const __mmask64 negative = _mm512_cmplt_epu8_mask(x, y);
    // Modulo 256 x - y + d is the reference's l, which lies in 0..d.
    const __m512i l = _mm512_mask_add_epi8(_mm512_sub_epi8(x, y), negative, _mm512_sub_epi8(x, y), d);
    __m512i sector = _mm512_mask_mov_epi8(_mm512_mask_blend_epi8(greenAbove, k.base1, k.base3), blueAbove, k.base5);
    sector = _mm512_mask_sub_epi8(sector, negative, sector, Bytes(1));

    // chroma = min(S[d], limit[sum]), limit[sum] = min(sum, 511 - sum) <= 255,
    // with sum = max + min and 511 - sum = ~max + ~min + 1 in saturating bytes.
    const __m512i scaled =
        PerHalf([&](__m512i dw) { return _mm512_mulhrs_epi16(_mm512_slli_epi16(dw, 7), k.saturation); }, Widen(d));
    const __m512i ones = _mm512_set1_epi32(-1);
    const __m512i sum = _mm512_adds_epu8(max, min);
    const __m512i rest =
        _mm512_adds_epu8(_mm512_adds_epu8(_mm512_xor_si512(max, ones), _mm512_xor_si512(min, ones)), Bytes(1));
    const __m512i chroma = _mm512_min_epu8(scaled, _mm512_min_epu8(sum, rest));
    // newMin = (max + min - chroma) >> 1, from two bytes whose sum is that.
    const __m512i newMin = HalfSum(_mm512_sub_epi8(max, _mm512_subs_epu8(chroma, min)), _mm512_subs_epu8(min, chroma));
    const __m512i top = _mm512_add_epi8(newMin, chroma);

    // v = ((Q[d] l + 0x8000) >> 16) + fraction, then past 254 into the next
    // sector; ramp = (chroma v + 128) >> 8 (the rounding high multiply of
    // chroma and v << 7). Where d is 0, l and chroma are 0 and so is the ramp.
    const Halves lw = Widen(l);
    const Halves qh = Widen(k.qh(d));
    const __m512i qlLow = k.qlLow(d);
    const __m512i qlHigh = k.qlHigh(d);
    const Halves ql{_mm512_unpacklo_epi8(qlLow, qlHigh), _mm512_unpackhi_epi8(qlLow, qlHigh)};
    const auto position = [&](__m512i qhw, __m512i qlw, __m512i lw16) {
        const __m512i whole = _mm512_mullo_epi16(qhw, lw16);
        const __m512i rounding = _mm512_srli_epi16(_mm512_mullo_epi16(qlw, lw16), 15);
        return _mm512_add_epi16(_mm512_add_epi16(whole, _mm512_mulhi_epu16(qlw, lw16)),
                                _mm512_add_epi16(rounding, k.fraction));
    };
    const Halves v{position(qh.low, ql.low, lw.low), position(qh.high, ql.high, lw.high)};
    // Packed with saturation, a v that wraps reads 255.
    const __mmask64 wraps = _mm512_cmpeq_epi8_mask(Narrow(v), Bytes(255));
    sector = _mm512_mask_add_epi8(sector, wraps, sector, Bytes(1));
    const auto ramp = [](__m512i vw, __m512i cw) {
        const __m512i wrapped = _mm512_min_epu16(vw, _mm512_sub_epi16(vw, Words(255)));
        return _mm512_mulhrs_epi16(cw, _mm512_slli_epi16(wrapped, 7));
    };
    const __m512i rampBytes = PerHalf(ramp, v, Widen(chroma));

    // The moving channel rises from newMin or falls from the top.
    const SectorMasks& m = k.sectors;
    const auto masked = [&](__m512i table) { return _mm512_shuffle_epi8(table, sector); };
    const __m512i moving = Select(masked(m.falls), _mm512_sub_epi8(top, rampBytes), _mm512_add_epi8(newMin, rampBytes));
    const auto channel = [&](int32_t c) {
        return Select(masked(m.top[c]), top, Select(masked(m.moving[c]), moving, newMin));
    };
    return Planes{channel(0), channel(1), channel(2)};
}

// Byte masks of the first `bytes` bytes of each of `count` 64-byte registers.
template <int32_t count>
struct Tail {
    __mmask64 mask[count];
    explicit Tail(int32_t bytes) {
        for (int32_t r = 0; r < count; ++r) {
            // BZHI reads only the low eight bits of its count.
            const int32_t n = bytes - 64 * r;
            mask[r] = _bzhi_u64(~__mmask64{0}, static_cast<uint32_t>(n < 0 ? 0 : (n > 64 ? 64 : n)));
        }
    }
};

}  // namespace
}  // namespace tavrin::huesat
