// Sharpness for 16-bit images with AVX2, in 16-bit lanes. A row segment is
// a run of samples: column sums (four rows) are formed once into a small
// buffer and each window adds four of them. The lanes hold the sums and the
// products exactly while every sample of the segment's rows stays within
// Sharpen16LaneLimit; a segment with a larger sample runs in 32 bits.
#include <immintrin.h>

#include "imaging/kernels/sharpen_rows.h"
#include "imaging/kernels/sharpen_segment.h"

namespace tavrin {
namespace {

inline __m256i Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }

// (d x strength) / 10 truncated toward zero for |d x strength| <= 32767, as
// compilers divide 16-bit integers by 10: the signed high half of p x 26215
// shifted right by 2 is floor(p x 0.1000023), which is p / 10 for p >= 0
// and one below p / 10 (truncated) for p < 0, where 1 is added back.
inline __m256i TimesStrengthOverTen(__m256i d, __m256i strength) {
    const __m256i p = _mm256_mullo_epi16(d, strength);
    const __m256i floor = _mm256_srai_epi16(_mm256_mulhi_epi16(p, _mm256_set1_epi16(26215)), 2);
    return _mm256_sub_epi16(floor, _mm256_srai_epi16(p, 15));
}

// Column sums of samples [c0, c1) into `columns`; returns the OR of all samples read.
int32_t ColumnSums(const uint8_t* const rows[4], int32_t c0, int32_t c1, uint16_t* columns) {
    __m256i seen = _mm256_setzero_si256();
    int32_t j = c0;
    for (; j + 16 <= c1; j += 16) {
        const __m256i a = Load(rows[0] + 2 * j), b = Load(rows[1] + 2 * j);
        const __m256i c = Load(rows[2] + 2 * j), d = Load(rows[3] + 2 * j);
        seen = _mm256_or_si256(seen, _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(columns + (j - c0)),
                            _mm256_add_epi16(_mm256_add_epi16(a, b), _mm256_add_epi16(c, d)));
    }
    seen = _mm256_or_si256(seen, _mm256_srli_si256(seen, 8));
    seen = _mm256_or_si256(seen, _mm256_srli_si256(seen, 4));
    seen = _mm256_or_si256(seen, _mm256_srli_si256(seen, 2));
    int32_t any = _mm256_extract_epi16(seen, 0) | _mm256_extract_epi16(seen, 8);
    for (; j < c1; ++j) {
        const int32_t s[4] = {Load16(rows[0] + 2 * j), Load16(rows[1] + 2 * j), Load16(rows[2] + 2 * j),
                              Load16(rows[3] + 2 * j)};
        any |= s[0] | s[1] | s[2] | s[3];
        columns[j - c0] = static_cast<uint16_t>(s[0] + s[1] + s[2] + s[3]);
    }
    return any;
}

// Samples [s0, s1) of one row in 16-bit lanes; false (nothing written) when a
// sample of the segment's rows exceeds the lane limit.
bool LaneSegment(const uint8_t* const rows[4], uint8_t* out, int32_t s0, int32_t s1, const Sharpen16Lanes& m) {
    const int32_t spp = m.spp;
    alignas(32) uint16_t columns[kSharpenSegment + 3 * 8];
    if (ColumnSums(rows, s0 - 2 * spp, s1 + spp, columns) > m.laneLimit)
        return false;
    const uint16_t* col = columns + 2 * spp;  // column sum of sample s0
    const uint8_t* in = rows[2];
    const __m256i strength = _mm256_set1_epi16(static_cast<int16_t>(m.strength));
    // Lane values stay below 2 x 4096, so a larger limit changes nothing.
    const __m256i maxValue = _mm256_set1_epi16(static_cast<int16_t>(m.maxValue < 32767 ? m.maxValue : 32767));
    const __m256i fourth = _mm256_set1_epi64x(static_cast<int64_t>(0xFFFF000000000000ull));
    int32_t i = s0;
    for (; i + 16 <= s1; i += 16) {
        const uint16_t* c = col + (i - s0);
        const __m256i window = _mm256_add_epi16(_mm256_add_epi16(Load(c - 2 * spp), Load(c - spp)),
                                                _mm256_add_epi16(Load(c), Load(c + spp)));
        const __m256i v = Load(in + 2 * i);
        const __m256i d = _mm256_sub_epi16(v, _mm256_srli_epi16(window, 4));
        __m256i value = _mm256_add_epi16(v, TimesStrengthOverTen(d, strength));
        value = _mm256_min_epi16(_mm256_max_epi16(value, _mm256_setzero_si256()), maxValue);
        if (spp == 4)  // a step starts at a pixel: segments start at one, 16 is four pixels
            value = _mm256_blendv_epi8(value, Load(out + 2 * i), fourth);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * i), value);
    }
    for (; i < s1; ++i) {
        if (spp == 4 && i % 4 == 3)
            continue;
        const int32_t k = i - s0;
        const int32_t window = col[k - 2 * spp] + col[k - spp] + col[k] + col[k + spp];
        Store16(out + 2 * i, Sharpened16(Load16(in + 2 * i), window, m.strength, m.maxValue));
    }
    return true;
}

}  // namespace

void Sharpen16_AVX2(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue, uint8_t* ring) {
    if (!SharpenRows16(area, channels, strength, maxValue, ring, LaneSegment))
        Sharpen16_SSE2(area, channels, strength, maxValue, ring);
}

}  // namespace tavrin
