// Row sums with AVX2 for the region means: bytes through the sum of absolute
// differences against zero, 16-bit samples through their 8-bit form.
#include <immintrin.h>

#include "imaging/kernels/measure_rows.h"

namespace tavrin {
namespace {

inline uint64_t HorizontalSum64(__m256i v) {
    const __m128i s = _mm_add_epi64(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    return static_cast<uint64_t>(_mm_cvtsi128_si64(s)) + static_cast<uint64_t>(_mm_extract_epi64(s, 1));
}

}  // namespace

uint64_t SumBytes_AVX2(const uint8_t* row, int32_t count) {
    __m256i acc = _mm256_setzero_si256();
    int32_t x = 0;
    for (; x + 32 <= count; x += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x));
        acc = _mm256_add_epi64(acc, _mm256_sad_epu8(v, _mm256_setzero_si256()));
    }
    uint64_t sum = HorizontalSum64(acc);
    for (; x < count; ++x)
        sum += row[x];
    return sum;
}

uint64_t SumWords8BitForm_AVX2(const uint8_t* row, int32_t count) {
    // (v >> 2) & 0xFF of each word is a byte; summing the words' low bytes
    // with the byte sum does the rest.
    const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
    __m256i acc = _mm256_setzero_si256();
    int32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 2 * x));
        const __m256i forms = _mm256_and_si256(_mm256_srli_epi16(v, 2), lowBytes);
        acc = _mm256_add_epi64(acc, _mm256_sad_epu8(forms, _mm256_setzero_si256()));
    }
    uint64_t sum = HorizontalSum64(acc);
    for (; x < count; ++x) {
        uint16_t v;
        __builtin_memcpy(&v, row + 2 * x, 2);
        sum += (v >> 2) & 0xFF;
    }
    return sum;
}

}  // namespace tavrin
