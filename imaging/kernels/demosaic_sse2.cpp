// SSE2 inner passes of the demosaic, for CPUs without AVX2. The arithmetic is
// that of the AVX2 file (see there for the pair layout) on 16-byte vectors;
// the planes are then interleaved into the destination pixel by pixel, since
// SSE2 has no byte shuffle.
#include <emmintrin.h>

#include "imaging/kernels/demosaic_rows.h"

namespace tavrin::demosaic {
namespace {

inline __m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline __m128i Times3Plus16(__m128i a, __m128i b) { return _mm_add_epi16(_mm_add_epi16(a, _mm_slli_epi16(a, 1)), b); }
inline __m128i Times3Plus32(__m128i a, __m128i b) { return _mm_add_epi32(_mm_add_epi32(a, _mm_slli_epi32(a, 1)), b); }

// Low 32 bits of the lane products (SSE2 multiplies only even lanes at a time).
inline __m128i MulLo32(__m128i a, __m128i b) {
    const __m128i even = _mm_mul_epu32(a, b);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

inline __m128i Min32(__m128i a, __m128i b) {
    const __m128i aGreater = _mm_cmpgt_epi32(a, b);
    return _mm_or_si128(_mm_and_si128(aGreater, b), _mm_andnot_si128(aGreater, a));
}

inline int32_t FirstSiteColumn(int32_t mode, int32_t y) { return 2 + (1 ^ ((mode >> 1) & 1) ^ RowPhase(mode, y)); }

// Writes `count` pixels from the blue, green and red planes.
template <typename Sample>
inline void Interleave(uint8_t* out, int32_t bytesPerPixel, const Sample* blue, const Sample* green, const Sample* red,
                       int32_t count) {
    for (int32_t i = 0; i < count; ++i, out += bytesPerPixel) {
        StoreSample<Sample>(out, 0, blue[i]);
        StoreSample<Sample>(out, 1, green[i]);
        StoreSample<Sample>(out, 2, red[i]);
    }
}

// 16 pixels (8 pairs) of an 8-bit row starting at site column p.
inline void Pairs8(const Frame& f, const SourceRows& rows, int32_t y, int32_t p, bool siteIsRed, __m128i gainSame,
                   __m128i gainOther) {
    const uint8_t* rm2 = rows.at[0] + p;
    const uint8_t* rm1 = rows.at[1] + p;
    const uint8_t* r0 = rows.at[2] + p;
    const uint8_t* rp1 = rows.at[3] + p;
    const __m128i low = _mm_set1_epi16(0x00FF);
    const auto lo = [&](const uint8_t* q) { return _mm_and_si128(Load(q), low); };
    const auto hi = [&](const uint8_t* q) { return _mm_srli_epi16(Load(q), 8); };

    const __m128i v1Prev = Times3Plus16(lo(r0 - 2), lo(rm2 - 2));
    const __m128i v1 = Times3Plus16(lo(r0), lo(rm2));
    const __m128i v1Next = Times3Plus16(lo(r0 + 2), lo(rm2 + 2));
    const __m128i v2Prev = Times3Plus16(hi(rm1 - 2), hi(rp1 - 2));
    const __m128i v2 = Times3Plus16(hi(rm1), hi(rp1));
    const __m128i above = lo(rm1);
    const __m128i greenSite = _mm_srli_epi16(_mm_add_epi16(above, hi(r0 - 2)), 1);
    const __m128i greenGreen = _mm_srli_epi16(_mm_add_epi16(above, hi(r0)), 1);

    // All values stay below 2^15, so the signed minimum serves.
    const __m128i max = _mm_set1_epi16(255);
    const auto scale = [&](__m128i sum, __m128i gain) {
        return _mm_min_epi16(_mm_mulhi_epu16(_mm_slli_epi16(sum, 4), gain), max);
    };
    const auto join = [](__m128i site, __m128i green) { return _mm_or_si128(site, _mm_slli_epi16(green, 8)); };
    alignas(16) uint8_t same[16];
    alignas(16) uint8_t other[16];
    alignas(16) uint8_t green[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(same),
                    join(scale(Times3Plus16(v1, v1Prev), gainSame), scale(Times3Plus16(v1, v1Next), gainSame)));
    _mm_store_si128(reinterpret_cast<__m128i*>(other),
                    join(scale(Times3Plus16(v2Prev, v2), gainOther), scale(Times3Plus16(v2, v2Prev), gainOther)));
    _mm_store_si128(reinterpret_cast<__m128i*>(green), join(greenSite, greenGreen));
    uint8_t* out = DestPixel(f, p, y);
    if (siteIsRed) {
        Interleave<uint8_t>(out, f.dstBytesPerPixel, other, green, same, 16);
    } else {
        Interleave<uint8_t>(out, f.dstBytesPerPixel, same, green, other, 16);
    }
}

// 8 pixels (4 pairs) of a 16-bit row starting at site column p. The steps
// are those of Pairs8 at 32-bit lanes, deliberately written out again: the
// instructions differ with the lane width. The AVX2 file repeats both at
// twice the vector width for the same reason.
inline void Pairs16(const Frame& f, const SourceRows& rows, int32_t y, int32_t p, bool siteIsRed, __m128i gainSame,
                    __m128i gainOther) {
    const uint8_t* rm2 = rows.at[0] + 2 * p;
    const uint8_t* rm1 = rows.at[1] + 2 * p;
    const uint8_t* r0 = rows.at[2] + 2 * p;
    const uint8_t* rp1 = rows.at[3] + 2 * p;
    const __m128i low = _mm_set1_epi32(0xFFFF);
    const auto lo = [&](const uint8_t* q) { return _mm_and_si128(Load(q), low); };
    const auto hi = [&](const uint8_t* q) { return _mm_srli_epi32(Load(q), 16); };

    const __m128i v1Prev = Times3Plus32(lo(r0 - 4), lo(rm2 - 4));
    const __m128i v1 = Times3Plus32(lo(r0), lo(rm2));
    const __m128i v1Next = Times3Plus32(lo(r0 + 4), lo(rm2 + 4));
    const __m128i v2Prev = Times3Plus32(hi(rm1 - 4), hi(rp1 - 4));
    const __m128i v2 = Times3Plus32(hi(rm1), hi(rp1));
    const __m128i above = lo(rm1);
    const __m128i greenSite = _mm_srli_epi32(_mm_add_epi32(above, hi(r0 - 4)), 1);
    const __m128i greenGreen = _mm_srli_epi32(_mm_add_epi32(above, hi(r0)), 1);

    const __m128i max = _mm_set1_epi32(1023);
    const auto scale = [&](__m128i sum, __m128i gain) { return Min32(_mm_srli_epi32(MulLo32(sum, gain), 11), max); };
    const auto join = [&](__m128i site, __m128i green) {
        return _mm_or_si128(Min32(site, max), _mm_slli_epi32(Min32(green, max), 16));
    };
    alignas(16) uint16_t same[8];
    alignas(16) uint16_t other[8];
    alignas(16) uint16_t green[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(same),
                    join(scale(Times3Plus32(v1, v1Prev), gainSame), scale(Times3Plus32(v1, v1Next), gainSame)));
    _mm_store_si128(reinterpret_cast<__m128i*>(other),
                    join(scale(Times3Plus32(v2Prev, v2), gainOther), scale(Times3Plus32(v2, v2Prev), gainOther)));
    _mm_store_si128(reinterpret_cast<__m128i*>(green), join(greenSite, greenGreen));
    uint8_t* out = DestPixel(f, p, y);
    if (siteIsRed) {
        Interleave<uint16_t>(out, f.dstBytesPerPixel, other, green, same, 8);
    } else {
        Interleave<uint16_t>(out, f.dstBytesPerPixel, same, green, other, 8);
    }
}

template <typename Sample, int32_t kPixelsPerStep, typename Step>
void Rows(const Frame& f, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains, int32_t maxValue,
          const Step& step) {
    for (int32_t y = yBegin; y < yEnd; ++y) {
        const SourceRows rows = RowsOf<Sample>(f, y, fold);
        const bool siteIsRed = RowPhase(mode, y) == 1;
        const int32_t first = FirstSiteColumn(mode, y);
        int32_t x = 2;
        for (; x < first && x <= f.width - 3; ++x)
            RowPixel<Sample>(f, rows, mode, gains, maxValue, x, y);
        // A step reads one pair beyond its last pixel, which column W-1 still holds.
        for (; x + kPixelsPerStep - 1 <= f.width - 3; x += kPixelsPerStep)
            step(rows, y, x, siteIsRed);
        for (; x <= f.width - 3; ++x)
            RowPixel<Sample>(f, rows, mode, gains, maxValue, x, y);
    }
}

}  // namespace

void Rows8_SSE2(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    const __m128i red = _mm_set1_epi16(static_cast<int16_t>(gains.red << 1));
    const __m128i blue = _mm_set1_epi16(static_cast<int16_t>(gains.blue << 1));
    const auto step = [&](const SourceRows& rows, int32_t y, int32_t x, bool siteIsRed) {
        Pairs8(frame, rows, y, x, siteIsRed, siteIsRed ? red : blue, siteIsRed ? blue : red);
    };
    Rows<uint8_t, 16>(frame, yBegin, yEnd, fold, mode, gains, 255, step);
}

void Rows16_SSE2(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    const __m128i red = _mm_set1_epi32(gains.red);
    const __m128i blue = _mm_set1_epi32(gains.blue);
    const auto step = [&](const SourceRows& rows, int32_t y, int32_t x, bool siteIsRed) {
        Pairs16(frame, rows, y, x, siteIsRed, siteIsRed ? red : blue, siteIsRed ? blue : red);
    };
    Rows<uint16_t, 8>(frame, yBegin, yEnd, fold, mode, gains, 1023, step);
}

}  // namespace tavrin::demosaic
