// Row sums by column parity with AVX2 for the white balance: masking the odd
// bytes (or words) away and summing what is left, then the same for the even.
#include <immintrin.h>

#include "imaging/kernels/balance_rows.h"

namespace tavrin {
namespace {

inline uint64_t HorizontalSum64(__m256i v) {
    const __m128i s = _mm_add_epi64(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    return static_cast<uint64_t>(_mm_cvtsi128_si64(s)) + static_cast<uint64_t>(_mm_extract_epi64(s, 1));
}

void Bytes(const uint8_t* row, int32_t count, uint64_t sums[2]) {
    const __m256i evenMask = _mm256_set1_epi16(0x00FF);
    __m256i even = _mm256_setzero_si256();
    __m256i odd = _mm256_setzero_si256();
    int32_t x = 0;
    for (; x + 32 <= count; x += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x));
        even = _mm256_add_epi64(even, _mm256_sad_epu8(_mm256_and_si256(v, evenMask), _mm256_setzero_si256()));
        odd = _mm256_add_epi64(odd, _mm256_sad_epu8(_mm256_andnot_si256(evenMask, v), _mm256_setzero_si256()));
    }
    sums[0] += HorizontalSum64(even);
    sums[1] += HorizontalSum64(odd);
    for (; x < count; ++x)
        sums[x & 1] += row[x];
}

// The byte sums above at word width. Deliberately written out twice: the
// lanes, masks and widening differ with the sample size.
void Words(const uint8_t* row, int32_t count, uint64_t sums[2]) {
    const __m256i evenMask = _mm256_set1_epi32(0xFFFF);
    __m256i even = _mm256_setzero_si256();
    __m256i odd = _mm256_setzero_si256();
    int32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 2 * x));
        const __m256i e = _mm256_and_si256(v, evenMask);
        const __m256i o = _mm256_srli_epi32(v, 16);
        // Widen the 32-bit lanes into 64-bit sums so no row is too long.
        even = _mm256_add_epi64(
            even, _mm256_add_epi64(_mm256_and_si256(e, _mm256_set1_epi64x(0xFFFFFFFF)), _mm256_srli_epi64(e, 32)));
        odd = _mm256_add_epi64(
            odd, _mm256_add_epi64(_mm256_and_si256(o, _mm256_set1_epi64x(0xFFFFFFFF)), _mm256_srli_epi64(o, 32)));
    }
    sums[0] += HorizontalSum64(even);
    sums[1] += HorizontalSum64(odd);
    for (; x < count; ++x) {
        uint16_t v;
        __builtin_memcpy(&v, row + 2 * x, 2);
        sums[x & 1] += v;
    }
}

}  // namespace

void ParitySums_AVX2(const uint8_t* row, int32_t count, bool wide, uint64_t sums[2]) {
    if (wide) {
        Words(row, count, sums);
    } else {
        Bytes(row, count, sums);
    }
}

}  // namespace tavrin
