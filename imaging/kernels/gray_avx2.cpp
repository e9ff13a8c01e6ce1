// Gray gain rows with AVX2: eight samples per 32-bit lane group, the gains and
// offsets alternating lane by lane as the cells alternate along the row.
#include <immintrin.h>

#include "imaging/kernels/gray_rows.h"

namespace tavrin {
namespace {

inline int32_t ScalarGained(int32_t sample, int32_t gain, int32_t offset, int32_t maxValue) {
    const int32_t v = offset + sample * gain / 128;
    return v < 0 ? 0 : (v > maxValue ? maxValue : v);
}

// offset + (sample x gain) >> 7, limited; the product is never negative.
inline __m256i Gained(__m256i samples, __m256i gains, __m256i offsets, __m256i maxValue) {
    const __m256i v = _mm256_add_epi32(offsets, _mm256_srli_epi32(_mm256_mullo_epi32(samples, gains), 7));
    return _mm256_min_epi32(_mm256_max_epi32(v, _mm256_setzero_si256()), maxValue);
}

}  // namespace

void GrayGainRow8_AVX2(const uint8_t* in, uint8_t* out, int32_t width, const RowCells& cells) {
    const __m256i gains = _mm256_setr_epi32(cells.gain[0], cells.gain[1], cells.gain[0], cells.gain[1], cells.gain[0],
                                            cells.gain[1], cells.gain[0], cells.gain[1]);
    const __m256i offsets = _mm256_setr_epi32(cells.offset[0], cells.offset[1], cells.offset[0], cells.offset[1],
                                              cells.offset[0], cells.offset[1], cells.offset[0], cells.offset[1]);
    const __m256i maxValue = _mm256_set1_epi32(255);
    int32_t x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
        const __m256i a = Gained(_mm256_cvtepu8_epi32(bytes), gains, offsets, maxValue);
        const __m256i b = Gained(_mm256_cvtepu8_epi32(_mm_srli_si128(bytes, 8)), gains, offsets, maxValue);
        const __m256i words = _mm256_permute4x64_epi64(_mm256_packus_epi32(a, b), 0xD8);
        const __m128i packed = _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), packed);
    }
    for (; x < width; ++x) {
        out[x] = static_cast<uint8_t>(ScalarGained(in[x], cells.gain[x & 1], cells.offset[x & 1], 255));
    }
}

void GrayGainRow16_AVX2(const uint8_t* in, uint8_t* out, int32_t width, const RowCells& cells, int32_t maxValue) {
    const __m256i gains = _mm256_setr_epi32(cells.gain[0], cells.gain[1], cells.gain[0], cells.gain[1], cells.gain[0],
                                            cells.gain[1], cells.gain[0], cells.gain[1]);
    const __m256i offsets = _mm256_setr_epi32(cells.offset[0], cells.offset[1], cells.offset[0], cells.offset[1],
                                              cells.offset[0], cells.offset[1], cells.offset[0], cells.offset[1]);
    const __m256i limit = _mm256_set1_epi32(maxValue);
    int32_t x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * x));
        const __m256i v = Gained(_mm256_cvtepu16_epi32(words), gains, offsets, limit);
        const __m128i packed = _mm_packus_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * x), packed);
    }
    for (; x < width; ++x) {
        Store16(out + 2 * x, ScalarGained(Load16(in + 2 * x), cells.gain[x & 1], cells.offset[x & 1], maxValue));
    }
}

}  // namespace tavrin
