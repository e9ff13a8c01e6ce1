// Hue and saturation with AVX2: eight pixels at a time, one per 32-bit lane,
// with every branch of the per-pixel transform turned into a lane select.
// The reciprocal comes from the table by a gather; the saturation table is
// recomputed by its formula; the sector's mask and step by a lane permute.
#include <immintrin.h>

#include "imaging/kernels/huesat_fast.h"

namespace tavrin {
namespace {

inline __m256i Select(__m256i condition, __m256i ifTrue, __m256i ifFalse) {
    return _mm256_blendv_epi8(ifFalse, ifTrue, condition);
}

struct Constants {
    __m256i saturationFactor;  // (saturation + 256) x 256
    __m256i shiftFraction;
    __m256i shiftSector;
    __m256i masks;
    __m256i steps;
};

// Transforms eight pixels given as 0x??RRGGBB lanes; returns 0x??RRGGBB (the
// top byte is garbage from the arithmetic, as in the reference's 32-bit value).
inline __m256i Transform(__m256i pixels, const HueSatTables& t, const Constants& k) {
    const __m256i byteMask = _mm256_set1_epi32(0xFF);
    const __m256i blue = _mm256_and_si256(pixels, byteMask);
    const __m256i green = _mm256_and_si256(_mm256_srli_epi32(pixels, 8), byteMask);
    const __m256i red = _mm256_and_si256(_mm256_srli_epi32(pixels, 16), byteMask);
    const __m256i one = _mm256_set1_epi32(1);

    const __m256i redLow = _mm256_cmpgt_epi32(green, red);  // not R >= G
    __m256i base = Select(redLow, _mm256_set1_epi32(3), one);
    __m256i hi = Select(redLow, green, red);
    const __m256i lo = Select(redLow, red, green);
    __m256i l = Select(redLow, _mm256_sub_epi32(blue, red), _mm256_sub_epi32(green, blue));
    const __m256i blueHigh = _mm256_cmpgt_epi32(blue, hi);
    base = Select(blueHigh, _mm256_set1_epi32(5), base);
    hi = Select(blueHigh, blue, hi);
    l = Select(blueHigh, _mm256_sub_epi32(red, green), l);
    const __m256i min = _mm256_min_epi32(lo, blue);
    const __m256i d = _mm256_sub_epi32(hi, min);
    const __m256i negative = _mm256_cmpgt_epi32(_mm256_setzero_si256(), l);
    base = _mm256_add_epi32(base, negative);  // -1 where l < 0
    l = _mm256_add_epi32(l, _mm256_and_si256(negative, d));

    const __m256i sum = _mm256_add_epi32(hi, min);
    const __m256i scaled = _mm256_srai_epi32(
        _mm256_add_epi32(_mm256_mullo_epi32(d, k.saturationFactor), _mm256_set1_epi32(0x8000)), 16);
    const __m256i limit = _mm256_min_epi32(sum, _mm256_sub_epi32(_mm256_set1_epi32(511), sum));
    const __m256i chroma = _mm256_min_epi32(scaled, limit);
    const __m256i newMin = _mm256_srai_epi32(_mm256_sub_epi32(sum, chroma), 1);
    const __m256i span = _mm256_sub_epi32(_mm256_srai_epi32(_mm256_add_epi32(chroma, sum), 1), newMin);
    const __m256i grayStep = _mm256_set1_epi32(0x010101);
    const __m256i value = _mm256_mullo_epi32(newMin, grayStep);

    const __m256i reciprocal = _mm256_i32gather_epi32(reinterpret_cast<const int*>(t.reciprocal), d, 4);
    __m256i v = _mm256_add_epi32(
        _mm256_srli_epi32(_mm256_add_epi32(_mm256_mullo_epi32(reciprocal, l), _mm256_set1_epi32(0x8000)), 16),
        k.shiftFraction);
    __m256i sector = _mm256_add_epi32(base, k.shiftSector);
    const __m256i wraps = _mm256_cmpgt_epi32(v, _mm256_set1_epi32(254));
    v = _mm256_sub_epi32(v, _mm256_and_si256(wraps, _mm256_set1_epi32(255)));
    sector = _mm256_sub_epi32(sector, wraps);
    // sector is at most 11 here: one subtraction of 6 is the remainder.
    sector = _mm256_sub_epi32(sector, _mm256_and_si256(_mm256_cmpgt_epi32(sector, _mm256_set1_epi32(5)),
                                                        _mm256_set1_epi32(6)));
    const __m256i mask = _mm256_permutevar8x32_epi32(k.masks, sector);
    const __m256i step = _mm256_permutevar8x32_epi32(k.steps, sector);
    const __m256i ramp = _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(span, v), _mm256_set1_epi32(128)), 8);
    const __m256i add = _mm256_add_epi32(_mm256_and_si256(_mm256_mullo_epi32(span, grayStep), mask),
                                         _mm256_mullo_epi32(ramp, step));
    const __m256i hasChroma = _mm256_cmpgt_epi32(d, _mm256_setzero_si256());
    return _mm256_add_epi32(value, _mm256_and_si256(add, hasChroma));
}

// 24-bit pixels: bytes 0..23 of a 32-byte load become eight 0x00RRGGBB lanes.
inline __m256i Unpack24(__m256i bytes) {
    const __m256i spread = _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0));
    const __m256i shuffle = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,  //
                                             0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    return _mm256_shuffle_epi8(spread, shuffle);
}

// Eight lanes back to 24 packed bytes (in the low 24 bytes of the result).
inline __m256i Pack24(__m256i lanes) {
    const __m256i shuffle = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                                             0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    return _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(lanes, shuffle), _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7));
}

}  // namespace

bool HueSat8Avx2(const ToneArea& area, const HueSatTables& tables, huesat::HueShift shift) {
    const int32_t bpp = area.srcBytesPerPixel;
    if (bpp != area.dstBytesPerPixel || (bpp != 3 && bpp != 4)) return false;
    Constants k;
    k.saturationFactor = _mm256_set1_epi32((tables.saturation + 256) * 256);
    k.shiftFraction = _mm256_set1_epi32(shift.fraction);
    k.shiftSector = _mm256_set1_epi32(shift.sector);
    k.masks = _mm256_setr_epi32(0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0, 0);
    k.steps = _mm256_setr_epi32(-1, 256, -65536, 1, -256, 65536, 0, 0);
    const __m256i low24 = _mm256_set1_epi32(0x00FFFFFF);
    for (int32_t y = 0; y < area.height; ++y) {
        const uint8_t* in = SourceRowOf(area, y);
        uint8_t* out = DestRowOf(area, y);
        int32_t x = 0;
        if (bpp == 4) {
            for (; x + 8 <= area.width; x += 8) {
                const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 4 * x));
                const __m256i value = Transform(pixels, tables, k);
                const __m256i merged = _mm256_or_si256(_mm256_and_si256(value, low24),
                                                       _mm256_andnot_si256(low24, pixels));
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * x), merged);
            }
        } else {
            // A load takes 32 bytes for 24 used: stay 8 bytes inside the row.
            for (; 3 * x + 32 <= 3 * area.width; x += 8) {
                const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 3 * x));
                const __m256i packed = Pack24(Transform(Unpack24(bytes), tables, k));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * x), _mm256_castsi256_si128(packed));
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 3 * x + 16), _mm256_extracti128_si256(packed, 1));
            }
        }
        for (; x < area.width; ++x) {
            const uint8_t* p = in + x * bpp;
            const uint32_t value = huesat::TransformPixel(p[0], p[1], p[2], tables, shift);
            uint8_t* q = out + x * bpp;
            q[0] = static_cast<uint8_t>(value);
            q[1] = static_cast<uint8_t>(value >> 8);
            q[2] = static_cast<uint8_t>(value >> 16);
        }
    }
    return true;
}

// The 16-bit samples of a run of pixels are reduced to 8-bit pixels in a
// small buffer, transformed eight at a time and widened back.
bool HueSat16Avx2(const ToneArea& area, const HueSatTables& tables, huesat::HueShift shift, int32_t sampleShift) {
    const int32_t bpp = area.srcBytesPerPixel;
    if (bpp != area.dstBytesPerPixel || (bpp != 6 && bpp != 8)) return false;
    Constants k;
    k.saturationFactor = _mm256_set1_epi32((tables.saturation + 256) * 256);
    k.shiftFraction = _mm256_set1_epi32(shift.fraction);
    k.shiftSector = _mm256_set1_epi32(shift.sector);
    k.masks = _mm256_setr_epi32(0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0, 0);
    k.steps = _mm256_setr_epi32(-1, 256, -65536, 1, -256, 65536, 0, 0);
    constexpr int32_t kRun = 64;
    alignas(32) uint32_t pixels[kRun];
    for (int32_t y = 0; y < area.height; ++y) {
        const uint8_t* in = SourceRowOf(area, y);
        uint8_t* out = DestRowOf(area, y);
        for (int32_t x0 = 0; x0 < area.width; x0 += kRun) {
            const int32_t n = area.width - x0 < kRun ? area.width - x0 : kRun;
            for (int32_t i = 0; i < n; ++i) {
                const uint8_t* p = in + (x0 + i) * bpp;
                uint32_t value = 0;
                for (int32_t c = 0; c < 3; ++c) {
                    const int32_t sample = Load16(p + 2 * c) >> sampleShift;
                    value |= static_cast<uint32_t>(sample < 255 ? sample : 255) << (8 * c);
                }
                pixels[i] = value;
            }
            int32_t i = 0;
            for (; i + 8 <= n; i += 8) {
                __m256i* lanes = reinterpret_cast<__m256i*>(pixels + i);
                _mm256_store_si256(lanes, Transform(_mm256_load_si256(lanes), tables, k));
            }
            for (; i < n; ++i) {
                pixels[i] = huesat::TransformPixel(static_cast<int32_t>(pixels[i] & 0xFF),
                                                   static_cast<int32_t>((pixels[i] >> 8) & 0xFF),
                                                   static_cast<int32_t>((pixels[i] >> 16) & 0xFF), tables, shift);
            }
            for (int32_t j = 0; j < n; ++j) {
                uint8_t* q = out + (x0 + j) * bpp;
                for (int32_t c = 0; c < 3; ++c) {
                    Store16(q + 2 * c, static_cast<int32_t>((pixels[j] >> (8 * c)) & 0xFF) << sampleShift);
                }
            }
        }
    }
    return true;
}

}  // namespace tavrin
