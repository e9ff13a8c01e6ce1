// Sharpness for 16-bit images with AVX-512 BW: the AVX2 version's 16-bit
// lanes (sharpen16_avx2.cpp) 32 samples at a time, with masked loads and
// stores at the ends of a segment (they touch no sample outside it) and a
// masked store that leaves the fourth sample of a 4-sample pixel alone.
#include <immintrin.h>

#include "imaging/kernels/sharpen_rows.h"
#include "imaging/kernels/sharpen_segment.h"

namespace tavrin {
namespace {

inline __mmask32 First(int32_t n) { return n >= 32 ? ~__mmask32{0} : _bzhi_u32(~0u, static_cast<uint32_t>(n)); }

inline __m512i Load(__mmask32 k, const void* p) { return _mm512_maskz_loadu_epi16(k, p); }

// (d x strength) / 10 truncated toward zero for |d x strength| <= 32767, as
// compilers divide 16-bit integers by 10: the signed high half of p x 26215
// shifted right by 2 is floor(p x 0.1000023), which is p / 10 for p >= 0
// and one below p / 10 (truncated) for p < 0, where 1 is added back.
inline __m512i TimesStrengthOverTen(__m512i d, __m512i strength) {
    const __m512i p = _mm512_mullo_epi16(d, strength);
    const __m512i floor = _mm512_srai_epi16(_mm512_mulhi_epi16(p, _mm512_set1_epi16(26215)), 2);
    return _mm512_sub_epi16(floor, _mm512_srai_epi16(p, 15));
}

// Column sums of samples [c0, c1) into `columns`; true when every sample
// read is within `laneLimit` (2^k - 1).
bool ColumnSums(const uint8_t* const rows[4], int32_t c0, int32_t c1, uint16_t* columns, int32_t laneLimit) {
    __m512i seen = _mm512_setzero_si512();
    for (int32_t j = c0; j < c1; j += 32) {
        const __mmask32 k = First(c1 - j);
        const __m512i a = Load(k, rows[0] + 2 * j), b = Load(k, rows[1] + 2 * j);
        const __m512i c = Load(k, rows[2] + 2 * j), d = Load(k, rows[3] + 2 * j);
        seen = _mm512_ternarylogic_epi32(seen, _mm512_or_si512(a, b), _mm512_or_si512(c, d), 0xFE);
        _mm512_storeu_si512(columns + (j - c0), _mm512_add_epi16(_mm512_add_epi16(a, b), _mm512_add_epi16(c, d)));
    }
    return _mm512_test_epi16_mask(seen, _mm512_set1_epi16(static_cast<int16_t>(~laneLimit))) == 0;
}

// Samples [s0, s1) of one row in 16-bit lanes; false (nothing written) when a
// sample of the segment's rows exceeds the lane limit.
bool LaneSegment(const uint8_t* const rows[4], uint8_t* out, int32_t s0, int32_t s1, const Sharpen16Lanes& m) {
    const int32_t spp = m.spp;
    alignas(64) uint16_t columns[kSharpenSegment + 64];
    if (!ColumnSums(rows, s0 - 2 * spp, s1 + spp, columns, m.laneLimit))
        return false;
    const uint16_t* col = columns + 2 * spp;  // column sum of sample s0
    const uint8_t* in = rows[2];
    const __m512i strength = _mm512_set1_epi16(static_cast<int16_t>(m.strength));
    // Lane values stay below 2 x 4096, so a larger limit changes nothing.
    const __m512i maxValue = _mm512_set1_epi16(static_cast<int16_t>(m.maxValue < 32767 ? m.maxValue : 32767));
    // A step starts at a pixel: segments start at one and 32 samples are eight.
    const __mmask32 changed = spp == 4 ? __mmask32{0x77777777u} : ~__mmask32{0};
    for (int32_t i = s0; i < s1; i += 32) {
        const uint16_t* c = col + (i - s0);
        const __mmask32 all = ~__mmask32{0};
        const __m512i window = _mm512_add_epi16(_mm512_add_epi16(Load(all, c - 2 * spp), Load(all, c - spp)),
                                                _mm512_add_epi16(Load(all, c), Load(all, c + spp)));
        const __mmask32 k = First(s1 - i);
        const __m512i v = Load(k, in + 2 * i);
        const __m512i d = _mm512_sub_epi16(v, _mm512_srli_epi16(window, 4));
        __m512i value = _mm512_add_epi16(v, TimesStrengthOverTen(d, strength));
        value = _mm512_min_epi16(_mm512_max_epi16(value, _mm512_setzero_si512()), maxValue);
        _mm512_mask_storeu_epi16(out + 2 * i, k & changed, value);
    }
    return true;
}

}  // namespace

void Sharpen16_AVX512(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue, uint8_t* ring) {
    if (!SharpenRows16(area, channels, strength, maxValue, ring, LaneSegment))
        Sharpen16_SSE2(area, channels, strength, maxValue, ring);
}

}  // namespace tavrin
